// Checksum list lines: what sha256sum writes and what -c must read back.
#include "sum_line.h"

#include <gtest/gtest.h>

using namespace tvksum;

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

struct ParseCase {
    const char *line;
    LineKind kind;
    const char *sum;
    const char *name;
    const char *tag; // expected job name of the tag, or nullptr
};

TEST(SumLine, ParsesListLines) {
    const ParseCase cases[] = {
        {"900150983cd24fb0d6963f7d28e17f72  abc.txt", LineKind::Entry,
         "900150983cd24fb0d6963f7d28e17f72", "abc.txt", nullptr},
        {"900150983cd24fb0d6963f7d28e17f72 *abc.txt", LineKind::Entry,
         "900150983cd24fb0d6963f7d28e17f72", "abc.txt", nullptr},
        {"900150983CD24FB0D6963F7D28E17F72  up", LineKind::Entry,
         "900150983CD24FB0D6963F7D28E17F72", "up", nullptr},
        {"cbf43926  name with  blanks ", LineKind::Entry, "cbf43926", "name with  blanks ",
         nullptr},
        {"cbf43926   lead blank", LineKind::Entry, "cbf43926", " lead blank", nullptr},
        {"cbf43926  dos\r", LineKind::Entry, "cbf43926", "dos", nullptr},
        {"\\cbf43926  x\\\\y\\nz", LineKind::Entry, "cbf43926", "x\\y\nz", nullptr},
        {"SHA1 (f) = a9993e364706816aba3e25717850c26c9cd0d89d", LineKind::Entry,
         "a9993e364706816aba3e25717850c26c9cd0d89d", "f", "sha-1"},
        {"crc32 (a (b) = c) = cbf43926", LineKind::Entry, "cbf43926", "a (b) = c", "crc32"},
        {"\\MD5_32 (x\\\\y) = 90015098", LineKind::Entry, "90015098", "x\\y", "md5_32"},
        {"TVK32 (t) = 00ff00ff", LineKind::Entry, "00ff00ff", "t", "tvk32"},
        {"# a comment", LineKind::Skip, "", "", nullptr},
        {"", LineKind::Skip, "", "", nullptr},
        {"\r", LineKind::Skip, "", "", nullptr},
        {"garbage", LineKind::Malformed, "", "", nullptr},
        {"cbf43926 abc", LineKind::Malformed, "", "", nullptr},  // one blank only
        {"cbf43926  ", LineKind::Malformed, "", "", nullptr},    // no name
        {"cbf4392g  abc", LineKind::Malformed, "", "", nullptr}, // not hex
        {"\\cbf43926  bad\\q", LineKind::Malformed, "", "", nullptr},
        {"FOO (f) = cbf43926", LineKind::Malformed, "", "", nullptr},
        {"CRC32 (f) = ", LineKind::Malformed, "", "", nullptr},
        {"CRC32 () = cbf43926", LineKind::Malformed, "", "", nullptr},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.line);
        CheckEntry e;
        ASSERT_EQ(parse_check_line(c.line, e), c.kind);
        if (c.kind != LineKind::Entry)
            continue;
        EXPECT_EQ(e.sum, c.sum);
        EXPECT_EQ(e.name, c.name);
        if (c.tag) {
            ASSERT_NE(e.tag, nullptr);
            EXPECT_EQ(e.tag->job_name, c.tag);
        } else {
            EXPECT_EQ(e.tag, nullptr);
        }
    }
}

TEST(SumLine, ReadsBackWhatItWrites) {
    for (const char *name : {"plain", "a\\b", "new\nline", "cr\rhere", "tail\\", " lead"}) {
        SCOPED_TRACE(name);
        for (bool tagged : {false, true}) {
            std::string line = tagged ? format_tag_line(info(Algo::Sha256), kSha, name)
                                      : format_sum_line(kSha, name);
            line.pop_back(); // the line feed
            CheckEntry e;
            ASSERT_EQ(parse_check_line(line, e), LineKind::Entry);
            EXPECT_EQ(e.name, name);
            EXPECT_EQ(e.sum, kSha);
        }
    }
}

} // namespace
