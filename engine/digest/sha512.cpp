/* sha512.cpp -- SHA-512 and SHA-384 secure hashes, FIPS 180-4: the
 * portable compression (sha512_scalar_blocks of sha512_rounds.h), the
 * initial values, and the final, which pads in the context's own buffer:
 * 0x80, zeros, and the 128-bit bit count, big-endian.
 */
#include "digest/sha512.h"

#include <cstddef>
#include <cstring>

#include "digest/backends.h"
#include "digest/byte_order.h"
#include "digest/digest_update.h"
#include "digest/dispatch.h"
#include "digest/sha512_rounds.h"

namespace {

void sha512_set_state(Sha512Context *ctx, const uint64_t (&initial)[8]) {
    ctx->total[0] = 0;
    ctx->total[1] = 0;
    std::memcpy(ctx->state, initial, sizeof initial);
}

/* Pads, appends the bit count and compresses the last block or two. */
void sha512_finish(Sha512Context *ctx) {
    const uint32_t last = ctx->total[0] % SHA512_BLOCK_SIZE;
    ctx->buffer[last] = 0x80;
    std::memset(ctx->buffer + last + 1, 0, SHA512_BLOCK_SIZE - last - 1);
    if (last >= SHA512_BLOCK_SIZE - 16) {
        sha512_block(ctx->state, ctx->buffer, 1);
        std::memset(ctx->buffer, 0, SHA512_BLOCK_SIZE);
    }
    /* The bit count: eight times the 64-bit byte count, as 128 bits. */
    const uint64_t bytes = static_cast<uint64_t>(ctx->total[1]) << 32 | ctx->total[0];
    store_be64(ctx->buffer + SHA512_BLOCK_SIZE - 16, bytes >> 61);
    store_be64(ctx->buffer + SHA512_BLOCK_SIZE - 8, bytes << 3);
    sha512_block(ctx->state, ctx->buffer, 1);
}

constexpr uint64_t sha512_initial[8] = {0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b,
                                        0xa54ff53a5f1d36f1, 0x510e527fade682d1, 0x9b05688c2b3e6c1f,
                                        0x1f83d9abfb41bd6b, 0x5be0cd19137e2179};
constexpr uint64_t sha384_initial[8] = {0xcbbb9d5dc1059ed8, 0x629a292a367cd507, 0x9159015a3070dd17,
                                        0x152fecd8f70e5939, 0x67332667ffc00b31, 0x8eb44a8768581511,
                                        0xdb0c2e0d64f98fa7, 0x47b5481dbefa4fa4};

} // namespace

void sha512_block_portable(uint64_t state[8], const uint8_t *block, size_t n) {
    sha512_scalar_blocks(state, block, n);
}

void sha512_init(Sha512Context *ctx) {
    sha512_set_state(ctx, sha512_initial);
}

void sha384_init(Sha512Context *ctx) {
    sha512_set_state(ctx, sha384_initial);
}

void sha512_update(Sha512Context *ctx, const uint8_t *input, uint32_t length) {
    digest_update_blocks<SHA512_BLOCK_SIZE>(ctx, input, length, sha512_block);
}

void sha512_final(Sha512Context *ctx, uint8_t digest[SHA512_DIGEST_SIZE]) {
    sha512_finish(ctx);
    for (int i = 0; i < 8; ++i)
        store_be64(digest + 8 * i, ctx->state[i]);
}

void sha384_final(Sha512Context *ctx, uint8_t digest[SHA384_DIGEST_SIZE]) {
    sha512_finish(ctx);
    for (int i = 0; i < 6; ++i)
        store_be64(digest + 8 * i, ctx->state[i]);
}
