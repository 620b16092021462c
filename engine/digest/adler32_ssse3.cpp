/* adler32_ssse3.cpp -- Adler-32 over 16-byte chunks with SSSE3.
 * Over a run of chunks from sums (a, b), with c the chunk count:
 *   a' = a + (sum of all bytes)
 *   b' = b + 16*c*a + 16*(sum over chunks of the byte sum before that chunk)
 *          + (sum over chunks of byte j times 16 - j)
 * The byte sums come from sad against zero, the weighted sums from a
 * multiply-add of bytes by 16..1 and then of pairs by 1. A run is at most
 * NMAX bytes, so no 32-bit lane can overflow before the reduction. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

namespace {

constexpr uint32_t chunk = 16;
constexpr size_t run = adler32_nmax / chunk * chunk;

uint32_t sum32(__m128i s) {
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4e));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xb1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

} // namespace

uint32_t adler32_ssse3(uint32_t adler, const uint8_t *input, size_t length) {
    uint32_t a = adler & 0xffff;
    uint32_t b = adler >> 16;
    const __m128i weights = _mm_set_epi8(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const __m128i ones = _mm_set1_epi16(1);
    const __m128i zero = _mm_setzero_si128();
    while (length >= chunk) {
        const size_t n = length < run ? length / chunk * chunk : run;
        __m128i bytes = zero, before = zero, weighted = zero;
        for (const uint8_t *p = input, *end = input + n; p != end; p += chunk) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            before = _mm_add_epi32(before, bytes);
            bytes = _mm_add_epi32(bytes, _mm_sad_epu8(d, zero));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_maddubs_epi16(d, weights), ones));
        }
        b += static_cast<uint32_t>(n) * a + chunk * sum32(before) + sum32(weighted);
        a += sum32(bytes);
        a %= adler32_base;
        b %= adler32_base;
        input += n;
        length -= n;
    }
    return adler32_zlib(b << 16 | a, input, length);
}

#endif
