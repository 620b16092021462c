/* md5.h -- MD5 message digest, RFC 1321.
 * Incremental: md5_init, md5_update any number of times, md5_final once.
 * All state lives in the caller's Md5Context; nothing is allocated.
 */
#ifndef TVK_DIGEST_MD5_H
#define TVK_DIGEST_MD5_H

#include <cstdint>

constexpr int MD5_DIGEST_SIZE = 16;

struct Md5Context {
    uint32_t total[2];  /* bytes fed so far: low word, high word */
    uint32_t state[4];  /* chaining words A, B, C, D */
    uint8_t buffer[64]; /* input tail not yet compressed */
};

void md5_init(Md5Context *ctx);
void md5_update(Md5Context *ctx, const uint8_t *input, uint32_t length);
void md5_final(Md5Context *ctx, uint8_t digest[MD5_DIGEST_SIZE]);

#endif
