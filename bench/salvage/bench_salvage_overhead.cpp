// What salvage adds to the repair of an intact package: the scan alone, scan
// and extraction, and the same followed by the salvage checks, best of
// several rounds from the page cache.
//
//   salvage_overhead_bench PACKAGE.odp [ROUNDS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "platform/folders.h"
#include "recovery/basic_job_view.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/job_control.h"
#include "recovery/salvage/salvage_runner.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: salvage_overhead_bench PACKAGE.odp [ROUNDS]\n");
        return 2;
    }
    const QString package = args[1];
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 20;
    QTemporaryDir tmp;
    SetWorkingRootOverride(tmp.path() + "/ImpTmp");
    JobControl control;
    BasicJobView view;
    JobParams params{&control, &view};
    control.SetProcessRunning(1);
    const auto running = [&control] { return control.IsProcessRunning() != 0; };

    double scan = 1e30, repair = 1e30, salvage = 1e30;
    int slides = -1;
    for (int i = 0; i < rounds + 1; ++i) {
        RemoveFolderTree(GetWorkingRoot());
        platform::CreateFolder(GetWorkingRoot());
        const QString folder = WorkingFolderOf(package, 0);
        platform::CreateFolder(folder);
        view.ClearEntries();
        QElapsedTimer t;
        t.start();
        ScanPackage(package, &params);
        const double scanned = t.nsecsElapsed() / 1e6;
        ExtractEntries(folder, package, &params);
        const double extracted = t.nsecsElapsed() / 1e6;
        const SalvageResult result = SalvagePackage(package, folder, running);
        const double salvaged = t.nsecsElapsed() / 1e6;
        if (i == 0) continue;  // the first round fills the page cache
        scan = std::min(scan, scanned);
        repair = std::min(repair, extracted);
        salvage = std::min(salvage, salvaged - extracted);
        slides = result.slides == SalvageResult::Slides::Whole ? result.slidesKept : -1;
    }
    std::printf("scan                 %8.3f ms\n", scan);
    std::printf("scan + extract       %8.3f ms\n", repair);
    std::printf("salvage checks       %8.3f ms  (%d slides found whole)\n", salvage, slides);
    std::printf("salvage / repair     %8.1f %%  (best of %d rounds)\n", 100 * salvage / repair,
                rounds);
    RemoveFolderTree(GetWorkingRoot());
    return 0;
}
