/* adler32_avx2.cpp -- Adler-32 over 32-byte chunks with AVX2.
 * Over a run of chunks from sums (a, b), with c the chunk count:
 *   a' = a + (sum of all bytes)
 *   b' = b + 32*c*a + 32*(sum over chunks of the byte sum before that chunk)
 *          + (sum over chunks of byte j times 32 - j)
 * The byte sums come from sad against zero, the weighted sums from a
 * multiply-add of bytes by 32..1 and then of pairs by 1. A run is at most
 * NMAX bytes, so no 32-bit lane can overflow before the reduction. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

namespace {

constexpr uint32_t chunk = 32;
constexpr size_t run = adler32_nmax / chunk * chunk;

uint32_t sum32(__m256i v) {
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4e));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xb1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

} // namespace

uint32_t adler32_avx2(uint32_t adler, const uint8_t *input, size_t length) {
    uint32_t a = adler & 0xffff;
    uint32_t b = adler >> 16;
    const __m256i weights =
        _mm256_set_epi8(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                        22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32);
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i zero = _mm256_setzero_si256();
    while (length >= chunk) {
        const size_t n = length < run ? length / chunk * chunk : run;
        __m256i bytes = zero, before = zero, weighted = zero;
        for (const uint8_t *p = input, *end = input + n; p != end; p += chunk) {
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
            before = _mm256_add_epi32(before, bytes);
            bytes = _mm256_add_epi32(bytes, _mm256_sad_epu8(d, zero));
            weighted = _mm256_add_epi32(weighted,
                                        _mm256_madd_epi16(_mm256_maddubs_epi16(d, weights), ones));
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
