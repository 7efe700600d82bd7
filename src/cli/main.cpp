// pelmark-cli: repairs damaged presentations from a terminal with the same
// Repair and Save jobs the window runs.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "cli/batch_jobs.h"
#include "cli/cli_options.h"
#include "cli/input_checks.h"
#include "cli/row_sequencer.h"
#include "cli/terminal_job_view.h"
#include "packaging/save_job.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/output_files.h"
#include "platform/terminal.h"
#include "recovery/job_control.h"
#include "recovery/repair_job.h"
#include "recovery/salvage/salvage_report.h"

namespace {

constexpr int kExitAllSaved = 0;
constexpr int kExitSomeNotSaved = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSlidesLost = 3;

// What a second Ctrl+C must remove before the process goes: the private
// working folder (unless the user asked to keep it) and, through the
// platform's list, any package still under its temporary name.
std::mutex g_abandonLock;
QString g_abandonWorkingFolder;
// Set once the run has cleaned up after itself and the process is ending:
// an abandon then has nothing left to remove (and must not race the exit).
std::atomic<bool> g_runOver{false};

void Abandon() {
    platform::RefuseNewFiles();
    std::lock_guard<std::mutex> guard(g_abandonLock);
    if (g_runOver.load()) return;
    // Twice: a file the worker was making at that very moment is gone too.
    for (int pass = 0; pass < 2; ++pass) {
        platform::DeleteAbandonedTempFiles();
        if (!g_abandonWorkingFolder.isEmpty()) RemoveFolderTree(g_abandonWorkingFolder);
        if (pass == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before any thread exists, so that only the watcher ever sees a signal.
    JobControl control;
    platform::WatchInterrupts(
        &control.RunningFlag(),
        "\npelmark-cli: stopping after the current file; press Ctrl+C again to abandon\n", Abandon);

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
    if (const int unusable = platform::CheckCanCreateFilesIn(destination)) {
        err << "pelmark-cli: cannot save in " << destination << ": "
            << platform::ErrorText(unusable) << '\n';
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
    if (!options->keepWork) {
        std::lock_guard<std::mutex> guard(g_abandonLock);
        g_abandonWorkingFolder = work.path();
    }

    err.flush();
    const QStringList packages = DistinctInputs(options->files, err);
    err.flush();

    TerminalJobView::Looks looks;
    looks.colour = ColourWanted(platform::IsTerminal(1), qgetenv("NO_COLOR"), qgetenv("TERM"));
    looks.progress = platform::IsTerminal(2);
    looks.quiet = options->quiet;
    TerminalJobView view(packages, destination, options->extractMedia, looks);
    JobParams params;
    params.mainWnd = &control;
    params.view = &view;
    params.completePackages = options->completePackages;

    const int workers = WorkersFor(options->jobs > 0 ? options->jobs : QThread::idealThreadCount(),
                                   view.FileRowCount());
    if (!BeginRepairRun(&params)) return kExitUsage;
    const std::vector<int> cutShort = RepairRows(&params, &view, workers);
    const bool stoppedInRepair = platform::StopSignal() != 0;

    // A stop ends the run here: a file whose scan it cut short holds only a
    // part of its members and is not saved as if it were repaired.
    for (const int row : cutShort) {
        if (view.FileRowData(row) != 1) continue;
        view.SetFileRowData(row, 0);
        view.AppendLog(view.FileRowText(row) + " not saved: a stop cut its repair short....\r\n",
                       kLogRed);
    }
    if (!stoppedInRepair) ExplainUnrepairedFiles(&view);

    bool everyFileRepaired = true;
    for (int row = 0; row < view.FileRowCount(); ++row)
        everyFileRepaired = everyFileRepaired && view.FileRowData(row) == 1;

    view.ForgetRedLines();
    bool destinationUsable = true;
    if (BeginSaveRun(&params))
        destinationUsable = SaveRows(&params, &view, workers, !options->keepWork) != 0;
    const bool everyFileSaved = !view.SawRedLine();

    // Where the results went, after the log: only what this run wrote.
    for (const BasicJobView::SavedPackage& saved : view.SavedPackages())
        out << "Repaired presentation: " << saved.path << '\n';
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

    int status = slidesLost ? kExitSlidesLost : kExitAllSaved;
    if (!everyFileRepaired || !everyFileSaved) status = kExitSomeNotSaved;
    if (!destinationUsable) status = kExitUsage;
    if (const int signal = platform::StopSignal()) status = 128 + signal;

    // The working folder goes here, not as the process ends: a second Ctrl+C
    // now either finishes its own clean-up (and ends the process) first, or
    // finds nothing left to do. Removing it from both sides at once could
    // leave it behind.
    std::lock_guard<std::mutex> guard(g_abandonLock);
    if (!options->keepWork) RemoveFolderTree(work.path());
    g_runOver.store(true);
    return status;
}
