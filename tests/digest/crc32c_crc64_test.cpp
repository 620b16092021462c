/* CRC-32C and CRC-64/NVME through every backend against a bit-at-a-time
 * reference written here from the polynomials alone, and, where installed,
 * against ISA-L: check values, lengths on both sides of every fold, vector
 * and stream boundary, and the same bytes fed in pieces at random split
 * points, chaining the running value. */
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "digest/dispatch.h"
#include "each_backend.h"

#if defined(TVK_HAVE_ISAL) && __has_include(<isa-l/crc.h>)
#include <isa-l/crc.h>
#define HAVE_ISAL 1
#endif

namespace {

struct Crc {
    const char *name;
    unsigned width;
    uint64_t reflected; /* the polynomial, x^0 in the top bit of the word */
    uint64_t check;     /* of "123456789" */
    uint64_t (*update)(uint64_t, const uint8_t *, size_t);
    uint64_t (*isal)(uint64_t, const uint8_t *, size_t); /* ISA-L's, in zlib's convention */
};

uint64_t crc32c(uint64_t crc, const uint8_t *p, size_t n) {
    return crc32c_update(static_cast<uint32_t>(crc), p, n);
}

#ifdef HAVE_ISAL
/* ISA-L's CRC-32C neither inverts the start value nor the result. */
uint64_t isal_crc32c(uint64_t crc, const uint8_t *p, size_t n) {
    return ~crc32_iscsi(const_cast<uint8_t *>(p), static_cast<int>(n),
                        ~static_cast<uint32_t>(crc)) &
           0xffffffffu;
}
#else
constexpr uint64_t (*isal_crc32c)(uint64_t, const uint8_t *, size_t) = nullptr;
#endif

const Crc crcs[] = {
    {"CRC-32C", 32, 0x82f63b78u, 0xe3069283u, crc32c, isal_crc32c},
    {"CRC-64/NVME", 64, 0x9a6c9329ac4bc9b5u, 0xae8b14860a799888u, crc64nvme_update, nullptr},
};

/* The reference: one bit at a time, in zlib's convention. */
uint64_t bitwise(const Crc &c, uint64_t crc, const uint8_t *p, size_t n) {
    const uint64_t mask = c.width == 64 ? ~uint64_t{0} : (uint64_t{1} << c.width) - 1;
    uint64_t r = ~crc & mask;
    for (size_t i = 0; i < n; ++i) {
        r ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ c.reflected : r >> 1;
    }
    return ~r & mask;
}

/* Lengths around every register, fold step, vector and stream block; the
 * last ones run many blocks of three streams and end in short ones. */
std::vector<size_t> lengths() {
    std::vector<size_t> v;
    for (size_t n = 0; n <= 17; ++n)
        v.push_back(n);
    for (size_t edge : {32, 64, 96, 128, 256, 384, 512, 1024, 1536, 24576})
        for (size_t n = edge - 1; n <= edge + 1; ++n)
            v.push_back(n);
    v.insert(v.end(), {4096 + 7, 24576 + 1536 + 384 + 96 + 9, (3u << 20) + 385, (5u << 20) + 13});
    return v;
}

/* Also prints the backends chosen, so a run under Wine shows what the
 * Windows builds pick. */
TEST(Crc32cCrc64, CheckValues) {
    const auto name = [](Backend b) {
        for (const BackendName &n : tvk_backends)
            if (n.backend == b)
                return n.name;
        return "?";
    };
    std::printf("CRC-32C backend: %s, CRC-64/NVME backend: %s\n", name(crc32c_backend()),
                name(crc64nvme_backend()));
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    for (const Crc &c : crcs) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bitwise(c, 0, text, sizeof text), c.check);
        if (c.isal) {
            EXPECT_EQ(c.isal(0, text, sizeof text), c.check) << "ISA-L";
        }
        for_each_backend([&] { EXPECT_EQ(c.update(0, text, sizeof text), c.check); });
    }
}

/* Each length at a random alignment, from the start value or a random
 * running value, whole and in two and three pieces. */
TEST(Crc32cCrc64, MatchReferenceWholeAndInPieces) {
    std::mt19937_64 rng(42);
    std::vector<uint8_t> data((5u << 20) + 64 + 64);
    for (auto &b : data)
        b = static_cast<uint8_t>(rng());
    for (const Crc &c : crcs) {
        SCOPED_TRACE(c.name);
        const uint64_t mask = c.width == 64 ? ~uint64_t{0} : (uint64_t{1} << c.width) - 1;
        const auto below = [&](size_t n) { return static_cast<size_t>(rng() % n); };
        for (size_t length : lengths()) {
            const uint8_t *p = data.data() + below(64);
            const uint64_t start = rng() % 2 ? 0 : rng() & mask;
            const uint64_t expected = bitwise(c, start, p, length);
            if (c.isal) {
                ASSERT_EQ(c.isal(start, p, length), expected) << "ISA-L, " << length << " bytes";
            }
            const size_t cut1 = below(length + 1);
            const size_t cut2 = cut1 + below(length - cut1 + 1);
            for_each_backend([&] {
                ASSERT_EQ(c.update(start, p, length), expected) << length << " bytes";
                const uint64_t first = c.update(start, p, cut1);
                ASSERT_EQ(c.update(first, p + cut1, length - cut1), expected)
                    << length << " bytes split at " << cut1;
                const uint64_t second = c.update(first, p + cut1, cut2 - cut1);
                ASSERT_EQ(c.update(second, p + cut2, length - cut2), expected)
                    << length << " bytes split at " << cut1 << " and " << cut2;
            });
        }
    }
}

} // namespace
