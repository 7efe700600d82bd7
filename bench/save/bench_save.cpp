// Times the folder packer, with its helper threads and on one thread, against
// `zip -r -8` on the same presentation folder, side by side in one run, checks
// that both packages are the same bytes, and shows that the packer's memory does not grow
// with the size of a member.
//
//   pelmark_bench_save [ROUNDS]         the comparison (default 5 rounds)
//   pelmark_bench_save --pack DIR OUT   pack one folder, print the peak memory in KiB

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "packaging/folder_packer.h"
#include "packaging/member_pipeline.h"
#include "sample_presentation.h"

namespace {

long PeakMemoryKiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString LoadAverage() {
    QFile f("/proc/loadavg");
    if (!f.open(QIODevice::ReadOnly)) return "unknown";
    return QString::fromLatin1(f.readAll()).section(' ', 0, 2);
}

// CPU seconds (user and system) used so far by this process, all threads,
// or by the children waited for.
double CpuSeconds(int who) {
    struct rusage usage;
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double TimePacker(const QString& folder, const QString& package, int helpers) {
    QElapsedTimer timer;
    timer.start();
    FolderPacker packer;
    packer.SetHelperThreads(helpers);
    if (!packer.PackFolder(folder, package))
        qFatal("packing failed: %s", qPrintable(packer.LastError()));
    return timer.nsecsElapsed() / 1e6;
}

double TimeZip(const QString& zip, const QString& folder, const QString& archive) {
    QFile::remove(archive);  // zip would otherwise update the old archive
    QElapsedTimer timer;
    timer.start();
    QProcess run;
    run.setWorkingDirectory(folder);
    run.start(zip, {"-r", "-8", "-q", archive, "."});
    if (!run.waitForFinished(600000) || run.exitCode() != 0) qFatal("zip failed");
    return timer.nsecsElapsed() / 1e6;
}

// Peak memory of a child process that packs `folder`.
long ChildPeakKiB(const QString& self, const QString& folder, const QString& package) {
    QProcess run;
    run.start(self, {"--pack", folder, package});
    if (!run.waitForFinished(600000) || run.exitCode() != 0) qFatal("the packing child failed");
    return run.readAllStandardOutput().trimmed().toLong();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--pack") {
        FolderPacker packer;
        if (!packer.PackFolder(args[2], args[3])) return 1;
        std::printf("%ld\n", PeakMemoryKiB());
        return 0;
    }
    const int rounds = args.size() > 1 ? std::max(1, args[1].toInt()) : 5;
    const QString zip = QStandardPaths::findExecutable("zip");
    if (zip.isEmpty()) {
        std::fprintf(stderr, "zip is not installed\n");
        return 2;
    }

    QTemporaryDir tmp;
    const QString folder = tmp.path() + "/work";
    const QString out = tmp.path() + "/out";
    QDir().mkpath(out);
    const int64_t bytes = WriteSamplePresentation(folder, int64_t(28) << 20);
    std::printf("presentation folder: %.1f MB (JPEG pictures and XML)\n", bytes / 1048576.0);

    const QString package = out + "/TORVEX_sample.odp";
    const QString archive = out + "/zip.zip";
    // The packer with its helper threads (one per core) and with none, and
    // zip, round after round, so all three meet the same load.
    const int helpers = MemberPipeline::DefaultHelperThreads();
    const QString single = out + "/TORVEX_single.odp";
    TimePacker(folder, package, helpers);  // warm the page cache for all
    TimePacker(folder, single, 0);
    TimeZip(zip, folder, archive);
    // CPU time as well: on a machine shared with other work the wall-clock
    // ratio shows how much of the cores each side got, the CPU ratio how much
    // work each side does.
    std::vector<double> packer, alone, zipper, packerCpu, zipCpu;
    for (int i = 0; i < rounds; ++i) {
        double cpu = CpuSeconds(RUSAGE_SELF);
        packer.push_back(TimePacker(folder, package, helpers));
        packerCpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu);
        alone.push_back(TimePacker(folder, single, 0));
        cpu = CpuSeconds(RUSAGE_CHILDREN);
        zipper.push_back(TimeZip(zip, folder, archive));
        zipCpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpu);
    }
    const double p = Median(packer), one = Median(alone), z = Median(zipper);
    QFile a(package), b(single);
    a.open(QIODevice::ReadOnly);
    b.open(QIODevice::ReadOnly);
    const bool same = a.readAll() == b.readAll();
    std::printf("PackFolder, %d helpers  median %8.1f ms  package %.2f MB\n", helpers, p,
                QFileInfo(package).size() / 1048576.0);
    std::printf("PackFolder, one thread  median %8.1f ms  %s\n", one,
                same ? "the same bytes" : "DIFFERENT BYTES");
    std::printf("zip -r -8               median %8.1f ms  archive %.2f MB\n", z,
                QFileInfo(archive).size() / 1048576.0);
    std::printf(
        "ratio PackFolder / zip: %.2f with helpers (target: at most 0.60), %.2f on one "
        "thread; %d rounds, load %s\n",
        p / z, one / z, rounds, qPrintable(LoadAverage()));
    std::printf("CPU time, median: PackFolder %.0f ms, zip %.0f ms, ratio %.2f\n",
                Median(packerCpu) * 1e3, Median(zipCpu) * 1e3, Median(packerCpu) / Median(zipCpu));

    // One member of 200 MB against the whole presentation: the peak stays put.
    const QString big = tmp.path() + "/big";
    QDir().mkpath(big);
    {
        QFile f(big + "/slides.bin");
        f.open(QIODevice::WriteOnly);
        QByteArray block(1 << 20, Qt::Uninitialized);
        quint32 x = 12345;
        for (int i = 0; i < 200; ++i) {
            for (char& c : block) {
                x = x * 1664525u + 1013904223u;
                c = char(x >> 24);
            }
            f.write(block);
        }
    }
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("peak memory packing the presentation: %ld KiB\n",
                ChildPeakKiB(self, folder, out + "/a.odp"));
    std::printf("peak memory packing one 200 MB member: %ld KiB\n",
                ChildPeakKiB(self, big, out + "/b.odp"));
    return same && p <= 0.6 * z ? 0 : 1;
}
