/* md5.cpp -- MD5 message digest, RFC 1321.
 * Four rounds of sixteen steps over sixteen little-endian input words, each
 * step written out with its shift and constant; the chaining words stay in
 * locals for the whole block.
 */
#include "digest/md5.h"

#include <cstddef>

#include "digest/byte_order.h"
#include "digest/digest_update.h"

namespace {

/* The round functions of RFC 1321, in forms with fewer operations: F and G
 * select bits (G as a sum of disjoint parts, which shortens the chain
 * through the newest word), H is parity, I as defined. */
inline uint32_t md5_f(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t md5_g(uint32_t x, uint32_t y, uint32_t z) {
    return (x & z) + (y & ~z);
}
inline uint32_t md5_h(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t md5_i(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

#define F md5_f
#define G md5_g
#define H md5_h
#define I md5_i

/* a = b + ((a + f(b, c, d) + x + t) <<< s) */
#define MD5_STEP(f, a, b, c, d, x, s, t)                                                           \
    do {                                                                                           \
        (a) += f((b), (c), (d)) + (x) + (t);                                                       \
        (a) = rotl32((a), (s)) + (b);                                                              \
    } while (0)

/* The compression function over n consecutive 64-byte blocks. */
void md5_block(uint32_t state[4], const uint8_t *block, size_t n) {
    for (; n > 0; --n, block += DIGEST_BLOCK_SIZE) {
        const uint32_t x0 = load_le32(block + 0), x1 = load_le32(block + 4);
        const uint32_t x2 = load_le32(block + 8), x3 = load_le32(block + 12);
        const uint32_t x4 = load_le32(block + 16), x5 = load_le32(block + 20);
        const uint32_t x6 = load_le32(block + 24), x7 = load_le32(block + 28);
        const uint32_t x8 = load_le32(block + 32), x9 = load_le32(block + 36);
        const uint32_t x10 = load_le32(block + 40), x11 = load_le32(block + 44);
        const uint32_t x12 = load_le32(block + 48), x13 = load_le32(block + 52);
        const uint32_t x14 = load_le32(block + 56), x15 = load_le32(block + 60);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

        /* round 1 */
        MD5_STEP(F, a, b, c, d, x0, 7, 0xd76aa478);
        MD5_STEP(F, d, a, b, c, x1, 12, 0xe8c7b756);
        MD5_STEP(F, c, d, a, b, x2, 17, 0x242070db);
        MD5_STEP(F, b, c, d, a, x3, 22, 0xc1bdceee);
        MD5_STEP(F, a, b, c, d, x4, 7, 0xf57c0faf);
        MD5_STEP(F, d, a, b, c, x5, 12, 0x4787c62a);
        MD5_STEP(F, c, d, a, b, x6, 17, 0xa8304613);
        MD5_STEP(F, b, c, d, a, x7, 22, 0xfd469501);
        MD5_STEP(F, a, b, c, d, x8, 7, 0x698098d8);
        MD5_STEP(F, d, a, b, c, x9, 12, 0x8b44f7af);
        MD5_STEP(F, c, d, a, b, x10, 17, 0xffff5bb1);
        MD5_STEP(F, b, c, d, a, x11, 22, 0x895cd7be);
        MD5_STEP(F, a, b, c, d, x12, 7, 0x6b901122);
        MD5_STEP(F, d, a, b, c, x13, 12, 0xfd987193);
        MD5_STEP(F, c, d, a, b, x14, 17, 0xa679438e);
        MD5_STEP(F, b, c, d, a, x15, 22, 0x49b40821);
        /* round 2 */
        MD5_STEP(G, a, b, c, d, x1, 5, 0xf61e2562);
        MD5_STEP(G, d, a, b, c, x6, 9, 0xc040b340);
        MD5_STEP(G, c, d, a, b, x11, 14, 0x265e5a51);
        MD5_STEP(G, b, c, d, a, x0, 20, 0xe9b6c7aa);
        MD5_STEP(G, a, b, c, d, x5, 5, 0xd62f105d);
        MD5_STEP(G, d, a, b, c, x10, 9, 0x02441453);
        MD5_STEP(G, c, d, a, b, x15, 14, 0xd8a1e681);
        MD5_STEP(G, b, c, d, a, x4, 20, 0xe7d3fbc8);
        MD5_STEP(G, a, b, c, d, x9, 5, 0x21e1cde6);
        MD5_STEP(G, d, a, b, c, x14, 9, 0xc33707d6);
        MD5_STEP(G, c, d, a, b, x3, 14, 0xf4d50d87);
        MD5_STEP(G, b, c, d, a, x8, 20, 0x455a14ed);
        MD5_STEP(G, a, b, c, d, x13, 5, 0xa9e3e905);
        MD5_STEP(G, d, a, b, c, x2, 9, 0xfcefa3f8);
        MD5_STEP(G, c, d, a, b, x7, 14, 0x676f02d9);
        MD5_STEP(G, b, c, d, a, x12, 20, 0x8d2a4c8a);
        /* round 3 */
        MD5_STEP(H, a, b, c, d, x5, 4, 0xfffa3942);
        MD5_STEP(H, d, a, b, c, x8, 11, 0x8771f681);
        MD5_STEP(H, c, d, a, b, x11, 16, 0x6d9d6122);
        MD5_STEP(H, b, c, d, a, x14, 23, 0xfde5380c);
        MD5_STEP(H, a, b, c, d, x1, 4, 0xa4beea44);
        MD5_STEP(H, d, a, b, c, x4, 11, 0x4bdecfa9);
        MD5_STEP(H, c, d, a, b, x7, 16, 0xf6bb4b60);
        MD5_STEP(H, b, c, d, a, x10, 23, 0xbebfbc70);
        MD5_STEP(H, a, b, c, d, x13, 4, 0x289b7ec6);
        MD5_STEP(H, d, a, b, c, x0, 11, 0xeaa127fa);
        MD5_STEP(H, c, d, a, b, x3, 16, 0xd4ef3085);
        MD5_STEP(H, b, c, d, a, x6, 23, 0x04881d05);
        MD5_STEP(H, a, b, c, d, x9, 4, 0xd9d4d039);
        MD5_STEP(H, d, a, b, c, x12, 11, 0xe6db99e5);
        MD5_STEP(H, c, d, a, b, x15, 16, 0x1fa27cf8);
        MD5_STEP(H, b, c, d, a, x2, 23, 0xc4ac5665);
        /* round 4 */
        MD5_STEP(I, a, b, c, d, x0, 6, 0xf4292244);
        MD5_STEP(I, d, a, b, c, x7, 10, 0x432aff97);
        MD5_STEP(I, c, d, a, b, x14, 15, 0xab9423a7);
        MD5_STEP(I, b, c, d, a, x5, 21, 0xfc93a039);
        MD5_STEP(I, a, b, c, d, x12, 6, 0x655b59c3);
        MD5_STEP(I, d, a, b, c, x3, 10, 0x8f0ccc92);
        MD5_STEP(I, c, d, a, b, x10, 15, 0xffeff47d);
        MD5_STEP(I, b, c, d, a, x1, 21, 0x85845dd1);
        MD5_STEP(I, a, b, c, d, x8, 6, 0x6fa87e4f);
        MD5_STEP(I, d, a, b, c, x15, 10, 0xfe2ce6e0);
        MD5_STEP(I, c, d, a, b, x6, 15, 0xa3014314);
        MD5_STEP(I, b, c, d, a, x13, 21, 0x4e0811a1);
        MD5_STEP(I, a, b, c, d, x4, 6, 0xf7537e82);
        MD5_STEP(I, d, a, b, c, x11, 10, 0xbd3af235);
        MD5_STEP(I, c, d, a, b, x2, 15, 0x2ad7d2bb);
        MD5_STEP(I, b, c, d, a, x9, 21, 0xeb86d391);
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
    }
}

#undef MD5_STEP
#undef F
#undef G
#undef H
#undef I

} // namespace

void md5_init(Md5Context *ctx) {
    ctx->total[0] = 0;
    ctx->total[1] = 0;
    ctx->state[0] = 0x67452301;
    ctx->state[1] = 0xefcdab89;
    ctx->state[2] = 0x98badcfe;
    ctx->state[3] = 0x10325476;
}

void md5_update(Md5Context *ctx, const uint8_t *input, uint32_t length) {
    digest_update(ctx, input, length, md5_block);
}

void md5_final(Md5Context *ctx, uint8_t digest[MD5_DIGEST_SIZE]) {
    const DigestBitCount bits = digest_bit_count(ctx);
    uint8_t length_block[8];
    store_le32(length_block, bits.low);
    store_le32(length_block + 4, bits.high);

    md5_update(ctx, digest_padding, digest_pad_length(ctx));
    md5_update(ctx, length_block, sizeof length_block);

    for (int i = 0; i < 4; ++i)
        store_le32(digest + 4 * i, ctx->state[i]);
}
