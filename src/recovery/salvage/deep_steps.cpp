#include "recovery/salvage/deep_steps.h"

#include <zlib.h>

#include <QXmlStreamReader>
#include <algorithm>

#include "recovery/salvage/bit_repair.h"
#include "recovery/salvage/deflate_bits.h"
#include "recovery/salvage/deflate_resync.h"
#include "recovery/salvage/orphan_search.h"
#include "recovery/salvage/xml_prefix.h"

namespace {

// Compressed members above this are not read into memory for the searches.
constexpr int64_t kMaxSearchedInput = int64_t(64) << 20;
// Decoded text above this is not parsed to find where it went wrong.
constexpr int64_t kMaxParsedOutput = int64_t(64) << 20;

// The member's compressed bytes, as many as the package holds (and no more
// than the searches take).
QByteArray ReadData(const platform::ReadOnlyFile& package, const DamagedStream& member) {
    const int64_t end = std::min<int64_t>(member.dataEnd, package.Size());
    const int64_t count = std::clamp<int64_t>(end - member.dataOffset, 0, kMaxSearchedInput);
    QByteArray data(int(count), '\0');
    const int64_t got = count > 0 ? package.ReadAt(member.dataOffset, data.data(), count) : 0;
    data.resize(int(std::max<int64_t>(got, 0)));
    return data;
}

struct Fault {
    // The offset of the first decoded byte known to be wrong: where inflating
    // stopped with an error, or where the text it gave stops being
    // well-formed XML, whichever comes first; -1 when neither shows.
    int64_t at = -1;
    bool cut = false;        // the bytes ran out before the stream ended
    int64_t streamEnd = -1;  // where the stream ended properly, if it did
    int64_t inputRead = 0;   // input bytes inflate took before it stopped
};

Fault FirstFault(const QByteArray& compressed, const DamagedStream& member,
                 const std::function<bool()>& keepRunning) {
    Fault fault;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return fault;
    const int64_t limit = std::min<int64_t>(
        kMaxParsedOutput,
        member.recorded.sizeKnown ? int64_t(member.recorded.size) + 1 : kMaxParsedOutput);
    QByteArray text;
    char chunk[64 * 1024];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    z.avail_in = uInt(compressed.size());
    int r = Z_OK;
    while (r == Z_OK && text.size() < limit && keepRunning()) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = uInt(std::min<int64_t>(sizeof chunk, limit - text.size()));
        r = inflate(&z, Z_NO_FLUSH);
        text.append(chunk, int(reinterpret_cast<char*>(z.next_out) - chunk));
    }
    const bool broke = r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR;
    fault.cut = r == Z_BUF_ERROR && z.avail_in == 0;
    // A stream that gives more than was recorded may still end properly
    // further on: where it ends, the bytes that follow it (a descriptor, the
    // next members) are none of it.
    for (int64_t more = 0; r == Z_OK && more < kMaxParsedOutput && keepRunning();) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = uInt(sizeof chunk);
        r = inflate(&z, Z_NO_FLUSH);
        more += int64_t(reinterpret_cast<char*>(z.next_out) - chunk);
    }
    if (r == Z_STREAM_END) fault.streamEnd = int64_t(z.total_in);
    fault.inputRead = int64_t(z.total_in);
    inflateEnd(&z);

    // A byte that cannot be XML text in UTF-8 is a fault of its own; the XML
    // reader would only say that the text is wrongly encoded, not where.
    int64_t textEnd = 0;
    salvage::TextCheck check;
    int64_t known = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    while (textEnd < text.size() && check.Feed(bytes + textEnd, 1, &known)) ++textEnd;

    QXmlStreamReader xml(QByteArray::fromRawData(text.constData(), int(textEnd)));
    while (!xml.atEnd() && keepRunning()) xml.readNext();
    fault.at = broke || textEnd < text.size() ? textEnd : -1;
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        const int64_t at = Utf8BytesForUnits(text.constData(), textEnd, xml.characterOffset());
        fault.at = fault.at < 0 ? at : std::min(fault.at, at);
    }
    return fault;
}

// A stretch of zero bytes this long is no flipped bit, and no Deflate data.
bool HasZeroedStretch(const QByteArray& data) {
    return data.contains(QByteArray(8, '\0'));
}

bool RepairBit(const platform::ReadOnlyFile& package, const DamagedStream& member,
               const std::function<bool()>& keepRunning, const ByteSink& sink) {
    const RecordedCheck& recorded = member.recorded;
    if (!recorded.Complete() || recorded.size > UINT32_MAX) return false;
    QByteArray compressed = ReadData(package, member);
    const Fault fault = FirstFault(compressed, member, keepRunning);
    // What follows the end of the stream (a descriptor, the central
    // directory) is none of it.
    if (fault.streamEnd >= 0) compressed.truncate(int(fault.streamEnd));
    // A cut or a zeroed stretch is no flipped bit: the time goes to the resync.
    // Only a zeroed stretch inflate went through counts: the bytes after the
    // place where a broken stream stopped (a descriptor, the central
    // directory) are none of its data.
    if (fault.cut || HasZeroedStretch(compressed.left(int(fault.inputRead) + 8))) return false;
    const BitRepairResult result =
        RepairFlippedBit(compressed, uint32_t(recorded.size), recorded.crc, fault.at,
                         BitRepairLimits(), keepRunning);
    if (result.outcome != BitRepairResult::Outcome::Repaired) return false;
    return sink(result.content.constData(), result.content.size());
}

LaterRuns Resync(const platform::ReadOnlyFile& package, const DamagedStream& member,
                 const std::function<bool()>& keepRunning) {
    QByteArray compressed = ReadData(package, member);
    int64_t damaged = int64_t(member.goodOutput);
    const Fault fault = FirstFault(compressed, member, keepRunning);
    if (fault.streamEnd >= 0) compressed.truncate(int(fault.streamEnd));
    if (fault.at >= 0) damaged = std::min(damaged, fault.at);
    const ResyncResult result =
        ResyncAfterDamage(compressed, damaged, ResyncLimits(), keepRunning,
                          member.recorded.sizeKnown ? int64_t(member.recorded.size) : -1);
    LaterRuns later;
    later.prefixEnd = result.damageOutput;
    for (const QByteArray& run : result.laterRuns) later.runs << run;
    return later;
}

std::vector<FoundMember> FindOrphans(const platform::ReadOnlyFile& package,
                                     const std::vector<ByteRange>& unclaimed,
                                     const std::function<bool()>& keepRunning) {
    std::vector<FoundMember> found;
    // The runner leaves out names it holds whole already.
    for (const OrphanMember& m : FindOrphanMembers(package, unclaimed, {}, keepRunning)) {
        FoundMember f;
        f.name = m.name;
        f.method = m.method;
        f.dataOffset = m.dataOffset;
        f.dataEnd = m.dataEnd;
        f.recorded = m.recorded;
        found.push_back(f);
    }
    return found;
}

}  // namespace

void AddDeepSalvageSteps(SalvageSteps& steps) {
    steps.repairBit = RepairBit;
    steps.resync = Resync;
    steps.findOrphans = FindOrphans;
}
