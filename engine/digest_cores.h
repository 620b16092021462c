/* digest_cores.h -- the algorithm cores behind one small shape, so a
 * driver is written once: construct (start value or init), update over a
 * piece of input, text (checksum text and its zero into a buffer of
 * TEXT_SIZE bytes). */
#ifndef TVK_ENGINE_DIGEST_CORES_H
#define TVK_ENGINE_DIGEST_CORES_H

#include "digest/checksum_text.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"
#include "digest/tvk32.h"

#include <cstdint>
#include "digest/dispatch.h"

namespace tvkengine {

struct Crc32Core {
    static constexpr int TEXT_SIZE = HEX32_TEXT_SIZE;
    uint32_t value = 0;
    void update(const uint8_t *input, uint32_t length) {
        value = crc32_update(value, input, length);
    }
    void text(char *out) const { hex32_text(value, out); }
};

struct Adler32Core {
    static constexpr int TEXT_SIZE = HEX32_TEXT_SIZE;
    uint32_t value = 1; // A = 1, B = 0
    void update(const uint8_t *input, uint32_t length) {
        value = adler32_update(value, input, length);
    }
    void text(char *out) const { hex32_text(value, out); }
};

struct Tvk32Core {
    static constexpr int TEXT_SIZE = HEX32_TEXT_SIZE;
    uint32_t value = 0;
    void update(const uint8_t *input, uint32_t length) {
        value = tvk32_update(value, input, length);
    }
    void text(char *out) const { hex32_text(value, out); }
};

struct Md5Core {
    static constexpr int TEXT_SIZE = 2 * MD5_DIGEST_SIZE + 1;
    Md5Context ctx;
    Md5Core() { md5_init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { md5_update(&ctx, input, length); }
    void text(char *out) {
        uint8_t digest[MD5_DIGEST_SIZE];
        md5_final(&ctx, digest);
        digest_text(digest, MD5_DIGEST_SIZE, out);
    }
};

struct Sha1Core {
    static constexpr int TEXT_SIZE = 2 * SHA1_DIGEST_SIZE + 1;
    Sha1Context ctx;
    Sha1Core() { sha1_init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { sha1_update(&ctx, input, length); }
    void text(char *out) {
        uint8_t digest[SHA1_DIGEST_SIZE];
        sha1_final(&ctx, digest);
        digest_text(digest, SHA1_DIGEST_SIZE, out);
    }
};

struct Sha256Core {
    static constexpr int TEXT_SIZE = 2 * SHA256_DIGEST_SIZE + 1;
    Sha256Context ctx;
    Sha256Core() { sha256_init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { sha256_update(&ctx, input, length); }
    void text(char *out) {
        uint8_t digest[SHA256_DIGEST_SIZE];
        sha256_final(&ctx, digest);
        digest_text(digest, SHA256_DIGEST_SIZE, out);
    }
};

struct Sha512Core {
    static constexpr int TEXT_SIZE = 2 * SHA512_DIGEST_SIZE + 1;
    Sha512Context ctx;
    Sha512Core() { sha512_init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { sha512_update(&ctx, input, length); }
    void text(char *out) {
        uint8_t digest[SHA512_DIGEST_SIZE];
        sha512_final(&ctx, digest);
        digest_text(digest, SHA512_DIGEST_SIZE, out);
    }
};

/* SHA-384: SHA-512 from other initial values, cut to 48 bytes. */
struct Sha384Core {
    static constexpr int TEXT_SIZE = 2 * SHA384_DIGEST_SIZE + 1;
    Sha512Context ctx;
    Sha384Core() { sha384_init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { sha512_update(&ctx, input, length); }
    void text(char *out) {
        uint8_t digest[SHA384_DIGEST_SIZE];
        sha384_final(&ctx, digest);
        digest_text(digest, SHA384_DIGEST_SIZE, out);
    }
};

} // namespace tvkengine

#endif
