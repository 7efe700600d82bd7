#include "recovery/salvage/gap_alignment.h"

#include <algorithm>

namespace salvage {

namespace {

constexpr int64_t kWindowBytes = 32768;
// Deflate's longest copy: one this long may have been cut short by the limit.
constexpr int kMaxCopy = 258;
// The counts tried around the recorded one.
constexpr int64_t kReach = 512;
// Fewer checked copies than this are no evidence either way.
constexpr int kMinChecked = 64;

bool LastBlockBit(const unsigned char* data, size_t size, int64_t bit) {
    return bit < int64_t(size) * 8 && ((data[bit >> 3] >> (bit & 7)) & 1);
}

}  // namespace

SymbolRun SymbolsFrom(const unsigned char* data, size_t size, const BlockCodes* codes, int64_t bit,
                      int64_t outputLimit) {
    SymbolRun run;
    BlockCodes current;
    const BlockCodes* block = codes;
    while (run.output < outputLimit) {
        if (!block) {
            const bool last = LastBlockBit(data, size, bit);
            int64_t dataByte = 0, length = 0;
            if (ReadStoredHeader(data, size, bit, &dataByte, &length)) {
                if (dataByte + length > int64_t(size)) return {};
                for (int64_t i = 0; i < length; ++i) run.symbols.push_back({0, data[dataByte + i]});
                run.symbols.push_back({-1, 0});
                run.output += length;
                bit = (dataByte + length) * 8;
                if (last) break;
                continue;
            }
            int64_t dataBit = 0;
            if (!current.Read(data, size, bit, &dataBit)) return {};
            block = &current;
            bit = dataBit;
        }
        int length = 0, distance = 0;
        const int symbol = block->Next(data, size, &bit, &length, &distance);
        if (symbol < 0) return {};
        if (symbol == 256) {
            run.symbols.push_back({-1, 0});
            if (block->Last()) break;
            block = nullptr;
        } else if (symbol < 256) {
            run.symbols.push_back({0, symbol});
            ++run.output;
        } else {
            run.symbols.push_back({length, distance});
            run.output += length;
        }
    }
    return run;
}

AlignmentScore ScoreAlignment(const SymbolRun& run, const unsigned char* tail, size_t tailSize,
                              int64_t lost) {
    AlignmentScore score;
    if (lost < 0 || lost >= kWindowBytes) return score;
    // The window at the restart, then what the symbols give. A byte is
    // `early` when it comes from before the stretch, itself or by copies.
    const size_t start = size_t(kWindowBytes);
    std::vector<unsigned char> bytes(start + size_t(run.output), kUnknownByte);
    std::vector<bool> early(bytes.size(), false);
    const size_t known = std::min(tailSize, size_t(kWindowBytes - lost));
    const size_t from = start - size_t(lost) - known;
    std::copy(tail + tailSize - known, tail + tailSize, bytes.begin() + std::ptrdiff_t(from));
    std::fill(early.begin() + std::ptrdiff_t(from), early.begin() + std::ptrdiff_t(from + known),
              true);

    struct Placed {
        size_t at;
        int length;
        int distance;
    };
    std::vector<Placed> followed;  // copies that another symbol of their block follows
    size_t at = start;
    for (size_t i = 0; i < run.symbols.size(); ++i) {
        const SymbolRun::Symbol& s = run.symbols[i];
        if (s.length < 0) continue;
        if (s.length == 0) {
            bytes[at++] = (unsigned char)s.distance;
            continue;
        }
        if (s.distance > int64_t(at)) return AlignmentScore();
        for (int k = 0; k < s.length; ++k, ++at) {
            bytes[at] = bytes[at - size_t(s.distance)];
            early[at] = early[at - size_t(s.distance)];
        }
        if (s.length < kMaxCopy && i + 1 < run.symbols.size() && run.symbols[i + 1].length >= 0)
            followed.push_back({at - size_t(s.length), s.length, s.distance});
    }
    for (const Placed& c : followed) {
        const size_t next = c.at + size_t(c.length);
        const size_t sourceNext = next - size_t(c.distance);
        if (next >= bytes.size() || bytes[next] == kUnknownByte ||
            bytes[sourceNext] == kUnknownByte || !(early[next] || early[sourceNext]))
            continue;
        ++score.checked;
        if (bytes[next] == bytes[sourceNext]) ++score.contradict;
    }
    return score;
}

bool AlignmentHoldsUp(const SymbolRun& run, const unsigned char* tail, size_t tailSize,
                      int64_t lost, const std::function<bool()>& keepRunning) {
    const AlignmentScore own = ScoreAlignment(run, tail, tailSize, lost);
    // At most one copy in two hundred against it (an encoder that copies
    // as much as matches gives none)...
    if (own.checked < kMinChecked || int64_t(own.contradict) * 200 > own.checked) return false;
    // ... and at least one in a hundred against every other count: a wrong
    // count reads other bytes, which go on like the copy about one time in
    // fifty in text.
    for (int64_t other = std::max<int64_t>(0, lost - kReach); other <= lost + kReach; ++other) {
        if (other == lost) continue;
        if ((other & 63) == 0 && !keepRunning()) return false;
        const AlignmentScore s = ScoreAlignment(run, tail, tailSize, other);
        if (s.checked >= kMinChecked && int64_t(s.contradict) * 100 < s.checked) return false;
    }
    return true;
}

}  // namespace salvage
