#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <functional>

// Putting right one flipped bit in a damaged Deflate member.
//
// A single bit that went wrong on a disk or in a transfer spoils a member
// whose every other byte is fine. The member's header still tells how long it
// is and what its CRC-32 is, so a correction can be proved: the bit is put
// right only when the whole member then inflates to exactly that length with
// exactly that CRC-32.

struct BitRepairLimits {
    // Members above these sizes are not tried.
    int64_t maxCompressedBytes = int64_t(8) << 20;
    int64_t maxUncompressedBytes = int64_t(64) << 20;
    std::chrono::milliseconds timeBudget{2000};
};

struct BitRepairResult {
    enum class Outcome {
        Repaired,      // one bit put right; `content` holds the member
        AlreadyWhole,  // nothing to put right: the member inflates and checks out as it is
        NotFound,      // no single bit puts it right
        OutOfTime,     // the time budget ended the search
        Stopped,       // the stop request ended the search
        TooLarge,      // above the size limits, not tried
    };
    Outcome outcome = Outcome::NotFound;
    int64_t bit = -1;    // the bit put right, counted from the member's first data bit
    QByteArray content;  // the inflated member when Repaired or AlreadyWhole
    int64_t tried = 0;   // corrections tried
};

// Tries single-bit corrections of `compressed` (raw Deflate), searching back
// from where inflating first failed: a data error, output beyond
// `expectedSize`, an early end, or else `failedOutput` (the offset of the
// first decoded byte known to be wrong, e.g. where the XML stopped being
// well-formed; -1 when not known). `keepRunning` is asked before every try.
BitRepairResult RepairFlippedBit(const QByteArray& compressed, uint32_t expectedSize,
                                 uint32_t expectedCrc, int64_t failedOutput,
                                 const BitRepairLimits& limits,
                                 const std::function<bool()>& keepRunning);
