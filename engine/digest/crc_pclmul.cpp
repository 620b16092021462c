/* crc_pclmul.cpp -- the reflected CRCs by carry-less multiplication
 * (PCLMULQDQ): four 16-byte registers fold 64 bytes per step, so four
 * multiplications are in flight at once; see crc_fold.h for the arithmetic.
 * Inputs under 64 bytes fold one register; under 32 bytes the portable
 * core is as fast, and takes them. */
#include "digest/backends.h"

#if TVK_X86

#include "digest/crc_fold.h"

namespace {

inline __m128i load(const uint8_t *p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

template <class P>
typename P::word fold(typename P::word crc, const uint8_t *input, size_t length) {
    if (length < 32)
        return crc_portable(P{}, crc, input, length);
    if (length < 64)
        return crc_fold_finish<P>(_mm_xor_si128(load(input), crc_fold_start<P>(crc)), input + 16,
                                  length - 16);
    __m128i x0 = _mm_xor_si128(load(input), crc_fold_start<P>(crc));
    __m128i x1 = load(input + 16);
    __m128i x2 = load(input + 32);
    __m128i x3 = load(input + 48);
    input += 64;
    length -= 64;

    const __m128i k512 = crc_fold_constants<P, 512>();
    for (; length >= 64; input += 64, length -= 64) {
        x0 = crc_fold_128(x0, k512, load(input));
        x1 = crc_fold_128(x1, k512, load(input + 16));
        x2 = crc_fold_128(x2, k512, load(input + 32));
        x3 = crc_fold_128(x3, k512, load(input + 48));
    }
    const __m128i k128 = crc_fold_constants<P, 128>();
    x1 = crc_fold_128(x0, k128, x1);
    x2 = crc_fold_128(x1, k128, x2);
    x3 = crc_fold_128(x2, k128, x3);
    return crc_fold_finish<P>(x3, input, length);
}

} // namespace

uint32_t crc32_pclmul(uint32_t crc, const uint8_t *input, size_t length) {
    return fold<Crc32Polynomial>(crc, input, length);
}

uint32_t crc32c_pclmul(uint32_t crc, const uint8_t *input, size_t length) {
    return fold<Crc32cPolynomial>(crc, input, length);
}

uint64_t crc64nvme_pclmul(uint64_t crc, const uint8_t *input, size_t length) {
    return fold<Crc64NvmePolynomial>(crc, input, length);
}

#endif
