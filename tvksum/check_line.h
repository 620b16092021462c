// check_line.h -- one line of a checksum list as -c reads it: the entry and
// the algorithm it is verified with.
#ifndef TVKSUM_CHECK_LINE_H
#define TVKSUM_CHECK_LINE_H

#include "algorithms.h"
#include "sum_line.h"

#include <string_view>

namespace tvksum {

struct CheckLine {
    LineKind kind = LineKind::Skip; // Entry: entry and algo are both set
    CheckEntry entry;
    const AlgoInfo *algo = nullptr;
};

// Reads one list line (without its line feed). `forced` is the algorithm of
// -a, or nullptr. The algorithm is the line's tag, else `forced`, else the
// one the length of the sum stands for; a line whose tag contradicts -a, or
// whose sum does not have that algorithm's length, is Malformed.
CheckLine read_check_line(std::string_view line, const AlgoInfo *forced);

} // namespace tvksum

#endif
