/* crc32_fold.h -- the arithmetic shared by the carry-less multiplication
 * CRC-32 backends; include only from sources built with PCLMULQDQ.
 *
 * Bit order is zlib's: the first bit of the input is the least significant
 * bit of its first byte and the highest power of x. A 128-bit register of
 * input then holds the polynomial H*x^64 + L, H in its low and L in its high
 * 64-bit half, each half holding x^63 in bit 0. A carry-less product of two
 * such halves holds x^126 in bit 0, so read as a 128-bit register it is the
 * product times x.
 *
 * Folding moves a register D bits further down the input, to the register
 * that starts D bits later: R*x^D = H*x^(64+D) + L*x^D. The constants are
 * k = x^e mod P placed with x^31 in bit 0 of a half (one 32-bit CRC word),
 * i.e. k*x^32 as a half; the product with a half is then X*k*x^33, so
 * H takes e = D + 31 and L takes e = D - 33. Their sum is a register (of
 * at most 127 bits) congruent to R*x^D modulo P, and XOR with the input
 * register that starts there continues the fold.
 *
 * The CRC of a folded register is that of its 16 bytes with a zero start,
 * which zlib computes; zlib also takes the tail of fewer than 16 bytes.
 */
#ifndef TVK_DIGEST_CRC32_FOLD_H
#define TVK_DIGEST_CRC32_FOLD_H

#include <cstddef>
#include <cstdint>
#include <immintrin.h>
#include <zlib.h>

#include "digest/crc32_fold_constants.h"

/* The pair of Crc32FoldConstants as a register. Internal linkage, like the functions below: each
 * backend's copy is built with that backend's instruction set. */
template <unsigned D> static inline __m128i crc32_fold_constants() {
    using K = Crc32FoldConstants<D>;
    return _mm_set_epi32(0, static_cast<int>(K::low), 0, static_cast<int>(K::high));
}

/* x folded by the distance of k, then XOR next. */
static inline __m128i crc32_fold_128(__m128i x, __m128i k, __m128i next) {
    const __m128i h = _mm_clmulepi64_si128(x, k, 0x00);
    const __m128i l = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(h, l), next);
}

/* The start value in zlib's convention as the register the first 16 input
 * bytes are XORed with: the inverted CRC over the first four bytes. */
static inline __m128i crc32_fold_start(uint32_t crc) {
    return _mm_cvtsi32_si128(static_cast<int>(~crc));
}

/* The CRC in zlib's convention of everything folded into x, followed by the
 * length bytes at input. */
static inline uint32_t crc32_fold_finish(__m128i x, const uint8_t *input, size_t length) {
    const __m128i k = crc32_fold_constants<128>();
    for (; length >= 16; input += 16, length -= 16)
        x = crc32_fold_128(x, k, _mm_loadu_si128(reinterpret_cast<const __m128i *>(input)));
    uint8_t bytes[16];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(bytes), x);
    /* ~0 in zlib's convention is a zero start for the register's bytes */
    const uLong crc = crc32(0xffffffffUL, bytes, sizeof bytes);
    return static_cast<uint32_t>(crc32_z(crc, input, length));
}

#endif
