/* tvk32_backends.h -- the TVK32 implementations behind tvk32_update: the
 * portable byte loop, which is the reference, and the SSE2 and AVX2
 * backends, which run whole 16- or 32-byte chunks and finish the tail with
 * the portable loop. All give the same value for every input.
 */
#ifndef TVK_DIGEST_TVK32_BACKENDS_H
#define TVK_DIGEST_TVK32_BACKENDS_H

#include <cstdint>

uint32_t tvk32_update_portable(uint32_t value, const uint8_t *input, uint32_t length);

#if defined(__i386__) || defined(__x86_64__)
uint32_t tvk32_update_sse2(uint32_t value, const uint8_t *input, uint32_t length); /* SSE2 */
uint32_t tvk32_update_avx2(uint32_t value, const uint8_t *input, uint32_t length); /* AVX2 */
#endif

#endif
