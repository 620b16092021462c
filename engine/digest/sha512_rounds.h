/* sha512_rounds.h -- the SHA-512 round constants and one round, shared by
 * the portable core and the backends that compute the message schedule
 * with vector instructions but run the rounds on scalar registers.
 */
#ifndef TVK_DIGEST_SHA512_ROUNDS_H
#define TVK_DIGEST_SHA512_ROUNDS_H

#include <cstddef>
#include <cstdint>

#include "digest/byte_order.h"

inline constexpr uint64_t sha512_k[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc,
    0x3956c25bf348b538, 0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118,
    0xd807aa98a3030242, 0x12835b0145706fbe, 0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235, 0xc19bf174cf692694,
    0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5,
    0x983e5152ee66dfab, 0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2, 0xd5a79147930aa725, 0x06ca6351e003826f, 0x142929670a0e6e70,
    0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed, 0x53380d139d95b3df,
    0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30,
    0xd192e819d6ef5218, 0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8, 0x1e376c085141ab53, 0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373, 0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b,
    0xca273eceea26619c, 0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178,
    0x06f067aa72176fba, 0x0a637dc5a2c898a6, 0x113f9804bef90dae, 0x1b710b35131c471b,
    0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc, 0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817,
};

inline uint64_t sha512_big_sigma0(uint64_t x) {
    return rotr64(x, 28) ^ rotr64(x, 34) ^ rotr64(x, 39);
}
inline uint64_t sha512_big_sigma1(uint64_t x) {
    return rotr64(x, 14) ^ rotr64(x, 18) ^ rotr64(x, 41);
}
inline uint64_t sha512_sigma0(uint64_t x) {
    return rotr64(x, 1) ^ rotr64(x, 8) ^ (x >> 7);
}
inline uint64_t sha512_sigma1(uint64_t x) {
    return rotr64(x, 19) ^ rotr64(x, 61) ^ (x >> 6);
}

/* One round with the variables renamed instead of moved, wk being the
 * schedule word plus the round constant:
 * t1 = h + wk + Ch(e, f, g) + S1(e); d += t1; h = t1 + S0(a) + Maj(a, b, c).
 * Ch(e, f, g) = (e & f) + (~e & g), the two having no bit in common: adds
 * that need no register of their own, and an and-not where BMI has it.
 * Maj(a, b, c) = ((a ^ b) & (b ^ c)) ^ b, and the b ^ c of a round is the
 * a ^ b of the round before: bc brings it in, ab takes the new one out. */
#define SHA512_ROUND(a, b, c, d, e, f, g, h, wk, bc, ab)                                           \
    do {                                                                                           \
        const uint64_t t1 = (h) + (wk) + ((e) & (f)) + (~(e) & (g)) + sha512_big_sigma1(e);        \
        (ab) = (a) ^ (b);                                                                          \
        (d) += t1;                                                                                 \
        (h) = t1 + sha512_big_sigma0(a) + (((ab) & (bc)) ^ (b));                                   \
    } while (0)

/* Eight rounds from round t on, WK(t) giving round t's schedule word plus
 * constant, each round followed by STEP(t), a statement of the caller's
 * (work to interleave with the rounds, or nothing); after them the
 * variables are back in their places, and x holds b ^ c for the next
 * round. */
#define SHA512_8_ROUNDS(t, WK, STEP)                                                               \
    do {                                                                                           \
        SHA512_ROUND(a, b, c, d, e, f, g, h, WK((t) + 0), x, y);                                   \
        STEP((t) + 0);                                                                             \
        SHA512_ROUND(h, a, b, c, d, e, f, g, WK((t) + 1), y, x);                                   \
        STEP((t) + 1);                                                                             \
        SHA512_ROUND(g, h, a, b, c, d, e, f, WK((t) + 2), x, y);                                   \
        STEP((t) + 2);                                                                             \
        SHA512_ROUND(f, g, h, a, b, c, d, e, WK((t) + 3), y, x);                                   \
        STEP((t) + 3);                                                                             \
        SHA512_ROUND(e, f, g, h, a, b, c, d, WK((t) + 4), x, y);                                   \
        STEP((t) + 4);                                                                             \
        SHA512_ROUND(d, e, f, g, h, a, b, c, WK((t) + 5), y, x);                                   \
        STEP((t) + 5);                                                                             \
        SHA512_ROUND(c, d, e, f, g, h, a, b, WK((t) + 6), x, y);                                   \
        STEP((t) + 6);                                                                             \
        SHA512_ROUND(b, c, d, e, f, g, h, a, WK((t) + 7), y, x);                                   \
        STEP((t) + 7);                                                                             \
    } while (0)

/* All eighty rounds on the working variables a to h, locals of the
 * caller; x and y are the two scratch words of Maj. */
#define SHA512_80_ROUNDS(WK, STEP)                                                                 \
    do {                                                                                           \
        uint64_t x = b ^ c, y = 0;                                                                 \
        SHA512_8_ROUNDS(0, WK, STEP);                                                              \
        SHA512_8_ROUNDS(8, WK, STEP);                                                              \
        SHA512_8_ROUNDS(16, WK, STEP);                                                             \
        SHA512_8_ROUNDS(24, WK, STEP);                                                             \
        SHA512_8_ROUNDS(32, WK, STEP);                                                             \
        SHA512_8_ROUNDS(40, WK, STEP);                                                             \
        SHA512_8_ROUNDS(48, WK, STEP);                                                             \
        SHA512_8_ROUNDS(56, WK, STEP);                                                             \
        SHA512_8_ROUNDS(64, WK, STEP);                                                             \
        SHA512_8_ROUNDS(72, WK, STEP);                                                             \
    } while (0)

/* A STEP that does nothing. */
#define SHA512_NO_STEP(t)

namespace {

/* Schedule word t (16 to 79) in place of word t - 16 of the window. */
inline uint64_t sha512_next_word(uint64_t w[16], int t) {
    w[t & 15] += sha512_sigma1(w[(t - 2) & 15]) + w[(t - 7) & 15] + sha512_sigma0(w[(t - 15) & 15]);
    return w[t & 15];
}

/* The compression function over n blocks on scalar registers alone: the
 * eighty rounds written out, the message schedule in a 16-word window that
 * each round from the seventeenth on overwrites in place. The portable
 * core, and the vector backends' choice for fewer blocks than they have
 * lanes (each compiles it with its own instruction set). */
inline void sha512_scalar_blocks(uint64_t state[8], const uint8_t *block, size_t n) {
    for (; n > 0; --n, block += 128) {
        uint64_t w[16];
        for (int i = 0; i < 16; ++i)
            w[i] = load_be64(block + 8 * i);
        uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
#define SHA512_SCALAR_WK(t) (((t) < 16 ? w[(t)] : sha512_next_word(w, (t))) + sha512_k[(t)])
        SHA512_80_ROUNDS(SHA512_SCALAR_WK, SHA512_NO_STEP);
#undef SHA512_SCALAR_WK
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

} // namespace

#endif
