/* crc_fold_constants.h -- the reflected CRCs the engine computes, each by its
 * polynomial, and the constants that fold and shift them (see crc_fold.h),
 * computed at compile time from the polynomial. Plain integers, so that the
 * portable cores and the tests can use them too.
 */
#ifndef TVK_DIGEST_CRC_FOLD_CONSTANTS_H
#define TVK_DIGEST_CRC_FOLD_CONSTANTS_H

#include <cstdint>

/* A reflected CRC of 32 or 64 bits: its word, and the polynomial with x^0
 * in the top bit and without the x^width term. In the word, bit b holds
 * x^(width - 1 - b). */
template <typename Word, Word Reflected> struct CrcPolynomial {
    using word = Word;
    static constexpr unsigned width = 8 * sizeof(Word);
    static constexpr Word reflected = Reflected;
};
using Crc32Polynomial = CrcPolynomial<uint32_t, 0xedb88320u>;  /* zlib's CRC-32 */
using Crc32cPolynomial = CrcPolynomial<uint32_t, 0x82f63b78u>; /* Castagnoli */
using Crc64NvmePolynomial = CrcPolynomial<uint64_t, 0x9a6c9329ac4bc9b5u>;

/* x^e modulo the polynomial: multiplying by x is a shift right, reduced
 * when x^(width - 1) (bit 0) moves out. */
template <class P> constexpr typename P::word crc_xpow_mod(unsigned e) {
    using Word = typename P::word;
    Word r = static_cast<Word>(Word{1} << (P::width - 1));
    for (unsigned i = 0; i < e; ++i)
        r = (r & 1) ? static_cast<Word>((r >> 1) ^ P::reflected) : static_cast<Word>(r >> 1);
    return r;
}

/* The pair of constants that folds a register D bits further: one for H
 * (the low half), one for L (the high half), each as a 64-bit half (a
 * 32-bit word sits in its low bits). */
template <class P, unsigned D> struct CrcFoldConstants {
    static_assert(D >= 128, "a fold moves at least one register");
    static constexpr uint64_t high = crc_xpow_mod<P>(D + P::width - 1);
    static constexpr uint64_t low = crc_xpow_mod<P>(D + P::width - 65);
};

/* The constants that reduce a folded register to the CRC: a word placed at
 * the top of a 64-bit half, so that the half holds the word's polynomial
 * itself (a 64-bit word fills the half). */
template <class P> constexpr uint64_t crc_top_of_half(typename P::word w) {
    return static_cast<uint64_t>(w) << (64 - P::width);
}
template <class P> struct CrcReduceConstants {
    /* x^(63+W) mod P: H*x^(64+W), from a product that is H times it times x */
    static constexpr uint64_t fold = crc_top_of_half<P>(crc_xpow_mod<P>(63 + P::width));
    /* floor(x^(64+W) / P) without its x^64 term, x^63 in bit 0: the quotient
     * bits are those that leave the register while x^(64+W) is reduced */
    static constexpr uint64_t mu = [] {
        using Word = typename P::word;
        Word r = static_cast<Word>(Word{1} << (P::width - 1));
        uint64_t q = 0;
        for (unsigned step = 1; step <= 64 + P::width; ++step) {
            const bool out = (r & 1) != 0;
            r = out ? static_cast<Word>((r >> 1) ^ P::reflected) : static_cast<Word>(r >> 1);
            if (out && step > P::width)
                q |= uint64_t{1} << (step - P::width - 1);
        }
        return q;
    }();
    /* P without its x^W term */
    static constexpr uint64_t poly = crc_top_of_half<P>(P::reflected);
};

#endif
