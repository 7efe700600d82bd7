#include "recovery/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace {

std::vector<unsigned char> Noise(size_t count) {
    std::mt19937 random(7);
    std::vector<unsigned char> bytes(count);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

uint32_t ZlibCrc(uint32_t crc, const unsigned char* data, size_t count) {
    return uint32_t(crc32_z(crc, data, z_size_t(count)));
}

// Every length around the sizes the folding works in (16 and 64 bytes), at
// every alignment, from a CRC carried over from earlier bytes.
TEST(Crc32, GivesZlibsCrcForEveryLengthAndAlignment) {
    const std::vector<unsigned char> bytes = Noise(4096);
    int wrong = 0;
    for (size_t offset = 0; offset < 16; ++offset)
        for (size_t count = 0; count <= 300; ++count) {
            const uint32_t earlier = ZlibCrc(0, bytes.data() + 3000, offset + 5);
            if (Crc32(earlier, bytes.data() + offset, count) !=
                ZlibCrc(earlier, bytes.data() + offset, count))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(Crc32, PiecesOfALongRunAddUpToTheWhole) {
    const std::vector<unsigned char> bytes = Noise(1 << 20);
    const uint32_t whole = ZlibCrc(0, bytes.data(), bytes.size());
    EXPECT_EQ(Crc32(0, bytes.data(), bytes.size()), whole);
    uint32_t pieces = 0;
    size_t at = 0;
    for (size_t piece = 1; at < bytes.size(); piece = piece * 3 + 1) {
        const size_t n = std::min(piece, bytes.size() - at);
        pieces = Crc32(pieces, bytes.data() + at, n);
        at += n;
    }
    EXPECT_EQ(pieces, whole);
    // A known value: the CRC-32 of "123456789".
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
    const std::vector<unsigned char> zeros(1000, 0);
    EXPECT_EQ(Crc32(0, zeros.data(), zeros.size()), ZlibCrc(0, zeros.data(), zeros.size()));
}

}  // namespace
