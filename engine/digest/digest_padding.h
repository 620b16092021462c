/* digest_padding.h -- the padding block shared by the MD5, SHA-1 and SHA-256
 * finals: 0x80 followed by 63 zero bytes; a final feeds 1 to 64 bytes of it.
 */
#ifndef TVK_DIGEST_DIGEST_PADDING_H
#define TVK_DIGEST_DIGEST_PADDING_H

#include <cstdint>

constexpr int DIGEST_BLOCK_SIZE = 64;

extern const uint8_t digest_padding[DIGEST_BLOCK_SIZE];

#endif
