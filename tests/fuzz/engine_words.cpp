/* engine_words.cpp -- the checksum words and job selectors, from the
 * algorithm table. */
#include "engine_words.h"

namespace {

template <size_t... I>
constexpr std::array<ChecksumWord, sizeof...(I)> words(std::index_sequence<I...>, bool file) {
    return {{ChecksumWord{file ? tvkalgo::algorithm_table[I].file_word
                               : tvkalgo::algorithm_table[I].string_word,
                          tvkalgo::algorithm_table[I].id,
                          file ? tvkalgo::algorithm_table[I].file_output_size
                               : tvkalgo::algorithm_table[I].string_output_size}...}};
}

} // namespace

const std::array<ChecksumWord, CHECKSUM_WORD_COUNT> string_words =
    words(std::make_index_sequence<CHECKSUM_WORD_COUNT>(), false);
const std::array<ChecksumWord, CHECKSUM_WORD_COUNT> file_words =
    words(std::make_index_sequence<CHECKSUM_WORD_COUNT>(), true);

std::string written_bytes(const ChecksumWord &word, const std::string &digits) {
    std::string bytes = digits;
    bytes.resize(word.written, '\0');
    return bytes;
}

bool selector_algo(int32_t selector, FuzzAlgo &algo) {
    const tvkalgo::AlgorithmFacts *row = tvkalgo::algorithm_of_selector(selector);
    if (row == nullptr)
        return false;
    algo = row->id;
    return true;
}
