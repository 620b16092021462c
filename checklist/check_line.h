// check_line.h -- one line of a checksum list as -c reads it: the entry and
// the algorithm it is verified with, read by md5sum -c's rules.
#ifndef TVK_CHECKLIST_CHECK_LINE_H
#define TVK_CHECKLIST_CHECK_LINE_H

#include "algorithms.h"
#include "sum_line.h"

#include <string_view>

namespace checklist {

struct CheckLine {
    LineKind kind = LineKind::Skip; // Entry: entry and algo are both set
    CheckEntry entry;
    const AlgoInfo *algo = nullptr;
};

// How the untagged lines read so far part sum and name. md5sum takes both
// "SUM  NAME" (or "SUM *NAME") and "SUM NAME", but not mixed: the first such
// line of the run decides, and from then on a line of the other form is
// improperly formatted, except that after "SUM NAME" lines a "SUM  NAME" line
// is read as one blank and a name that starts with the second.
enum class BlankForm { Undecided, Marked, OneBlank };

// Reads one list line (without its line feed), as md5sum -c does: a '#' in
// the first column or an empty line (after a trailing carriage return is
// dropped) is Skip; blanks and tabs may lead; "\" in front marks an escaped
// name; then "TAG (NAME) = SUM" (blanks around "=" and the one before "("
// optional) or SUM, a blank or tab, and the name, with "*" or a blank in
// front of it as the form above allows. A name ends at a NUL, as md5sum reads
// names as C strings. `forced` is the algorithm of -a, or nullptr. The
// algorithm is the line's tag, else `forced`, else the one the length of the
// sum stands for; a line whose tag contradicts -a, or whose sum does not
// have that algorithm's length, is Malformed. `form` is updated as md5sum
// updates it, lists of one run sharing it. `untagged`, when given and no
// algorithm is forced, is the algorithm of the untagged lines whose sums have
// its length, ahead of the one the length stands for.
CheckLine read_check_line(std::string_view line, const AlgoInfo *forced, BlankForm &form,
                          const AlgoInfo *untagged = nullptr);

// The same for a line read on its own.
CheckLine read_check_line(std::string_view line, const AlgoInfo *forced);

} // namespace checklist

#endif
