/* xxh3.cpp -- XXH3's start and final steps, and its portable update. */
#define XXH_VECTOR XXH_SCALAR
#include "digest/xxh3_backend.h"

#include <cstring>

#include "digest/backends.h"

void xxh3_init(Xxh3Context *ctx) {
    std::memset(ctx, 0, sizeof *ctx);
    XXH3_64bits_reset(xxh3_state(ctx));
}

void xxh3_update_portable(Xxh3Context *ctx, const uint8_t *input, size_t length) {
    XXH3_64bits_update(xxh3_state(ctx), input, length);
}

/* The last stripes are hashed here in scalar code: a few hundred bytes. */
void xxh3_final(Xxh3Context *ctx, uint8_t out[XXH3_DIGEST_SIZE]) {
    XXH64_canonical_t canonical;
    XXH64_canonicalFromHash(&canonical, XXH3_64bits_digest(xxh3_state(ctx)));
    std::memcpy(out, canonical.digest, XXH3_DIGEST_SIZE);
}

void xxh128_final(Xxh3Context *ctx, uint8_t out[XXH128_DIGEST_SIZE]) {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(xxh3_state(ctx)));
    std::memcpy(out, canonical.digest, XXH128_DIGEST_SIZE);
}
