// Times the entry scanner on one package from the page cache against the
// floor, a plain memchr pass over the same file mapped into memory, and how
// soon it notices a stop. Usage: scan_bench <package> [rounds] [floor]
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "recovery/basic_job_view.h"
#include "recovery/entry_scanner.h"

namespace {

// A view that keeps only the entries and the messages; the log and the
// controls go nowhere.
class EntryCountingView : public BasicJobView {
public:
    QStringList messages;

    int ShowMessage(const QString& text, int style, bool ownedByView) override {
        messages << text;
        return BasicJobView::ShowMessage(text, style, ownedByView);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The floor: every "P" of the mapped file found with memchr, which is the
// first thing the scanner asks of each byte. Returns the seconds taken and
// the count (so the pass cannot be left out).
double MemchrPass(const QString& path, long* found) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) return -1;
    const size_t size = size_t(QFileInfo(path).size());
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return -1;
    QElapsedTimer timer;
    timer.start();
    const char* p = static_cast<const char*>(map);
    const char* end = p + size;
    long count = 0;
    while (const void* hit = std::memchr(p, 'P', size_t(end - p))) {
        ++count;
        p = static_cast<const char*>(hit) + 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    ::munmap(map, size);
    *found = count;
    return seconds;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: scan_bench <package> [rounds]\n";
        return 2;
    }
    const QString path = args[1];
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;
    // The floor maps the whole file, which would count in the peak memory of
    // the run: it is timed only when asked for.
    const bool withFloor = args.size() > 3 && args[3] == "floor";
    const double bytes = double(QFileInfo(path).size());

    JobControl control;
    EntryCountingView view;
    JobParams params{&control, &view};

    // Rounds of the scanner and of the floor interleaved, so both meet the
    // same load; the page cache holds the file after the first.
    double best = 1e30;
    std::vector<double> scans, floors;
    long found = 0;
    for (int i = 0; i < rounds; ++i) {
        view.ClearEntries();
        control.SetProcessRunning(1);
        QElapsedTimer timer;
        timer.start();
        if (ScanPackage(path, &params) == 0) {
            QTextStream(stderr) << "cannot open " << path << ": " << view.messages.join(' ')
                                << '\n';
            return 1;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        best = std::min(best, seconds);
        scans.push_back(seconds);
        if (withFloor) floors.push_back(MemchrPass(path, &found));
    }
    out << "entries " << view.Entries().size() << '\n';
    for (const EntryInfo& e : view.Entries())
        out << "  " << e.name << " " << e.compressedSize << " " << e.uncompressedSize << " @"
            << e.dataOffset << '\n';
    out << "bytes " << qint64(bytes) << '\n';
    out << "seconds " << QString::number(best, 'f', 4) << '\n';
    out << "GB/s " << QString::number(bytes / best / 1e9, 'f', 2) << '\n';
    const double scan = Median(scans);
    out << "median-seconds " << QString::number(scan, 'f', 4) << '\n';
    if (withFloor) {
        const double floor = Median(floors);
        out << "memchr-median-seconds " << QString::number(floor, 'f', 4) << " (" << found
            << " P bytes)\n";
        out << "memchr-GB/s " << QString::number(bytes / floor / 1e9, 'f', 2) << '\n';
        out << "scan-over-memchr " << QString::number(scan / floor, 'f', 2) << '\n';
    }

    // How soon a stop is seen: clear the flag while a scan runs, time the rest.
    double worstStop = 0;
    for (int i = 0; i < rounds; ++i) {
        control.SetProcessRunning(1);
        QElapsedTimer sinceStop;
        std::thread scanner([&] { ScanPackage(path, &params); });
        std::this_thread::sleep_for(std::chrono::microseconds(int(best * 1e6 / 3)));
        sinceStop.start();
        control.SetProcessRunning(0);
        scanner.join();
        worstStop = std::max(worstStop, sinceStop.nsecsElapsed() / 1e6);
    }
    out << "stop-latency-ms " << QString::number(worstStop, 'f', 3) << '\n';
    return 0;
}
