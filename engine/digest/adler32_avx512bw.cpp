/* adler32_avx512bw.cpp -- Adler-32 over 64-byte chunks with AVX-512 BW:
 * the sums of adler32_avx2.cpp on vectors twice as wide (weights 64..1),
 * about twice its speed on data in the cache. A run is at most NMAX bytes,
 * so no 32-bit lane can overflow before the reduction. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

namespace {

constexpr uint32_t chunk = 64;
constexpr size_t run = adler32_nmax / chunk * chunk;

/* The sum of the sixteen lanes, once a run: through memory, as GCC 12
 * warns of its own undefined halves in the extract intrinsics. */
uint32_t sum32(__m512i v) {
    uint32_t lanes[16]; // unaligned: 64-byte stack alignment is not to be had everywhere
    _mm512_storeu_si512(lanes, v);
    uint32_t sum = 0;
    for (const uint32_t lane : lanes)
        sum += lane;
    return sum;
}

} // namespace

uint32_t adler32_avx512bw(uint32_t adler, const uint8_t *input, size_t length) {
    // Loads on whole cache lines: a chunk across two lines costs two line
    // fills, which caps the speed on data that comes from memory.
    const size_t head = (chunk - reinterpret_cast<uintptr_t>(input) % chunk) % chunk;
    if (head != 0 && length >= head + chunk) {
        adler = adler32_zlib(adler, input, head);
        input += head;
        length -= head;
    }
    uint32_t a = adler & 0xffff;
    uint32_t b = adler >> 16;
    const __m512i weights = _mm512_set_epi8(
        1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
        26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48,
        49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64);
    const __m512i ones = _mm512_set1_epi16(1);
    const __m512i zero = _mm512_setzero_si512();
    while (length >= chunk) {
        const size_t n = length < run ? length / chunk * chunk : run;
        __m512i bytes = zero, before = zero, weighted = zero;
        for (const uint8_t *p = input, *end = input + n; p != end; p += chunk) {
            const __m512i d = _mm512_loadu_si512(p);
            before = _mm512_add_epi32(before, bytes);
            bytes = _mm512_add_epi32(bytes, _mm512_sad_epu8(d, zero));
            weighted = _mm512_add_epi32(weighted,
                                        _mm512_madd_epi16(_mm512_maddubs_epi16(d, weights), ones));
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
