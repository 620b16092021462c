// file_walk.h -- the file operands of a sum run, with directories walked.
#ifndef TVKSUM_FILE_WALK_H
#define TVKSUM_FILE_WALK_H

#include <string>
#include <vector>

namespace tvksum {

struct Operand {
    std::string name;  // as printed: the operand, or operand/relative/path
    std::string error; // non-empty: a directory that could not be read
};

// The operands in order. With `recursive`, a directory operand is replaced by
// every regular file below it, in byte order of the names at each level;
// symbolic links met on the way are skipped unless `follow_links` (a link
// back into the walk is never entered twice). Other operands, and every
// operand without `recursive`, stay as they are.
std::vector<Operand> expand_operands(const std::vector<std::string> &names, bool recursive,
                                     bool follow_links);

} // namespace tvksum

#endif
