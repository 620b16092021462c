/* xxh3.h -- XXH3, 64-bit and 128-bit, as xxHash defines them (seed 0,
 * the default secret), computed by xxHash's own header (the Debian package
 * libxxhash-dev) inlined into one source per vector width. Both widths
 * share one streaming state: XXH3-64 and XXH128 differ only in their final
 * step. Results are in the canonical form, most significant byte first, as
 * xxhsum prints them.
 */
#ifndef TVK_DIGEST_XXH3_H
#define TVK_DIGEST_XXH3_H

#include <cstddef>
#include <cstdint>

constexpr int XXH3_DIGEST_SIZE = 8;
constexpr int XXH128_DIGEST_SIZE = 16;

/* Room for xxHash's XXH3_state_t (its sources check that it fits). */
constexpr size_t XXH3_STATE_SIZE = 576;

struct Xxh3Context {
    alignas(64) unsigned char state[XXH3_STATE_SIZE];
};

void xxh3_init(Xxh3Context *ctx);
void xxh3_update(Xxh3Context *ctx, const uint8_t *input, uint32_t length); /* dispatched */
void xxh3_final(Xxh3Context *ctx, uint8_t out[XXH3_DIGEST_SIZE]);
void xxh128_final(Xxh3Context *ctx, uint8_t out[XXH128_DIGEST_SIZE]);

#endif
