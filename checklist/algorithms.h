// algorithms.h -- the algorithms as checksum lists name them (tvksum and the
// control read the same names and tags).
#ifndef TVK_CHECKLIST_ALGORITHMS_H
#define TVK_CHECKLIST_ALGORITHMS_H

#include "algorithm_table.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace checklist {

using Algo = tvkalgo::Algorithm;

struct AlgoInfo {
    Algo algo;
    std::string_view job_name; // the name NewCheckSumFile takes
    std::string_view tag;      // the name in "TAG (FILE) = SUM" lines
    std::string_view openssl;  // OpenSSL 3's other tag ("SHA2-256(FILE)= SUM"), or empty
    std::size_t digits;        // length of the checksum text
    // The first row of the table whose core computes this one too (MD5_32:
    // MD5's); its own row for the others. The text of a row is its core's
    // text cut to its digits.
    std::size_t core;
};

// In the order of the algorithm table (that of the selectors).
extern const std::array<AlgoInfo, tvkalgo::algorithm_count> kAlgorithms;

const AlgoInfo &info(Algo a);

// Looks up a job algorithm name, ignoring case like the control does; also
// accepts the tag ("SHA256", "SHA1", ...). Returns nullptr when unknown.
const AlgoInfo *find_algorithm(std::string_view name);

// True when `text` is exactly `digits` hexadecimal digits (any case).
bool is_hex(std::string_view text, std::size_t digits);

// The message digest (an algorithm with an HMAC) a bare checksum of this
// length stands for, as in the lists of sha256sum and its kin: 128 sha-512,
// 96 sha-384, 64 sha-256, 40 sha-1, 32 md5. Other lengths, and the other
// algorithms' lists (8-digit sums, b3sum's, xxhsum's untagged ones), need
// -a.
const AlgoInfo *guess_from_length(std::size_t digits);

// The algorithm a list's file name (without its folder) stands for, which
// tells the untagged lines of the algorithms whose sums have a message
// digest's length apart (b3sum's 64 digits, xxhsum -H2's 32): a name ending
// in ".TAG" or ".NAME" ("x.sha256", "x.xxh128", "x.b3") or
// being "TAGSUMS" ("SHA256SUMS", "B3SUMS"), in any case, where TAG is the
// algorithm's tag, NAME its job name, and "B3" stands for BLAKE3 as in
// b3sum's own lists. nullptr for other names.
const AlgoInfo *algorithm_of_list_name(std::string_view file_name);

} // namespace checklist

#endif
