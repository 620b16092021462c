/* sha256.h -- SHA-256 secure hash, FIPS 180-2.
 * Incremental: sha256_init, sha256_update any number of times, sha256_final
 * once. All state lives in the caller's Sha256Context; nothing is allocated.
 */
#ifndef TVK_DIGEST_SHA256_H
#define TVK_DIGEST_SHA256_H

#include <cstdint>

constexpr int SHA256_DIGEST_SIZE = 32;

struct Sha256Context {
    uint32_t total[2];  /* bytes fed so far: low word, high word */
    uint32_t state[8];  /* chaining words H0 to H7 */
    uint8_t buffer[64]; /* input tail not yet compressed */
};

void sha256_init(Sha256Context *ctx);
void sha256_update(Sha256Context *ctx, const uint8_t *input, uint32_t length);
void sha256_final(Sha256Context *ctx, uint8_t digest[SHA256_DIGEST_SIZE]);

#endif
