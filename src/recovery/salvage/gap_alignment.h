#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "recovery/salvage/deflate_bits.h"

// Lining up the history before a lost stretch of a Deflate stream with what
// decodes after it.
//
// Past a lost stretch, a copy that reaches back further than what was
// decoded since the restart lands in the lost stretch or in the known bytes
// before it; which of the two, and where, depends on how many bytes the lost
// stretch gave. When the member's length is recorded, that count follows from
// it. Before it is used, the count is checked against the stream itself: an
// encoder copies as much as matches, so the byte after a copied string
// differs from the byte after its source. With the right count that holds for
// the copies whose bytes come from before the stretch; with a count a few
// bytes off, their sources are other bytes and many copies break it.

namespace salvage {

// The symbols decoded after a restart, as far as they were read.
struct SymbolRun {
    struct Symbol {
        int length;    // 0 for a literal, -1 for the end of a block, else a copy
        int distance;  // the literal's value for a literal
    };
    std::vector<Symbol> symbols;
    int64_t output = 0;  // bytes they give
};

// Decodes the symbols from `bit` on (inside a block whose codes are `codes`,
// or, when `codes` is null, at the header of a block) through the blocks that
// follow, until they give `outputLimit` bytes or the stream ends. A stored
// block counts as literals between two block ends. Empty when the bits do not
// decode.
SymbolRun SymbolsFrom(const unsigned char* data, size_t size, const BlockCodes* codes, int64_t bit,
                      int64_t outputLimit);

// How the copies keep to the known history when the lost stretch gave
// `lost` bytes. `tail` holds the last `tailSize` bytes decoded before the lost
// stretch. Only copies whose next byte or whose source's next byte come from
// before the stretch are checked.
struct AlignmentScore {
    int checked = 0;
    int contradict = 0;  // copies whose source goes on with the byte that follows them
};
AlignmentScore ScoreAlignment(const SymbolRun& run, const unsigned char* tail, size_t tailSize,
                              int64_t lost);

// True when `lost` is borne out and no other count near it is: enough copies
// are checked against it and hardly any breaks it, while every other count
// within reach that is checked as much is broken clearly.
// False as well once `keepRunning` answers false.
bool AlignmentHoldsUp(const SymbolRun& run, const unsigned char* tail, size_t tailSize,
                      int64_t lost, const std::function<bool()>& keepRunning);

}  // namespace salvage
