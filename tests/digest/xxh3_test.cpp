/* XXH3-64 and XXH128 against xxhsum 0.8.1 (-H3, -H2) on the inputs around
 * xxHash's stripe (64 bytes), its short-input limits (128, 240) and its
 * block (1024 bytes): byte i is i mod 251. Each is fed whole and cut at
 * several points, through every backend this CPU has. */
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "digest/checksum_text.h"
#include "digest/xxh3.h"
#include "each_backend.h"

namespace {

struct Vector {
    size_t length;
    const char *xxh3;
    const char *xxh128;
};

const Vector vectors[] = {
    {0, "2d06800538d394c2", "99aa06d3014798d86001c324468d497f"},
    {1, "c44bdff4074eecdb", "a6cd5e9392000f6ac44bdff4074eecdb"},
    {63, "aaa5f0fb98a36ae8", "bb8d4c458fac1f120302a39b74a9cf52"},
    {64, "6187eb9089b0ed55", "9c6e140a465545e590c1971ddb04ce74"},
    {65, "6928c76ce90422d0", "ebedf05eeadc28f11aee64a1615de88f"},
    {127, "120b9787f8425f2f", "d5add870c9c9e00f060c2e3ddf0f2fb9"},
    {128, "85c6174c7ff4c46b", "14792fc3af88dc6c05321a0b64d67b41"},
    {129, "ec7642b431ba3e5a", "dd5e74ac6b45f54ebc30b63382b09a3b"},
    {240, "375a384d957fe865", "65b5be86da5540e7c92b68e16f83bbb6"},
    {241, "02e8cd95421c6d02", "1da1cb61bcb8a2a102e8cd95421c6d02"},
    {1023, "d3d91d80ac495685", "4325711b0ed4d742d3d91d80ac495685"},
    {1024, "e5d78bafa45b2aa5", "d0ac1f7b93bf57b9e5d78bafa45b2aa5"},
    {1025, "e95c42288f28186e", "2882ebca04ec915ce95c42288f28186e"},
    {2048, "25339063db861586", "a5141efedfefc1af25339063db861586"},
    {4096, "7135ffa504f1bc71", "e12cd72144990fe57135ffa504f1bc71"},
    {8193, "d6735a2b792cf505", "eaa446aa30f78391d6735a2b792cf505"},
    {3145739, "cf76fd988cdc6a49", "bce8ea590d528f8ecf76fd988cdc6a49"},
};

std::string hex(const uint8_t *bytes, int n) {
    std::string text(2 * n + 1, '\0');
    digest_text(bytes, n, text.data());
    text.pop_back();
    return text;
}

/* Both results of input fed in pieces cut at `cut` (the whole input for 0). */
std::pair<std::string, std::string> xxh3_of(const std::vector<uint8_t> &input, size_t cut) {
    Xxh3Context ctx;
    xxh3_init(&ctx);
    const size_t step = cut == 0 ? input.size() + 1 : cut;
    for (size_t at = 0; at < input.size(); at += step)
        xxh3_update(&ctx, input.data() + at,
                    static_cast<uint32_t>(std::min(step, input.size() - at)));
    Xxh3Context copy = ctx;
    uint8_t d64[XXH3_DIGEST_SIZE], d128[XXH128_DIGEST_SIZE];
    xxh3_final(&ctx, d64);
    xxh128_final(&copy, d128);
    return {hex(d64, sizeof d64), hex(d128, sizeof d128)};
}

TEST(Xxh3, MatchesXxhsumAtEveryBoundaryWholeAndInPieces) {
    for_each_backend([] {
        for (const Vector &v : vectors) {
            std::vector<uint8_t> input(v.length);
            for (size_t i = 0; i < input.size(); ++i)
                input[i] = static_cast<uint8_t>(i % 251);
            for (size_t cut : {0, 1, 63, 64, 240, 1024, 65536}) {
                if (cut == 1 && v.length > 8193)
                    continue; // a byte at a time over megabytes adds nothing
                const auto sums = xxh3_of(input, cut);
                EXPECT_EQ(sums.first, v.xxh3) << v.length << " cut " << cut;
                EXPECT_EQ(sums.second, v.xxh128) << v.length << " cut " << cut;
            }
        }
    });
}

} // namespace
