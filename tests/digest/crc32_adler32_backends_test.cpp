/* The CRC-32 and Adler-32 backends against zlib, which defines both: every
 * backend this CPU can run, called directly, on random lengths up to
 * 100 000 bytes at every alignment, chained at every split point of short
 * inputs, from the start value and from other running values. */
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>
#include <zlib.h>

#include "digest/backends.h"
#include "digest/crc_fold_constants.h"
#include "digest/dispatch.h"

namespace {

using Function = uint32_t (*)(uint32_t, const uint8_t *, size_t);

struct Impl {
    const char *name;
    bool runs; /* this CPU has the instructions */
    Function update;
};

uint32_t zlib_crc32(uint32_t crc, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(crc32_z(crc, p, n));
}

uint32_t zlib_adler32(uint32_t adler, const uint8_t *p, size_t n) {
    return static_cast<uint32_t>(adler32_z(adler, p, n));
}

std::vector<Impl> crc32_backends() {
    return {
        {"crc32_update", true, crc32_update},
#if TVK_X86
            {"pclmul", tvk_cpu_has(::Backend::Pclmul), crc32_pclmul},
            {"vpclmul", tvk_cpu_has(::Backend::Vpclmul), crc32_vpclmul},
#endif
    };
}

std::vector<Impl> adler32_backends() {
    return {
        {"adler32_update", true, adler32_update},
#if TVK_X86
            {"ssse3", tvk_cpu_has(::Backend::Ssse3), adler32_ssse3},
            {"avx2", tvk_cpu_has(::Backend::Avx2), adler32_avx2},
            {"avx512bw", tvk_cpu_has(::Backend::Avx512Bw), adler32_avx512bw},
#endif
    };
}

std::vector<uint8_t> random_bytes(std::mt19937 &rng, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

/* A running value: the start value, one zlib made, or any 32-bit word. */
uint32_t running_value(std::mt19937 &rng, Function reference, uint32_t start) {
    switch (rng() % 3) {
    case 0:
        return start;
    case 1: {
        const std::vector<uint8_t> prefix = random_bytes(rng, 1 + rng() % 100);
        return reference(start, prefix.data(), prefix.size());
    }
    default:
        return static_cast<uint32_t>(rng());
    }
}

void compare_with_zlib(const Impl &backend, Function reference, uint32_t start, unsigned seed) {
    SCOPED_TRACE(backend.name);
    std::mt19937 rng(seed);
    const std::vector<uint8_t> buffer = random_bytes(rng, 100000 + 64);

    /* random lengths at random alignments */
    for (int round = 0; round < 150; ++round) {
        const size_t length = rng() % 100001;
        const size_t offset = rng() % 64;
        const uint32_t value = running_value(rng, reference, start);
        const uint8_t *p = buffer.data() + offset;
        ASSERT_EQ(backend.update(value, p, length), reference(value, p, length))
            << length << " bytes at +" << offset << " from " << value;
    }

    /* every alignment, every length across the vector sizes and loop ends */
    for (size_t offset = 0; offset < 64; ++offset) {
        const uint8_t *p = buffer.data() + offset;
        for (size_t length = 0; length <= 600; ++length) {
            const uint32_t value = running_value(rng, reference, start);
            ASSERT_EQ(backend.update(value, p, length), reference(value, p, length))
                << length << " bytes at +" << offset << " from " << value;
        }
    }

    /* two pieces, split at every point */
    for (size_t length : {1,   15,  16,  17,  31,  32,  33,  63,  64,  65,  127,
                          128, 129, 255, 256, 257, 300, 511, 512, 513, 1100}) {
        const uint32_t value = running_value(rng, reference, start);
        const uint8_t *p = buffer.data() + rng() % 64;
        const uint32_t whole = reference(value, p, length);
        for (size_t split = 0; split <= length; ++split) {
            const uint32_t first = backend.update(value, p, split);
            ASSERT_EQ(backend.update(first, p + split, length - split), whole)
                << length << " bytes split at " << split;
        }
    }

    /* all bytes 0xff from the largest running value: the largest sums */
    const std::vector<uint8_t> ones(3 * adler32_nmax + 100, 0xff);
    for (size_t length : {adler32_nmax - 16, adler32_nmax - 1, adler32_nmax, adler32_nmax + 1,
                          2 * adler32_nmax + 31, ones.size()}) {
        for (uint32_t value : {start, 0xffffffffu, 0xfff0fff0u}) {
            ASSERT_EQ(backend.update(value, ones.data(), length),
                      reference(value, ones.data(), length))
                << length << " bytes of 0xff from " << value;
        }
    }
}

void compare_all(const std::vector<Impl> &backends, Function reference, uint32_t start) {
    unsigned seed = 1;
    for (const Impl &backend : backends) {
        if (!backend.runs) {
            std::printf("[  SKIPPED ] %s: not on this CPU\n", backend.name);
            continue;
        }
        compare_with_zlib(backend, reference, start, seed++);
    }
}

TEST(Crc32Adler32Backends, Crc32MatchesZlib) {
    compare_all(crc32_backends(), zlib_crc32, 0);
}

TEST(Crc32Adler32Backends, Adler32MatchesZlib) {
    compare_all(adler32_backends(), zlib_adler32, 1);
}

/* The fold constants are powers of x modulo the polynomial. zlib gives the
 * same: from a zero register (start value ~0 in its convention), n bytes
 * whose first bit is set leave x^(8n - 1) * x^32 modulo P, inverted. */
TEST(Crc32Adler32Backends, FoldConstantsArePowersOfX) {
    std::vector<uint8_t> message(300, 0);
    message[0] = 1;
    for (size_t n = 1; n <= message.size(); ++n) {
        const uint32_t expected =
            ~static_cast<uint32_t>(crc32(0xffffffffUL, message.data(), static_cast<uInt>(n)));
        ASSERT_EQ(crc_xpow_mod<Crc32Polynomial>(static_cast<unsigned>(8 * n + 31)), expected)
            << n << " bytes";
    }
    EXPECT_EQ(crc_xpow_mod<Crc32Polynomial>(0), 0x80000000u);
    EXPECT_EQ(crc_xpow_mod<Crc32Polynomial>(32), 0xedb88320u);
}

/* The backend chosen is the fastest the CPU has; printed so a run under
 * Wine shows what the Windows builds pick. */
TEST(Crc32Adler32Backends, ChosenBackendFollowsCpu) {
    const auto name = [](::Backend b) {
        for (const BackendName &n : tvk_backends)
            if (n.backend == b)
                return n.name;
        return "?";
    };
    std::printf("CRC-32 backend: %s, Adler-32 backend: %s\n", name(crc32_backend()),
                name(adler32_backend()));
    ::Backend crc = ::Backend::Portable;
    ::Backend adler = ::Backend::Portable;
#if TVK_X86
    if (tvk_cpu_has(::Backend::Vpclmul))
        crc = ::Backend::Vpclmul;
    else if (tvk_cpu_has(::Backend::Pclmul))
        crc = ::Backend::Pclmul;
    if (tvk_cpu_has(::Backend::Avx512Bw))
        adler = ::Backend::Avx512Bw;
    else if (tvk_cpu_has(::Backend::Avx2))
        adler = ::Backend::Avx2;
    else if (tvk_cpu_has(::Backend::Ssse3))
        adler = ::Backend::Ssse3;
#endif
    EXPECT_EQ(crc32_backend(), crc);
    EXPECT_EQ(adler32_backend(), adler);
}

/* Forcing a backend reaches crc32_update and adler32_update too. */
TEST(Crc32Adler32Backends, ForcedBackendRunsThroughTheDispatchedFunctions) {
    std::vector<uint8_t> data(100000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + (i >> 7));
    const uint32_t crc = zlib_crc32(0, data.data(), data.size());
    const uint32_t adler = zlib_adler32(1, data.data(), data.size());
    for (const BackendName &b : tvk_backends) {
        if (!tvk_force_backend(b.backend))
            continue;
        EXPECT_EQ(crc32_update(0, data.data(), data.size()), crc) << b.name;
        EXPECT_EQ(adler32_update(1, data.data(), data.size()), adler) << b.name;
    }
    tvk_force_backend(::Backend::Automatic);
}

} // namespace
