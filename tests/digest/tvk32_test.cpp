/* TVK32: the documented values, chaining, and the closed form of the four
 * lanes (binomially weighted byte sums modulo 256) on random data; the
 * values and the closed form on every backend this CPU has. */
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "digest/checksum_text.h"
#include "digest/tvk32.h"
#include "each_backend.h"

namespace {

uint32_t tvk32_of(const std::string &s, uint32_t start = 0) {
    return tvk32_update(start, reinterpret_cast<const uint8_t *>(s.data()),
                        static_cast<uint32_t>(s.size()));
}

std::string text(uint32_t v) {
    char out[HEX32_TEXT_SIZE];
    hex32_text(v, out);
    return out;
}

TEST(Tvk32, DocumentedValues) {
    struct Case {
        std::string input;
        uint32_t start;
        const char *expected;
    };
    const Case cases[] = {
        {"", 0, "00000000"},
        {"a", 0, "61616161"},
        {"abc", 0, "b5cf4a26"},
        {"abcdef", 0, "3c7e1855"},
        {"def", 0xb5cf4a26, "3c7e1855"},
        {"", 0x12345678, "12345678"},
        {"123456789", 0, "d7df15dd"},
        {"message digest", 0, "017e6785"},
        {"The quick brown fox jumps over the lazy dog", 0, "d070a2d9"},
        {std::string(1, '\xff'), 0, "ffffffff"},
        {std::string("\x01\x00\x00", 3), 0, "0a060301"},
        {"ab", 0, "e68524c3"},
        {"ba", 0, "e98725c3"},
        {std::string(10, '\0'), 0, "00000000"},
        {std::string(256, '\x01'), 0, "40008000"},
    };
    for_each_backend([&] {
        for (const Case &c : cases)
            EXPECT_EQ(text(tvk32_of(c.input, c.start)), c.expected)
                << c.input.size() << " bytes from " << text(c.start);
    });
}

TEST(Tvk32, SingleByteFillsAllLanes) {
    for (int x = 0; x < 256; ++x) {
        const uint8_t b = static_cast<uint8_t>(x);
        EXPECT_EQ(tvk32_update(0, &b, 1), 0x01010101u * b) << x;
    }
}

TEST(Tvk32, LeadingZerosLeaveZeroTrailingZerosDoNot) {
    EXPECT_EQ(tvk32_of(std::string(7, '\0') + "a"), tvk32_of("a"));
    EXPECT_NE(tvk32_of(std::string("a") + '\0'), tvk32_of("a"));
    EXPECT_EQ(tvk32_of(std::string("a") + '\0') & 0xffu, 0x61u);
}

/* C(m, k) modulo 256 for k <= 3, without overflow for any 32-bit m. */
uint32_t binomial_mod256(uint64_t m, int k) {
    uint64_t v = 1;
    for (int i = 0; i < k; ++i)
        v *= m - static_cast<uint64_t>(i);
    const uint64_t fact[] = {1, 1, 2, 6};
    return static_cast<uint32_t>((v / fact[k]) & 0xff);
}

/* The lanes from the closed form, starting from the start value's lanes. */
uint32_t tvk32_closed_form(uint32_t start, const std::vector<uint8_t> &x) {
    const uint64_t n = x.size();
    const uint32_t a = start & 0xff, b = start >> 8 & 0xff, c = start >> 16 & 0xff, d = start >> 24;
    uint32_t s0 = a;
    uint32_t s1 = b + static_cast<uint32_t>(n & 0xff) * a;
    uint32_t s2 = c + static_cast<uint32_t>(n & 0xff) * b + binomial_mod256(n + 1, 2) * a;
    uint32_t s3 = d + static_cast<uint32_t>(n & 0xff) * c + binomial_mod256(n + 1, 2) * b +
                  binomial_mod256(n + 2, 3) * a;
    for (uint64_t i = 1; i <= n; ++i) {
        const uint32_t xi = x[static_cast<size_t>(i - 1)];
        s0 += xi;
        s1 += static_cast<uint32_t>((n - i + 1) & 0xff) * xi;
        s2 += binomial_mod256(n - i + 2, 2) * xi;
        s3 += binomial_mod256(n - i + 3, 3) * xi;
    }
    return (s3 & 0xff) << 24 | (s2 & 0xff) << 16 | (s1 & 0xff) << 8 | (s0 & 0xff);
}

TEST(Tvk32, ClosedFormOnRandomData) {
    for_each_backend([] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int round = 0; round < 40; ++round) {
            const size_t n = std::uniform_int_distribution<size_t>(0, round < 20 ? 40 : 5000)(rng);
            std::vector<uint8_t> x(n);
            for (auto &v : x)
                v = static_cast<uint8_t>(byte(rng));
            const uint32_t start = round % 2 ? static_cast<uint32_t>(rng()) : 0;
            ASSERT_EQ(tvk32_update(start, x.data(), static_cast<uint32_t>(n)),
                      tvk32_closed_form(start, x))
                << n << " bytes";
        }
    });
}

TEST(Tvk32, ChainingOverRandomPieces) {
    std::mt19937 rng(11);
    std::vector<uint8_t> x(9000);
    for (auto &v : x)
        v = static_cast<uint8_t>(rng());
    const uint32_t whole = tvk32_update(0, x.data(), static_cast<uint32_t>(x.size()));
    for (int round = 0; round < 20; ++round) {
        uint32_t value = 0;
        for (size_t done = 0; done < x.size();) {
            size_t piece = std::uniform_int_distribution<size_t>(0, 700)(rng);
            piece = std::min(piece, x.size() - done);
            value = tvk32_update(value, x.data() + done, static_cast<uint32_t>(piece));
            done += piece;
        }
        ASSERT_EQ(value, whole);
    }
}

} // namespace
