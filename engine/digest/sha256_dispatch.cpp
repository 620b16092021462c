/* sha256_dispatch.cpp -- picks the sha256 compression backend for this CPU. */
#include "digest/sha256_block.h"

void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n) {
    sha256_block_portable(state, blocks, n);
}
