// verify_list.h -- a checksum list as NewVerifyList checks it: its lines read
// by the list reader tvksum -c shares, the entries of the engine's list job
// made from them, the results worded as md5sum -c words them, and the summary
// line of Finished.
#ifndef TVK_CONTROL_VERIFY_LIST_H
#define TVK_CONTROL_VERIFY_LIST_H

#include "TVKChecksum.h"

#include <string>
#include <string_view>
#include <vector>

namespace tvk {

// One line of the list that is no comment or empty line.
struct ListItem {
    String name;     // as the list writes it; the whole line when improperly formatted
    std::string sum; // the listed checksum; empty for an improperly formatted line
    Long entry = -1; // its number in the engine's list job; -1 for an improperly formatted line
};

struct VerifyList {
    std::vector<ListItem> items;
    // The engine's entries: per file its selector as one unit, its path
    // (in the list's folder unless absolute) and a zero; a zero ends them.
    String entries;
    Long files = 0;
};

// Reads the bytes of a list kept at listPath. A name is read as UTF-8, or in
// the narrow code page when it is no UTF-8. The list's file name tells the
// algorithm of untagged sums that several algorithms could have written
// (checklist's algorithm_of_list_name); else the tag or the sum's length does.
VerifyList ReadVerifyList(std::string_view bytes, const String &listPath);

// What a line came to; FileChecked's Result is its word.
enum class ListOutcome { Ok, Failed, Unreadable, Malformed };

// "OK", "FAILED", "FAILED open or read", "improperly formatted": md5sum -c's
// words.
const char16_t *OutcomeWord(ListOutcome outcome);

// The outcomes raised so far, for Finished.
struct ListTally {
    Long ok = 0, failed = 0, unreadable = 0, malformed = 0;
    void Count(ListOutcome outcome);
    // "N OK", then ", N FAILED", ", N FAILED open or read" and ", N
    // improperly formatted", each only when its count is not 0.
    String Summary() const;
};

// The outcome for a file the engine checksummed to `computed` (its text,
// blanks after it ignored) while the list says `listed`: hex digits compare
// in any case.
ListOutcome CompareSums(std::string_view computed, std::string_view listed);

// A list job of the control: the list, the items raised so far, the counts.
struct ListRun {
    VerifyList list;
    std::size_t next = 0; // the first item not yet raised
    ListTally tally;
};

} // namespace tvk

#endif
