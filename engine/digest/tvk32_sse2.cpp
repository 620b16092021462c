/* tvk32_sse2.cpp -- TVK32 over 16-byte chunks with SSE2 (see tvk32_lanes.h):
 * four byte-vector adds per chunk, the weights applied once per call. */
#include "digest/backends.h"

#if TVK_X86

#include <emmintrin.h>

#include "digest/tvk32_lanes.h"

namespace {

constexpr int chunk = 16;
constexpr Tvk32Weights<chunk> weights = tvk32_make_weights<chunk>();

/* The sum of eight 16-bit lanes, modulo 2^16 is enough. */
uint32_t sum16(__m128i v) {
    v = _mm_madd_epi16(v, _mm_set1_epi16(1));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0x4e));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0xb1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(v));
}

__m128i weight_vector(int k, int j, int half) {
    return _mm_load_si128(reinterpret_cast<const __m128i *>(&weights.weight[k - 1][j][8 * half]));
}

/* s_k = sum over j and lanes of c_kj * A_j. */
uint32_t lane_sum(int k, const __m128i a[4]) {
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = zero;
    for (int j = 0; j <= k; ++j) {
        acc = _mm_add_epi16(acc,
                            _mm_mullo_epi16(_mm_unpacklo_epi8(a[j], zero), weight_vector(k, j, 0)));
        acc = _mm_add_epi16(acc,
                            _mm_mullo_epi16(_mm_unpackhi_epi8(a[j], zero), weight_vector(k, j, 1)));
    }
    return sum16(acc);
}

} // namespace

uint32_t tvk32_update_sse2(uint32_t value, const uint8_t *input, uint32_t length) {
    const uint32_t chunks = length / chunk;
    if (chunks > 0) {
        __m128i v0 = _mm_setzero_si128(), v1 = v0, v2 = v0, v3 = v0;
        const uint8_t *p = input;
        for (uint32_t i = 0; i < chunks; ++i, p += chunk) {
            v0 = _mm_add_epi8(v0, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
            v1 = _mm_add_epi8(v1, v0);
            v2 = _mm_add_epi8(v2, v1);
            v3 = _mm_add_epi8(v3, v2);
        }
        const __m128i a[4] = {v0, v1, v2, v3};
        const __m128i bytes = _mm_sad_epu8(v0, _mm_setzero_si128());
        const uint32_t s0 = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) +
                            static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 8)));
        value = tvk32_join(value, static_cast<uint64_t>(chunks) * chunk, s0, lane_sum(1, a),
                           lane_sum(2, a), lane_sum(3, a));
    }
    return tvk32_update_portable(value, input + chunks * chunk, length % chunk);
}

#endif
