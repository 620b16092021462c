// ErrorNumbers.h -- the numbers of the control's ErrorCode event and their
// fixed texts, blanks included: hosts see them as they are. Used by the
// control, which raises them, and by hosts that act on them (tvksum).
#ifndef TVK_CONTROL_ERROR_NUMBERS_H
#define TVK_CONTROL_ERROR_NUMBERS_H

#include <cstddef>
#include <cstdint>

namespace tvk {
namespace Error {

enum Number : std::int32_t {
    InputIsOutput = 2,     // never raised: no member takes an output file
    InputFileEmpty = 3,    // the file name is empty
    OutputFileEmpty = 4,   // never raised
    InputFileInvalid = 5,  // the file cannot be checksummed
    OutputFileInvalid = 6, // never raised
    InvalidSelection = 7,  // no algorithm of that name
    AlreadyExecuting = 8,  // a job runs
    UserAbort = 9,         // a job ended without a checksum, whatever the reason
    InvalidData = 10,      // Data or Key of a type that has no bytes to hash
    InvalidEncoding = 11,  // no output encoding of that name
    Unexpected = 255,      // what any other number is reported as
};

struct Entry {
    Number number;
    const char16_t *text;
};

inline constexpr Entry entries[] = {
    {InputIsOutput, u"The input file is the same as the output"},
    {InputFileEmpty, u"The input file is empty "},
    {OutputFileEmpty, u"The outputfile file is empty "},
    {InputFileInvalid, u"The input file or path is invalid"},
    {OutputFileInvalid, u"The output file or path is invalid"},
    {InvalidSelection, u"Invalid checksum selection"},
    {AlreadyExecuting, u"Already executing , wait for the end or call cancel"},
    {UserAbort, u"User abort"},
    {InvalidData, u"Invalid data"},
    {InvalidEncoding, u"Invalid encoding"},
    {Unexpected, u"Unexpected error"},
};

// The number and text that ErrorCode carries for `number`: its own, or
// those of Unexpected (the last entry) when it is not one of 2 to 11.
constexpr Entry Report(std::int32_t number) {
    constexpr std::size_t last = sizeof entries / sizeof entries[0] - 1;
    for (std::size_t i = 0; i < last; ++i)
        if (entries[i].number == number)
            return entries[i];
    return entries[last];
}

} // namespace Error
} // namespace tvk

#endif
