/* crc32_fold_constants.h -- the constants of the carry-less multiplication
 * CRC-32 backends (see crc32_fold.h), computed at compile time from the
 * polynomial. Plain integers, so tests can check them against zlib.
 */
#ifndef TVK_DIGEST_CRC32_FOLD_CONSTANTS_H
#define TVK_DIGEST_CRC32_FOLD_CONSTANTS_H

#include <cstdint>

/* x^e modulo the CRC-32 polynomial in zlib's reflected form 0xedb88320:
 * x^0 is bit 31, and multiplying by x is a shift right, reduced when x^31
 * (bit 0) moves out. */
constexpr uint32_t crc32_xpow_mod(unsigned e) {
    uint32_t r = 0x80000000u;
    for (unsigned i = 0; i < e; ++i)
        r = (r & 1) ? (r >> 1) ^ 0xedb88320u : r >> 1;
    return r;
}

/* The pair of constants that folds a register D bits further: one for H
 * (the low half), one for L (the high half). */
template <unsigned D> struct Crc32FoldConstants {
    static_assert(D >= 128, "a fold moves at least one register");
    static constexpr uint32_t high = crc32_xpow_mod(D + 31);
    static constexpr uint32_t low = crc32_xpow_mod(D - 33);
};

#endif
