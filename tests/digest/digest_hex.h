/* digest_hex.h -- one-shot and piecewise digests as checksum text, for the
 * digest tests. */
#ifndef TVK_TESTS_DIGEST_HEX_H
#define TVK_TESTS_DIGEST_HEX_H

#include <cstdint>
#include <string>
#include <vector>

#include "digest/checksum_text.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"

enum class Digest { md5, sha1, sha256, sha512, sha384 };

/* The digest of data fed as consecutive pieces of the given lengths (the
 * rest, if any, as one last piece). */
inline std::string digest_pieces(Digest kind, const uint8_t *data, size_t size,
                                 const std::vector<size_t> &pieces) {
    Md5Context md5;
    Sha1Context sha1;
    Sha256Context sha256;
    Sha512Context sha512;
    md5_init(&md5);
    sha1_init(&sha1);
    sha256_init(&sha256);
    if (kind == Digest::sha384)
        sha384_init(&sha512);
    else
        sha512_init(&sha512);
    auto feed = [&](const uint8_t *p, size_t n) {
        const auto len = static_cast<uint32_t>(n);
        switch (kind) {
        case Digest::md5:
            md5_update(&md5, p, len);
            break;
        case Digest::sha1:
            sha1_update(&sha1, p, len);
            break;
        case Digest::sha256:
            sha256_update(&sha256, p, len);
            break;
        case Digest::sha512:
        case Digest::sha384:
            sha512_update(&sha512, p, len);
            break;
        }
    };
    size_t done = 0;
    for (size_t piece : pieces) {
        feed(data + done, piece);
        done += piece;
    }
    feed(data + done, size - done);

    uint8_t digest[SHA512_DIGEST_SIZE];
    int n = 0;
    switch (kind) {
    case Digest::md5:
        md5_final(&md5, digest);
        n = MD5_DIGEST_SIZE;
        break;
    case Digest::sha1:
        sha1_final(&sha1, digest);
        n = SHA1_DIGEST_SIZE;
        break;
    case Digest::sha256:
        sha256_final(&sha256, digest);
        n = SHA256_DIGEST_SIZE;
        break;
    case Digest::sha512:
        sha512_final(&sha512, digest);
        n = SHA512_DIGEST_SIZE;
        break;
    case Digest::sha384:
        sha384_final(&sha512, digest);
        n = SHA384_DIGEST_SIZE;
        break;
    }
    char text[2 * SHA512_DIGEST_SIZE + 1];
    digest_text(digest, n, text);
    return text;
}

inline std::string digest_hex(Digest kind, const uint8_t *data, size_t size) {
    return digest_pieces(kind, data, size, {});
}

inline std::string digest_hex(Digest kind, const std::string &s) {
    return digest_hex(kind, reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

/* A reproducible byte pattern that is not periodic over short spans. */
inline std::vector<uint8_t> pattern_bytes(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 167u + (i >> 7) * 13u + 5u) & 0xffu);
    return v;
}

#endif
