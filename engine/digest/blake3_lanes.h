/* blake3_lanes.h -- BLAKE3 over several chunks or parent nodes at once,
 * for the vector backends: lane l of every vector holds a word of node l,
 * so one pass of the rounds compresses a block of each node. A block's
 * message words are loaded from the LANES nodes and transposed, word w of
 * every node into vector w. Everything here has internal linkage: each
 * backend compiles it with its own instruction set.
 *
 * A backend supplies Ops: the vector type T and LANES, the word operations
 * of blake3_rounds (blake3_rounds.h), set1 (a word in every lane), load and
 * store (LANES words), and transpose(block, stride, m), which loads the
 * block at block + l * stride for each lane l and gives its word w in lane
 * l of m[w].
 */
#ifndef TVK_DIGEST_BLAKE3_LANES_H
#define TVK_DIGEST_BLAKE3_LANES_H

#include <cstddef>
#include <cstdint>

#include "digest/blake3_rounds.h"
#include "digest/byte_order.h"

namespace {

/* blake3_hash_many (dispatch.h) over the largest multiple of LANES nodes in
 * n; returns that number. */
template <class Ops>
size_t blake3_many_in_lanes(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                            uint8_t *cvs) {
    using T = typename Ops::T;
    constexpr size_t lanes = Ops::LANES;
    const size_t blocks = parents ? 1 : BLAKE3_CHUNK_BLOCKS;
    const size_t stride = blocks * BLAKE3_BLOCK_LEN;
    size_t done = 0;
    for (; n - done >= lanes; done += lanes, input += lanes * stride) {
        alignas(64) uint32_t low[lanes], high[lanes];
        for (size_t l = 0; l < lanes; ++l) {
            const uint64_t counter = parents ? 0 : chunk + done + l;
            low[l] = static_cast<uint32_t>(counter);
            high[l] = static_cast<uint32_t>(counter >> 32);
        }
        const T counter_low = Ops::load(low), counter_high = Ops::load(high);
        T h[8];
        for (int i = 0; i < 8; ++i)
            h[i] = Ops::set1(BLAKE3_IV[i]);
        for (size_t b = 0; b < blocks; ++b) {
            T m[16];
            Ops::transpose(input + b * BLAKE3_BLOCK_LEN, stride, m);
            /* The message words stay in memory, each read where a round
             * adds it: the registers are left to the state. */
            __asm__ volatile("" : : "r"(m) : "memory");
            const uint32_t flags = parents ? BLAKE3_PARENT
                                           : (b == 0 ? BLAKE3_CHUNK_START : 0) |
                                                 (b + 1 == blocks ? BLAKE3_CHUNK_END : 0);
            T s[16];
            for (int i = 0; i < 8; ++i)
                s[i] = h[i];
            for (int i = 0; i < 4; ++i)
                s[8 + i] = Ops::set1(BLAKE3_IV[i]);
            s[12] = counter_low;
            s[13] = counter_high;
            s[14] = Ops::set1(static_cast<uint32_t>(BLAKE3_BLOCK_LEN));
            s[15] = Ops::set1(flags);
            blake3_rounds<Ops>(s, m);
            for (int i = 0; i < 8; ++i)
                h[i] = Ops::xor_(s[i], s[i + 8]);
        }
        alignas(64) uint32_t words[8][lanes];
        for (int i = 0; i < 8; ++i)
            Ops::store(words[i], h[i]);
        for (size_t l = 0; l < lanes; ++l)
            for (int i = 0; i < 8; ++i)
                store_le32(cvs + (done + l) * BLAKE3_CV_LEN + 4 * i, words[i][l]);
    }
    return done;
}

} // namespace

#endif
