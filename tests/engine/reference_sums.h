/* reference_sums.h -- checksum texts of the seven job algorithms, computed
 * in the test program apart from the engine: CRC-32 and Adler-32 with zlib,
 * the others with the portable cores of the digest library (never the
 * accelerated backends the engine picks), printed with printf. */
#ifndef TVK_TESTS_REFERENCE_SUMS_H
#define TVK_TESTS_REFERENCE_SUMS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/* The algorithms by their "newexecute" selector, 1 to 7. */
constexpr int SELECTOR_COUNT = 7;

/* The string word and the direct file word of a selector. */
const char *string_word_of(int selector);
const char *file_word_of(int selector);

/* The checksum text of bytes for a selector. */
std::string reference_sum(int selector, const uint8_t *bytes, size_t count);

/* The checksum texts of every prefix of bytes whose length is a multiple of
 * block, from the empty one up, and of the whole: what a job cancelled
 * after some blocks leaves behind. The last entry is the whole input. */
std::vector<std::string> block_prefix_sums(int selector, const std::vector<uint8_t> &bytes,
                                           size_t block);

#endif
