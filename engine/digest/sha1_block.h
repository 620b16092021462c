/* sha1_block.h -- the SHA-1 compression function over n consecutive 64-byte
 * blocks: the portable core, and the entry the update uses, which runs the
 * fastest backend this CPU supports (chosen once, on first use).
 */
#ifndef TVK_DIGEST_SHA1_BLOCK_H
#define TVK_DIGEST_SHA1_BLOCK_H

#include <cstddef>
#include <cstdint>

using Sha1BlockFunction = void (*)(uint32_t state[5], const uint8_t *blocks, size_t n);

void sha1_block_portable(uint32_t state[5], const uint8_t *blocks, size_t n);

#if defined(__i386__) || defined(__x86_64__)
/* Needs SHA-NI, SSSE3 and SSE4.1 (cpu_has_sha_ni). */
void sha1_block_shani(uint32_t state[5], const uint8_t *blocks, size_t n);
#endif

void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n);

#endif
