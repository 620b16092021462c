/* sha1_dispatch.cpp -- runs the SHA-1 compression on the fastest backend this
 * CPU has: SHA-NI where cpuid reports it, the portable core otherwise. The
 * choice is made once, on first use.
 */
#include "digest/sha1_block.h"

#include "digest/cpu_features.h"

namespace {

Sha1BlockFunction choose_backend() {
#if defined(__i386__) || defined(__x86_64__)
    if (cpu_has_sha_ni())
        return sha1_block_shani;
#endif
    return sha1_block_portable;
}

} // namespace

void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n) {
    static const Sha1BlockFunction backend = choose_backend();
    backend(state, blocks, n);
}
