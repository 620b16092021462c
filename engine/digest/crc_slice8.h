/* crc_slice8.h -- the portable core of a reflected CRC of 32 or 64 bits:
 * slicing-by-8, eight bytes per step through eight tables of 256 words,
 * built at compile time from the polynomial (crc_fold_constants.h).
 */
#ifndef TVK_DIGEST_CRC_SLICE8_H
#define TVK_DIGEST_CRC_SLICE8_H

#include <cstddef>
#include <cstdint>

#include "digest/byte_order.h"
#include "digest/crc_fold_constants.h"

/* table[0][b]: the CRC register after byte b from a zero register;
 * table[k][b]: the same followed by k zero bytes. */
template <class P> struct CrcSlice8Tables {
    using Word = typename P::word;
    Word table[8][256] = {};

    constexpr CrcSlice8Tables() {
        for (unsigned b = 0; b < 256; ++b) {
            Word r = static_cast<Word>(b);
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 1) ? static_cast<Word>((r >> 1) ^ P::reflected)
                            : static_cast<Word>(r >> 1);
            table[0][b] = r;
        }
        for (unsigned k = 1; k < 8; ++k)
            for (unsigned b = 0; b < 256; ++b) {
                const Word r = table[k - 1][b];
                table[k][b] = static_cast<Word>((r >> 8) ^ table[0][r & 0xff]);
            }
    }
};

/* The CRC in zlib's convention (running value in, new value out) of length
 * bytes. The register is at most 64 bits, so eight input bytes XORed into
 * it cover it whole, and each of the eight bytes of the sum moves on by the
 * table of the bytes that follow it. */
template <class P>
typename P::word crc_slice8(const CrcSlice8Tables<P> &t, typename P::word crc, const uint8_t *input,
                            size_t length) {
    using Word = typename P::word;
    Word r = static_cast<Word>(~crc);
    for (; length >= 8; input += 8, length -= 8) {
        const uint64_t v = load_le64(input) ^ r;
        r = static_cast<Word>(t.table[7][v & 0xff] ^ t.table[6][(v >> 8) & 0xff] ^
                              t.table[5][(v >> 16) & 0xff] ^ t.table[4][(v >> 24) & 0xff] ^
                              t.table[3][(v >> 32) & 0xff] ^ t.table[2][(v >> 40) & 0xff] ^
                              t.table[1][(v >> 48) & 0xff] ^ t.table[0][v >> 56]);
    }
    for (; length > 0; ++input, --length)
        r = static_cast<Word>((r >> 8) ^ t.table[0][(r ^ *input) & 0xff]);
    return static_cast<Word>(~r);
}

#endif
