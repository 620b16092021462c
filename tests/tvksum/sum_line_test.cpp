// Checksum list lines: what sha256sum writes and what -c must read back.
#include "sum_line.h"

#include <gtest/gtest.h>

using namespace checklist;

namespace {

const std::string kSha = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(SumLine, FormatsLikeSha256sum) {
    EXPECT_EQ(format_sum_line(kSha, "abc.txt"), kSha + "  abc.txt\n");
    EXPECT_EQ(format_sum_line(kSha, "with  two blanks"), kSha + "  with  two blanks\n");
    // GNU escapes backslash, line feed and carriage return and marks the line.
    EXPECT_EQ(format_sum_line(kSha, "x\\y"), "\\" + kSha + "  x\\\\y\n");
    EXPECT_EQ(format_sum_line(kSha, "n\nl"), "\\" + kSha + "  n\\nl\n");
    EXPECT_EQ(format_sum_line(kSha, "c\rr"), "\\" + kSha + "  c\\rr\n");
}

TEST(SumLine, FormatsTaggedLines) {
    EXPECT_EQ(format_tag_line(info(Algo::Sha256), kSha, "a b"), "SHA256 (a b) = " + kSha + "\n");
    EXPECT_EQ(format_tag_line(info(Algo::Md5_32), "90015098", "x\\y"),
              "\\MD5_32 (x\\\\y) = 90015098\n");
}

TEST(SumLine, ZeroEndedLinesKeepNamesAsTheyAre) {
    using namespace std::string_literals;
    EXPECT_EQ(format_sum_line(kSha, "n\nl\\x", true), kSha + "  n\nl\\x"s + '\0');
    EXPECT_EQ(format_tag_line(info(Algo::Crc32), "352441c2", "a\rb", true),
              "CRC32 (a\rb) = 352441c2"s + '\0');
}

} // namespace
