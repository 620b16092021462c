/* sha512_avx512.cpp -- SHA-512 compression with the message schedule of four
 * blocks in 256-bit registers (sha512_ymm.h, sha512_lanes.h), using
 * AVX-512VL's rotation and three-way exclusive or, which make the schedule
 * half as long as with AVX2; the rounds use BMI's rotations without a
 * copy and its and-not.
 */
#include "digest/x86.h"

#if TVK_X86

#include "digest/backends.h"
#include "digest/sha512_lanes.h"
#include "digest/sha512_ymm.h"

namespace {

/* The truth table of x ^ y ^ z for vpternlogq. */
constexpr int XOR3 = 0x96;

struct Avx512Sigma {
    static __m256i sigma0(__m256i x) {
        return _mm256_ternarylogic_epi64(_mm256_ror_epi64(x, 1), _mm256_ror_epi64(x, 8),
                                         _mm256_srli_epi64(x, 7), XOR3);
    }
    static __m256i sigma1(__m256i x) {
        return _mm256_ternarylogic_epi64(_mm256_ror_epi64(x, 19), _mm256_ror_epi64(x, 61),
                                         _mm256_srli_epi64(x, 6), XOR3);
    }
};

} // namespace

void sha512_block_avx512(uint64_t state[8], const uint8_t *blocks, size_t n) {
    sha512_blocks_in_lanes<Sha512Ymm<Avx512Sigma, 80>>(state, blocks, n);
}

#endif
