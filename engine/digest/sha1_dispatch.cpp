/* sha1_dispatch.cpp -- picks the sha1 compression backend for this CPU. */
#include "digest/sha1_block.h"

void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n) {
    sha1_block_portable(state, blocks, n);
}
