// pelmark-cli: repairs damaged presentations from a terminal with the same
// Repair and Save jobs the window runs.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "cli/cli_options.h"
#include "cli/terminal_job_view.h"
#include "packaging/save_job.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/terminal.h"
#include "recovery/job_control.h"
#include "recovery/repair_job.h"
#include "recovery/salvage/salvage_report.h"

namespace {

constexpr int kExitAllSaved = 0;
constexpr int kExitSomeNotSaved = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSlidesLost = 3;

QStringList AbsoluteUniquePaths(const QStringList& files, QTextStream& err) {
    QStringList paths;
    for (const QString& file : files) {
        const QString path = QFileInfo(file).absoluteFilePath();
        bool known = false;
        for (const QString& listed : paths)
            known = known || listed.compare(path, Qt::CaseInsensitive) == 0;
        if (known) {
            err << "Pelmark: " << path << "already exist in the list.\n";
            continue;
        }
        paths << path;
    }
    return paths;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("pelmark-cli");
    QCoreApplication::setApplicationVersion("1.0");
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const std::optional<CliOptions> options = ParseCliOptions(app.arguments().mid(1), &error);
    if (!options) {
        err << "pelmark-cli: " << error << "\nTry 'pelmark-cli --help' for more information.\n";
        return kExitUsage;
    }
    if (options->showHelp) {
        out << CliUsage();
        return 0;
    }
    if (options->showVersion) {
        out << "pelmark-cli 1.0\n";
        return 0;
    }

    const QString destination =
        QFileInfo(options->destination.isEmpty() ? QDir::currentPath() : options->destination)
            .absoluteFilePath();
    if (!platform::FolderExists(destination)) {
        err << "pelmark-cli: " << destination << " is not an existing folder\n";
        return kExitUsage;
    }

    // A private working root, so a running window's working folders are never touched.
    QTemporaryDir work(platform::TempPath() + "pelmark-cli-XXXXXX");
    if (!work.isValid()) {
        err << "pelmark-cli: cannot create a working folder: " << work.errorString() << '\n';
        return kExitUsage;
    }
    work.setAutoRemove(!options->keepWork);
    SetWorkingRootOverride(work.path() + "/ImpTmp");

    err.flush();
    const QStringList packages = AbsoluteUniquePaths(options->files, err);
    err.flush();

    JobControl control;
    TerminalJobView view(packages, destination, options->extractMedia);
    JobParams params;
    params.mainWnd = &control;
    params.view = &view;
    params.completePackages = options->completePackages;

    platform::StopOnInterrupt(&control.RunningFlag());
    if (!BeginRepairRun(&params)) return kExitUsage;
    RepairWorker(&params);

    bool everyFileRepaired = true;
    for (int row = 0; row < view.FileRowCount(); ++row)
        everyFileRepaired = everyFileRepaired && view.FileRowData(row) == 1;

    view.ForgetRedLines();
    platform::StopOnInterrupt(&control.RunningFlag());
    if (BeginSaveRun(&params)) SaveWorker(&params);
    const bool everyFileSaved = !view.SawRedLine();

    // Where the results went, after the log.
    for (int row = 0; row < view.FileRowCount(); ++row) {
        const QString package = destination + "/TORVEX_" + FileNameOf(view.FileRowText(row));
        if (view.FileRowData(row) == 1 && platform::FileExists(package))
            out << "Repaired presentation: " << package << '\n';
    }
    if (options->keepWork) out << "Working folder kept: " << GetWorkingRoot() << '\n';
    // One line per file: what came back of its slides.
    bool slidesLost = false;
    for (int row = 0; row < view.FileRowCount(); ++row) {
        const SalvageResult slides = view.FileSlides(row);
        const bool repaired = view.FileRowData(row) == 1;
        out << view.FileRowText(row) << ": " << (repaired ? SlidesSummary(slides) : "not repaired")
            << '\n';
        slidesLost = slidesLost || slides.slides == SalvageResult::Slides::Lost ||
                     slides.slides == SalvageResult::Slides::Salvaged;
    }
    out.flush();
    if (!everyFileRepaired || !everyFileSaved) return kExitSomeNotSaved;
    return slidesLost ? kExitSlidesLost : kExitAllSaved;
}
