#include "recovery/salvage/crc_locate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <utility>

#include "recovery/crc32.h"
#include "recovery/salvage/deflate_bits.h"

namespace salvage {

namespace {

// One decoded symbol and where its bits and bytes are.
struct Symbol {
    int64_t startBit;
    int64_t endBit;
    int64_t output;  // its first byte
    int length;      // 0 for a literal, -1 for a byte of a stored block
    int value;       // the literal, or the copy's distance
    int block;       // index of its block's codes
};

// A flipped bit whose symbols are not back in step within this many is
// not looked at (the stream then rarely keeps its length).
constexpr int kSymbolsToFallInStep = 64;
constexpr int64_t kMaxChangedBytes = 64 * 1024;

using Columns = std::array<uint32_t, 8>;  // what flipping each bit of a byte does to the CRC

// The change to the CRC-32 of changing a byte by `e`, given that byte's columns.
uint32_t Effect(const Columns& c, unsigned e) {
    uint32_t r = 0;
    for (int b = 0; b < 8; ++b)
        if (e & (1u << b)) r ^= c[size_t(b)];
    return r;
}

// Decodes every symbol of the stream; false when it does not decode to the
// end or gives other than `size` bytes.
bool Walk(const unsigned char* data, size_t size, int64_t outputSize, std::vector<Symbol>* symbols,
          std::vector<BlockCodes>* blocks, std::vector<std::pair<int64_t, int64_t>>* blockEnds,
          const std::function<bool()>& keepRunning) {
    int64_t bit = 0, output = 0;
    for (;;) {
        if (!keepRunning()) return false;
        const bool last = bit < int64_t(size) * 8 && ((data[bit >> 3] >> (bit & 7)) & 1);
        int64_t dataByte = 0, length = 0;
        if (ReadStoredHeader(data, size, bit, &dataByte, &length)) {
            if (dataByte + length > int64_t(size)) return false;
            for (int64_t i = 0; i < length; ++i)
                symbols->push_back({(dataByte + i) * 8, (dataByte + i + 1) * 8, output++, -1,
                                    data[dataByte + i], -1});
            bit = (dataByte + length) * 8;
        } else {
            blocks->emplace_back();
            int64_t dataBit = 0;
            if (!blocks->back().Read(data, size, bit, &dataBit)) return false;
            bit = dataBit;
            const BlockCodes& codes = blocks->back();
            const int block = int(blocks->size() - 1);
            for (;;) {
                const int64_t start = bit;
                int length = 0, distance = 0;
                const int s = codes.Next(data, size, &bit, &length, &distance);
                if (s < 0 || output > outputSize) return false;
                if (s == 256) {
                    blockEnds->emplace_back(bit, output);  // where its end leaves the stream
                    break;
                }
                if (s < 256) {
                    symbols->push_back({start, bit, output++, 0, s, block});
                } else {
                    if (distance > output) return false;
                    symbols->push_back({start, bit, output, length, distance, block});
                    output += length;
                }
            }
        }
        if (last) break;
    }
    return output == outputSize;
}

// Decodes the flipped stream from the start of symbol `k` until its symbols
// are back where the stream's own are: the same bit, the same output offset.
// Returns that offset, with what the flipped symbols give from symbol `k`'s
// first byte in `changed`; -1 when they do not come back in step soon.
int64_t FallsBackInStep(const unsigned char* data, size_t size, const BlockCodes& codes,
                        const std::vector<Symbol>& symbols,
                        const std::pair<int64_t, int64_t>& blockEnd, size_t k,
                        const unsigned char* text, std::vector<unsigned char>* changed) {
    const int64_t first = symbols[k].output;
    int64_t bit = symbols[k].startBit;
    int64_t output = first;
    changed->clear();
    for (int count = 0; count < kSymbolsToFallInStep; ++count) {
        int length = 0, distance = 0;
        const int s = codes.Next(data, size, &bit, &length, &distance);
        if (s < 0) return -1;
        if (s == 256) return bit == blockEnd.first && output == blockEnd.second ? output : -1;
        if (s < 256) {
            changed->push_back((unsigned char)s);
            ++output;
        } else {
            if (distance > output || output - first + length > kMaxChangedBytes) return -1;
            for (int i = 0; i < length; ++i, ++output) {
                const int64_t from = output - distance;
                changed->push_back(from < first ? text[from] : (*changed)[size_t(from - first)]);
            }
        }
        const auto next =
            std::lower_bound(symbols.begin() + std::ptrdiff_t(k) + 1, symbols.end(), bit,
                             [](const Symbol& sym, int64_t b) { return sym.startBit < b; });
        if (next != symbols.end() && next->startBit == bit && next->output == output &&
            next->block == symbols[k].block)
            return output;
        if (next == symbols.end() && bit == blockEnd.first && output == blockEnd.second)
            return output;
    }
    return -1;
}

}  // namespace

std::vector<int64_t> BitsThatGiveTheCrc(QByteArray compressed, const QByteArray& decoded,
                                        uint32_t expectedCrc, int64_t maxDecoded,
                                        const std::function<bool()>& keepRunning) {
    const int64_t n = decoded.size();
    if (n == 0 || n > maxDecoded) return {};
    auto* data = reinterpret_cast<unsigned char*>(compressed.data());
    const size_t size = size_t(compressed.size());
    const auto* text = reinterpret_cast<const unsigned char*>(decoded.constData());
    std::vector<Symbol> symbols;
    std::vector<BlockCodes> blocks;
    std::vector<std::pair<int64_t, int64_t>> blockEnds;
    if (!Walk(data, size, n, &symbols, &blocks, &blockEnds, keepRunning)) return {};

    // For every byte, what changing it does to the CRC-32 of the whole: its
    // own share, then the shares of every byte copied from it, and so on.
    const z_crc_t* table = get_crc_table();
    std::vector<Columns> effect(static_cast<size_t>(n));
    Columns shifted;
    for (int b = 0; b < 8; ++b) shifted[size_t(b)] = uint32_t(table[1u << b]);
    for (int64_t q = n - 1; q >= 0; --q) {
        effect[size_t(q)] = shifted;
        for (uint32_t& c : shifted) c = uint32_t(table[c & 0xFF]) ^ (c >> 8);  // one byte later
    }
    for (size_t k = symbols.size(); k-- > 0;) {
        const Symbol& s = symbols[k];
        if (s.length <= 0) continue;
        for (int64_t i = s.length - 1; i >= 0; --i) {
            Columns& from = effect[size_t(s.output + i - s.value)];
            const Columns& to = effect[size_t(s.output + i)];
            for (int b = 0; b < 8; ++b) from[size_t(b)] ^= to[size_t(b)];
        }
        if ((k & 4095) == 0 && !keepRunning()) return {};
    }

    const uint32_t wanted = Crc32(0, text, size_t(n)) ^ expectedCrc;
    std::vector<int64_t> found;
    std::vector<unsigned char> changed;
    for (size_t k = 0; k < symbols.size(); ++k) {
        if ((k & 1023) == 0 && !keepRunning()) return {};
        const Symbol& s = symbols[k];
        if (s.length < 0) {
            for (int b = 0; b < 8; ++b)
                if (Effect(effect[size_t(s.output)], 1u << b) == wanted)
                    found.push_back(s.startBit + b);
            continue;
        }
        const BlockCodes& codes = blocks[size_t(s.block)];
        for (int64_t bit = s.startBit; bit < s.endBit; ++bit) {
            const unsigned char mask = (unsigned char)(1u << (bit & 7));
            data[bit >> 3] ^= mask;
            const int64_t until = FallsBackInStep(data, size, codes, symbols,
                                                  blockEnds[size_t(s.block)], k, text, &changed);
            data[bit >> 3] ^= mask;
            if (until < 0) continue;
            uint32_t change = 0;
            for (int64_t q = s.output; q < until; ++q)
                change ^= Effect(effect[size_t(q)], changed[size_t(q - s.output)] ^ text[q]);
            if (change == wanted) found.push_back(bit);
        }
    }
    return found;
}

}  // namespace salvage
