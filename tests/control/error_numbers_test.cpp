// error_numbers_test.cpp -- the numbers and texts that ErrorCode carries,
// including those no member raises (2, 4, 6) and numbers without a text.
#include "ErrorNumbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct Case {
    std::int32_t number;
    const char16_t *text;
};

const Case known[] = {
    {2, u"The input file is the same as the output"},
    {3, u"The input file is empty "},
    {4, u"The outputfile file is empty "},
    {5, u"The input file or path is invalid"},
    {6, u"The output file or path is invalid"},
    {7, u"Invalid checksum selection"},
    {8, u"Already executing , wait for the end or call cancel"},
    {9, u"User abort"},
    {10, u"Invalid data"},
    {11, u"Invalid encoding"},
};

TEST(ErrorNumbers, NumbersTwoToElevenKeepTheirNumberWithTheirText) {
    for (const Case &c : known) {
        const tvk::Error::Entry entry = tvk::Error::Report(c.number);
        EXPECT_EQ(entry.number, c.number);
        EXPECT_EQ(std::u16string(entry.text), c.text) << c.number;
    }
}

TEST(ErrorNumbers, AnyOtherNumberIsReportedAs255UnexpectedError) {
    for (std::int32_t number : {0, 1, 12, 255, -1, INT32_MIN, INT32_MAX}) {
        const tvk::Error::Entry entry = tvk::Error::Report(number);
        EXPECT_EQ(entry.number, 255) << number;
        EXPECT_EQ(std::u16string(entry.text), u"Unexpected error") << number;
    }
}

} // namespace
