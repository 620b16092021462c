/* blake3_sse41.cpp -- BLAKE3 over four chunks or parent nodes at once in
 * 128-bit vectors (blake3_lanes.h); the rotations by 16 and 8 bits are byte
 * shuffles (SSSE3). */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

#include "digest/blake3_lanes.h"

namespace {

struct Sse41Ops {
    using T = __m128i;
    static constexpr size_t LANES = 4;
    static T add(T a, T b) { return _mm_add_epi32(a, b); }
    static T xor_(T a, T b) { return _mm_xor_si128(a, b); }
    static T rot16(T v) {
        return _mm_shuffle_epi8(
            v, _mm_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
    }
    static T rot12(T v) { return _mm_or_si128(_mm_srli_epi32(v, 12), _mm_slli_epi32(v, 20)); }
    static T rot8(T v) {
        return _mm_shuffle_epi8(
            v, _mm_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
    }
    static T rot7(T v) { return _mm_or_si128(_mm_srli_epi32(v, 7), _mm_slli_epi32(v, 25)); }
    static T set1(uint32_t w) { return _mm_set1_epi32(static_cast<int>(w)); }
    static T load(const uint32_t *w) { return _mm_loadu_si128(reinterpret_cast<const T *>(w)); }
    static void store(uint32_t *w, T v) { _mm_storeu_si128(reinterpret_cast<T *>(w), v); }
    static T load_bytes(const uint8_t *p) {
        return _mm_loadu_si128(reinterpret_cast<const T *>(p));
    }

    /* Four 4x4 transposes, one per quarter of the blocks. */
    static void transpose(const uint8_t *block, size_t stride, T m[16]) {
#pragma GCC unroll 4
        for (int q = 0; q < 4; ++q) {
            const T r0 = load_bytes(block + 16 * q);
            const T r1 = load_bytes(block + stride + 16 * q);
            const T r2 = load_bytes(block + 2 * stride + 16 * q);
            const T r3 = load_bytes(block + 3 * stride + 16 * q);
            const T a = _mm_unpacklo_epi32(r0, r1), b = _mm_unpackhi_epi32(r0, r1);
            const T c = _mm_unpacklo_epi32(r2, r3), d = _mm_unpackhi_epi32(r2, r3);
            m[4 * q] = _mm_unpacklo_epi64(a, c);
            m[4 * q + 1] = _mm_unpackhi_epi64(a, c);
            m[4 * q + 2] = _mm_unpacklo_epi64(b, d);
            m[4 * q + 3] = _mm_unpackhi_epi64(b, d);
        }
    }
};

} // namespace

size_t blake3_hash_many_sse41(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                              uint8_t *cvs) {
    return blake3_many_in_lanes<Sse41Ops>(input, n, chunk, parents, cvs);
}

#endif
