/* sha512_ymm.h -- the SHA-512 message schedule of four blocks in 256-bit
 * registers, one 64-bit lane per block, as the Schedule of sha512_lanes.h.
 * Sigma supplies sigma0 and sigma1 over four lanes, so that a backend can
 * use the instructions it has for them; Window is how many words the
 * schedule keeps (w below). Internal linkage: each backend
 * compiles it with its own instruction set.
 */
#ifndef TVK_DIGEST_SHA512_YMM_H
#define TVK_DIGEST_SHA512_YMM_H

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "digest/sha512_rounds.h"

namespace {

template <class Sigma, int Window> class Sha512Ymm {
  public:
    static constexpr size_t LANES = 4;

    /* Words 0 to 15 of the four blocks. */
    void load(const uint8_t *const block[LANES], uint64_t (*wk)[LANES]) {
        for (int j = 0; j < 4; ++j)
            load_words(block, j);
        for (int t = 0; t < 16; ++t)
            store(wk, t);
    }

    /* Word t, from 16 to 79. t need not be known at compile time: the
     * words live in memory, which lets the round loop stay short. */
    [[gnu::always_inline]] void step(int t, uint64_t (*wk)[LANES]) {
        w(t) = _mm256_add_epi64(_mm256_add_epi64(w(t - 16), Sigma::sigma0(w(t - 15))),
                                _mm256_add_epi64(w(t - 7), Sigma::sigma1(w(t - 2))));
        store(wk, t);
    }

  private:
    /* Words 4j to 4j + 3 of the four blocks, byte-swapped from big-endian,
     * as four vectors of one word each (lane i from block i). */
    [[gnu::always_inline]] void load_words(const uint8_t *const block[LANES], int j) {
        const __m256i swap = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                              7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
        __m256i v[LANES];
        for (size_t i = 0; i < LANES; ++i)
            v[i] = _mm256_shuffle_epi8(
                _mm256_loadu_si256(reinterpret_cast<const __m256i *>(block[i] + 32 * j)), swap);
        const __m256i lo01 = _mm256_unpacklo_epi64(v[0], v[1]); /* w0 w0 w2 w2 */
        const __m256i hi01 = _mm256_unpackhi_epi64(v[0], v[1]); /* w1 w1 w3 w3 */
        const __m256i lo23 = _mm256_unpacklo_epi64(v[2], v[3]);
        const __m256i hi23 = _mm256_unpackhi_epi64(v[2], v[3]);
        w(4 * j + 0) = _mm256_permute2x128_si256(lo01, lo23, 0x20);
        w(4 * j + 1) = _mm256_permute2x128_si256(hi01, hi23, 0x20);
        w(4 * j + 2) = _mm256_permute2x128_si256(lo01, lo23, 0x31);
        w(4 * j + 3) = _mm256_permute2x128_si256(hi01, hi23, 0x31);
    }

    /* Word t plus its round constant, for the rounds. */
    [[gnu::always_inline]] void store(uint64_t (*wk)[LANES], int t) {
        const __m256i k = _mm256_set1_epi64x(static_cast<long long>(sha512_k[t]));
        _mm256_store_si256(reinterpret_cast<__m256i *>(wk[t]), _mm256_add_epi64(w(t), k));
    }

    /* Word t: all eighty words at once put the words a step reads at fixed
     * distances from the one it writes; the last sixteen, word t in place
     * of word t - 16, take less of the cache. Which runs faster differs by
     * backend. */
    __m256i &w(int t) { return w_[Window == 80 ? t : t & 15]; }

    static_assert(Window == 80 || Window == 16, "all words, or the last sixteen");
    __m256i w_[Window];
};

} // namespace

#endif
