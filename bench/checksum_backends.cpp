/* checksum_backends.cpp -- in-memory speed of every CRC-32 and Adler-32
 * backend this CPU runs, next to zlib and, where their headers are
 * installed, libdeflate and ISA-L: MB/s over one buffer (64 MiB by default),
 * best of a few runs, and the value each gives (they must agree). With a
 * piece size, the buffer is fed in pieces of that many bytes, as the file
 * driver feeds its reads.
 *   checksum_backends [MiB] [repeats] [piece bytes]
 */
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>
#include <zlib.h>

#include "digest/backends.h"
#include "digest/dispatch.h"

#if __has_include(<libdeflate.h>)
#include <libdeflate.h>
#define HAVE_LIBDEFLATE 1
#endif
#if __has_include(<isa-l/crc.h>)
#include <isa-l/crc.h>
#define HAVE_ISAL 1
#endif

namespace {

using Function = uint32_t (*)(uint32_t, const uint8_t *, size_t);

struct Candidate {
    const char *algorithm;
    const char *name;
    bool runs;
    Function update;
    uint32_t start;
};

uint32_t zlib_crc32(uint32_t c, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(crc32_z(c, p, n));
}
uint32_t zlib_adler32(uint32_t a, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(adler32_z(a, p, n));
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
#endif

} // namespace

int main(int argc, char **argv) {
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    const size_t piece_arg = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
    std::vector<uint8_t> buffer(mib << 20);
    std::mt19937 rng(1);
    for (auto &b : buffer)
        b = static_cast<uint8_t>(rng());

    const auto has = [](Backend b) { return tvk_cpu_has(b); };
    const auto name = [](Backend b) {
        for (const BackendName &n : tvk_backends)
            if (n.backend == b)
                return n.name;
        return "?";
    };
    const Candidate candidates[] = {
        {"crc32", "zlib", true, zlib_crc32, 0},
#ifdef HAVE_LIBDEFLATE
        {"crc32", "libdeflate", true, deflate_crc32, 0},
#endif
#if TVK_X86
        {"crc32", "pclmul", has(Backend::Pclmul), crc32_pclmul, 0},
        {"crc32", "vpclmul", has(Backend::Vpclmul), crc32_vpclmul, 0},
#endif
        {"crc32", "crc32_update", true, crc32_update, 0},
    /* last: it leaves the upper vector halves dirty, which slows the
     * SSE code that runs after it */
#ifdef HAVE_ISAL
        {"crc32", "isa-l", true, isal_crc32, 0},
#endif
        {"adler32", "zlib", true, zlib_adler32, 1},
#ifdef HAVE_LIBDEFLATE
        {"adler32", "libdeflate", true, deflate_adler32, 1},
#endif
#if TVK_X86
        {"adler32", "ssse3", has(Backend::Ssse3), adler32_ssse3, 1},
        {"adler32", "avx2", has(Backend::Avx2), adler32_avx2, 1},
#endif
        {"adler32", "adler32_update", true, adler32_update, 1},
    };
    const size_t piece = piece_arg > 0 ? piece_arg : buffer.size();
    std::printf("%zu MiB in memory in pieces of %zu bytes, best of %d; chosen: crc32 %s, "
                "adler32 %s\n",
                mib, piece, repeats, name(crc32_backend()), name(adler32_backend()));
    for (const Candidate &c : candidates) {
        if (!c.runs) {
            std::printf("%-8s %-14s not on this CPU\n", c.algorithm, c.name);
            continue;
        }
        double best = 1e30;
        uint32_t value = 0;
        for (int r = 0; r < repeats; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            value = c.start;
            for (size_t done = 0; done < buffer.size(); done += piece)
                value =
                    c.update(value, buffer.data() + done, std::min(piece, buffer.size() - done));
            const std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
            if (t.count() < best)
                best = t.count();
        }
        std::printf("%-8s %-14s %9.0f MB/s  %08x\n", c.algorithm, c.name,
                    static_cast<double>(buffer.size()) / best / 1e6, value);
    }
    return 0;
}
