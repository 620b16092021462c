/* sha512.h -- SHA-512 and SHA-384 secure hashes, FIPS 180-4.
 * SHA-384 is SHA-512 from its own initial values, cut to 48 bytes; both
 * use the one context and update. Incremental: init, sha512_update any
 * number of times, final once. All state lives in the caller's
 * Sha512Context; nothing is allocated.
 */
#ifndef TVK_DIGEST_SHA512_H
#define TVK_DIGEST_SHA512_H

#include <cstdint>

constexpr int SHA512_DIGEST_SIZE = 64;
constexpr int SHA384_DIGEST_SIZE = 48;
constexpr int SHA512_BLOCK_SIZE = 128;

struct Sha512Context {
    uint32_t total[2];                 /* bytes fed so far: low word, high word */
    uint64_t state[8];                 /* chaining words H0 to H7 */
    uint8_t buffer[SHA512_BLOCK_SIZE]; /* input tail not yet compressed */
};

void sha512_init(Sha512Context *ctx);
void sha384_init(Sha512Context *ctx);
void sha512_update(Sha512Context *ctx, const uint8_t *input, uint32_t length);
void sha512_final(Sha512Context *ctx, uint8_t digest[SHA512_DIGEST_SIZE]);
void sha384_final(Sha512Context *ctx, uint8_t digest[SHA384_DIGEST_SIZE]);

#endif
