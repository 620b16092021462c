/* algorithm_table.h -- the algorithms, written once. The engine makes
 * its command words, drivers and selector map from this table; the control
 * and tvksum read the job names and digit counts from it. Plain data only.
 *
 * Columns of TVK_ALGORITHMS:
 *   Id        the algorithm's name in code: tvkalgo::Algorithm::Id
 *   word      the lower-case name the command words are made of: word
 *             followed by "string", "file" or "filew" ("md532string",
 *             "md532file", "md532filew", the last taking a UTF-16 path);
 *             the engine's drivers are named after it (digest_file_md532)
 *   core      the core that computes it (MD5_32 is cut from MD5)
 *   selector  the number "newexecute" takes for a job
 *   job name  the algorithm name NewCheckSumFile accepts
 *   digits    length of the checksum text
 *   string bytes, file bytes
 *             what the string word and the file word write into the output
 *             buffer: the digits, then zero bytes up to this count
 *   hmac      the block size in bytes of the core's compression function,
 *             the B of HMAC (RFC 2104); 0 for an algorithm that has no HMAC.
 *             Rows with a block size have the HMAC word word followed by
 *             "hmac" ("sha256hmac")
 *   read KiB  the piece a large file is read in: 1 MiB for the cores that
 *             hash faster than the page cache reads (a large read is what
 *             the system copies fastest), 128 KiB for the others (the
 *             piece is still in the cache when the core reaches it)
 *   cost      about how long the core takes for a byte, in units of the
 *             fastest (a few hundredths of a nanosecond on a current x86
 *             core with its best backend): how a set of algorithms read at
 *             once is shared between two threads
 * Rows in the order of the selectors. Everything else about an algorithm
 * (its command words, its names in tvksum and the control) is made from
 * its row, so an algorithm is its core and one row here.
 */
#ifndef TVK_ALGORITHM_TABLE_H
#define TVK_ALGORITHM_TABLE_H

#include <cstddef>
#include <cstdint>

// clang-format off
#define TVK_ALGORITHMS(X)                                                                           \
    /* Id       word       core       selector job name     digits string file hmac read cost */    \
    X(Adler32,  adler32,   Adler32,   1,       "adler32",   8,     9,     9,   0,   1024,   2)      \
    X(Crc32,    crc32,     Crc32,     2,       "crc32",     8,     9,     9,   0,   1024,   1)      \
    X(Sha256,   sha256,    Sha256,    3,       "sha-256",   64,    65,    65,  64,  128,  25)       \
    X(Sha1,     sha1,      Sha1,      4,       "sha-1",     40,    41,    41,  64,  128,  20)       \
    X(Md5,      md5,       Md5,       5,       "md5",       32,    33,    33,  64,  128,  70)       \
    X(Md5_32,   md532,     Md5,       6,       "md5_32",    8,     10,    16,  0,   128,  70)       \
    X(Tvk32,    tvk32,     Tvk32,     7,       "tvk32",     8,     9,     9,   0,   1024,   2)      \
    X(Sha512,   sha512,    Sha512,    8,       "sha-512",   128,   129,   129, 128, 128,  50)       \
    X(Sha384,   sha384,    Sha384,    9,       "sha-384",   96,    97,    97,  128, 128,  50)       \
    X(Blake3,   blake3,    Blake3,    10,      "blake3",    64,    65,    65,  0,   1024,  10)      \
    X(Xxh3,     xxh3,      Xxh3,      11,      "xxh3",      16,    17,    17,  0,   1024,   1)      \
    X(Xxh128,   xxh128,    Xxh128,    12,      "xxh128",    32,    33,    33,  0,   1024,   1)      \
    X(Crc32c,   crc32c,    Crc32c,    13,      "crc32c",    8,     9,     9,   0,   1024,   2)      \
    X(Crc64nvme,crc64nvme, Crc64nvme, 14,      "crc64nvme", 16,    17,    17,  0,   1024,   2)
// clang-format on

namespace tvkalgo {

#define TVK_ALGORITHM_ID(Id, ...) Id,
enum class Algorithm { TVK_ALGORITHMS(TVK_ALGORITHM_ID) };
#undef TVK_ALGORITHM_ID

struct AlgorithmFacts {
    Algorithm id;
    const char *string_word;
    const char *file_word;
    const char *wide_file_word;
    int32_t selector;
    const char *job_name;
    uint32_t digits;
    uint32_t string_output_size;
    uint32_t file_output_size;
    const char *hmac_word;
    uint32_t hmac_block;
    uint32_t read_piece_size; // bytes
    uint32_t cost;
};

// clang-format off
#define TVK_ALGORITHM_FACTS(Id, word, core, selector, job_name, digits, string_bytes, file_bytes,  \
                            hmac, read_kib, cost)                                               \
    {Algorithm::Id, #word "string", #word "file", #word "filew", selector, job_name, digits,        \
     string_bytes, file_bytes, #word "hmac", hmac, (read_kib) * 1024u, cost},
// clang-format on
inline constexpr AlgorithmFacts algorithm_table[] = {TVK_ALGORITHMS(TVK_ALGORITHM_FACTS)};
#undef TVK_ALGORITHM_FACTS

inline constexpr size_t algorithm_count = sizeof algorithm_table / sizeof algorithm_table[0];

constexpr const AlgorithmFacts &facts(Algorithm a) {
    return algorithm_table[static_cast<size_t>(a)];
}

/* The row of a job selector, or nullptr for a number no algorithm has. */
constexpr const AlgorithmFacts *algorithm_of_selector(int32_t selector) {
    for (const AlgorithmFacts &row : algorithm_table) {
        if (row.selector == selector) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace tvkalgo

#endif
