// sum_line.h -- the lines of sha256sum-style checksum lists: writing them and
// the entries -c reads back from them.
#ifndef TVK_CHECKLIST_SUM_LINE_H
#define TVK_CHECKLIST_SUM_LINE_H

#include "algorithms.h"

#include <string>
#include <string_view>

namespace checklist {

// "SUM  NAME\n", as sha256sum writes it, or with `binary` (sha256sum -b)
// "SUM *NAME\n". A name holding a backslash, line feed or carriage return is
// escaped and the line starts with a backslash. With `zero` (sha256sum -z)
// the line ends in a NUL and nothing is escaped.
std::string format_sum_line(std::string_view sum, std::string_view name, bool zero = false,
                            bool binary = false);

// "TAG (NAME) = SUM\n", the tagged form (sha256sum --tag), with the same
// escaping and the same `zero` form.
std::string format_tag_line(const AlgoInfo &algo, std::string_view sum, std::string_view name,
                            bool zero = false);

struct CheckEntry {
    std::string sum;               // hexadecimal digits as listed
    std::string name;              // file name, unescaped
    const AlgoInfo *tag = nullptr; // set for tagged lines
};

// What a list line is: an entry to verify, a comment or empty line, or an
// improperly formatted line (check_line.h reads them).
enum class LineKind { Entry, Skip, Malformed };

} // namespace checklist

#endif
