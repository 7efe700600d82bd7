#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/files.h"
#include "recovery/salvage/byte_range.h"
#include "recovery/salvage/partial_inflate.h"
#include "recovery/salvage/recorded_check.h"

// The deeper searches the salvage runner hands damaged members and
// unclaimed bytes to. Each is optional: an empty one is skipped.

// A damaged Deflate member as the runner found it.
struct DamagedStream {
    QString name;            // member name, "/" between levels
    int64_t dataOffset = 0;  // the first byte of its data
    int64_t dataEnd = 0;  // no byte of it lies at or past this (next local header or end of file)
    // Input bytes, from dataOffset, that inflated before the stream broke or
    // ran out, and the bytes they gave.
    int64_t goodInput = 0;
    uint64_t goodOutput = 0;
    RecordedCheck recorded;  // what its header or descriptor recorded
};

// A member found in unclaimed bytes: one whose local header is damaged, or a
// Deflate stream whose header is gone, named by its document element.
struct FoundMember {
    QString name;            // "content.xml", "styles.xml", "META-INF/manifest.xml", ...
    uint16_t method = 8;     // 8 Deflate, 0 stored
    int64_t dataOffset = 0;  // its first data byte
    int64_t dataEnd = 0;     // no byte of it at or past this
    RecordedCheck recorded;  // uncompressed length and CRC-32, where known
};

// What a resync found past the damage of a Deflate member.
struct LaterRuns {
    QList<QByteArray> runs;  // text decoded with no unknown byte, in file order
    // -1, or: the member's decoded bytes are to be trusted only before this
    // offset (a zeroed stretch the inflater decoded through without failing).
    int64_t prefixEnd = -1;
};

struct SalvageSteps {
    // Single-bit correction of a damaged XML member whose size and CRC-32
    // are known. Hands the whole corrected member to `sink` and returns true
    // only when it then inflates to `size` bytes with `crc`; otherwise
    // returns false (what went to the sink is then thrown away). Bounded in
    // time and ends at once when `keepRunning` answers false.
    std::function<bool(const platform::ReadOnlyFile& package, const DamagedStream& member,
                       const std::function<bool()>& keepRunning, const ByteSink& sink)>
        repairBit;

    // After the damage in a Deflate member: the later runs of its text that
    // decoded with no unknown byte, in file order (see WholeSlidesOf), and
    // where the trusted prefix ends. Called for a damaged content.xml whose
    // stream broke, ran out, or ended with the wrong length or CRC-32.
    std::function<LaterRuns(const platform::ReadOnlyFile& package, const DamagedStream& member,
                            const std::function<bool()>& keepRunning)>
        resync;

    // Members in the bytes no recovered member covers, in file order.
    std::function<std::vector<FoundMember>(const platform::ReadOnlyFile& package,
                                           const std::vector<ByteRange>& unclaimed,
                                           const std::function<bool()>& keepRunning)>
        findOrphans;
};

// The steps the Repair job uses: the place where the deeper searches are
// plugged in.
SalvageSteps DefaultSalvageSteps();

// Damaged XML members up to this many compressed bytes are offered to repairBit.
constexpr int64_t kMaxBitRepairInput = int64_t(4) << 20;
