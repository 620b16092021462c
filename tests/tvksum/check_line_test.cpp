// How -c reads list lines (the forms md5sum -c reads; tests/tvksum/e2e.sh
// compares whole lists with md5sum itself), which algorithm it verifies a line
// with, and which lines it counts as improperly formatted.
#include "check_line.h"

#include <gtest/gtest.h>

#include <vector>

using namespace checklist;
using namespace std::string_literals;

namespace {

const std::string kMd5 = "900150983cd24fb0d6963f7d28e17f72";

struct AlgoCase {
    std::string line;
    const AlgoInfo *forced; // -a
    LineKind kind;
    const AlgoInfo *algo; // for Entry
};

TEST(CheckLine, ChoosesTheAlgorithm) {
    const AlgoInfo *md5 = &info(Algo::Md5);
    const AlgoInfo *crc = &info(Algo::Crc32);
    const AlgoInfo *tvk = &info(Algo::Tvk32);
    const AlgoCase cases[] = {
        {kMd5 + "  f", nullptr, LineKind::Entry, md5},           // by length
        {kMd5 + "  f", md5, LineKind::Entry, md5},               // -a agrees
        {kMd5 + "  f", crc, LineKind::Malformed, nullptr},       // -a, wrong length
        {"cbf43926  f", nullptr, LineKind::Malformed, nullptr},  // 8 digits: ambiguous
        {"cbf43926  f", crc, LineKind::Entry, crc},              // -a settles it
        {"CRC32 (f) = cbf43926", nullptr, LineKind::Entry, crc}, // the tag settles it
        {"CRC32 (f) = cbf43926", crc, LineKind::Entry, crc},
        {"CRC32 (f) = cbf43926", tvk, LineKind::Malformed, nullptr}, // tag against -a
        {"CRC32 (f) = " + kMd5, nullptr, LineKind::Malformed, nullptr},
        {"MD5 (f) = cbf43926", nullptr, LineKind::Malformed, nullptr},
        {"abc  f", nullptr, LineKind::Malformed, nullptr},
        {"# comment", crc, LineKind::Skip, nullptr},
        {"not a line", nullptr, LineKind::Malformed, nullptr},
    };
    for (const AlgoCase &c : cases) {
        SCOPED_TRACE(c.line + (c.forced ? " -a " + std::string(c.forced->job_name) : ""));
        const CheckLine got = read_check_line(c.line, c.forced);
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.algo, c.algo);
        if (c.kind == LineKind::Entry) {
            EXPECT_EQ(got.entry.name, "f");
        }
    }
}

struct ParseCase {
    std::string line;
    LineKind kind;
    std::string name;       // for Entry
    const char *tag_or_sum; // for Entry: the tag's job name, or the sum of an untagged line
};

TEST(CheckLine, ReadsTheFormsOfMd5sum) {
    const std::string m = kMd5;
    const ParseCase cases[] = {
        {m + "  abc.txt", LineKind::Entry, "abc.txt", kMd5.c_str()},
        {m + " *abc.txt", LineKind::Entry, "abc.txt", kMd5.c_str()},
        {"900150983CD24FB0D6963F7D28E17F72  up", LineKind::Entry, "up",
         "900150983CD24FB0D6963F7D28E17F72"},
        {m + "  name with  blanks ", LineKind::Entry, "name with  blanks ", kMd5.c_str()},
        {m + "   lead blank", LineKind::Entry, " lead blank", kMd5.c_str()},
        {m + "  dos\r", LineKind::Entry, "dos", kMd5.c_str()},
        {"\\" + m + "  x\\\\y\\nz\\r", LineKind::Entry, "x\\y\nz\r", kMd5.c_str()},
        {m + " one", LineKind::Entry, "one", kMd5.c_str()},     // one blank
        {m + "\ttab", LineKind::Entry, "tab", kMd5.c_str()},    // a tab
        {m + "\t *tab", LineKind::Entry, "*tab", kMd5.c_str()}, // a tab, then the marker
        {m + "  ", LineKind::Entry, " ", kMd5.c_str()},         // the name is a blank
        {" \t" + m + "  indented", LineKind::Entry, "indented", kMd5.c_str()},
        {m + "  nul\0rest"s, LineKind::Entry, "nul", kMd5.c_str()},
        {"SHA1 (f) = a9993e364706816aba3e25717850c26c9cd0d89d", LineKind::Entry, "f", "sha-1"},
        {"CRC32 (a (b) = c) = cbf43926", LineKind::Entry, "a (b) = c", "crc32"},
        {"\\MD5_32 (x\\\\y) = 90015098", LineKind::Entry, "x\\y", "md5_32"},
        {"MD5(f)=\t" + m, LineKind::Entry, "f", "md5"},
        {"MD5 () = " + m, LineKind::Entry, "", "md5"},
        {"MD5 (n\0x) = "s + m, LineKind::Entry, "n", "md5"},
        {"MD5 (f) = " + m + "\0junk"s, LineKind::Entry, "f", "md5"},
        {"# a comment", LineKind::Skip, "", nullptr},
        {"", LineKind::Skip, "", nullptr},
        {"\r", LineKind::Skip, "", nullptr},
        {"  # indented", LineKind::Malformed, "", nullptr},
        {" \t ", LineKind::Malformed, "", nullptr},
        {"\r\r", LineKind::Malformed, "", nullptr},
        {"garbage", LineKind::Malformed, "", nullptr},
        {m + " ", LineKind::Malformed, "", nullptr}, // no name
        {m + "x  abc", LineKind::Malformed, "", nullptr},
        {"\\" + m + "  bad\\q", LineKind::Malformed, "", nullptr},
        {"\\" + m + "  nul\0x"s, LineKind::Malformed, "", nullptr},
        {"\\MD5 (n\0x) = "s + m, LineKind::Malformed, "", nullptr},
        {"md5 (f) = " + m, LineKind::Malformed, "", nullptr}, // tags are upper case
        {"MD5  (f) = " + m, LineKind::Malformed, "", nullptr},
        {"MD5 f = " + m, LineKind::Malformed, "", nullptr},
        {"FOO (f) = cbf43926", LineKind::Malformed, "", nullptr},
        {"CRC32 (f) = ", LineKind::Malformed, "", nullptr},
        {"CRC32 (f) = cbf43926 ", LineKind::Malformed, "", nullptr},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.line);
        const CheckLine got = read_check_line(c.line, nullptr);
        ASSERT_EQ(got.kind, c.kind);
        if (c.kind != LineKind::Entry)
            continue;
        EXPECT_EQ(got.entry.name, c.name);
        if (got.entry.tag) {
            EXPECT_EQ(got.entry.tag->job_name, c.tag_or_sum);
        } else {
            EXPECT_EQ(got.entry.sum, c.tag_or_sum);
        }
    }
}

TEST(CheckLine, TheFirstUntaggedFormHoldsForTheRun) {
    // Each list: its lines in order and the names read (empty: malformed).
    const std::vector<std::vector<std::pair<std::string, std::string>>> runs = {
        {{kMd5 + "  f", "f"}, {kMd5 + " g", ""}, {kMd5 + " *h", "h"}},
        {{kMd5 + " g", "g"}, {kMd5 + "  f", " f"}, {kMd5 + " *h", "*h"}},
        {{"MD5 (t) = " + kMd5, "t"}, {kMd5 + " *h", "h"}, {kMd5 + " g", ""}},
    };
    for (const auto &run : runs) {
        BlankForm form = BlankForm::Undecided;
        for (const auto &[line, name] : run) {
            SCOPED_TRACE(line);
            const CheckLine got = read_check_line(line, nullptr, form);
            EXPECT_EQ(got.kind, name.empty() ? LineKind::Malformed : LineKind::Entry);
            EXPECT_EQ(got.entry.name, name);
        }
    }
}

TEST(CheckLine, ReadsBackWhatItWrites) {
    const std::string sha = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    for (const char *name : {"plain", "a\\b", "new\nline", "cr\rhere", "tail\\", " lead", "*"}) {
        SCOPED_TRACE(name);
        for (bool tagged : {false, true}) {
            std::string line = tagged ? format_tag_line(info(Algo::Sha256), sha, name)
                                      : format_sum_line(sha, name);
            line.pop_back(); // the line feed
            const CheckLine got = read_check_line(line, nullptr);
            ASSERT_EQ(got.kind, LineKind::Entry);
            EXPECT_EQ(got.entry.name, name);
            EXPECT_EQ(got.entry.sum, sha);
        }
    }
}

// The list's file name tells the algorithm of untagged sums of its length:
// b3sum's 64 digits are BLAKE3 in "B3SUMS", SHA-256 elsewhere; a tag still
// names its own algorithm, and a sum of another length keeps its own.
TEST(CheckLine, ListNameTellsTheAlgorithmOfUntaggedSums) {
    const std::string sum64(64, 'a'), sum32(32, 'b');
    const struct {
        const char *list;
        std::string line;
        Algo expected; // the line's algorithm
    } cases[] = {
        {"B3SUMS", sum64 + "  f", Algo::Blake3},
        {"x.B3", sum64 + "  f", Algo::Blake3},
        {"x.blake3", sum64 + "  f", Algo::Blake3},
        {"xb3", sum64 + "  f", Algo::Sha256},
        {"SUMS", sum64 + "  f", Algo::Sha256},
        {"b3", sum64 + "  f", Algo::Sha256},
        {"sha256sums", sum64 + "  f", Algo::Sha256},
        {"B3SUMS", "SHA256 (f) = " + sum64, Algo::Sha256},
        {"B3SUMS", sum32 + "  f", Algo::Md5},
        {"f.xxh128", sum32 + "  f", Algo::Xxh128},
        {"MD5SUMS", sum32 + "  f", Algo::Md5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.list) + ": " + c.line);
        BlankForm form = BlankForm::Undecided;
        const CheckLine got =
            read_check_line(c.line, nullptr, form, algorithm_of_list_name(c.list));
        ASSERT_EQ(got.kind, LineKind::Entry);
        EXPECT_EQ(got.algo->algo, c.expected);
    }
}

} // namespace
