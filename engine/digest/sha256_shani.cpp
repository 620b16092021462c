/* sha256_shani.cpp -- the SHA-256 compression function with the x86 SHA
 * extensions. Each SHA256RNDS2 does two rounds on the state held as ABEF and
 * CDGH; SHA256MSG1 and SHA256MSG2 extend the message schedule four words at
 * a time. Built with -msha -msse4.1, called only when cpuid reports them.
 */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

/* The next four big-endian message words into m. */
#define SHA256_LOAD(m, offset)                                                                     \
    (m) = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + (offset))),   \
                           byte_swap)

/* Four rounds on schedule words m with round constants k_hi:k_lo. */
#define SHA256_QUAD(m, k_hi, k_lo)                                                                 \
    do {                                                                                           \
        __m128i wk = _mm_add_epi32(                                                                \
            (m), _mm_set_epi64x(static_cast<long long>(k_hi), static_cast<long long>(k_lo)));      \
        cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);                                              \
        wk = _mm_shuffle_epi32(wk, 0x0e);                                                          \
        abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);                                              \
    } while (0)

/* Four rounds, completing the schedule words in next meanwhile. */
#define SHA256_QUAD_NEXT(m, prev, next, k_hi, k_lo)                                                \
    do {                                                                                           \
        __m128i wk = _mm_add_epi32(                                                                \
            (m), _mm_set_epi64x(static_cast<long long>(k_hi), static_cast<long long>(k_lo)));      \
        cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);                                              \
        (next) =                                                                                   \
            _mm_sha256msg2_epu32(_mm_add_epi32((next), _mm_alignr_epi8((m), (prev), 4)), (m));     \
        wk = _mm_shuffle_epi32(wk, 0x0e);                                                          \
        abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);                                              \
    } while (0)

void sha256_block_shani(uint32_t state[8], const uint8_t *block, size_t n) {
    const __m128i byte_swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);

    /* state words A..H into the ABEF / CDGH layout of the instructions */
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xb1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1b);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xf0);

    for (; n > 0; --n, block += 64) {
        const __m128i abef_start = abef;
        const __m128i cdgh_start = cdgh;
        __m128i m0, m1, m2, m3;

        /* rounds 0 to 3 */
        SHA256_LOAD(m0, 0);
        SHA256_QUAD(m0, 0xe9b5dba5b5c0fbcfULL, 0x71374491428a2f98ULL);
        /* rounds 4 to 7 */
        SHA256_LOAD(m1, 16);
        SHA256_QUAD(m1, 0xab1c5ed5923f82a4ULL, 0x59f111f13956c25bULL);
        m0 = _mm_sha256msg1_epu32(m0, m1);
        /* rounds 8 to 11 */
        SHA256_LOAD(m2, 32);
        SHA256_QUAD(m2, 0x550c7dc3243185beULL, 0x12835b01d807aa98ULL);
        m1 = _mm_sha256msg1_epu32(m1, m2);
        /* rounds 12 to 15 */
        SHA256_LOAD(m3, 48);
        SHA256_QUAD_NEXT(m3, m2, m0, 0xc19bf1749bdc06a7ULL, 0x80deb1fe72be5d74ULL);
        m2 = _mm_sha256msg1_epu32(m2, m3);
        /* rounds 16 to 19 */
        SHA256_QUAD_NEXT(m0, m3, m1, 0x240ca1cc0fc19dc6ULL, 0xefbe4786e49b69c1ULL);
        m3 = _mm_sha256msg1_epu32(m3, m0);
        /* rounds 20 to 23 */
        SHA256_QUAD_NEXT(m1, m0, m2, 0x76f988da5cb0a9dcULL, 0x4a7484aa2de92c6fULL);
        m0 = _mm_sha256msg1_epu32(m0, m1);
        /* rounds 24 to 27 */
        SHA256_QUAD_NEXT(m2, m1, m3, 0xbf597fc7b00327c8ULL, 0xa831c66d983e5152ULL);
        m1 = _mm_sha256msg1_epu32(m1, m2);
        /* rounds 28 to 31 */
        SHA256_QUAD_NEXT(m3, m2, m0, 0x1429296706ca6351ULL, 0xd5a79147c6e00bf3ULL);
        m2 = _mm_sha256msg1_epu32(m2, m3);
        /* rounds 32 to 35 */
        SHA256_QUAD_NEXT(m0, m3, m1, 0x53380d134d2c6dfcULL, 0x2e1b213827b70a85ULL);
        m3 = _mm_sha256msg1_epu32(m3, m0);
        /* rounds 36 to 39 */
        SHA256_QUAD_NEXT(m1, m0, m2, 0x92722c8581c2c92eULL, 0x766a0abb650a7354ULL);
        m0 = _mm_sha256msg1_epu32(m0, m1);
        /* rounds 40 to 43 */
        SHA256_QUAD_NEXT(m2, m1, m3, 0xc76c51a3c24b8b70ULL, 0xa81a664ba2bfe8a1ULL);
        m1 = _mm_sha256msg1_epu32(m1, m2);
        /* rounds 44 to 47 */
        SHA256_QUAD_NEXT(m3, m2, m0, 0x106aa070f40e3585ULL, 0xd6990624d192e819ULL);
        m2 = _mm_sha256msg1_epu32(m2, m3);
        /* rounds 48 to 51 */
        SHA256_QUAD_NEXT(m0, m3, m1, 0x34b0bcb52748774cULL, 0x1e376c0819a4c116ULL);
        m3 = _mm_sha256msg1_epu32(m3, m0);
        /* rounds 52 to 55 */
        SHA256_QUAD_NEXT(m1, m0, m2, 0x682e6ff35b9cca4fULL, 0x4ed8aa4a391c0cb3ULL);
        /* rounds 56 to 59 */
        SHA256_QUAD_NEXT(m2, m1, m3, 0x8cc7020884c87814ULL, 0x78a5636f748f82eeULL);
        /* rounds 60 to 63 */
        SHA256_QUAD(m3, 0xc67178f2bef9a3f7ULL, 0xa4506ceb90befffaULL);

        abef = _mm_add_epi32(abef, abef_start);
        cdgh = _mm_add_epi32(cdgh, cdgh_start);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1b);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xb1);
    dcba = _mm_blend_epi16(feba, dchg, 0xf0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state + 4), hgfe);
}

#undef SHA256_LOAD
#undef SHA256_QUAD
#undef SHA256_QUAD_NEXT

#endif
