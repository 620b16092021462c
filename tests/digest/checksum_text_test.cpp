/* Checksum text: the same characters as printf's "%08x" and "%02x", and
 * MD5_32 as the first eight digits of the MD5 text. */
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "digest/checksum_text.h"
#include "digest_hex.h"

namespace {

TEST(ChecksumText, Hex32MatchesPrintf) {
    std::mt19937 rng(3);
    const uint32_t fixed[] = {0, 1, 0x00620062, 0xcbf43926, 0xffffffff, 0x80000000, 0x0000000f};
    auto check = [](uint32_t v) {
        char ours[HEX32_TEXT_SIZE + 3] = "xxxxxxxxxxx";
        char theirs[16];
        hex32_text(v, ours);
        std::snprintf(theirs, sizeof theirs, "%08x", v);
        EXPECT_STREQ(ours, theirs);
        EXPECT_EQ(ours[9], 'x') << "writes past the zero";
    };
    for (uint32_t v : fixed)
        check(v);
    for (int i = 0; i < 1000; ++i)
        check(static_cast<uint32_t>(rng()));
}

TEST(ChecksumText, DigestBytesInOrder) {
    const uint8_t bytes[] = {0x00, 0x0f, 0xf0, 0xff, 0x5a, 0xa5};
    char out[16];
    digest_text(bytes, 6, out);
    EXPECT_STREQ(out, "000ff0ff5aa5");
    digest_text(bytes, 0, out);
    EXPECT_STREQ(out, "");
}

TEST(ChecksumText, Md532IsTheFirstEightMd5Digits) {
    struct Case {
        std::string input;
        const char *md532;
    };
    const Case cases[] = {{"", "d41d8cd9"},
                          {"a", "0cc175b9"},
                          {"abc", "90015098"},
                          {"123456789", "25f9e794"},
                          {"message digest", "f96b697d"},
                          {"The quick brown fox jumps over the lazy dog", "9e107d9d"},
                          {std::string(64, 'a'), "014842d4"}};
    for (const Case &c : cases) {
        Md5Context ctx;
        uint8_t digest[MD5_DIGEST_SIZE];
        md5_init(&ctx);
        md5_update(&ctx, reinterpret_cast<const uint8_t *>(c.input.data()),
                   static_cast<uint32_t>(c.input.size()));
        md5_final(&ctx, digest);
        char out[MD532_TEXT_SIZE + 3];
        std::memset(out, 'z', sizeof out);
        md532_text(digest, out);
        EXPECT_STREQ(out, c.md532) << c.input;
        EXPECT_EQ(out[9], 'z') << "writes past the zero";
        EXPECT_EQ(digest_hex(Digest::md5, c.input).substr(0, 8), c.md532);
    }
}

} // namespace
