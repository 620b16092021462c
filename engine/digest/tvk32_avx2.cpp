/* tvk32_avx2.cpp -- TVK32 over 32-byte chunks with AVX2 (see tvk32_lanes.h):
 * four byte-vector adds per chunk, the weights applied once per call. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

#include "digest/tvk32_lanes.h"

namespace {

constexpr int chunk = 32;
constexpr Tvk32Weights<chunk> weights = tvk32_make_weights<chunk>();

uint32_t sum16(__m256i v) {
    v = _mm256_madd_epi16(v, _mm256_set1_epi16(1));
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4e));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xb1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

__m256i weight_vector(int k, int j, int half) {
    return _mm256_load_si256(
        reinterpret_cast<const __m256i *>(&weights.weight[k - 1][j][16 * half]));
}

uint32_t lane_sum(int k, const __m256i a[4]) {
    __m256i acc = _mm256_setzero_si256();
    for (int j = 0; j <= k; ++j) {
        const __m256i lo = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(a[j]));
        const __m256i hi = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(a[j], 1));
        acc = _mm256_add_epi16(acc, _mm256_mullo_epi16(lo, weight_vector(k, j, 0)));
        acc = _mm256_add_epi16(acc, _mm256_mullo_epi16(hi, weight_vector(k, j, 1)));
    }
    return sum16(acc);
}

} // namespace

uint32_t tvk32_update_avx2(uint32_t value, const uint8_t *input, uint32_t length) {
    const uint32_t chunks = length / chunk;
    if (chunks > 0) {
        __m256i v0 = _mm256_setzero_si256(), v1 = v0, v2 = v0, v3 = v0;
        const uint8_t *p = input;
        for (uint32_t i = 0; i < chunks; ++i, p += chunk) {
            v0 = _mm256_add_epi8(v0, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)));
            v1 = _mm256_add_epi8(v1, v0);
            v2 = _mm256_add_epi8(v2, v1);
            v3 = _mm256_add_epi8(v3, v2);
        }
        const __m256i a[4] = {v0, v1, v2, v3};
        const __m256i sad = _mm256_sad_epu8(v0, _mm256_setzero_si256());
        const uint32_t s0 = sum16(sad); /* the four sums fit in 16 bits each */
        value = tvk32_join(value, static_cast<uint64_t>(chunks) * chunk, s0, lane_sum(1, a),
                           lane_sum(2, a), lane_sum(3, a));
    }
    return tvk32_update_portable(value, input + chunks * chunk, length % chunk);
}

#endif
