// error_numbers_test.cpp -- the numbers and texts that ErrorCode carries,
// including those no member raises (2, 4, 6) and numbers without a text.
#include "ErrorNumbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct Case {
    std::int32_t given;
    std::int32_t reported;
    const char16_t *text;
};

const Case cases[] = {
    {2, 2, u"The input file is the same as the output"},
    {3, 3, u"The input file is empty "},
    {4, 4, u"The outputfile file is empty "},
    {5, 5, u"The input file or path is invalid"},
    {6, 6, u"The output file or path is invalid"},
    {7, 7, u"Invalid checksum selection"},
    {8, 8, u"Already executing , wait for the end or call cancel"},
    {9, 9, u"User abort"},
    {0, 255, u"Unexpected error"},
    {1, 255, u"Unexpected error"},
    {10, 255, u"Unexpected error"},
    {255, 255, u"Unexpected error"},
    {-1, 255, u"Unexpected error"},
    {INT32_MIN, 255, u"Unexpected error"},
};

TEST(ErrorNumbers, EveryNumberIsReportedWithItsFixedText) {
    for (const Case &c : cases) {
        const tvk::Error::Entry entry = tvk::Error::Report(c.given);
        EXPECT_EQ(entry.number, c.reported) << c.given;
        EXPECT_EQ(std::u16string(entry.text), c.text) << c.given;
    }
}

} // namespace
