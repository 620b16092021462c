/* engine_words.h -- what the fuzz targets expect of the engine's command
 * words: the algorithm of each checksum word and the bytes it writes into
 * its output buffer, and the algorithm of each job selector. */
#ifndef TVK_TESTS_FUZZ_ENGINE_WORDS_H
#define TVK_TESTS_FUZZ_ENGINE_WORDS_H

#include "fuzz_support.h"

#include <array>
#include <cstddef>
#include <utility>
#include <string>

struct ChecksumWord {
    const char *word;
    FuzzAlgo algo;
    size_t written; // bytes written: the digits and the zero(s) after them
};

constexpr size_t CHECKSUM_WORD_COUNT = tvkalgo::algorithm_count;
extern const std::array<ChecksumWord, CHECKSUM_WORD_COUNT> string_words;
extern const std::array<ChecksumWord, CHECKSUM_WORD_COUNT> file_words;

/* The exact bytes a checksum word writes for this checksum text: the
 * digits, then zeros up to `written`. */
std::string written_bytes(const ChecksumWord &word, const std::string &digits);

/* Algorithm of a "newexecute" selector; false for a number no row has. */
bool selector_algo(int32_t selector, FuzzAlgo &algo);

#endif
