// algorithms.h -- the algorithms as tvksum names them.
#ifndef TVKSUM_ALGORITHMS_H
#define TVKSUM_ALGORITHMS_H

#include "algorithm_table.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tvksum {

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

} // namespace tvksum

#endif
