// Times a repair (scan and extract) of an intact 30 MB presentation against
// `bsdtar -xf` on the same file, side by side in one run.
//
//   pelmark_bench_repair [ROUNDS]   (default 5 rounds)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/folders.h"
#include "recovery/basic_job_view.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/job_control.h"
#include "sample_presentation.h"

namespace {

// Keeps the entry table and ignores everything else the jobs show.
class EntryTableView : public BasicJobView {
public:
    int ShowMessage(const QString& text, int style, bool ownedByView) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return BasicJobView::ShowMessage(text, style, ownedByView);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int g_members = 0;

double TimeRepair(const QString& package, JobParams* params) {
    RemoveFolderTree(GetWorkingRoot());
    platform::CreateFolder(GetWorkingRoot());
    QElapsedTimer timer;
    timer.start();
    params->mainWnd->SetProcessRunning(1);
    params->view->ClearEntries();
    if (ScanPackage(package, params) == 0) qFatal("the package cannot be opened");
    const QString workingFolder = WorkingFolderOf(package, 0);
    platform::CreateFolder(workingFolder);
    ExtractEntries(workingFolder, package, params);
    const double ms = timer.nsecsElapsed() / 1e6;
    params->mainWnd->SetProcessRunning(0);
    g_members = params->view->EntryCount();
    return ms;
}

double TimeBsdtar(const QString& bsdtar, const QString& package, const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    QProcess run;
    run.start(bsdtar, {"-xf", package, "-C", folder});
    if (!run.waitForFinished(600000) || run.exitCode() != 0) qFatal("bsdtar failed");
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rounds = args.size() > 1 ? std::max(1, args[1].toInt()) : 5;
    const QString bsdtar = QStandardPaths::findExecutable("bsdtar");
    const QString zip = QStandardPaths::findExecutable("zip");
    if (bsdtar.isEmpty() || zip.isEmpty()) {
        std::fprintf(stderr, "bsdtar and zip are needed\n");
        return 2;
    }

    QTemporaryDir tmp;
    const QString folder = tmp.path() + "/source";
    WriteSamplePresentation(folder, int64_t(28) << 20);
    // The intact package is made by zip, not by this project's writer.
    const QString package = tmp.path() + "/sample.odp";
    QProcess pack;
    pack.setWorkingDirectory(folder);
    pack.start(zip, {"-r", "-8", "-q", "-X", package, "."});
    if (!pack.waitForFinished(600000) || pack.exitCode() != 0) qFatal("zip failed");
    std::printf("intact presentation: %.1f MB\n", QFileInfo(package).size() / 1048576.0);

    SetWorkingRootOverride(tmp.path() + "/ImpTmp");
    JobControl control;
    EntryTableView view;
    JobParams params;
    params.mainWnd = &control;
    params.view = &view;
    params.completePackages = false;
    const QString tarFolder = tmp.path() + "/bsdtar";

    TimeRepair(package, &params);  // warm the page cache for both
    TimeBsdtar(bsdtar, package, tarFolder);
    std::vector<double> repair, tar;
    for (int i = 0; i < rounds; ++i) {
        repair.push_back(TimeRepair(package, &params));
        tar.push_back(TimeBsdtar(bsdtar, package, tarFolder));
    }
    const double r = Median(repair), t = Median(tar);
    std::printf("scan + extract  median %8.1f ms  (%d members)\n", r, g_members);
    std::printf("bsdtar -xf      median %8.1f ms\n", t);
    std::printf("ratio repair / bsdtar: %.2f (target: at most 1.50), %d rounds\n", r / t, rounds);
    RemoveFolderTree(GetWorkingRoot());
    return r <= 1.5 * t ? 0 : 1;
}
