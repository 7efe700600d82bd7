#pragma once

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Bit-level helpers for reading a raw Deflate stream from any bit, not just
// from its first byte: where a block header could start, and an inflater that
// starts there with a window whose history is unknown.

namespace salvage {

// The value every byte of a lost history holds. Well-formed XML never holds a
// zero byte, so in XML output a zero always means "not known".
constexpr unsigned char kUnknownByte = 0;

constexpr int kMaxCodeBits = 15;

// Reads a stream's bits, least significant first, as inflate does. Reading
// past the end yields zero bits and makes Ok() false.
class BitReader {
public:
    BitReader(const unsigned char* data, size_t size, int64_t bit)
        : m_data(data), m_bits(int64_t(size) * 8), m_pos(bit) {}

    bool Ok() const { return m_pos <= m_bits; }
    int64_t Position() const { return m_pos; }
    unsigned Bits(int count) {
        if (m_pos + 64 <= m_bits) {
            // Fast path: the bits lie inside one 8-byte load.
            uint64_t word;
            std::memcpy(&word, m_data + (m_pos >> 3), sizeof word);
            m_pos += count;
            return unsigned((word >> ((m_pos - count) & 7)) & ((uint64_t(1) << count) - 1));
        }
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            if (m_pos < m_bits) value |= unsigned((m_data[m_pos >> 3] >> (m_pos & 7)) & 1) << i;
            ++m_pos;
        }
        return value;
    }
    void AlignToByte() { m_pos = (m_pos + 7) & ~int64_t(7); }

private:
    const unsigned char* m_data;
    int64_t m_bits;
    int64_t m_pos;
};

// A canonical Huffman code given as a code length per symbol.
class Code {
public:
    // False when the lengths are over-subscribed, or incomplete where inflate
    // would refuse that (`allowSingle`: one code of one bit may stand alone,
    // as for literal/length and distance codes; `allowEmpty`: a block of
    // literals only may have no distance code at all).
    bool Build(const unsigned char* lengths, int count, bool allowSingle, bool allowEmpty = false);
    // The next symbol, or -1 for a code the table does not hold.
    int Decode(BitReader& in) const;

private:
    std::array<int, kMaxCodeBits + 1> m_count{};
    std::array<uint16_t, 320> m_symbol;  // only the entries Build fills are read
};

// The codes of one fixed or dynamic block, to decode its symbols from any bit
// of its data: this is how decoding picks up again inside a block whose
// middle is lost.
class BlockCodes {
public:
    static constexpr int kMatch = 257;

    // Reads the block header at `bit`; `*dataBit` is then its first data bit.
    // False for a stored block or a header inflate would refuse.
    bool Read(const unsigned char* data, size_t size, int64_t bit, int64_t* dataBit);
    bool Last() const { return m_last; }
    // Decodes the symbol at `*bit` and moves past it: a literal (0..255), 256
    // for the end of the block, or kMatch with `*length` and `*distance`; -1
    // when the bits hold no symbol or run out.
    int Next(const unsigned char* data, size_t size, int64_t* bit, int* length,
             int* distance) const;

private:
    Code m_literals;
    Code m_distances;
    bool m_last = false;
};

// Reads a stored block's header at `bit`: true when it is one whose LEN and
// NLEN agree, with `*dataByte` its first data byte and `*length` its LEN.
bool ReadStoredHeader(const unsigned char* data, size_t size, int64_t bit, int64_t* dataByte,
                      int64_t* length);

// What the bits at a position would start, if a block header starts there.
enum class BlockKind { None, Stored, Fixed, Dynamic };

// Reads the bits of `data` at `bit` as a block header and checks it the way
// inflate would, without decoding any data: a stored header needs LEN and NLEN
// to agree and LEN bytes to follow; a dynamic header needs every code it
// describes to be complete, with an end-of-block code. A fixed header is
// accepted when its first `fixedSymbols` symbols are valid and every literal
// among them is a text byte. With `firstLiteral` (0..255) the block's first
// symbol must also be that literal, as where a document starts. Returns None
// when no block can start there.
BlockKind CheckBlockHeader(const unsigned char* data, size_t size, int64_t bit,
                           int fixedSymbols = 8, int firstLiteral = -1);

// A byte that may occur in XML text (UTF-8 bytes included); the unknown byte
// is not one of them.
inline bool IsTextByte(unsigned char c) {
    return c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

// Follows decoded bytes and tells whether they can be XML text in UTF-8: no
// control character but tab and line ends, and every byte above 127 part of a
// well-formed UTF-8 sequence. An unknown byte interrupts a sequence without
// spoiling it, since the bytes it stands for are not known.
class TextCheck {
public:
    // False from the first byte that cannot be text on.
    bool Feed(const unsigned char* bytes, size_t count, int64_t* known);
    bool Ok() const { return m_ok; }

private:
    int m_pending = 0;  // continuation bytes still expected
    bool m_ok = true;
};

// A raw inflater that starts at any bit of a buffer. With `unknownHistory`
// the 32 KiB window is filled with kUnknownByte first, so a match that
// reaches back before the starting point yields unknown bytes instead of an
// error.
class BitInflater {
public:
    BitInflater();
    ~BitInflater();
    BitInflater(const BitInflater&) = delete;
    BitInflater& operator=(const BitInflater&) = delete;

    bool Ready() const { return m_ready; }
    // Restarts at `bit` of `data`; the stream then reads to `data + size`.
    bool Start(const unsigned char* data, size_t size, int64_t bit, bool unknownHistory);
    // The same with the last bytes of the history given (at most 32 KiB, after
    // the unknown ones when both are asked for).
    bool Start(const unsigned char* data, size_t size, int64_t bit, bool unknownHistory,
               const unsigned char* history, size_t historySize);
    z_stream& Stream() { return m_stream; }
    // The bit of the buffer the inflater has reached, when it stands between
    // blocks (after inflate returned with Z_BLOCK at a block boundary).
    int64_t BitPosition() const;

private:
    z_stream m_stream{};
    const unsigned char* m_base = nullptr;
    bool m_ready = false;
};

}  // namespace salvage
