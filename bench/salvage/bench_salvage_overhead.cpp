// What the salvage checks add to the repair of an intact package. Three ways
// of repairing it, their rounds interleaved, from the page cache:
//   off      scan, extraction and the kind of package, the completion
//            switch off (the peer)
//   records  the same, recording the members, then the checks on the records
//   re-read  scan and extraction, then the checks walking the package again
//            and reading every extracted file back (the checks without records)
// Each line gives the median over the rounds and the ratio to `off`, of the
// wall-clock time and of the processor time of the thread doing the work
// (which other programs on a busy machine do not stretch).
//
//   salvage_overhead_bench PACKAGE.odp [ROUNDS]
#include <time.h>

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
#include "recovery/package_kind.h"
#include "recovery/salvage/salvage_runner.h"

namespace {

enum class Mode { Off, Records, Reread };

struct Times {
    std::vector<double> scan, extract, total, cpu;
};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

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
        // Each mode takes each place in the round in turn: the removal of the
        // last folder still frees blocks on other threads for the first.
        for (int place = 0; place < 3; ++place) {
            const Mode mode = Mode((place + i) % 3);
            RemoveFolderTree(GetWorkingRoot());
            platform::CreateFolder(GetWorkingRoot());
            const QString folder = WorkingFolderOf(package, 0);
            platform::CreateFolder(folder);
            view.ClearEntries();
            MemberRecords records;
            JobParams params{&control, &view};
            params.memberRecords = mode == Mode::Records ? &records : nullptr;
            QElapsedTimer t;
            const double cpuStart = CpuMs();
            t.start();
            ScanPackage(package, &params);
            const double scanned = t.nsecsElapsed() / 1e6;
            ExtractEntries(folder, package, &params);
            // The repair looks at the kind of package either way.
            const bool presentation = DetectPackageKind(folder).presentation;
            if (params.memberRecords) records.presentation = presentation;
            const double extracted = t.nsecsElapsed() / 1e6;
            if (mode != Mode::Off) {
                const SalvageResult result =
                    SalvagePackage(package, folder, running, params.memberRecords);
                slides = result.slides == SalvageResult::Slides::Whole ? result.slidesKept : -1;
            }
            const double total = t.nsecsElapsed() / 1e6;
            const double cpu = CpuMs() - cpuStart;
            if (i == 0) continue;  // the first round fills the page cache
            Times& m = times[int(mode)];
            m.scan.push_back(scanned);
            m.extract.push_back(extracted);
            m.total.push_back(total);
            m.cpu.push_back(cpu);
        }
    }
    const double off = Median(times[0].total), offCpu = Median(times[0].cpu);
    const char* names[3] = {"off", "records", "re-read"};
    std::printf("%-8s %8s %6s %12s %6s %8s %6s %8s %6s\n", "", "scan ms", "/off", "+extract ms",
                "/off", "all ms", "/off", "cpu ms", "/off");
    for (int m = 0; m < 3; ++m) {
        const double scan = Median(times[m].scan), extract = Median(times[m].extract),
                     total = Median(times[m].total), cpu = Median(times[m].cpu);
        std::printf("%-8s %8.3f %6.3f %12.3f %6.3f %8.3f %6.3f %8.3f %6.3f\n", names[m], scan,
                    scan / Median(times[0].scan), extract, extract / Median(times[0].extract),
                    total, total / off, cpu, cpu / offCpu);
    }
    // The three runs of a round follow one another, so the difference within
    // a round is what changes least with the load of the machine.
    const auto paired = [&](int mode, std::vector<double> Times::*field) {
        std::vector<double> d;
        for (size_t i = 0; i < times[0].total.size(); ++i)
            d.push_back((times[mode].*field)[i] - (times[0].*field)[i]);
        return Median(d);
    };
    for (int m = 1; m < 3; ++m)
        std::printf(
            "%-8s adds %+.3f ms = %+.1f %% (cpu %+.1f %%) to the repair; the extraction "
            "%+.3f ms of it\n",
            names[m], paired(m, &Times::total), 100 * paired(m, &Times::total) / off,
            100 * paired(m, &Times::cpu) / offCpu, paired(m, &Times::extract));
    std::printf("medians of %d interleaved rounds; %d slides found whole\n", rounds, slides);
    RemoveFolderTree(GetWorkingRoot());
    return 0;
}
