/* digest_padding.cpp -- the constant padding block of the digest finals. */
#include "digest/digest_padding.h"

const uint8_t digest_padding[DIGEST_BLOCK_SIZE] = {0x80};
