/* xxh3_backend.h -- xxHash's header inlined whole into the source that
 * includes it, with the vector width that source chose in XXH_VECTOR
 * (XXH_SCALAR, XXH_SSE2, XXH_AVX2, XXH_AVX512) and is compiled for. Every
 * width keeps the same state, so a stream may be continued by any of them. */
#ifndef TVK_DIGEST_XXH3_BACKEND_H
#define TVK_DIGEST_XXH3_BACKEND_H

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "digest/xxh3.h"

static_assert(sizeof(XXH3_state_t) <= XXH3_STATE_SIZE && alignof(XXH3_state_t) <= 64,
              "xxHash's state fits Xxh3Context");

static inline XXH3_state_t *xxh3_state(Xxh3Context *ctx) {
    return reinterpret_cast<XXH3_state_t *>(ctx->state);
}

#endif
