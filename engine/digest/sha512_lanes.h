/* sha512_lanes.h -- SHA-512 compression for the vector backends: the
 * message schedule of several blocks is computed at once, one 64-bit lane
 * per block, with the round constants added; the rounds then run block
 * after block on scalar registers, taking each schedule word from memory.
 * The schedule of the next group of blocks is computed in between the
 * rounds of this group, a step every few rounds: the rounds are one long
 * chain of dependent instructions, and the vector work fills the gaps the
 * chain leaves (spread thinly, it never holds the chain up).
 * The rounds are written out forty at a time and looped over, twice per
 * block and once per lane: all eighty written out for each lane made a
 * loop of some 55 KB, more than the processor's instruction caches hold,
 * and decoding it again each time held the rounds up more than the loop
 * costs.
 * Everything here has internal linkage: each backend compiles it with its
 * own instruction set.
 *
 * A backend supplies Schedule: LANES, load(block, wk) with the LANES block
 * addresses, which computes words 0 to 15, and step(t, wk) for t from 16 to
 * 79 in order, which computes word t; wk[t][lane] is word t of block lane
 * plus the round constant.
 */
#ifndef TVK_DIGEST_SHA512_LANES_H
#define TVK_DIGEST_SHA512_LANES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "digest/sha512.h"
#include "digest/sha512_rounds.h"

namespace {

/* Rounds per pass of the round loop (a multiple of eight, so that the
 * variables are back in their places after it), and the steps of the next
 * group's schedule that each pass takes: the 64 computed words share out
 * evenly over the LANES blocks' passes. */
constexpr int SHA512_PASS_ROUNDS = 40;
constexpr int SHA512_PASSES = 80 / SHA512_PASS_ROUNDS;

/* One round for the lanes' loop, shaped for a short critical path rather
 * than for the fewest instructions: the new e is ready four dependent
 * operations after e (Sigma1's three, then one add, d + h + wk and Ch being
 * summed beforehand), and the new a four after a, with
 * Maj(a, b, c) = (a & (b ^ c)) + (b & c) (the two never share a bit, so
 * they add as well as they or), b ^ c and b & c being ready before a is.
 * t1 and the new a wait for e longer, but nothing needs them before the
 * round after next. */
#define SHA512_LANE_ROUND(a, b, c, d, e, f, g, h, wk)                                              \
    do {                                                                                           \
        const uint64_t hwk = (h) + (wk);                                                           \
        const uint64_t ch = ((e) & (f)) ^ (~(e) & (g));                                            \
        const uint64_t s1 = sha512_big_sigma1(e);                                                  \
        uint64_t dhwk = (d) + hwk;                                                                 \
        uint64_t t1 = hwk + ((b) & (c));                                                           \
        dhwk += ch;                                                                                \
        t1 += ch;                                                                                  \
        SHA512_PIN(dhwk);                                                                          \
        SHA512_PIN(t1);                                                                            \
        (d) = dhwk + s1;                                                                           \
        t1 += s1;                                                                                  \
        SHA512_PIN(t1);                                                                            \
        t1 += (a) & ((b) ^ (c));                                                                   \
        SHA512_PIN(t1);                                                                            \
        (h) = t1 + sha512_big_sigma0(a);                                                           \
    } while (0)

/* Keeps the compiler from summing a value's terms in another order: left
 * to itself GCC put them back in one chain, and the AVX-512 backend ran at
 * little more than half its speed. Only where a register holds 64 bits;
 * elsewhere the spills matter more than the order. */
#if defined(__x86_64__)
#define SHA512_PIN(v) __asm__("" : "+r"(v))
#else
#define SHA512_PIN(v)
#endif

/* Eight rounds from round t on, as SHA512_8_ROUNDS of sha512_rounds.h. */
#define SHA512_LANE_8_ROUNDS(t, WK, STEP)                                                          \
    do {                                                                                           \
        SHA512_LANE_ROUND(a, b, c, d, e, f, g, h, WK((t) + 0));                                    \
        STEP((t) + 0);                                                                             \
        SHA512_LANE_ROUND(h, a, b, c, d, e, f, g, WK((t) + 1));                                    \
        STEP((t) + 1);                                                                             \
        SHA512_LANE_ROUND(g, h, a, b, c, d, e, f, WK((t) + 2));                                    \
        STEP((t) + 2);                                                                             \
        SHA512_LANE_ROUND(f, g, h, a, b, c, d, e, WK((t) + 3));                                    \
        STEP((t) + 3);                                                                             \
        SHA512_LANE_ROUND(e, f, g, h, a, b, c, d, WK((t) + 4));                                    \
        STEP((t) + 4);                                                                             \
        SHA512_LANE_ROUND(d, e, f, g, h, a, b, c, WK((t) + 5));                                    \
        STEP((t) + 5);                                                                             \
        SHA512_LANE_ROUND(c, d, e, f, g, h, a, b, WK((t) + 6));                                    \
        STEP((t) + 6);                                                                             \
        SHA512_LANE_ROUND(b, c, d, e, f, g, h, a, WK((t) + 7));                                    \
        STEP((t) + 7);                                                                             \
    } while (0)

/* A Schedule that computes nothing, for rounds with nothing beside them. */
template <size_t Lanes> struct NoSchedule {
    void step(int, uint64_t (*)[Lanes]) {}
};

/* The eighty rounds of block lane, with next.step(first + i, next_wk) for i
 * from 0 on, Steps in each pass, spread evenly over its rounds. */
template <size_t Lanes, int Steps, class Next>
[[gnu::always_inline]] inline void
sha512_lane_rounds(uint64_t state[8], const uint64_t (*wk)[Lanes], size_t lane, Next &next,
                   uint64_t (*next_wk)[Lanes], int first) {
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    constexpr int every = Steps > 0 ? SHA512_PASS_ROUNDS / Steps : SHA512_PASS_ROUNDS;
    for (int pass = 0; pass < SHA512_PASSES; ++pass) {
        const uint64_t *w = &wk[pass * SHA512_PASS_ROUNDS][lane];
        const int step = first + pass * Steps;
#define SHA512_LANE_WK(t) w[(t)*Lanes]
#define SHA512_LANE_STEP(t)                                                                        \
    if ((t) % every == 0)                                                                          \
    next.step(step + (t) / every, next_wk)
        SHA512_LANE_8_ROUNDS(0, SHA512_LANE_WK, SHA512_LANE_STEP);
        SHA512_LANE_8_ROUNDS(8, SHA512_LANE_WK, SHA512_LANE_STEP);
        SHA512_LANE_8_ROUNDS(16, SHA512_LANE_WK, SHA512_LANE_STEP);
        SHA512_LANE_8_ROUNDS(24, SHA512_LANE_WK, SHA512_LANE_STEP);
        SHA512_LANE_8_ROUNDS(32, SHA512_LANE_WK, SHA512_LANE_STEP);
#undef SHA512_LANE_WK
#undef SHA512_LANE_STEP
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

/* The LANES block addresses of the group at blocks, of which used are
 * real; the spare lanes repeat the last block (their rounds are not run). */
template <size_t Lanes>
inline void sha512_group(const uint8_t *blocks, size_t used, const uint8_t *block[Lanes]) {
    for (size_t i = 0; i < Lanes; ++i)
        block[i] = blocks + SHA512_BLOCK_SIZE * std::min(i, used - 1);
}

template <class Schedule>
inline void sha512_blocks_in_lanes(uint64_t state[8], const uint8_t *blocks, size_t n) {
    constexpr size_t L = Schedule::LANES;
    /* The steps of one pass: words 16 to 79 over L blocks of passes. */
    constexpr int STEPS = 64 / static_cast<int>(L * SHA512_PASSES);
    static_assert(STEPS * static_cast<int>(L) * SHA512_PASSES == 64, "the steps share out evenly");
    static_assert(SHA512_PASS_ROUNDS % STEPS == 0, "the steps spread evenly over a pass");
    if (n < L) {
        // A group of lanes would compute mostly wasted schedules.
        sha512_scalar_blocks(state, blocks, n);
        return;
    }
    alignas(64) uint64_t wk[2][80][L];
    const uint8_t *block[L];
    Schedule schedule;
    NoSchedule<L> nothing;

    size_t used = std::min(n, L);
    sha512_group<L>(blocks, used, block);
    schedule.load(block, wk[0]);
    for (int t = 16; t < 80; ++t)
        schedule.step(t, wk[0]);
    for (int now = 0;; now ^= 1) {
        blocks += SHA512_BLOCK_SIZE * used;
        n -= used;
        if (n > 0) {
            const size_t next = std::min(n, L);
            sha512_group<L>(blocks, next, block);
            schedule.load(block, wk[now ^ 1]);
            // A next group means this one is whole.
            for (size_t i = 0; i < L; ++i)
                sha512_lane_rounds<L, STEPS>(state, wk[now], i, schedule, wk[now ^ 1],
                                             16 + static_cast<int>(i) * STEPS * SHA512_PASSES);
        } else {
            for (size_t i = 0; i < used; ++i)
                sha512_lane_rounds<L, 0>(state, wk[now], i, nothing, wk[now ^ 1], 0);
            return;
        }
        used = std::min(n, L);
    }
}

} // namespace

#endif
