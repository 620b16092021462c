/* backends.h -- every implementation of the dispatched digest functions.
 * The portable ones are the reference and run everywhere; the x86 ones run
 * whole blocks or chunks with their instruction set and give the same
 * result for every input. dispatch.cpp chooses among them.
 *   sha1_block_*, sha256_block_*   the compression function over n
 *                                  consecutive 64-byte blocks
 *   sha512_block_*                 the same over 128-byte blocks (SHA-512
 *                                  and SHA-384)
 *   tvk32_update_*                 TVK32 over any input (the vector ones
 *                                  finish the tail with the portable loop)
 *   xxh3_update_*                  XXH3 over any input (xxHash's code at
 *                                  each vector width)
 *   crc32_*, adler32_*             CRC-32 and Adler-32 in zlib's convention
 *                                  (running value in, new value out); zlib
 *                                  is the portable path and takes the short
 *                                  inputs and tails of the vector ones
 */
#ifndef TVK_DIGEST_BACKENDS_H
#define TVK_DIGEST_BACKENDS_H

#include <cstddef>
#include <cstdint>

#include "digest/x86.h"

void sha1_block_portable(uint32_t state[5], const uint8_t *blocks, size_t n);
void sha256_block_portable(uint32_t state[8], const uint8_t *blocks, size_t n);
void sha512_block_portable(uint64_t state[8], const uint8_t *blocks, size_t n);
uint32_t tvk32_update_portable(uint32_t value, const uint8_t *input, uint32_t length);
uint32_t crc32_zlib(uint32_t crc, const uint8_t *input, size_t length);
uint32_t adler32_zlib(uint32_t adler, const uint8_t *input, size_t length);
struct Xxh3Context;
void xxh3_update_portable(Xxh3Context *ctx, const uint8_t *input, size_t length);

/* The modulus of both Adler-32 sums, and zlib's NMAX: the most bytes whose
 * sums, from values below the modulus, still fit in 32 bits before reducing. */
constexpr uint32_t adler32_base = 65521;
constexpr size_t adler32_nmax = 5552;

#if TVK_X86
void sha1_block_shani(uint32_t state[5], const uint8_t *blocks, size_t n);     /* SHA-NI */
void sha256_block_shani(uint32_t state[8], const uint8_t *blocks, size_t n);   /* SHA-NI */
void sha512_block_avx2bmi(uint64_t state[8], const uint8_t *blocks, size_t n); /* AVX2, BMI */
void sha512_block_avx512(uint64_t state[8], const uint8_t *blocks, size_t n);  /* AVX-512F, BMI */
uint32_t tvk32_update_sse2(uint32_t value, const uint8_t *input, uint32_t length); /* SSE2 */
uint32_t tvk32_update_avx2(uint32_t value, const uint8_t *input, uint32_t length); /* AVX2 */
uint32_t crc32_pclmul(uint32_t crc, const uint8_t *input, size_t length);          /* PCLMULQDQ */
uint32_t crc32_vpclmul(uint32_t crc, const uint8_t *input,
                       size_t length); /* + VPCLMULQDQ, AVX-512F */
uint32_t adler32_ssse3(uint32_t adler, const uint8_t *input, size_t length);    /* SSSE3 */
uint32_t adler32_avx2(uint32_t adler, const uint8_t *input, size_t length);     /* AVX2 */
uint32_t adler32_avx512bw(uint32_t adler, const uint8_t *input, size_t length); /* AVX-512 BW */
void xxh3_update_sse2(Xxh3Context *ctx, const uint8_t *input, size_t length);   /* SSE2 */
void xxh3_update_avx2(Xxh3Context *ctx, const uint8_t *input, size_t length);   /* AVX2 */
void xxh3_update_avx512(Xxh3Context *ctx, const uint8_t *input, size_t length); /* AVX-512F */
#endif

/* CRC-32C and CRC-64/NVME in zlib's convention: slicing-by-8 tables (the
 * portable cores, which also take the short inputs and tails of the
 * folding backends), folding by carry-less multiplication, and for CRC-32C
 * the crc32 instruction on three streams. */
uint32_t crc32c_portable(uint32_t crc, const uint8_t *input, size_t length);
uint64_t crc64nvme_portable(uint64_t crc, const uint8_t *input, size_t length);
#if TVK_X86
uint32_t crc32c_sse42(uint32_t crc, const uint8_t *input, size_t length);   /* + PCLMULQDQ */
uint32_t crc32c_pclmul(uint32_t crc, const uint8_t *input, size_t length);  /* PCLMULQDQ */
uint32_t crc32c_vpclmul(uint32_t crc, const uint8_t *input, size_t length); /* + AVX-512F */
uint64_t crc64nvme_pclmul(uint64_t crc, const uint8_t *input, size_t length);
uint64_t crc64nvme_vpclmul(uint64_t crc, const uint8_t *input, size_t length);
#endif

/* BLAKE3's blake3_hash_many (dispatch.h). The vector ones take whole
 * groups of their lane count, as many as n holds, and return how many nodes
 * they took; the caller passes the rest on. */
void blake3_hash_many_portable(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                               uint8_t *cvs);
#if TVK_X86
size_t blake3_hash_many_sse41(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                              uint8_t *cvs); /* SSE4.1, 4 lanes */
size_t blake3_hash_many_avx2(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                             uint8_t *cvs); /* AVX2, 8 lanes */
size_t blake3_hash_many_avx512(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                               uint8_t *cvs); /* AVX-512F, 16 lanes */
#endif

#endif
