/* xxh3_avx512.cpp -- XXH3's update with xxHash's AVX512 code. */
#include "digest/x86.h"

#if TVK_X86
#define XXH_VECTOR XXH_AVX512
/* GCC 12 takes the undefined start vectors of its own AVX-512 intrinsics,
 * inlined here, for uninitialized ones. */
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "digest/xxh3_backend.h"

#include "digest/backends.h"

void xxh3_update_avx512(Xxh3Context *ctx, const uint8_t *input, size_t length) {
    XXH3_64bits_update(xxh3_state(ctx), input, length);
}
#endif
