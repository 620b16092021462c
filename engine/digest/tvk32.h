/* tvk32.h -- TVK32, a cascade of four 8-bit running sums.
 * s0 sums the bytes, s1 sums s0 after every byte, s2 sums s1, s3 sums s2;
 * each lane wraps modulo 256 on its own. The running value holds s3..s0
 * from the high byte down; start with 0 and chain the result over pieces.
 */
#ifndef TVK_DIGEST_TVK32_H
#define TVK_DIGEST_TVK32_H

#include <cstdint>

uint32_t tvk32_update(uint32_t value, const uint8_t *input, uint32_t length);

#endif
