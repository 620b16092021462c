/* xxh3_sse2.cpp -- XXH3's update with xxHash's SSE2 code. */
#include "digest/x86.h"

#if TVK_X86
#define XXH_VECTOR XXH_SSE2
#include "digest/xxh3_backend.h"

#include "digest/backends.h"

void xxh3_update_sse2(Xxh3Context *ctx, const uint8_t *input, size_t length) {
    XXH3_64bits_update(xxh3_state(ctx), input, length);
}
#endif
