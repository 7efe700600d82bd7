// What the salvage checks add to the repair of an intact package. Three ways
// of repairing it, their rounds interleaved, from the page cache:
//   off      scan and extraction, the completion switch off (the peer)
//   records  the same, recording the members, then the checks on the records
//   re-read  scan and extraction, then the checks walking the package again
//            and reading every extracted file back (the checks without records)
// Each line gives the median over the rounds and the ratio to `off`.
//
//   salvage_overhead_bench PACKAGE.odp [ROUNDS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/folders.h"
#include "recovery/basic_job_view.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/job_control.h"
#include "recovery/member_records.h"
#include "recovery/salvage/salvage_runner.h"

namespace {

enum class Mode { Off, Records, Reread };

struct Times {
    std::vector<double> scan, extract, total;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

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
    control.SetProcessRunning(1);
    const auto running = [&control] { return control.IsProcessRunning() != 0; };

    Times times[3];
    int slides = -1;
    for (int i = 0; i < rounds + 1; ++i) {
        for (const Mode mode : {Mode::Off, Mode::Records, Mode::Reread}) {
            RemoveFolderTree(GetWorkingRoot());
            platform::CreateFolder(GetWorkingRoot());
            const QString folder = WorkingFolderOf(package, 0);
            platform::CreateFolder(folder);
            view.ClearEntries();
            MemberRecords records;
            JobParams params{&control, &view};
            params.memberRecords = mode == Mode::Records ? &records : nullptr;
            QElapsedTimer t;
            t.start();
            ScanPackage(package, &params);
            const double scanned = t.nsecsElapsed() / 1e6;
            ExtractEntries(folder, package, &params);
            const double extracted = t.nsecsElapsed() / 1e6;
            if (mode != Mode::Off) {
                const SalvageResult result =
                    SalvagePackage(package, folder, running, params.memberRecords);
                slides = result.slides == SalvageResult::Slides::Whole ? result.slidesKept : -1;
            }
            const double total = t.nsecsElapsed() / 1e6;
            if (i == 0) continue;  // the first round fills the page cache
            Times& m = times[int(mode)];
            m.scan.push_back(scanned);
            m.extract.push_back(extracted);
            m.total.push_back(total);
        }
    }
    const double off = Median(times[0].total);
    const double offScan = Median(times[0].scan);
    const char* names[3] = {"off", "records", "re-read"};
    std::printf("%-8s %10s %8s %14s %8s %10s %8s\n", "", "scan ms", "/off", "scan+extr ms", "/off",
                "all ms", "/off");
    for (int m = 0; m < 3; ++m) {
        const double scan = Median(times[m].scan), extract = Median(times[m].extract),
                     total = Median(times[m].total);
        std::printf("%-8s %10.3f %8.3f %14.3f %8.3f %10.3f %8.3f\n", names[m], scan, scan / offScan,
                    extract, extract / Median(times[0].extract), total, total / off);
    }
    std::printf(
        "checks add: records %+.1f %%, re-read %+.1f %% of scan+extraction (median of %d "
        "interleaved rounds, %d slides found whole)\n",
        100 * (Median(times[1].total) - off) / off, 100 * (Median(times[2].total) - off) / off,
        rounds, slides);
    RemoveFolderTree(GetWorkingRoot());
    return 0;
}
