/* crc_fold.h -- the arithmetic shared by the carry-less multiplication
 * backends of the reflected CRCs (CRC-32, CRC-32C, CRC-64/NVME); include
 * only from sources built with PCLMULQDQ.
 *
 * Bit order is zlib's: the first bit of the input is the least significant
 * bit of its first byte and the highest power of x. A 128-bit register of
 * input then holds the polynomial H*x^64 + L, H in its low and L in its high
 * 64-bit half, each half holding x^63 in bit 0. A carry-less product of two
 * such halves holds x^126 in bit 0, so read as a 128-bit register it is the
 * product times x.
 *
 * Folding moves a register D bits further down the input, to the register
 * that starts D bits later: R*x^D = H*x^(64+D) + L*x^D. A CRC word of width
 * W placed in the low bits of a half is that word times x^(64-W), so the
 * constant k = x^e mod P makes a product X*k*x^(65-W): H takes
 * e = D + W - 1 and L takes e = D + W - 65 (crc_fold_constants.h). Their
 * sum is a register (of at most 127 bits) congruent to R*x^D modulo P, and
 * XOR with the input register that starts there continues the fold.
 *
 * The CRC of a folded register is that of its 16 bytes with a zero start,
 * which a Barrett reduction computes (crc_fold_reduce); the portable core
 * of the polynomial takes the tail of fewer than 16 bytes.
 */
#ifndef TVK_DIGEST_CRC_FOLD_H
#define TVK_DIGEST_CRC_FOLD_H

#include <cstddef>
#include <cstdint>
#include <immintrin.h>

#include "digest/backends.h"
#include "digest/crc_fold_constants.h"

/* The portable core of each polynomial. Internal linkage, like the functions
 * below: each backend's copy is built with that backend's instruction set. */
static inline uint32_t crc_portable(Crc32Polynomial, uint32_t crc, const uint8_t *p, size_t n) {
    return crc32_zlib(crc, p, n);
}
static inline uint32_t crc_portable(Crc32cPolynomial, uint32_t crc, const uint8_t *p, size_t n) {
    return crc32c_portable(crc, p, n);
}
static inline uint64_t crc_portable(Crc64NvmePolynomial, uint64_t crc, const uint8_t *p, size_t n) {
    return crc64nvme_portable(crc, p, n);
}

/* The pair of CrcFoldConstants as a register. */
template <class P, unsigned D> static inline __m128i crc_fold_constants() {
    using K = CrcFoldConstants<P, D>;
    return _mm_set_epi64x(static_cast<long long>(K::low), static_cast<long long>(K::high));
}

/* x folded by the distance of k, then XOR next. */
static inline __m128i crc_fold_128(__m128i x, __m128i k, __m128i next) {
    const __m128i h = _mm_clmulepi64_si128(x, k, 0x00);
    const __m128i l = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(h, l), next);
}

/* The start value in zlib's convention as the register the first 16 input
 * bytes are XORed with: the inverted CRC over the first W/8 bytes. */
template <class P> static inline __m128i crc_fold_start(typename P::word crc) {
    return _mm_set_epi64x(0, static_cast<long long>(static_cast<typename P::word>(~crc)));
}

/* The CRC register (zero start) after the 16 bytes of x: R*x^W mod P, by
 * Barrett reduction. First V = H*x^(64+W) + L*x^W, congruent and of degree
 * below 64+W: H by a fold, L by a shift. Then the quotient of V by P is
 * floor(T1*mu / x^64) with T1 = floor(V / x^W), which is T1 + floor(T1*mu' /
 * x^64); and V mod P is V plus quotient times P in the low W terms of V,
 * where only P' = P - x^W reaches. The products carry an extra factor x
 * (see above), taken off by one-bit shifts. */
template <class P> static inline typename P::word crc_fold_reduce(__m128i x) {
    using K = CrcReduceConstants<P>;
    constexpr int W = P::width;
    const __m128i h =
        _mm_clmulepi64_si128(x, _mm_set_epi64x(0, static_cast<long long>(K::fold)), 0x00);
    const __m128i l = W == 64 ? _mm_srli_si128(x, 8) : _mm_slli_si128(_mm_srli_si128(x, 8), 4);
    const __m128i v = _mm_xor_si128(h, l);
    /* T1 as a half: the terms x^W up to x^(63+W) of V */
    const __m128i t1 = W == 64 ? v : _mm_srli_si128(v, 4);
    const __m128i mu = _mm_set_epi64x(0, static_cast<long long>(K::mu));
    const __m128i q = _mm_xor_si128(_mm_slli_epi64(_mm_clmulepi64_si128(t1, mu, 0x00), 1), t1);
    __m128i qp = _mm_clmulepi64_si128(q, _mm_set_epi64x(0, static_cast<long long>(K::poly)), 0x00);
    qp = _mm_or_si128(_mm_slli_epi64(qp, 1), _mm_srli_epi64(_mm_slli_si128(qp, 8), 63));
    /* the low W terms of V + Q*P' are the top W bits of the register */
    const __m128i top = _mm_srli_si128(_mm_xor_si128(v, qp), 8);
#if defined(__x86_64__) || defined(_M_X64)
    const auto high = static_cast<uint64_t>(_mm_cvtsi128_si64(top));
#else
    const auto high =
        static_cast<uint64_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(top))) |
        static_cast<uint64_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(top, 4))))
            << 32;
#endif
    return static_cast<typename P::word>(high >> (64 - W));
}

/* The CRC in zlib's convention of everything folded into x, followed by the
 * length bytes at input (the portable core takes the last 15 or fewer). */
template <class P>
static inline typename P::word crc_fold_finish(__m128i x, const uint8_t *input, size_t length) {
    using Word = typename P::word;
    const __m128i k = crc_fold_constants<P, 128>();
    for (; length >= 16; input += 16, length -= 16)
        x = crc_fold_128(x, k, _mm_loadu_si128(reinterpret_cast<const __m128i *>(input)));
    return crc_portable(P{}, static_cast<Word>(~crc_fold_reduce<P>(x)), input, length);
}

#endif
