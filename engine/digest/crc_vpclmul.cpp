/* crc_vpclmul.cpp -- the reflected CRCs by carry-less multiplication on
 * 64-byte vectors (VPCLMULQDQ with AVX-512F): four vectors fold 256 bytes per
 * step, each vector four 16-byte registers side by side; see crc_fold.h.
 * Inputs under 256 bytes go to the 16-byte backend. */
#include "digest/backends.h"

#if TVK_X86

#include "digest/crc_fold.h"

namespace {

inline __m512i load(const uint8_t *p) {
    return _mm512_loadu_si512(p);
}

/* The same fold on four registers at once, XOR of three in one step. */
inline __m512i fold_512(__m512i x, __m512i k, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                     _mm512_clmulepi64_epi128(x, k, 0x11), next, 0x96);
}

/* The constants of crc_fold.h for all four registers of a vector. */
template <class P, unsigned D> __m512i fold_constants_512() {
    using K = CrcFoldConstants<P, D>;
    const auto low = static_cast<long long>(K::low), high = static_cast<long long>(K::high);
    return _mm512_set4_epi64(low, high, low, high);
}

template <class P>
typename P::word fold(typename P::word crc, const uint8_t *input, size_t length,
                      typename P::word (*short_input)(typename P::word, const uint8_t *, size_t)) {
    if (length < 256)
        return short_input(crc, input, length);
    __m512i z0 = _mm512_xor_si512(load(input), _mm512_zextsi128_si512(crc_fold_start<P>(crc)));
    __m512i z1 = load(input + 64);
    __m512i z2 = load(input + 128);
    __m512i z3 = load(input + 192);
    input += 256;
    length -= 256;

    const __m512i k2048 = fold_constants_512<P, 2048>();
    for (; length >= 256; input += 256, length -= 256) {
        z0 = fold_512(z0, k2048, load(input));
        z1 = fold_512(z1, k2048, load(input + 64));
        z2 = fold_512(z2, k2048, load(input + 128));
        z3 = fold_512(z3, k2048, load(input + 192));
    }
    const __m512i k512 = fold_constants_512<P, 512>();
    z1 = fold_512(z0, k512, z1);
    z2 = fold_512(z1, k512, z2);
    z3 = fold_512(z2, k512, z3);
    for (; length >= 64; input += 64, length -= 64)
        z3 = fold_512(z3, k512, load(input));

    /* the four registers of the vector, first to last, folded into one */
    const __m128i k128 = crc_fold_constants<P, 128>();
    uint8_t parts[64];
    _mm512_storeu_si512(parts, z3);
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(parts));
    for (int i = 1; i < 4; ++i)
        x = crc_fold_128(x, k128,
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(parts + 16 * i)));
    return crc_fold_finish<P>(x, input, length);
}

} // namespace

uint32_t crc32_vpclmul(uint32_t crc, const uint8_t *input, size_t length) {
    return fold<Crc32Polynomial>(crc, input, length, crc32_pclmul);
}

uint32_t crc32c_vpclmul(uint32_t crc, const uint8_t *input, size_t length) {
    return fold<Crc32cPolynomial>(crc, input, length, crc32c_pclmul);
}

uint64_t crc64nvme_vpclmul(uint64_t crc, const uint8_t *input, size_t length) {
    return fold<Crc64NvmePolynomial>(crc, input, length, crc64nvme_pclmul);
}

#endif
