/* digest_cores.h -- the algorithm cores behind one small shape, so a
 * driver is written once: construct (start value or init), update over a
 * piece of input, text (checksum text and its zero into a buffer of
 * TEXT_SIZE bytes). */
#ifndef TVK_ENGINE_DIGEST_CORES_H
#define TVK_ENGINE_DIGEST_CORES_H

#include "digest/blake3.h"
#include "digest/checksum_text.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"
#include "digest/tvk32.h"
#include "digest/xxh3.h"

#include <cstddef>
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

struct Crc32cCore {
    static constexpr int TEXT_SIZE = HEX32_TEXT_SIZE;
    uint32_t value = 0;
    void update(const uint8_t *input, uint32_t length) {
        value = crc32c_update(value, input, length);
    }
    void text(char *out) const { hex32_text(value, out); }
};

/* CRC-64/NVME: 16 digits, most significant first. */
struct Crc64nvmeCore {
    static constexpr int TEXT_SIZE = 17;
    uint64_t value = 0;
    void update(const uint8_t *input, uint32_t length) {
        value = crc64nvme_update(value, input, length);
    }
    void text(char *out) const {
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<uint8_t>(value >> (56 - 8 * i));
        digest_text(bytes, 8, out);
    }
};

/* A message digest: its context, its start, update and final functions and
 * the size of the digest, which the text shows byte by byte. */
template <class Context, int Size, void (*Init)(Context *),
          void (*Update)(Context *, const uint8_t *, uint32_t), void (*Final)(Context *, uint8_t *)>
struct DigestCore {
    static constexpr int SIZE = Size;
    static constexpr int TEXT_SIZE = 2 * Size + 1;
    Context ctx;
    DigestCore() { Init(&ctx); }
    void update(const uint8_t *input, uint32_t length) { Update(&ctx, input, length); }
    /* The digest's bytes, for HMAC, which hashes them again. */
    void digest(uint8_t *out) { Final(&ctx, out); }
    void text(char *out) {
        uint8_t bytes[Size];
        Final(&ctx, bytes);
        digest_text(bytes, Size, out);
    }
};

using Md5Core = DigestCore<Md5Context, MD5_DIGEST_SIZE, md5_init, md5_update, md5_final>;
using Sha1Core = DigestCore<Sha1Context, SHA1_DIGEST_SIZE, sha1_init, sha1_update, sha1_final>;
using Sha256Core =
    DigestCore<Sha256Context, SHA256_DIGEST_SIZE, sha256_init, sha256_update, sha256_final>;
using Sha512Core =
    DigestCore<Sha512Context, SHA512_DIGEST_SIZE, sha512_init, sha512_update, sha512_final>;
/* SHA-384: SHA-512 from other initial values, cut to 48 bytes. */
using Sha384Core =
    DigestCore<Sha512Context, SHA384_DIGEST_SIZE, sha384_init, sha512_update, sha384_final>;

/* BLAKE3, whose input splits into subtrees that hash apart: a driver that
 * reads on two threads has each compute the chaining values of the pieces
 * it read, and only their pushes follow the input's order. */
struct Blake3Core
    : DigestCore<Blake3Context, BLAKE3_DIGEST_SIZE, blake3_init, blake3_update, blake3_final> {
    /* A piece whose offset and size are multiples of this hashes as such
     * subtrees: 256 chunks, enough for every SIMD lane and tree level. */
    static constexpr size_t SUBTREE_SIZE = 256 * 1024;
    static constexpr size_t CHUNK_SIZE = 1024;
    static void subtree_cv(const uint8_t *input, uint64_t offset, uint8_t cv[32]) {
        blake3_subtree_cv(input, SUBTREE_SIZE, offset / CHUNK_SIZE, cv);
    }
    /* The next SUBTREE_SIZE bytes of input, by their chaining value; the
     * bytes so far are a multiple of SUBTREE_SIZE, and more than none. */
    void push_subtree(const uint8_t cv[32]) {
        blake3_push_subtree(&ctx, cv, SUBTREE_SIZE / CHUNK_SIZE);
    }
};
using Xxh3Core = DigestCore<Xxh3Context, XXH3_DIGEST_SIZE, xxh3_init, xxh3_update, xxh3_final>;
using Xxh128Core =
    DigestCore<Xxh3Context, XXH128_DIGEST_SIZE, xxh3_init, xxh3_update, xxh128_final>;

} // namespace tvkengine

#endif
