/* digest_cores.cpp -- in-memory speed of the MD5, SHA-1 and SHA-256 cores
 * next to OpenSSL's (EVP, where its headers are installed): MB/s (10^6
 * bytes, as `openssl speed` counts) over a 1 MiB buffer hashed again and
 * again for about a quarter second, best of a few rounds, the candidates
 * taken in turn in every round so that a busy moment hits them alike. Each
 * is timed with 1 MiB update calls and with 4096-byte ones, as the file
 * driver feeds its reads; SHA-1 and SHA-256 also with each backend forced.
 * The digest of the buffer from every candidate is checked against
 * OpenSSL's (or, without it, against the automatic backend's).
 *   digest_cores [rounds]
 */
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "digest/dispatch.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"

#if __has_include(<openssl/evp.h>)
#include <openssl/evp.h>
#define HAVE_OPENSSL 1
#endif

namespace {

constexpr size_t buffer_size = 1 << 20;
constexpr double round_seconds = 0.25;

/* One way to hash: feed `length` bytes in pieces of `piece` bytes, or
 * (finish) also close the digest into out. */
struct Candidate {
    std::string algorithm;
    std::string name;
    size_t piece;
    Backend backend; /* forced while it runs; Automatic for OpenSSL */
    void (*hash)(const uint8_t *input, size_t length, size_t piece, uint8_t *out, bool finish);
    double best_seconds;
    std::vector<uint8_t> digest;
};

template <typename Context, void (*Init)(Context *),
          void (*Update)(Context *, const uint8_t *, uint32_t), void (*Final)(Context *, uint8_t *)>
void ours(const uint8_t *input, size_t length, size_t piece, uint8_t *out, bool finish) {
    static Context ctx;
    if (finish)
        Init(&ctx);
    for (size_t done = 0; done < length; done += piece) {
        const size_t n = length - done < piece ? length - done : piece;
        Update(&ctx, input + done, static_cast<uint32_t>(n));
    }
    if (finish)
        Final(&ctx, out);
}

#ifdef HAVE_OPENSSL
template <const EVP_MD *(*Md)()>
void openssl(const uint8_t *input, size_t length, size_t piece, uint8_t *out, bool finish) {
    static EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    if (finish)
        EVP_DigestInit_ex(ctx, Md(), nullptr);
    for (size_t done = 0; done < length; done += piece) {
        const size_t n = length - done < piece ? length - done : piece;
        EVP_DigestUpdate(ctx, input + done, n);
    }
    if (finish) {
        unsigned int size = 0;
        EVP_DigestFinal_ex(ctx, out, &size);
    }
}
#endif

using HashFunction = void (*)(const uint8_t *, size_t, size_t, uint8_t *, bool);

struct Algorithm {
    const char *name;
    size_t digest_size;
    HashFunction ours;
    bool dispatched; /* has backends to force */
#ifdef HAVE_OPENSSL
    HashFunction openssl;
#endif
};

const Algorithm algorithms[] = {
    {"md5", MD5_DIGEST_SIZE, ours<Md5Context, md5_init, md5_update, md5_final>, false,
#ifdef HAVE_OPENSSL
     openssl<EVP_md5>
#endif
    },
    {"sha1", SHA1_DIGEST_SIZE, ours<Sha1Context, sha1_init, sha1_update, sha1_final>, true,
#ifdef HAVE_OPENSSL
     openssl<EVP_sha1>
#endif
    },
    {"sha256", SHA256_DIGEST_SIZE, ours<Sha256Context, sha256_init, sha256_update, sha256_final>,
     true,
#ifdef HAVE_OPENSSL
     openssl<EVP_sha256>
#endif
    },
};

/* Seconds per 1 MiB, from as many passes as fit in round_seconds. */
double time_once(Candidate &c, const std::vector<uint8_t> &buffer) {
    tvk_force_backend(c.backend);
    uint8_t scratch[64];
    c.hash(buffer.data(), 0, c.piece, scratch, true); /* a fresh context */
    using clock = std::chrono::steady_clock;
    const auto t0 = clock::now();
    long passes = 0;
    std::chrono::duration<double> t{};
    do {
        for (int i = 0; i < 8; ++i)
            c.hash(buffer.data(), buffer.size(), c.piece, scratch, false);
        passes += 8;
        t = clock::now() - t0;
    } while (t.count() < round_seconds);
    tvk_force_backend(Backend::Automatic);
    return t.count() / static_cast<double>(passes);
}

} // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<uint8_t> buffer(buffer_size);
    std::mt19937 rng(1);
    for (auto &b : buffer)
        b = static_cast<uint8_t>(rng());

    std::vector<Candidate> candidates;
    for (const Algorithm &a : algorithms) {
        for (const size_t piece : {buffer_size, size_t{4096}}) {
            const std::string pieces = piece == 4096 ? " 4096" : " 1M";
#ifdef HAVE_OPENSSL
            candidates.push_back(
                {a.name, "openssl" + pieces, piece, Backend::Automatic, a.openssl, 1e30, {}});
#endif
            candidates.push_back(
                {a.name, "ours" + pieces, piece, Backend::Automatic, a.ours, 1e30, {}});
            if (!a.dispatched || piece != buffer_size)
                continue;
            for (const BackendName &b : tvk_backends)
                if ((b.backend == Backend::Portable || b.backend == Backend::ShaNi) &&
                    tvk_cpu_has(b.backend))
                    candidates.push_back({a.name,
                                          std::string("ours ") + b.name + pieces,
                                          piece,
                                          b.backend,
                                          a.ours,
                                          1e30,
                                          {}});
        }
    }

    bool agree = true;
    for (Candidate &c : candidates) {
        const Algorithm *a = nullptr;
        for (const Algorithm &x : algorithms)
            if (c.algorithm == x.name)
                a = &x;
        c.digest.resize(a->digest_size);
        tvk_force_backend(c.backend);
        c.hash(buffer.data(), buffer.size(), c.piece, c.digest.data(), true);
        tvk_force_backend(Backend::Automatic);
    }
    for (const Candidate &c : candidates)
        for (const Candidate &first : candidates)
            if (first.algorithm == c.algorithm) {
                if (first.digest != c.digest) {
                    std::printf("%s %s: digest differs from %s\n", c.algorithm.c_str(),
                                c.name.c_str(), first.name.c_str());
                    agree = false;
                }
                break;
            }

    /* every other round in reverse order, so that no candidate always
     * follows the same one */
    for (int r = 0; r < rounds; ++r)
        for (size_t i = 0; i < candidates.size(); ++i) {
            Candidate &c = candidates[r % 2 == 0 ? i : candidates.size() - 1 - i];
            const double t = time_once(c, buffer);
            if (t < c.best_seconds)
                c.best_seconds = t;
        }

    std::printf("1 MiB in memory, best of %d rounds of %.2f s\n", rounds, round_seconds);
    for (const Candidate &c : candidates)
        std::printf("%-7s %-20s %7.0f MB/s\n", c.algorithm.c_str(), c.name.c_str(),
                    static_cast<double>(buffer_size) / c.best_seconds / 1e6);
    return agree ? 0 : 1;
}
