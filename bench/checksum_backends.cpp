/* checksum_backends.cpp -- in-memory speed of the libraries that compute our
 * algorithms and of the engine's own cores: zlib, and where their headers
 * are installed libdeflate and ISA-L, for CRC-32 and Adler-32; OpenSSL's EVP
 * digests for MD5, SHA-1, SHA-256, SHA-512 and SHA-384; libxxhash for XXH3
 * and XXH128; ISA-L for CRC-32C (it has no CRC-64/NVME); every CRC-32, Adler-32,
 * TVK32, SHA-512, BLAKE3, XXH3, CRC-32C and CRC-64/NVME backend of the
 * engine that this CPU runs, and its MD5, SHA-1, SHA-256 and SHA-384 cores
 * (the SHA ones also forced to their portable code). All run the same way: over one
 * buffer of random bytes (64 MiB by default), best of a few runs, or with a
 * piece size fed in pieces of that many bytes, as the file driver feeds its
 * reads. One line per candidate:
 *   <algorithm> <name> <MB/s> <checksum text>
 * where name is the library, or core-<backend> for the engine's backends and
 * core for the one the engine chooses. Lines starting with # are comments.
 *   checksum_backends [MiB] [repeats] [piece bytes]
 */
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

#include "digest/backends.h"
#include "digest/blake3.h"
#include "digest/dispatch.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"
#include "digest/tvk32.h"
#include "digest/xxh3.h"

#if __has_include(<libdeflate.h>)
#include <libdeflate.h>
#define HAVE_LIBDEFLATE 1
#endif
#if __has_include(<isa-l/crc.h>)
#include <isa-l/crc.h>
#define HAVE_ISAL 1
#endif
#if __has_include(<xxhash.h>)
#include <xxhash.h>
#define HAVE_XXHASH 1
#endif
#if __has_include(<openssl/evp.h>)
#include <openssl/evp.h>
#define HAVE_OPENSSL 1
#endif

namespace {

using Function = uint32_t (*)(uint32_t, const uint8_t *, size_t);
/* Computes the checksum of the buffer, fed in pieces, as its text. */
using Run = std::function<std::string(const std::vector<uint8_t> &, size_t)>;

struct Candidate {
    const char *algorithm;
    const char *name;
    bool runs;
    Run run;
};

/* A 32-bit checksum in zlib's convention, from its start value. */
Run checksum32(Function update, uint32_t start) {
    return [update, start](const std::vector<uint8_t> &buffer, size_t piece) {
        uint32_t value = start;
        for (size_t done = 0; done < buffer.size(); done += piece)
            value = update(value, buffer.data() + done, std::min(piece, buffer.size() - done));
        char text[9];
        std::snprintf(text, sizeof text, "%08x", value);
        return std::string(text);
    };
}

uint32_t zlib_crc32(uint32_t c, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(crc32_z(c, p, n));
}
uint32_t zlib_adler32(uint32_t a, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(adler32_z(a, p, n));
}
uint32_t tvk32(uint32_t v, const uint8_t *p, size_t n) {
    return tvk32_update(v, p, static_cast<uint32_t>(n));
}
uint32_t tvk32_portable(uint32_t v, const uint8_t *p, size_t n) {
    return tvk32_update_portable(v, p, static_cast<uint32_t>(n));
}
#ifdef HAVE_LIBDEFLATE
uint32_t deflate_crc32(uint32_t c, const uint8_t *p, size_t n) {
    return libdeflate_crc32(c, p, n);
}
uint32_t deflate_adler32(uint32_t a, const uint8_t *p, size_t n) {
    return libdeflate_adler32(a, p, n);
}
#endif
#ifdef HAVE_ISAL
uint32_t isal_crc32(uint32_t c, const uint8_t *p, size_t n) {
    return crc32_gzip_refl(c, p, n);
}
/* ISA-L's CRC-32C inverts neither the start value nor the result. */
uint32_t isal_crc32c(uint32_t c, const uint8_t *p, size_t n) {
    return ~crc32_iscsi(const_cast<uint8_t *>(p), static_cast<int>(n), ~c);
}
#endif

/* CRC-64/NVME in zlib's convention, as 16 digits. */
Run checksum64(uint64_t (*update)(uint64_t, const uint8_t *, size_t)) {
    return [update](const std::vector<uint8_t> &buffer, size_t piece) {
        uint64_t value = 0;
        for (size_t done = 0; done < buffer.size(); done += piece)
            value = update(value, buffer.data() + done, std::min(piece, buffer.size() - done));
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
        return std::string(text);
    };
}

#ifdef HAVE_XXHASH
/* libxxhash's streaming XXH3, 64 or 128 bits, in its canonical form. */
template <bool Wide> std::string libxxhash(const std::vector<uint8_t> &buffer, size_t piece) {
    XXH3_state_t *state = XXH3_createState();
    XXH3_64bits_reset(state);
    for (size_t done = 0; done < buffer.size(); done += piece)
        XXH3_64bits_update(state, buffer.data() + done, std::min(piece, buffer.size() - done));
    char text[33];
    if (Wide) {
        const XXH128_hash_t h = XXH3_128bits_digest(state);
        std::snprintf(text, sizeof text, "%016llx%016llx",
                      static_cast<unsigned long long>(h.high64),
                      static_cast<unsigned long long>(h.low64));
    } else {
        std::snprintf(text, sizeof text, "%016llx",
                      static_cast<unsigned long long>(XXH3_64bits_digest(state)));
    }
    XXH3_freeState(state);
    return text;
}
#endif

/* A digest as lower-case hex text. */
std::string hex_text(const uint8_t *value, size_t length) {
    std::string text;
    char hex[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", value[i]);
        text += hex;
    }
    return text;
}

/* One of the engine's digest cores (init, update, final over a context). */
template <class Context, size_t Size, void (*Init)(Context *),
          void (*Update)(Context *, const uint8_t *, uint32_t), void (*Final)(Context *, uint8_t *)>
std::string engine_digest(const std::vector<uint8_t> &buffer, size_t piece) {
    Context ctx;
    Init(&ctx);
    for (size_t done = 0; done < buffer.size(); done += piece)
        Update(&ctx, buffer.data() + done,
               static_cast<uint32_t>(std::min(piece, buffer.size() - done)));
    uint8_t value[Size];
    Final(&ctx, value);
    return hex_text(value, Size);
}

/* A digest core with its backend forced for the run. */
Run forced(Backend backend, Run run) {
    return [backend, run](const std::vector<uint8_t> &buffer, size_t piece) {
        tvk_force_backend(backend);
        std::string text = run(buffer, piece);
        tvk_force_backend(Backend::Automatic);
        return text;
    };
}

#ifdef HAVE_OPENSSL
/* An OpenSSL digest through EVP, the way applications call it. */
Run evp(const char *digest) {
    return [digest](const std::vector<uint8_t> &buffer, size_t piece) {
        EVP_MD *md = EVP_MD_fetch(nullptr, digest, nullptr);
        EVP_MD_CTX *ctx = EVP_MD_CTX_new();
        unsigned char value[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestInit_ex(ctx, md, nullptr);
        for (size_t done = 0; done < buffer.size(); done += piece)
            EVP_DigestUpdate(ctx, buffer.data() + done, std::min(piece, buffer.size() - done));
        EVP_DigestFinal_ex(ctx, value, &length);
        EVP_MD_CTX_free(ctx);
        EVP_MD_free(md);
        return hex_text(value, length);
    };
}
#endif

} // namespace

int main(int argc, char **argv) {
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const size_t piece_arg = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
    std::vector<uint8_t> buffer(mib << 20);
    std::mt19937 rng(1);
    for (auto &b : buffer)
        b = static_cast<uint8_t>(rng());

    const auto has = [](Backend b) { return tvk_cpu_has(b); };
    const Run blake3_core =
        engine_digest<Blake3Context, BLAKE3_DIGEST_SIZE, blake3_init, blake3_update, blake3_final>;
    const Run xxh3_core =
        engine_digest<Xxh3Context, XXH3_DIGEST_SIZE, xxh3_init, xxh3_update, xxh3_final>;
    const Run xxh128_core =
        engine_digest<Xxh3Context, XXH128_DIGEST_SIZE, xxh3_init, xxh3_update, xxh128_final>;
    const Run sha512_core =
        engine_digest<Sha512Context, SHA512_DIGEST_SIZE, sha512_init, sha512_update, sha512_final>;
    const auto name = [](Backend b) {
        for (const BackendName &n : tvk_backends)
            if (n.backend == b)
                return n.name;
        return "?";
    };
    const Candidate candidates[] =
    { {"crc32", "zlib", true, checksum32(zlib_crc32, 0)},
#ifdef HAVE_LIBDEFLATE
      {"crc32", "libdeflate", true, checksum32(deflate_crc32, 0)},
#endif
#if TVK_X86
      {"crc32", "core-pclmul", has(Backend::Pclmul), checksum32(crc32_pclmul, 0)},
      {"crc32", "core-vpclmul", has(Backend::Vpclmul), checksum32(crc32_vpclmul, 0)},
#endif
      {"crc32", "core", true, checksum32(crc32_update, 0)},
      {"adler32", "zlib", true, checksum32(zlib_adler32, 1)},
#ifdef HAVE_LIBDEFLATE
      {"adler32", "libdeflate", true, checksum32(deflate_adler32, 1)},
#endif
#if TVK_X86
      {"adler32", "core-ssse3", has(Backend::Ssse3), checksum32(adler32_ssse3, 1)},
      {"adler32", "core-avx2", has(Backend::Avx2), checksum32(adler32_avx2, 1)},
      {"adler32", "core-avx512bw", has(Backend::Avx512Bw), checksum32(adler32_avx512bw, 1)},
#endif
      {"adler32", "core", true, checksum32(adler32_update, 1)},
      {"tvk32", "core-portable", true, checksum32(tvk32_portable, 0)},
      {"tvk32", "core", true, checksum32(tvk32, 0)},
      {"md5", "core", true,
       engine_digest<Md5Context, MD5_DIGEST_SIZE, md5_init, md5_update, md5_final>},
      {"sha1", "core-portable", true,
       forced(Backend::Portable,
              engine_digest<Sha1Context, SHA1_DIGEST_SIZE, sha1_init, sha1_update, sha1_final>)},
      {"sha1", "core", true,
       engine_digest<Sha1Context, SHA1_DIGEST_SIZE, sha1_init, sha1_update, sha1_final>},
      {"sha256", "core-portable", true,
       forced(Backend::Portable, engine_digest<Sha256Context, SHA256_DIGEST_SIZE, sha256_init,
                                               sha256_update, sha256_final>)},
      {"sha256", "core", true,
       engine_digest<Sha256Context, SHA256_DIGEST_SIZE, sha256_init, sha256_update, sha256_final>},
      {"sha512", "core-portable", true, forced(Backend::Portable, sha512_core)},
      {"sha512", "core-avx2bmi", has(Backend::Avx2Bmi), forced(Backend::Avx2Bmi, sha512_core)},
      {"sha512", "core-avx512", has(Backend::Avx512), forced(Backend::Avx512, sha512_core)},
      {"sha512", "core", true, sha512_core},
      {"sha384", "core", true,
       engine_digest<Sha512Context, SHA384_DIGEST_SIZE, sha384_init, sha512_update, sha384_final>},
      {"blake3", "core-portable", true, forced(Backend::Portable, blake3_core)},
      {"blake3", "core-sse41", has(Backend::Sse41), forced(Backend::Sse41, blake3_core)},
      {"blake3", "core-avx2", has(Backend::Avx2), forced(Backend::Avx2, blake3_core)},
      {"blake3", "core-avx512", has(Backend::Avx512), forced(Backend::Avx512, blake3_core)},
      {"blake3", "core", true, blake3_core},
      {"xxh3", "core-portable", true, forced(Backend::Portable, xxh3_core)},
      {"xxh3", "core-sse2", has(Backend::Sse2), forced(Backend::Sse2, xxh3_core)},
      {"xxh3", "core-avx2", has(Backend::Avx2), forced(Backend::Avx2, xxh3_core)},
      {"xxh3", "core-avx512", has(Backend::Avx512), forced(Backend::Avx512, xxh3_core)},
      {"xxh3", "core", true, xxh3_core},
      {"xxh128", "core", true, xxh128_core},
#ifdef HAVE_XXHASH
      {"xxh3", "libxxhash", true, libxxhash<false>},
      {"xxh128", "libxxhash", true, libxxhash<true>},
#endif
      {"crc32c", "core-portable", true, checksum32(crc32c_portable, 0)},
#if TVK_X86
      {"crc32c", "core-sse42", has(Backend::Sse42), checksum32(crc32c_sse42, 0)},
      {"crc32c", "core-pclmul", has(Backend::Pclmul), checksum32(crc32c_pclmul, 0)},
      {"crc32c", "core-vpclmul", has(Backend::Vpclmul), checksum32(crc32c_vpclmul, 0)},
#endif
      {"crc32c", "core", true, checksum32(crc32c_update, 0)},
      {"crc64nvme", "core-portable", true, checksum64(crc64nvme_portable)},
#if TVK_X86
      {"crc64nvme", "core-pclmul", has(Backend::Pclmul), checksum64(crc64nvme_pclmul)},
      {"crc64nvme", "core-vpclmul", has(Backend::Vpclmul), checksum64(crc64nvme_vpclmul)},
#endif
      {"crc64nvme", "core", true, checksum64(crc64nvme_update)},
#ifdef HAVE_OPENSSL
      {"md5", "openssl", true, evp("MD5")},
      {"sha1", "openssl", true, evp("SHA1")},
      {"sha256", "openssl", true, evp("SHA256")},
      {"sha512", "openssl", true, evp("SHA512")},
      {"sha384", "openssl", true, evp("SHA384")},
#endif
    /* last: it leaves the upper vector halves dirty, which slows the
     * SSE code that runs after it */
#ifdef HAVE_ISAL
      {"crc32", "isa-l", true, checksum32(isal_crc32, 0)},
      {"crc32c", "isa-l", true, checksum32(isal_crc32c, 0)},
#endif
    };
    const size_t piece = piece_arg > 0 ? piece_arg : buffer.size();
    std::printf("# %zu MiB in memory in pieces of %zu bytes, best of %d; chosen: crc32 %s, "
                "adler32 %s\n",
                mib, piece, repeats, name(crc32_backend()), name(adler32_backend()));
    for (const Candidate &c : candidates) {
        if (!c.runs) {
            std::printf("# %s %s not on this CPU\n", c.algorithm, c.name);
            continue;
        }
        double best = 1e30;
        std::string value;
        for (int r = 0; r < repeats; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            value = c.run(buffer, piece);
            const std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
            best = std::min(best, t.count());
        }
        std::printf("%s %s %.1f %s\n", c.algorithm, c.name,
                    static_cast<double>(buffer.size()) / best / 1e6, value.c_str());
        std::fflush(stdout);
    }
    return 0;
}
