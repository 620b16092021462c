/* engine_words.h -- what the fuzz targets expect of the engine's command
 * words: the algorithm of each checksum word and the bytes it writes into
 * its output buffer, and the algorithm of each job selector. */
#ifndef TVK_TESTS_FUZZ_ENGINE_WORDS_H
#define TVK_TESTS_FUZZ_ENGINE_WORDS_H

#include "fuzz_support.h"

#include <cstddef>
#include <string>

struct ChecksumWord {
    const char *word;
    FuzzAlgo algo;
    size_t written; // bytes written: the digits and the zero(s) after them
};

constexpr int CHECKSUM_WORD_COUNT = 9;
extern const ChecksumWord string_words[CHECKSUM_WORD_COUNT];
extern const ChecksumWord file_words[CHECKSUM_WORD_COUNT];

/* The exact bytes a checksum word writes for this checksum text: the
 * digits, then zeros up to `written`. */
std::string written_bytes(const ChecksumWord &word, const std::string &digits);

/* Algorithm of a "newexecute" selector; false outside 1 to 9. */
bool selector_algo(int32_t selector, FuzzAlgo &algo);

#endif
