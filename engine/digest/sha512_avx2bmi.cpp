/* sha512_avx2bmi.cpp -- SHA-512 compression with the message schedule of
 * four blocks in AVX2 registers (sha512_ymm.h, sha512_lanes.h); AVX2 has no
 * rotation, so each is two shifts and an or. The rounds use BMI2's rotation
 * without a copy and BMI's and-not (without them they ran some 10 % slower).
 */
#include "digest/x86.h"

#if TVK_X86

#include "digest/backends.h"
#include "digest/sha512_lanes.h"
#include "digest/sha512_ymm.h"

namespace {

inline __m256i rotr(__m256i x, int n) {
    return _mm256_or_si256(_mm256_srli_epi64(x, n), _mm256_slli_epi64(x, 64 - n));
}

struct Avx2Sigma {
    static __m256i sigma0(__m256i x) {
        return _mm256_xor_si256(_mm256_xor_si256(rotr(x, 1), rotr(x, 8)), _mm256_srli_epi64(x, 7));
    }
    static __m256i sigma1(__m256i x) {
        return _mm256_xor_si256(_mm256_xor_si256(rotr(x, 19), rotr(x, 61)),
                                _mm256_srli_epi64(x, 6));
    }
};

} // namespace

void sha512_block_avx2bmi(uint64_t state[8], const uint8_t *blocks, size_t n) {
    sha512_blocks_in_lanes<Sha512Ymm<Avx2Sigma, 16>>(state, blocks, n);
}

#endif
