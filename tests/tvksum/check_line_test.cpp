// Which algorithm -c verifies a list line with, and which lines it counts as
// improperly formatted.
#include "check_line.h"

#include <gtest/gtest.h>

using namespace tvksum;

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

} // namespace
