/* backends.h -- every implementation of the dispatched digest functions.
 * The portable ones are the reference and run everywhere; the x86 ones run
 * whole blocks or chunks with their instruction set and give the same
 * result for every input. dispatch.cpp chooses among them.
 *   sha1_block_*, sha256_block_*   the compression function over n
 *                                  consecutive 64-byte blocks
 *   tvk32_update_*                 TVK32 over any input (the vector ones
 *                                  finish the tail with the portable loop)
 */
#ifndef TVK_DIGEST_BACKENDS_H
#define TVK_DIGEST_BACKENDS_H

#include <cstddef>
#include <cstdint>

#include "digest/x86.h"

void sha1_block_portable(uint32_t state[5], const uint8_t *blocks, size_t n);
void sha256_block_portable(uint32_t state[8], const uint8_t *blocks, size_t n);
uint32_t tvk32_update_portable(uint32_t value, const uint8_t *input, uint32_t length);

#if TVK_X86
void sha1_block_shani(uint32_t state[5], const uint8_t *blocks, size_t n);         /* SHA-NI */
void sha256_block_shani(uint32_t state[8], const uint8_t *blocks, size_t n);       /* SHA-NI */
uint32_t tvk32_update_sse2(uint32_t value, const uint8_t *input, uint32_t length); /* SSE2 */
uint32_t tvk32_update_avx2(uint32_t value, const uint8_t *input, uint32_t length); /* AVX2 */
#endif

#endif
