// options.h -- the command line of tvksum.
#ifndef TVKSUM_OPTIONS_H
#define TVKSUM_OPTIONS_H

#include "algorithms.h"

#include <string>
#include <vector>

namespace tvksum {

enum class Mode { Sum, Check, Strings, About, Help, Version };

struct Options {
    Mode mode = Mode::Sum;
    const checklist::AlgoInfo *algo = nullptr; // -a; nullptr: sha-256 (Check: from the list)
    std::vector<const checklist::AlgoInfo *>
        algos;                        // -a NAME,NAME...: its names in order (one: algo)
    bool all = false;                 // --all: every algorithm, tagged lines
    bool tag = false;                 // --tag
    bool binary = false;              // -b: " *" before the name (-t: two blanks)
    bool quiet = false;               // -c: no "OK" lines
    bool status = false;              // -c: no output at all, exit code only
    bool strict = false;              // -c: malformed lines fail
    bool ignore_missing = false;      // -c: missing files are no failure
    bool warn = false;                // -c: report improperly formatted lines
    bool zero = false;                // -z: NUL-ended lines, names not escaped
    bool recursive = false;           // -r: walk directories
    bool follow_links = false;        // -L: follow symbolic links met in a walk
    int jobs = 1;                     // -j: files checksummed at once
    std::vector<std::string> strings; // -s TEXT, in order
    std::vector<std::string> files;   // operands; "-" is standard input
};

struct ParseResult {
    Options options;
    std::string error; // non-empty: bad usage, print it and exit 1
};

ParseResult parse_options(const std::vector<std::string> &args);

} // namespace tvksum

#endif
