// check_line.cpp -- a checksum list line and the algorithm that checks it.
#include "check_line.h"

namespace tvksum {

namespace {

// nullptr: the entry cannot be verified with any algorithm.
const AlgoInfo *entry_algorithm(const AlgoInfo *forced, const CheckEntry &e) {
    const AlgoInfo *a = e.tag;
    if (a && forced && a != forced)
        return nullptr;
    if (!a)
        a = forced ? forced : guess_from_length(e.sum.size());
    return a && e.sum.size() == a->digits ? a : nullptr;
}

} // namespace

CheckLine read_check_line(std::string_view line, const AlgoInfo *forced) {
    CheckLine out;
    out.kind = parse_check_line(line, out.entry);
    if (out.kind != LineKind::Entry)
        return out;
    out.algo = entry_algorithm(forced, out.entry);
    if (!out.algo)
        out.kind = LineKind::Malformed;
    return out;
}

} // namespace tvksum
