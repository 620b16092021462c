/* crc32c_sse42.cpp -- CRC-32C with the crc32 instruction. One instruction
 * takes eight bytes (four on 32-bit x86, twice) but waits for the one
 * before it, so three independent streams run side by side over three
 * consecutive pieces of a block; their CRCs are then combined by shifting
 * the first two past the pieces that follow them, a carry-less
 * multiplication each, reduced by the crc32 instruction itself.
 */
#include "digest/backends.h"

#if TVK_X86

#include <cstring>
#include <immintrin.h>

#include "digest/crc_fold_constants.h"

namespace {

#if defined(__x86_64__) || defined(_M_X64)

inline uint32_t crc_8(uint32_t r, const uint8_t *p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<uint32_t>(_mm_crc32_u64(r, v));
}

/* The CRC register after the 64-bit polynomial in x, from a zero register:
 * x times x^32, modulo P. */
inline uint32_t reduce_64(__m128i x) {
    return static_cast<uint32_t>(_mm_crc32_u64(0, static_cast<uint64_t>(_mm_cvtsi128_si64(x))));
}

#else

inline uint32_t crc_8(uint32_t r, const uint8_t *p) {
    uint32_t v[2];
    std::memcpy(v, p, sizeof v);
    return _mm_crc32_u32(_mm_crc32_u32(r, v[0]), v[1]);
}

inline uint32_t reduce_64(__m128i x) {
    return _mm_crc32_u32(_mm_crc32_u32(0, static_cast<uint32_t>(_mm_cvtsi128_si32(x))),
                         static_cast<uint32_t>(_mm_extract_epi32(x, 1)));
}

#endif

/* x^(8n - 33) mod P: the carry-less product of a register with it, read as
 * a 64-bit polynomial, is the register times x^(8n - 32), and reduce_64
 * multiplies by the remaining x^32: the register shifted past n bytes. */
constexpr uint64_t shift_constant(size_t n) {
    return crc_xpow_mod<Crc32cPolynomial>(static_cast<unsigned>(8 * n - 33));
}

/* Blocks of three pieces of Piece bytes each while length allows, from
 * register r; advances input and length. */
template <size_t Piece> uint32_t streams(uint32_t r, const uint8_t *&input, size_t &length) {
    static_assert(Piece % 8 == 0, "pieces of whole words");
    constexpr uint64_t past_one = shift_constant(Piece), past_two = shift_constant(2 * Piece);
    const __m128i k =
        _mm_set_epi64x(static_cast<long long>(past_one), static_cast<long long>(past_two));
    for (; length >= 3 * Piece; input += 3 * Piece, length -= 3 * Piece) {
        uint32_t a = r, b = 0, c = 0;
        for (size_t i = 0; i < Piece; i += 8) {
            a = crc_8(a, input + i);
            b = crc_8(b, input + Piece + i);
            c = crc_8(c, input + 2 * Piece + i);
        }
        /* a past two pieces, b past one, in one register */
        const __m128i ab = _mm_set_epi64x(b, a);
        const __m128i shifted =
            _mm_xor_si128(_mm_clmulepi64_si128(ab, k, 0x00), _mm_clmulepi64_si128(ab, k, 0x11));
        r = reduce_64(shifted) ^ c;
    }
    return r;
}

} // namespace

uint32_t crc32c_sse42(uint32_t crc, const uint8_t *input, size_t length) {
    uint32_t r = ~crc;
    /* long pieces while the input lasts (fewer combines, and longer runs for
     * the prefetchers out of cache), shorter ones for what is left */
    r = streams<8192>(r, input, length);
    r = streams<512>(r, input, length);
    r = streams<128>(r, input, length);
    r = streams<32>(r, input, length);
    for (; length >= 8; input += 8, length -= 8)
        r = crc_8(r, input);
    for (; length > 0; ++input, --length)
        r = _mm_crc32_u8(r, *input);
    return ~r;
}

#endif
