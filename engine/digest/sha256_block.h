/* sha256_block.h -- the SHA-256 compression function over n consecutive 64-byte
 * blocks: the portable core, and the entry the update uses, which runs the
 * fastest backend this CPU supports (chosen once, on first use).
 */
#ifndef TVK_DIGEST_SHA256_BLOCK_H
#define TVK_DIGEST_SHA256_BLOCK_H

#include <cstddef>
#include <cstdint>

using Sha256BlockFunction = void (*)(uint32_t state[8], const uint8_t *blocks, size_t n);

void sha256_block_portable(uint32_t state[8], const uint8_t *blocks, size_t n);

#if defined(__i386__) || defined(__x86_64__)
/* Needs SHA-NI, SSSE3 and SSE4.1 (cpu_has_sha_ni). */
void sha256_block_shani(uint32_t state[8], const uint8_t *blocks, size_t n);
#endif

void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n);

#endif
