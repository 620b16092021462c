/* blake3_rounds.h -- the constants of BLAKE3 (O'Connor, Aumasson, Neves,
 * Wilcox-O'Hearn, "BLAKE3: one function, fast everywhere", 2020) shared by
 * the portable core and the vector backends.
 */
#ifndef TVK_DIGEST_BLAKE3_ROUNDS_H
#define TVK_DIGEST_BLAKE3_ROUNDS_H

#include <cstddef>
#include <cstdint>

/* The input is cut into chunks of 16 blocks of 64 bytes; the last chunk and
 * its last block may be shorter. */
constexpr size_t BLAKE3_BLOCK_LEN = 64;
constexpr size_t BLAKE3_CHUNK_BLOCKS = 16;
constexpr size_t BLAKE3_CHUNK_LEN = BLAKE3_BLOCK_LEN * BLAKE3_CHUNK_BLOCKS;

/* A chaining value: the first eight output words, 32 bytes little-endian. */
constexpr size_t BLAKE3_CV_LEN = 32;

/* The key of the plain hash and the words 8 to 11 of every compression:
 * SHA-256's initial hash value. */
constexpr uint32_t BLAKE3_IV[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

/* Domain flags, compression word 15: the first and last block of a chunk,
 * a parent node (two chaining values), and the root of the tree. */
constexpr uint32_t BLAKE3_CHUNK_START = 1u << 0;
constexpr uint32_t BLAKE3_CHUNK_END = 1u << 1;
constexpr uint32_t BLAKE3_PARENT = 1u << 2;
constexpr uint32_t BLAKE3_ROOT = 1u << 3;

constexpr int BLAKE3_ROUNDS = 7;

/* The message words each round takes, in the order its eight G functions
 * use them: round 0 takes them in order, each later round permutes the
 * previous round's order by {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14,
 * 15, 8}. */
struct Blake3Schedule {
    uint8_t word[BLAKE3_ROUNDS][16];
};

constexpr Blake3Schedule blake3_make_schedule() {
    constexpr uint8_t permutation[16] = {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8};
    Blake3Schedule s{};
    for (int i = 0; i < 16; ++i)
        s.word[0][i] = static_cast<uint8_t>(i);
    for (int r = 1; r < BLAKE3_ROUNDS; ++r)
        for (int i = 0; i < 16; ++i)
            s.word[r][i] = s.word[r - 1][permutation[i]];
    return s;
}

constexpr Blake3Schedule BLAKE3_SCHEDULE = blake3_make_schedule();

/* The state words each G of a round mixes: four columns, then four
 * diagonals; G number g takes message words 2g and 2g + 1 of the round. */
constexpr uint8_t BLAKE3_G[8][4] = {{0, 4, 8, 12},  {1, 5, 9, 13},  {2, 6, 10, 14}, {3, 7, 11, 15},
                                    {0, 5, 10, 15}, {1, 6, 11, 12}, {2, 7, 8, 13},  {3, 4, 9, 14}};

namespace {

/* The seven rounds over the sixteen state words s, from the message words
 * m. Ops supplies the word type's add, xor and right rotations by 16, 12,
 * 8 and 7: plain 32-bit words in the portable core, one word per lane in
 * the vector backends (internal linkage: each backend compiles this with
 * its own instruction set). The loops unroll fully, so that every index is
 * a constant and the words stay in registers. */
template <class Ops, class T>
[[gnu::always_inline]] inline void blake3_rounds(T s[16], const T m[16]) {
#pragma GCC unroll 7
    for (int r = 0; r < BLAKE3_ROUNDS; ++r) {
#pragma GCC unroll 8
        for (int g = 0; g < 8; ++g) {
            T &a = s[BLAKE3_G[g][0]], &b = s[BLAKE3_G[g][1]];
            T &c = s[BLAKE3_G[g][2]], &d = s[BLAKE3_G[g][3]];
            a = Ops::add(Ops::add(a, b), m[BLAKE3_SCHEDULE.word[r][2 * g]]);
            d = Ops::rot16(Ops::xor_(d, a));
            c = Ops::add(c, d);
            b = Ops::rot12(Ops::xor_(b, c));
            a = Ops::add(Ops::add(a, b), m[BLAKE3_SCHEDULE.word[r][2 * g + 1]]);
            d = Ops::rot8(Ops::xor_(d, a));
            c = Ops::add(c, d);
            b = Ops::rot7(Ops::xor_(b, c));
        }
    }
}

} // namespace

#endif
