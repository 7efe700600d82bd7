#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// Decoding a raw Deflate stream again past a damaged region.
//
// Where the damage is a run of zeroed bytes, decoding picks up again right
// after it, inside the damaged block: the block's codes are known from its
// header, and a Huffman code falls back into step by itself within a few
// symbols, so decoding from every bit of a short stretch after the damage
// shows where the true symbols begin. Past any other damage, every later
// block starts with a header of its own: the search tries every bit after the
// start of the damaged block for a header that checks out and then decodes to
// text for a good distance. Either way decoding goes on with a window of
// unknown bytes, since the history the later bytes refer to is gone; a byte
// copied from that history is unknown, everything else decoded is kept.

struct ResyncLimits {
    // Never more output than this (nor more than the input could give).
    int64_t maxOutputBytes = int64_t(256) << 20;
    std::chrono::milliseconds timeBudget{4000};
};

struct ResyncResult {
    // The bytes decoded past the damage with no unknown byte among them, in
    // stream order; each run may begin and end in the middle of an element.
    std::vector<QByteArray> laterRuns;
    int restarts = 0;  // places where decoding started again
    // Decoded bytes before this offset came before the damage; a prefix kept
    // of the damaged decoding must end here, since what that decoding gave
    // later may already be wrong even where it looks right. -1 when no
    // zeroed stretch was seen.
    int64_t damageOutput = -1;
    // -1, or: the later runs were decoded knowing that the lost stretch gave
    // this many bytes (from the recorded length), so copies that reach past
    // it into the bytes before the damage are known.
    int64_t lostOutput = -1;
    bool stopped = false;  // the stop request or the time budget ended it
};

// `compressed` holds the member's raw Deflate bytes. `damagedOutput` is the
// offset of the first decoded byte that is not trusted (where inflate failed,
// or where the decoded text first went wrong, whichever comes first); the
// search starts just after the header of the block that produced it.
// `keepRunning` is asked all along; when it answers false the result holds
// what was found so far. `recordedSize` is the member's recorded uncompressed
// length, or -1: past a single zeroed stretch, with decoding picked up again
// right to the stream's end, it tells how many bytes the stretch gave, which
// is used once the copies bear it out.
ResyncResult ResyncAfterDamage(const QByteArray& compressed, int64_t damagedOutput,
                               const ResyncLimits& limits, const std::function<bool()>& keepRunning,
                               int64_t recordedSize = -1);
