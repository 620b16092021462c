/* sha1.h -- SHA-1 secure hash, FIPS 180-2.
 * Incremental: sha1_init, sha1_update any number of times, sha1_final once.
 * All state lives in the caller's Sha1Context; nothing is allocated.
 */
#ifndef TVK_DIGEST_SHA1_H
#define TVK_DIGEST_SHA1_H

#include <cstdint>

constexpr int SHA1_DIGEST_SIZE = 20;

struct Sha1Context {
    uint32_t total[2];  /* bytes fed so far: low word, high word */
    uint32_t state[5];  /* chaining words H0 to H4 */
    uint8_t buffer[64]; /* input tail not yet compressed */
};

void sha1_init(Sha1Context *ctx);
void sha1_update(Sha1Context *ctx, const uint8_t *input, uint32_t length);
void sha1_final(Sha1Context *ctx, uint8_t digest[SHA1_DIGEST_SIZE]);

#endif
