/* digest_update.h -- the buffering shared by the MD5, SHA-1 and SHA-256
 * updates and finals. The context carries a 64-bit byte count in total[2]
 * (low word first) and the not yet compressed tail in buffer[64]; whole
 * blocks are compressed straight from the caller's input, several at once.
 */
#ifndef TVK_DIGEST_DIGEST_UPDATE_H
#define TVK_DIGEST_DIGEST_UPDATE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "digest/digest_padding.h"

/* compress(state, blocks, n) runs the compression function over n
 * consecutive 64-byte blocks. */
template <typename Context, typename Compress>
inline void digest_update(Context *ctx, const uint8_t *input, uint32_t length, Compress compress) {
    if (length == 0)
        return;
    uint32_t left = ctx->total[0] % DIGEST_BLOCK_SIZE;
    const uint32_t fill = DIGEST_BLOCK_SIZE - left;

    ctx->total[0] += length;
    if (ctx->total[0] < length)
        ctx->total[1]++;

    if (left > 0 && length >= fill) {
        std::memcpy(ctx->buffer + left, input, fill);
        compress(ctx->state, ctx->buffer, 1);
        input += fill;
        length -= fill;
        left = 0;
    }
    if (length >= DIGEST_BLOCK_SIZE) {
        const size_t blocks = length / DIGEST_BLOCK_SIZE;
        compress(ctx->state, input, blocks);
        input += blocks * DIGEST_BLOCK_SIZE;
        length %= DIGEST_BLOCK_SIZE;
    }
    if (length > 0)
        std::memcpy(ctx->buffer + left, input, length);
}

/* The bit count of everything fed so far, as (high, low) words. */
struct DigestBitCount {
    uint32_t high;
    uint32_t low;
};

template <typename Context> inline DigestBitCount digest_bit_count(const Context *ctx) {
    return {ctx->total[1] << 3 | ctx->total[0] >> 29, ctx->total[0] << 3};
}

/* Pad bytes that bring the count to 56 modulo 64: between 1 and 64. */
template <typename Context> inline uint32_t digest_pad_length(const Context *ctx) {
    const uint32_t last = ctx->total[0] % DIGEST_BLOCK_SIZE;
    return last < 56 ? 56 - last : 120 - last;
}

#endif
