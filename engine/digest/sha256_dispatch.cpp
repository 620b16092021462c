/* sha256_dispatch.cpp -- runs the SHA-256 compression on the fastest backend this
 * CPU has: SHA-NI where cpuid reports it, the portable core otherwise. The
 * choice is made once, on first use.
 */
#include "digest/sha256_block.h"

#include "digest/cpu_features.h"

namespace {

Sha256BlockFunction choose_backend() {
#if defined(__i386__) || defined(__x86_64__)
    if (cpu_has_sha_ni())
        return sha256_block_shani;
#endif
    return sha256_block_portable;
}

} // namespace

void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n) {
    static const Sha256BlockFunction backend = choose_backend();
    backend(state, blocks, n);
}
