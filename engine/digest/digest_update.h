/* digest_update.h -- the buffering shared by the MD5, SHA-1, SHA-256 and
 * SHA-512 updates and finals. The context carries a 64-bit byte count in
 * total[2] (low word first) and the not yet compressed tail in its buffer
 * of one block (64 bytes, 128 for SHA-512); whole blocks are compressed
 * straight from the caller's input, several at once.
 */
#ifndef TVK_DIGEST_DIGEST_UPDATE_H
#define TVK_DIGEST_DIGEST_UPDATE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "digest/digest_padding.h"

/* compress(state, blocks, n) runs the compression function over n
 * consecutive blocks of BlockSize bytes (a power of two). */
template <uint32_t BlockSize, typename Context, typename Compress>
inline void digest_update_blocks(Context *ctx, const uint8_t *input, uint32_t length,
                                 Compress compress) {
    static_assert(sizeof ctx->buffer == BlockSize, "the buffer holds one block");
    if (length == 0)
        return;
    uint32_t left = ctx->total[0] % BlockSize;
    const uint32_t fill = BlockSize - left;

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
    if (length >= BlockSize) {
        const size_t blocks = length / BlockSize;
        compress(ctx->state, input, blocks);
        input += blocks * BlockSize;
        length %= BlockSize;
    }
    if (length > 0)
        std::memcpy(ctx->buffer + left, input, length);
}

/* The same over 64-byte blocks: MD5, SHA-1, SHA-256. */
template <typename Context, typename Compress>
inline void digest_update(Context *ctx, const uint8_t *input, uint32_t length, Compress compress) {
    digest_update_blocks<DIGEST_BLOCK_SIZE>(ctx, input, length, compress);
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
