/* blake3_avx512.cpp -- BLAKE3 over sixteen chunks or parent nodes at once
 * in 512-bit vectors (blake3_lanes.h), with AVX-512F's rotations. */
#include "digest/backends.h"

#if TVK_X86

#include <immintrin.h>

#include "digest/blake3_lanes.h"

namespace {

/* Every lane, for the zero-masking forms of the instructions: the same
 * instructions, but without GCC 12's false warning that the unmasked
 * intrinsics' undefined pass-through value is used. */
constexpr __mmask16 ALL16 = 0xffff;
constexpr __mmask8 ALL8 = 0xff;

struct Avx512Ops {
    using T = __m512i;
    static constexpr size_t LANES = 16;
    static T add(T a, T b) { return _mm512_add_epi32(a, b); }
    static T xor_(T a, T b) { return _mm512_xor_si512(a, b); }
    static T rot16(T v) { return _mm512_maskz_ror_epi32(ALL16, v, 16); }
    static T rot12(T v) { return _mm512_maskz_ror_epi32(ALL16, v, 12); }
    static T rot8(T v) { return _mm512_maskz_ror_epi32(ALL16, v, 8); }
    static T rot7(T v) { return _mm512_maskz_ror_epi32(ALL16, v, 7); }
    static T set1(uint32_t w) { return _mm512_set1_epi32(static_cast<int>(w)); }
    static T load(const uint32_t *w) { return _mm512_loadu_si512(w); }
    static void store(uint32_t *w, T v) { _mm512_storeu_si512(w, v); }

    /* 4x4 transposes within each 128-bit lane of rows 4g to 4g + 3, then
     * two rounds of lane exchanges: word 4k + j of row 4g + i ends in lane
     * g of m[4k + j]. */
    static void transpose(const uint8_t *block, size_t stride, T m[16]) {
        T u[16];
#pragma GCC unroll 4
        for (int g = 0; g < 4; ++g) {
            const uint8_t *p = block + 4 * g * stride;
            const T r0 = _mm512_loadu_si512(p);
            const T r1 = _mm512_loadu_si512(p + stride);
            const T r2 = _mm512_loadu_si512(p + 2 * stride);
            const T r3 = _mm512_loadu_si512(p + 3 * stride);
            const T a = _mm512_maskz_unpacklo_epi32(ALL16, r0, r1),
                    b = _mm512_maskz_unpackhi_epi32(ALL16, r0, r1);
            const T c = _mm512_maskz_unpacklo_epi32(ALL16, r2, r3),
                    d = _mm512_maskz_unpackhi_epi32(ALL16, r2, r3);
            u[4 * g] = _mm512_maskz_unpacklo_epi64(ALL8, a, c);
            u[4 * g + 1] = _mm512_maskz_unpackhi_epi64(ALL8, a, c);
            u[4 * g + 2] = _mm512_maskz_unpacklo_epi64(ALL8, b, d);
            u[4 * g + 3] = _mm512_maskz_unpackhi_epi64(ALL8, b, d);
        }
#pragma GCC unroll 4
        for (int j = 0; j < 4; ++j) {
            const T x01 = _mm512_maskz_shuffle_i32x4(ALL16, u[j], u[4 + j], 0x44);
            const T x23 = _mm512_maskz_shuffle_i32x4(ALL16, u[j], u[4 + j], 0xee);
            const T y01 = _mm512_maskz_shuffle_i32x4(ALL16, u[8 + j], u[12 + j], 0x44);
            const T y23 = _mm512_maskz_shuffle_i32x4(ALL16, u[8 + j], u[12 + j], 0xee);
            m[j] = _mm512_maskz_shuffle_i32x4(ALL16, x01, y01, 0x88);
            m[4 + j] = _mm512_maskz_shuffle_i32x4(ALL16, x01, y01, 0xdd);
            m[8 + j] = _mm512_maskz_shuffle_i32x4(ALL16, x23, y23, 0x88);
            m[12 + j] = _mm512_maskz_shuffle_i32x4(ALL16, x23, y23, 0xdd);
        }
    }
};

} // namespace

size_t blake3_hash_many_avx512(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                               uint8_t *cvs) {
    return blake3_many_in_lanes<Avx512Ops>(input, n, chunk, parents, cvs);
}

#endif
