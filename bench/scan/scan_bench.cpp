// Times the entry scanner on one package from the page cache, and how soon
// it notices a stop. Usage: scan_bench <package> [rounds]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <thread>

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
    const double bytes = double(QFileInfo(path).size());

    JobControl control;
    EntryCountingView view;
    JobParams params{&control, &view};

    // Best of several rounds: the page cache holds the file after the first.
    double best = 1e30;
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
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    out << "entries " << view.Entries().size() << '\n';
    for (const EntryInfo& e : view.Entries())
        out << "  " << e.name << " " << e.compressedSize << " " << e.uncompressedSize << " @"
            << e.dataOffset << '\n';
    out << "bytes " << qint64(bytes) << '\n';
    out << "seconds " << QString::number(best, 'f', 4) << '\n';
    out << "GB/s " << QString::number(bytes / best / 1e9, 'f', 2) << '\n';

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
