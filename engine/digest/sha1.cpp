/* sha1.cpp -- SHA-1 secure hash, FIPS 180-2.
 * Eighty steps over sixteen big-endian input words, each written out with its
 * function and constant. The message schedule is a 16-word circular window:
 * from step 16 on, each step overwrites the word it no longer needs.
 */
#include "digest/sha1.h"

#include <cstddef>

#include "digest/byte_order.h"
#include "digest/digest_update.h"
#include "digest/backends.h"
#include "digest/dispatch.h"

namespace {

inline uint32_t sha1_ch(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t sha1_parity(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t sha1_maj(uint32_t x, uint32_t y, uint32_t z) {
    return (x & y) | (z & (x | y));
}

#define SHA1_CH sha1_ch
#define SHA1_PARITY sha1_parity
#define SHA1_MAJ sha1_maj

/* Schedule word t for t >= 16, written over word t - 16 of the window. */
#define SHA1_W(t)                                                                                  \
    (w[(t)&15] = rotl32(w[((t)-3) & 15] ^ w[((t)-8) & 15] ^ w[((t)-14) & 15] ^ w[(t)&15], 1))

/* One step with the variables renamed instead of moved:
 * e += (a <<< 5) + f(b, c, d) + k + w; b = b <<< 30. */
#define SHA1_STEP(f, a, b, c, d, e, t, k)                                                          \
    do {                                                                                           \
        (e) += rotl32((a), 5) + f((b), (c), (d)) + (k) + w[t];                                     \
        (b) = rotl32((b), 30);                                                                     \
    } while (0)

#define SHA1_STEP_X(f, a, b, c, d, e, t, k)                                                        \
    do {                                                                                           \
        (e) += rotl32((a), 5) + f((b), (c), (d)) + (k) + SHA1_W(t);                                \
        (b) = rotl32((b), 30);                                                                     \
    } while (0)

} // namespace

void sha1_block_portable(uint32_t state[5], const uint8_t *block, size_t n) {
    for (; n > 0; --n, block += DIGEST_BLOCK_SIZE) {
        uint32_t w[16] = {load_be32(block + 0),  load_be32(block + 4),  load_be32(block + 8),
                          load_be32(block + 12), load_be32(block + 16), load_be32(block + 20),
                          load_be32(block + 24), load_be32(block + 28), load_be32(block + 32),
                          load_be32(block + 36), load_be32(block + 40), load_be32(block + 44),
                          load_be32(block + 48), load_be32(block + 52), load_be32(block + 56),
                          load_be32(block + 60)};
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

        /* steps 0 to 19 */
        SHA1_STEP(SHA1_CH, a, b, c, d, e, 0, 0x5a827999);
        SHA1_STEP(SHA1_CH, e, a, b, c, d, 1, 0x5a827999);
        SHA1_STEP(SHA1_CH, d, e, a, b, c, 2, 0x5a827999);
        SHA1_STEP(SHA1_CH, c, d, e, a, b, 3, 0x5a827999);
        SHA1_STEP(SHA1_CH, b, c, d, e, a, 4, 0x5a827999);
        SHA1_STEP(SHA1_CH, a, b, c, d, e, 5, 0x5a827999);
        SHA1_STEP(SHA1_CH, e, a, b, c, d, 6, 0x5a827999);
        SHA1_STEP(SHA1_CH, d, e, a, b, c, 7, 0x5a827999);
        SHA1_STEP(SHA1_CH, c, d, e, a, b, 8, 0x5a827999);
        SHA1_STEP(SHA1_CH, b, c, d, e, a, 9, 0x5a827999);
        SHA1_STEP(SHA1_CH, a, b, c, d, e, 10, 0x5a827999);
        SHA1_STEP(SHA1_CH, e, a, b, c, d, 11, 0x5a827999);
        SHA1_STEP(SHA1_CH, d, e, a, b, c, 12, 0x5a827999);
        SHA1_STEP(SHA1_CH, c, d, e, a, b, 13, 0x5a827999);
        SHA1_STEP(SHA1_CH, b, c, d, e, a, 14, 0x5a827999);
        SHA1_STEP(SHA1_CH, a, b, c, d, e, 15, 0x5a827999);
        SHA1_STEP_X(SHA1_CH, e, a, b, c, d, 16, 0x5a827999);
        SHA1_STEP_X(SHA1_CH, d, e, a, b, c, 17, 0x5a827999);
        SHA1_STEP_X(SHA1_CH, c, d, e, a, b, 18, 0x5a827999);
        SHA1_STEP_X(SHA1_CH, b, c, d, e, a, 19, 0x5a827999);
        /* steps 20 to 39 */
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 20, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 21, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 22, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 23, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 24, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 25, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 26, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 27, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 28, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 29, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 30, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 31, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 32, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 33, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 34, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 35, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 36, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 37, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 38, 0x6ed9eba1);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 39, 0x6ed9eba1);
        /* steps 40 to 59 */
        SHA1_STEP_X(SHA1_MAJ, a, b, c, d, e, 40, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, e, a, b, c, d, 41, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, d, e, a, b, c, 42, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, c, d, e, a, b, 43, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, b, c, d, e, a, 44, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, a, b, c, d, e, 45, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, e, a, b, c, d, 46, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, d, e, a, b, c, 47, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, c, d, e, a, b, 48, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, b, c, d, e, a, 49, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, a, b, c, d, e, 50, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, e, a, b, c, d, 51, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, d, e, a, b, c, 52, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, c, d, e, a, b, 53, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, b, c, d, e, a, 54, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, a, b, c, d, e, 55, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, e, a, b, c, d, 56, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, d, e, a, b, c, 57, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, c, d, e, a, b, 58, 0x8f1bbcdc);
        SHA1_STEP_X(SHA1_MAJ, b, c, d, e, a, 59, 0x8f1bbcdc);
        /* steps 60 to 79 */
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 60, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 61, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 62, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 63, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 64, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 65, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 66, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 67, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 68, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 69, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 70, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 71, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 72, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 73, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 74, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, a, b, c, d, e, 75, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, e, a, b, c, d, 76, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, d, e, a, b, c, 77, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, c, d, e, a, b, 78, 0xca62c1d6);
        SHA1_STEP_X(SHA1_PARITY, b, c, d, e, a, 79, 0xca62c1d6);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

#undef SHA1_STEP
#undef SHA1_STEP_X
#undef SHA1_W
#undef SHA1_CH
#undef SHA1_PARITY
#undef SHA1_MAJ

void sha1_init(Sha1Context *ctx) {
    ctx->total[0] = 0;
    ctx->total[1] = 0;
    ctx->state[0] = 0x67452301;
    ctx->state[1] = 0xefcdab89;
    ctx->state[2] = 0x98badcfe;
    ctx->state[3] = 0x10325476;
    ctx->state[4] = 0xc3d2e1f0;
}

void sha1_update(Sha1Context *ctx, const uint8_t *input, uint32_t length) {
    digest_update(ctx, input, length, sha1_block);
}

void sha1_final(Sha1Context *ctx, uint8_t digest[SHA1_DIGEST_SIZE]) {
    const DigestBitCount bits = digest_bit_count(ctx);
    uint8_t length_block[8];
    store_be32(length_block, bits.high);
    store_be32(length_block + 4, bits.low);

    sha1_update(ctx, digest_padding, digest_pad_length(ctx));
    sha1_update(ctx, length_block, sizeof length_block);

    for (int i = 0; i < 5; ++i)
        store_be32(digest + 4 * i, ctx->state[i]);
}
