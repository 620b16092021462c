/* sha256.cpp -- SHA-256 secure hash, FIPS 180-2.
 * Sixty-four rounds over sixteen big-endian input words, each written out
 * with its constant. The 64-word message schedule of a block is filled as the
 * rounds reach it: words 16 to 63 are computed by the round that uses them.
 */
#include "digest/sha256.h"

#include <cstddef>

#include "digest/byte_order.h"
#include "digest/digest_update.h"
#include "digest/backends.h"
#include "digest/dispatch.h"

namespace {

inline uint32_t sha256_ch(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t sha256_maj(uint32_t x, uint32_t y, uint32_t z) {
    return (x & y) | (z & (x | y));
}
inline uint32_t sha256_big_sigma0(uint32_t x) {
    return rotr32(x, 2) ^ rotr32(x, 13) ^ rotr32(x, 22);
}
inline uint32_t sha256_big_sigma1(uint32_t x) {
    return rotr32(x, 6) ^ rotr32(x, 11) ^ rotr32(x, 25);
}
inline uint32_t sha256_sigma0(uint32_t x) {
    return rotr32(x, 7) ^ rotr32(x, 18) ^ (x >> 3);
}
inline uint32_t sha256_sigma1(uint32_t x) {
    return rotr32(x, 17) ^ rotr32(x, 19) ^ (x >> 10);
}

/* One round with the variables renamed instead of moved:
 * t1 = h + S1(e) + Ch(e, f, g) + k + w[t]; d += t1; h = t1 + S0(a) + Maj(a, b, c). */
#define SHA256_ROUND(a, b, c, d, e, f, g, h, t, k)                                                 \
    do {                                                                                           \
        const uint32_t t1 = (h) + sha256_big_sigma1(e) + sha256_ch((e), (f), (g)) + (k) + w[t];    \
        (d) += t1;                                                                                 \
        (h) = t1 + sha256_big_sigma0(a) + sha256_maj((a), (b), (c));                               \
    } while (0)

/* A round from 16 on first computes its schedule word. */
#define SHA256_ROUND_X(a, b, c, d, e, f, g, h, t, k)                                               \
    do {                                                                                           \
        w[t] = sha256_sigma1(w[(t)-2]) + w[(t)-7] + sha256_sigma0(w[(t)-15]) + w[(t)-16];          \
        SHA256_ROUND(a, b, c, d, e, f, g, h, t, k);                                                \
    } while (0)

} // namespace

void sha256_block_portable(uint32_t state[8], const uint8_t *block, size_t n) {
    for (; n > 0; --n, block += DIGEST_BLOCK_SIZE) {
        uint32_t w[64] = {load_be32(block + 0),  load_be32(block + 4),  load_be32(block + 8),
                          load_be32(block + 12), load_be32(block + 16), load_be32(block + 20),
                          load_be32(block + 24), load_be32(block + 28), load_be32(block + 32),
                          load_be32(block + 36), load_be32(block + 40), load_be32(block + 44),
                          load_be32(block + 48), load_be32(block + 52), load_be32(block + 56),
                          load_be32(block + 60)};
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];

        /* rounds 0 to 15 */
        SHA256_ROUND(a, b, c, d, e, f, g, h, 0, 0x428a2f98);
        SHA256_ROUND(h, a, b, c, d, e, f, g, 1, 0x71374491);
        SHA256_ROUND(g, h, a, b, c, d, e, f, 2, 0xb5c0fbcf);
        SHA256_ROUND(f, g, h, a, b, c, d, e, 3, 0xe9b5dba5);
        SHA256_ROUND(e, f, g, h, a, b, c, d, 4, 0x3956c25b);
        SHA256_ROUND(d, e, f, g, h, a, b, c, 5, 0x59f111f1);
        SHA256_ROUND(c, d, e, f, g, h, a, b, 6, 0x923f82a4);
        SHA256_ROUND(b, c, d, e, f, g, h, a, 7, 0xab1c5ed5);
        SHA256_ROUND(a, b, c, d, e, f, g, h, 8, 0xd807aa98);
        SHA256_ROUND(h, a, b, c, d, e, f, g, 9, 0x12835b01);
        SHA256_ROUND(g, h, a, b, c, d, e, f, 10, 0x243185be);
        SHA256_ROUND(f, g, h, a, b, c, d, e, 11, 0x550c7dc3);
        SHA256_ROUND(e, f, g, h, a, b, c, d, 12, 0x72be5d74);
        SHA256_ROUND(d, e, f, g, h, a, b, c, 13, 0x80deb1fe);
        SHA256_ROUND(c, d, e, f, g, h, a, b, 14, 0x9bdc06a7);
        SHA256_ROUND(b, c, d, e, f, g, h, a, 15, 0xc19bf174);
        /* rounds 16 to 31 */
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 16, 0xe49b69c1);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 17, 0xefbe4786);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 18, 0x0fc19dc6);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 19, 0x240ca1cc);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 20, 0x2de92c6f);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 21, 0x4a7484aa);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 22, 0x5cb0a9dc);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 23, 0x76f988da);
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 24, 0x983e5152);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 25, 0xa831c66d);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 26, 0xb00327c8);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 27, 0xbf597fc7);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 28, 0xc6e00bf3);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 29, 0xd5a79147);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 30, 0x06ca6351);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 31, 0x14292967);
        /* rounds 32 to 47 */
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 32, 0x27b70a85);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 33, 0x2e1b2138);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 34, 0x4d2c6dfc);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 35, 0x53380d13);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 36, 0x650a7354);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 37, 0x766a0abb);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 38, 0x81c2c92e);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 39, 0x92722c85);
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 40, 0xa2bfe8a1);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 41, 0xa81a664b);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 42, 0xc24b8b70);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 43, 0xc76c51a3);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 44, 0xd192e819);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 45, 0xd6990624);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 46, 0xf40e3585);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 47, 0x106aa070);
        /* rounds 48 to 63 */
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 48, 0x19a4c116);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 49, 0x1e376c08);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 50, 0x2748774c);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 51, 0x34b0bcb5);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 52, 0x391c0cb3);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 53, 0x4ed8aa4a);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 54, 0x5b9cca4f);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 55, 0x682e6ff3);
        SHA256_ROUND_X(a, b, c, d, e, f, g, h, 56, 0x748f82ee);
        SHA256_ROUND_X(h, a, b, c, d, e, f, g, 57, 0x78a5636f);
        SHA256_ROUND_X(g, h, a, b, c, d, e, f, 58, 0x84c87814);
        SHA256_ROUND_X(f, g, h, a, b, c, d, e, 59, 0x8cc70208);
        SHA256_ROUND_X(e, f, g, h, a, b, c, d, 60, 0x90befffa);
        SHA256_ROUND_X(d, e, f, g, h, a, b, c, 61, 0xa4506ceb);
        SHA256_ROUND_X(c, d, e, f, g, h, a, b, 62, 0xbef9a3f7);
        SHA256_ROUND_X(b, c, d, e, f, g, h, a, 63, 0xc67178f2);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#undef SHA256_ROUND
#undef SHA256_ROUND_X

void sha256_init(Sha256Context *ctx) {
    ctx->total[0] = 0;
    ctx->total[1] = 0;
    ctx->state[0] = 0x6a09e667;
    ctx->state[1] = 0xbb67ae85;
    ctx->state[2] = 0x3c6ef372;
    ctx->state[3] = 0xa54ff53a;
    ctx->state[4] = 0x510e527f;
    ctx->state[5] = 0x9b05688c;
    ctx->state[6] = 0x1f83d9ab;
    ctx->state[7] = 0x5be0cd19;
}

void sha256_update(Sha256Context *ctx, const uint8_t *input, uint32_t length) {
    digest_update(ctx, input, length, sha256_block);
}

void sha256_final(Sha256Context *ctx, uint8_t digest[SHA256_DIGEST_SIZE]) {
    const DigestBitCount bits = digest_bit_count(ctx);
    uint8_t length_block[8];
    store_be32(length_block, bits.high);
    store_be32(length_block + 4, bits.low);

    sha256_update(ctx, digest_padding, digest_pad_length(ctx));
    sha256_update(ctx, length_block, sizeof length_block);

    for (int i = 0; i < 8; ++i)
        store_be32(digest + 4 * i, ctx->state[i]);
}
