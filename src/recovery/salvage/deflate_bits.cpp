#include "recovery/salvage/deflate_bits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace salvage {

namespace {

constexpr int kWindowBytes = 32768;

bool CheckStored(BitReader& in, size_t size) {
    in.AlignToByte();
    const unsigned len = in.Bits(16);
    const unsigned nlen = in.Bits(16);
    if (!in.Ok() || len != (~nlen & 0xFFFFu)) return false;
    return in.Position() / 8 + int64_t(len) <= int64_t(size);
}

// Reads a dynamic block's code descriptions into `literals` and `distances`,
// refusing what inflate would refuse.
bool ReadDynamic(BitReader& in, Code& literals, Code& distances) {
    static const int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
    const int nlen = int(in.Bits(5)) + 257;
    const int ndist = int(in.Bits(5)) + 1;
    const int ncode = int(in.Bits(4)) + 4;
    if (nlen > 286 || ndist > 30) return false;

    unsigned char lengths[320];
    std::memset(lengths, 0, 19);
    int count[8] = {};
    for (int i = 0; i < ncode; ++i) ++count[lengths[kOrder[i]] = (unsigned char)in.Bits(3)];
    // Most bits that are no header fail here: the code of code lengths must
    // be complete, which is cheap to see before anything is built.
    int left = 1;
    for (int len = 1; len < 8; ++len) {
        left = (left << 1) - count[len];
        if (left < 0) return false;
    }
    if (left != 0) return false;
    Code lencode;
    if (!in.Ok() || !lencode.Build(lengths, 19, false)) return false;

    std::memset(lengths, 0, size_t(nlen + ndist));
    int index = 0;
    while (index < nlen + ndist) {
        const int symbol = lencode.Decode(in);
        if (symbol < 0 || !in.Ok()) return false;
        if (symbol < 16) {
            lengths[index++] = (unsigned char)symbol;
            continue;
        }
        unsigned char value = 0;
        int repeat = 0;
        if (symbol == 16) {
            if (index == 0) return false;  // nothing to repeat
            value = lengths[index - 1];
            repeat = 3 + int(in.Bits(2));
        } else if (symbol == 17) {
            repeat = 3 + int(in.Bits(3));
        } else {
            repeat = 11 + int(in.Bits(7));
        }
        if (index + repeat > nlen + ndist) return false;
        while (repeat--) lengths[index++] = value;
    }
    if (lengths[256] == 0) return false;  // a block must be able to end

    return in.Ok() && literals.Build(lengths, nlen, true) &&
           distances.Build(lengths + nlen, ndist, true, true);
}

// The fixed code of literals and lengths, read a symbol at a time.
// The fixed code of literals and lengths as a table over the next nine bits
// as they are read: symbol in the low bits, code length above.
const std::array<uint16_t, 512>& FixedTable() {
    static const std::array<uint16_t, 512> table = [] {
        std::array<uint16_t, 512> t{};
        for (int symbol = 0; symbol < 288; ++symbol) {
            int length = 0, code = 0;
            if (symbol < 144) {
                length = 8, code = 0x30 + symbol;
            } else if (symbol < 256) {
                length = 9, code = 0x190 + symbol - 144;
            } else if (symbol < 280) {
                length = 7, code = symbol - 256;
            } else {
                length = 8, code = 0xC0 + symbol - 280;
            }
            int reversed = 0;  // Huffman codes go in most significant bit first
            for (int i = 0; i < length; ++i) reversed |= ((code >> (length - 1 - i)) & 1) << i;
            for (int high = 0; (reversed | (high << length)) < 512; ++high)
                t[size_t(reversed | (high << length))] = uint16_t(symbol | (length << 9));
        }
        return t;
    }();
    return table;
}

int DecodeFixedSymbol(BitReader& in) {
    BitReader peek = in;
    const uint16_t entry = FixedTable()[peek.Bits(9)];
    in.Bits(entry >> 9);
    return entry & 511;
}

bool CheckFixed(BitReader& in, int symbols) {
    static const int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (int i = 0; i < symbols; ++i) {
        const int symbol = DecodeFixedSymbol(in);
        if (!in.Ok()) return false;
        if (symbol < 256) {
            if (!IsTextByte((unsigned char)symbol)) return false;
            continue;
        }
        if (symbol == 256) return i > 0;  // an empty fixed block is no evidence
        if (symbol > 285) return false;
        in.Bits(kLengthExtra[symbol - 257]);
        int distance = 0;
        for (int b = 0; b < 5; ++b) distance = (distance << 1) | int(in.Bits(1));
        if (distance > 29) return false;
        in.Bits(distance < 4 ? 0 : (distance - 2) >> 1);
    }
    return in.Ok();
}

}  // namespace

bool ReadStoredHeader(const unsigned char* data, size_t size, int64_t bit, int64_t* dataByte,
                      int64_t* length) {
    BitReader in(data, size, bit);
    in.Bits(1);
    if (in.Bits(2) != 0) return false;
    in.AlignToByte();
    const unsigned len = in.Bits(16);
    const unsigned nlen = in.Bits(16);
    if (!in.Ok() || len != (~nlen & 0xFFFFu)) return false;
    *dataByte = in.Position() / 8;
    *length = len;
    return true;
}

BlockKind CheckBlockHeader(const unsigned char* data, size_t size, int64_t bit, int fixedSymbols,
                           int firstLiteral) {
    BitReader in(data, size, bit);
    in.Bits(1);  // the last-block flag may be either
    switch (in.Bits(2)) {
        case 0: {
            if (!CheckStored(in, size)) return BlockKind::None;
            const int64_t first = in.Position() / 8;
            if (firstLiteral >= 0 && (first >= int64_t(size) || data[first] != firstLiteral))
                return BlockKind::None;
            return BlockKind::Stored;
        }
        case 1: {
            if (firstLiteral >= 0) {
                BitReader peek = in;
                if (DecodeFixedSymbol(peek) != firstLiteral) return BlockKind::None;
            }
            return CheckFixed(in, fixedSymbols) ? BlockKind::Fixed : BlockKind::None;
        }
        case 2: {
            Code literals, distances;
            if (!ReadDynamic(in, literals, distances)) return BlockKind::None;
            if (firstLiteral >= 0 && literals.Decode(in) != firstLiteral) return BlockKind::None;
            return BlockKind::Dynamic;
        }
        default:
            return BlockKind::None;
    }
}

bool Code::Build(const unsigned char* lengths, int count, bool allowSingle, bool allowEmpty) {
    m_count.fill(0);
    for (int i = 0; i < count; ++i) ++m_count[lengths[i]];
    int maxLength = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len)
        if (m_count[len]) maxLength = len;
    if (maxLength == 0) return allowEmpty;
    int left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        left <<= 1;
        left -= m_count[len];
        if (left < 0) return false;
    }
    if (left > 0 && !(allowSingle && maxLength == 1)) return false;
    std::array<int, kMaxCodeBits + 2> offset{};
    for (int len = 1; len <= kMaxCodeBits; ++len) offset[len + 1] = offset[len] + m_count[len];
    for (int i = 0; i < count; ++i)
        if (lengths[i]) m_symbol[size_t(offset[lengths[i]]++)] = uint16_t(i);
    return true;
}

int Code::Decode(BitReader& in) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        code |= int(in.Bits(1));
        const int count = m_count[len];
        if (code - count < first) return m_symbol[size_t(index + code - first)];
        index += count;
        first += count;
        first <<= 1;
        code <<= 1;
    }
    return -1;
}

bool BlockCodes::Read(const unsigned char* data, size_t size, int64_t bit, int64_t* dataBit) {
    BitReader in(data, size, bit);
    m_last = in.Bits(1) != 0;
    const unsigned type = in.Bits(2);
    if (type == 1) {
        unsigned char lengths[320];
        for (int i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        m_literals.Build(lengths, 288, false);
        for (int i = 0; i < 32; ++i) lengths[i] = 5;
        m_distances.Build(lengths, 32, false);
    } else if (type != 2 || !ReadDynamic(in, m_literals, m_distances)) {
        return false;
    }
    *dataBit = in.Position();
    return in.Ok();
}

int BlockCodes::Next(const unsigned char* data, size_t size, int64_t* bit, int* length,
                     int* distance) const {
    static const int kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                        15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                        67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int kDistanceBase[30] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    BitReader in(data, size, *bit);
    const int symbol = m_literals.Decode(in);
    if (symbol < 0 || symbol > 285 || !in.Ok()) return -1;
    if (symbol <= 256) {
        *bit = in.Position();
        return symbol;
    }
    *length = kLengthBase[symbol - 257] + int(in.Bits(kLengthExtra[symbol - 257]));
    const int code = m_distances.Decode(in);
    if (code < 0 || code > 29) return -1;
    const int extra = code < 4 ? 0 : (code - 2) >> 1;
    *distance = kDistanceBase[code] + int(in.Bits(extra));
    if (!in.Ok()) return -1;
    *bit = in.Position();
    return kMatch;
}

bool TextCheck::Feed(const unsigned char* bytes, size_t count, int64_t* known) {
    for (size_t i = 0; i < count && m_ok; ++i) {
        const unsigned char c = bytes[i];
        if (c == kUnknownByte) {
            m_pending = 0;
            continue;
        }
        ++*known;
        if (m_pending > 0) {
            if ((c & 0xC0) != 0x80) m_ok = false;
            --m_pending;
        } else if (c < 0x80) {
            m_ok = IsTextByte(c);
        } else if (c >= 0xC2 && c <= 0xDF) {
            m_pending = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            m_pending = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            m_pending = 3;
        } else {
            m_ok = false;  // a continuation byte with no lead, or never in UTF-8
        }
    }
    return m_ok;
}

BitInflater::BitInflater() {
    m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
}

BitInflater::~BitInflater() {
    if (m_ready) inflateEnd(&m_stream);
}

bool BitInflater::Start(const unsigned char* data, size_t size, int64_t bit, bool unknownHistory) {
    return Start(data, size, bit, unknownHistory, nullptr, 0);
}

bool BitInflater::Start(const unsigned char* data, size_t size, int64_t bit, bool unknownHistory,
                        const unsigned char* history, size_t historySize) {
    if (!m_ready || bit < 0 || bit >= int64_t(size) * 8) return false;
    if (inflateReset(&m_stream) != Z_OK) return false;
    if (unknownHistory) {
        static const std::array<unsigned char, kWindowBytes> kUnknown = [] {
            std::array<unsigned char, kWindowBytes> window;
            window.fill(kUnknownByte);
            return window;
        }();
        if (inflateSetDictionary(&m_stream, kUnknown.data(), uInt(kUnknown.size())) != Z_OK)
            return false;
    }
    if (historySize > 0 &&
        inflateSetDictionary(&m_stream, history,
                             uInt(std::min<size_t>(historySize, kWindowBytes))) != Z_OK)
        return false;
    const size_t byte = size_t(bit >> 3);
    const int skip = int(bit & 7);
    m_base = data;
    m_stream.next_in = const_cast<Bytef*>(data + byte);
    m_stream.avail_in = uInt(size - byte);
    if (skip != 0) {
        // The rest of the first byte goes in as primed bits.
        if (inflatePrime(&m_stream, 8 - skip, data[byte] >> skip) != Z_OK) return false;
        ++m_stream.next_in;
        --m_stream.avail_in;
    }
    return true;
}

int64_t BitInflater::BitPosition() const {
    const int64_t consumed = m_stream.next_in - m_base;
    return consumed * 8 - (m_stream.data_type & 63);
}

}  // namespace salvage
