// The cost of the deep salvage searches. Usage:
//   salvage_bench scan <package> [rounds]   the scan alone, and the lost-header
//                                           search over the bytes it leaves
//   salvage_bench bits [slides]             single-bit repair: time per member
//   salvage_bench resync [slides]           slides kept past a zeroed stretch
//   salvage_bench repair <package> [rounds] an intact package: scan and
//                                           extraction, then salvage with and
//                                           without the lost-header search
#include <zlib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <random>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/salvage/bit_repair.h"
#include "recovery/salvage/deflate_resync.h"
#include "recovery/salvage/orphan_search.h"
#include "recovery/salvage/salvage_runner.h"
#include "support/deck_xml.h"
#include "support/package_builder.h"

namespace {

const auto kRun = [] { return true; };

int Scan(const QString& path, int rounds, QTextStream& out) {
    platform::ReadOnlyFile file;
    if (file.Open(path) != 0) return 1;
    double scanBest = 1e30, orphanBest = 1e30;
    size_t found = 0;
    int64_t unclaimedBytes = 0;
    for (int i = 0; i < rounds; ++i) {
        std::vector<ByteRange> free;
        int64_t at = 0;
        QElapsedTimer timer;
        timer.start();
        WalkEntries(file, kRun, [&](const EntryInfo& entry) {
            // The header lies before the data; its name is the entry's.
            const int64_t header = int64_t(entry.dataOffset) - 30 - entry.name.size();
            if (header > at) free.push_back({at, header});
            at = std::max<int64_t>(at, int64_t(entry.dataOffset) + entry.compressedSize);
        });
        if (at < file.Size()) free.push_back({at, file.Size()});
        scanBest = std::min(scanBest, timer.nsecsElapsed() / 1e9);
        timer.restart();
        found = FindOrphanMembers(file, free, {}, kRun).size();
        orphanBest = std::min(orphanBest, timer.nsecsElapsed() / 1e9);
        unclaimedBytes = 0;
        for (const ByteRange& r : free) unclaimedBytes += r.end - r.begin;
    }
    out << "file " << file.Size() << " bytes, unclaimed " << unclaimedBytes << " bytes\n";
    out << "scan " << scanBest * 1e3 << " ms, lost-header search " << orphanBest * 1e3 << " ms ("
        << 100.0 * orphanBest / scanBest << " % of the scan), found " << found << "\n";
    return 0;
}

int Bits(int slides, QTextStream& out) {
    const QByteArray xml = DeckContentXml(slides);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    const uint32_t crc = PackageBuilder::Crc32(xml);
    std::mt19937 random(3);
    double total = 0, worst = 0;
    int repaired = 0, tries = 20;
    int64_t tried = 0;
    for (int i = 0; i < tries; ++i) {
        const int64_t bit = int64_t(random() % uint32_t(packed.size() * 8));
        QByteArray damaged = packed;
        damaged[int(bit >> 3)] = char(damaged[int(bit >> 3)] ^ (1 << (bit & 7)));
        QElapsedTimer timer;
        timer.start();
        const BitRepairResult r =
            RepairFlippedBit(damaged, uint32_t(xml.size()), crc, -1, {}, kRun);
        const double s = timer.nsecsElapsed() / 1e9;
        total += s;
        worst = std::max(worst, s);
        tried += r.tried;
        repaired += r.outcome == BitRepairResult::Outcome::Repaired && r.content == xml;
    }
    out << slides << " slides, " << xml.size() << " bytes (" << packed.size()
        << " compressed): " << repaired << " of " << tries << " flips put right, "
        << total / tries * 1e3 << " ms a member on average, worst " << worst * 1e3 << " ms, "
        << tried / tries << " bits tried on average\n";
    return 0;
}

int Resync(int slides, QTextStream& out) {
    const QByteArray xml = DeckContentXml(slides);
    for (const int per : {0, 10, 1}) {
        QByteArray packed = DeflateFlushingEvery(xml, per);
        const int start = packed.size() / 2;
        for (int i = 0; i < 2048 && start + i < packed.size(); ++i) packed[start + i] = '\0';
        QElapsedTimer timer;
        timer.start();
        const ResyncResult r = ResyncAfterDamage(packed, xml.size(), {}, kRun);
        const double ms = timer.nsecsElapsed() / 1e6;
        int later = 0;
        for (const QByteArray& run : r.laterRuns) later += WholePages(run);
        const int before = r.damageOutput >= 0 ? WholePages(xml.left(int(r.damageOutput))) : 0;
        out << slides << " slides, flush " << (per ? QString("every %1").arg(per) : "never")
            << ", 2048 zeroed bytes mid-stream: " << before << " before the damage + " << later
            << " later = " << 100.0 * (before + later) / slides << " %, " << ms << " ms\n";
    }
    return 0;
}

int Repair(const QString& path, int rounds, QTextStream& out) {
    const QString folder = QDir::tempPath() + "/salvage_bench_work";
    double extractBest = 1e30, withBest = 1e30, withoutBest = 1e30;
    SalvageSteps without = DefaultSalvageSteps();
    without.findOrphans = nullptr;
    for (int i = 0; i < rounds; ++i) {
        QDir(folder).removeRecursively();
        platform::CreateFolder(folder);
        QElapsedTimer timer;
        timer.start();
        platform::ReadOnlyFile file;
        if (file.Open(path) != 0) return 1;
        std::vector<EntryInfo> entries;
        WalkEntries(file, kRun, [&](const EntryInfo& e) { entries.push_back(e); });
        for (const EntryInfo& e : entries) {
            QString output = e.name;
            CreateEntryFolders(folder, output, nullptr);
            ExtractEntry(e, folder, path, output);
        }
        extractBest = std::min(extractBest, timer.nsecsElapsed() / 1e9);
        // Both ways, in turn first, so the page cache favours neither.
        for (int k = 0; k < 2; ++k) {
            const bool withSearch = (i + k) % 2 == 0;
            timer.restart();
            SalvagePackage(path, folder, kRun, withSearch ? DefaultSalvageSteps() : without);
            double& best = withSearch ? withBest : withoutBest;
            best = std::min(best, timer.nsecsElapsed() / 1e9);
        }
    }
    QDir(folder).removeRecursively();
    const double base = extractBest + withoutBest;
    out << "scan+extract " << extractBest * 1e3 << " ms, salvage " << withoutBest * 1e3
        << " ms without / " << withBest * 1e3 << " ms with the lost-header search: +"
        << 100.0 * (withBest - withoutBest) / base << " % of the repair\n";
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const QString what = args.value(1);
    if (what == "scan" && args.size() > 2)
        return Scan(args[2], std::max(1, args.value(3, "5").toInt()), out);
    if (what == "bits") return Bits(std::max(1, args.value(2, "100").toInt()), out);
    if (what == "repair" && args.size() > 2)
        return Repair(args[2], std::max(1, args.value(3, "5").toInt()), out);
    if (what == "resync") return Resync(std::max(1, args.value(2, "100").toInt()), out);
    QTextStream(stderr)
        << "usage: salvage_bench scan <package> [rounds] | bits [slides] | resync [slides]\n";
    return 2;
}
