#include "recovery/crc32.h"

#include <zlib.h>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PELMARK_CRC_FOLDING 1
#endif

namespace {

uint32_t TableCrc(uint32_t crc, const unsigned char* data, size_t count) {
    return uint32_t(crc32_z(crc, data, z_size_t(count)));
}

#ifdef PELMARK_CRC_FOLDING

#define PELMARK_FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

PELMARK_FOLDING_TARGET inline __m128i Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// One fold: the remainder times k, low and high halves apart, plus the next 16 bytes.
PELMARK_FOLDING_TARGET inline __m128i Fold(__m128i a, __m128i k, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(a, k, 0x00);
    const __m128i high = _mm_clmulepi64_si128(a, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// Folds 64 bytes at a time into four 128-bit remainders, then those into
// one, then reduces it to the 32-bit CRC (Barrett). `crc` is the register
// itself, not its complement; `count` is at least 64 and a multiple of 16.
// The constants are x^n mod P for the reflected polynomial 0xEDB88320.
PELMARK_FOLDING_TARGET uint32_t FoldedCrc(uint32_t crc, const unsigned char* data, size_t count) {
    alignas(16) static const uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const uint64_t poly[] = {0x01db710641, 0x01f7011641};

    __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(int(crc)));
    __m128i x2 = Load(data + 16), x3 = Load(data + 32), x4 = Load(data + 48);
    data += 64;
    count -= 64;
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    for (; count >= 64; data += 64, count -= 64) {
        x1 = Fold(x1, k, Load(data));
        x2 = Fold(x2, k, Load(data + 16));
        x3 = Fold(x3, k, Load(data + 32));
        x4 = Fold(x4, k, Load(data + 48));
    }
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
    for (; count >= 16; data += 16, count -= 16) x1 = Fold(x1, k, Load(data));

    // 128 bits to 64.
    const __m128i mask = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k, 0x10));
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask), k, 0x00),
                       _mm_srli_si128(x1, 4));
    // Barrett reduction to 32 bits.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask), k, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask), k, 0x00);
    return uint32_t(_mm_extract_epi32(_mm_xor_si128(x1, t), 1));
}

bool CanFold() {
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}

#endif

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
#ifdef PELMARK_CRC_FOLDING
    if (count >= 64 && CanFold()) {
        const size_t folded = count & ~size_t(15);
        crc = ~FoldedCrc(~crc, bytes, folded);
        bytes += folded;
        count -= folded;
    }
#endif
    return count > 0 ? TableCrc(crc, bytes, count) : crc;
}
