/* blake3_avx2.cpp -- BLAKE3 over eight chunks or parent nodes at once in
 * 256-bit vectors (blake3_lanes.h); the rotations by 16 and 8 bits are byte
 * shuffles. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

#include "digest/blake3_lanes.h"

namespace {

struct Avx2Ops {
    using T = __m256i;
    static constexpr size_t LANES = 8;
    static T add(T a, T b) { return _mm256_add_epi32(a, b); }
    static T xor_(T a, T b) { return _mm256_xor_si256(a, b); }
    static T rot16(T v) {
        return _mm256_shuffle_epi8(v, _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15,
                                                       12, 13, 2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9,
                                                       14, 15, 12, 13));
    }
    static T rot12(T v) {
        return _mm256_or_si256(_mm256_srli_epi32(v, 12), _mm256_slli_epi32(v, 20));
    }
    static T rot8(T v) {
        return _mm256_shuffle_epi8(v, _mm256_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14,
                                                       15, 12, 1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8,
                                                       13, 14, 15, 12));
    }
    static T rot7(T v) {
        return _mm256_or_si256(_mm256_srli_epi32(v, 7), _mm256_slli_epi32(v, 25));
    }
    static T set1(uint32_t w) { return _mm256_set1_epi32(static_cast<int>(w)); }
    static T load(const uint32_t *w) { return _mm256_loadu_si256(reinterpret_cast<const T *>(w)); }
    static void store(uint32_t *w, T v) { _mm256_storeu_si256(reinterpret_cast<T *>(w), v); }

    /* Per half of the blocks: 4x4 transposes within each 128-bit lane of
     * rows 0 to 3 and of rows 4 to 7, then the lanes exchanged. */
    static void transpose(const uint8_t *block, size_t stride, T m[16]) {
#pragma GCC unroll 2
        for (int half = 0; half < 2; ++half) {
            T u[8];
#pragma GCC unroll 2
            for (int g = 0; g < 2; ++g) {
                const uint8_t *p = block + 4 * g * stride + 32 * half;
                const T r0 = _mm256_loadu_si256(reinterpret_cast<const T *>(p));
                const T r1 = _mm256_loadu_si256(reinterpret_cast<const T *>(p + stride));
                const T r2 = _mm256_loadu_si256(reinterpret_cast<const T *>(p + 2 * stride));
                const T r3 = _mm256_loadu_si256(reinterpret_cast<const T *>(p + 3 * stride));
                const T a = _mm256_unpacklo_epi32(r0, r1), b = _mm256_unpackhi_epi32(r0, r1);
                const T c = _mm256_unpacklo_epi32(r2, r3), d = _mm256_unpackhi_epi32(r2, r3);
                u[4 * g] = _mm256_unpacklo_epi64(a, c);
                u[4 * g + 1] = _mm256_unpackhi_epi64(a, c);
                u[4 * g + 2] = _mm256_unpacklo_epi64(b, d);
                u[4 * g + 3] = _mm256_unpackhi_epi64(b, d);
            }
#pragma GCC unroll 4
            for (int j = 0; j < 4; ++j) {
                m[8 * half + j] = _mm256_permute2x128_si256(u[j], u[4 + j], 0x20);
                m[8 * half + 4 + j] = _mm256_permute2x128_si256(u[j], u[4 + j], 0x31);
            }
        }
    }
};

} // namespace

size_t blake3_hash_many_avx2(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                             uint8_t *cvs) {
    return blake3_many_in_lanes<Avx2Ops>(input, n, chunk, parents, cvs);
}

#endif
