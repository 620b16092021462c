/* sha512_lanes.h -- SHA-512 compression for the vector backends: the
 * message schedule of several blocks is computed at once, one 64-bit lane
 * per block, with the round constants added; the rounds then run block
 * after block on scalar registers, taking each schedule word from memory.
 * The schedule of the next group of blocks is computed in between the
 * rounds of this group, a step every LANES rounds: the rounds are one long
 * chain of dependent instructions, and the vector work fills the gaps the
 * chain leaves (spread thinly, it never holds the chain up).
 * Everything here has internal linkage: each backend compiles it with its
 * own instruction set.
 *
 * A backend supplies Schedule: LANES, start(block) with the LANES block
 * addresses, and step(t, wk) for t from 0 to 79 in order, which may compute
 * any part of the schedule as long as wk[0..t][lane] is complete after step
 * t; wk[t][lane] is word t of block lane plus the round constant.
 */
#ifndef TVK_DIGEST_SHA512_LANES_H
#define TVK_DIGEST_SHA512_LANES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "digest/sha512.h"
#include "digest/sha512_rounds.h"

namespace {

/* A Schedule that computes nothing, for rounds with nothing beside them. */
template <size_t Lanes> struct NoSchedule {
    void step(int, uint64_t (*)[Lanes]) {}
};

/* The eighty rounds of block lane, with next.step(Base + t / Every,
 * next_wk) after every round t that Every divides. */
template <size_t Lanes, int Base, int Every, class Next>
[[gnu::always_inline]] inline void sha512_lane_rounds(uint64_t state[8],
                                                      const uint64_t (*wk)[Lanes], size_t lane,
                                                      Next &next, uint64_t (*next_wk)[Lanes]) {
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
#define SHA512_LANE_WK(t) wk[(t)][lane]
#define SHA512_LANE_STEP(t)                                                                        \
    if ((t) % Every == 0)                                                                          \
    next.step(Base + (t) / Every, next_wk)
    SHA512_80_ROUNDS(SHA512_LANE_WK, SHA512_LANE_STEP);
#undef SHA512_LANE_WK
#undef SHA512_LANE_STEP
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

/* The rounds of all LANES blocks of a group, each lane taking its share of
 * the next group's eighty steps. */
template <class Schedule, size_t... Lane>
[[gnu::always_inline]] inline void
sha512_group_rounds(uint64_t state[8], const uint64_t (*wk)[Schedule::LANES], Schedule &next,
                    uint64_t (*next_wk)[Schedule::LANES], std::index_sequence<Lane...>) {
    constexpr int L = static_cast<int>(Schedule::LANES);
    static_assert(80 % L == 0, "the steps share out evenly");
    (sha512_lane_rounds<Schedule::LANES, static_cast<int>(Lane) * (80 / L), L>(state, wk, Lane,
                                                                               next, next_wk),
     ...);
}

template <class Schedule>
inline void sha512_blocks_in_lanes(uint64_t state[8], const uint8_t *blocks, size_t n) {
    constexpr size_t L = Schedule::LANES;
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
    schedule.start(block);
#pragma GCC unroll 80
    for (int t = 0; t < 80; ++t)
        schedule.step(t, wk[0]);
    for (int now = 0;; now ^= 1) {
        blocks += SHA512_BLOCK_SIZE * used;
        n -= used;
        if (n > 0) {
            const size_t next = std::min(n, L);
            sha512_group<L>(blocks, next, block);
            schedule.start(block);
            // A next group means this one is whole.
            sha512_group_rounds(state, wk[now], schedule, wk[now ^ 1],
                                std::make_index_sequence<L>());
        } else {
            for (size_t i = 0; i < used; ++i)
                sha512_lane_rounds<L, 0, 1>(state, wk[now], i, nothing, wk[now ^ 1]);
            return;
        }
        used = std::min(n, L);
    }
}

} // namespace

#endif
