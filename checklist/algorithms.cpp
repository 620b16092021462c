// algorithms.cpp -- algorithm names, tags and checksum lengths.
#include "algorithms.h"

#include "platform.h"

#include <cctype>
#include <utility>

namespace checklist {

namespace {

// The tag of "TAG (FILE) = SUM" lines: the job name in capitals without its
// hyphen ("sha-256" SHA256, "blake3" BLAKE3), as coreutils, b3sum and xxhsum
// write the tags of their algorithms.
struct TagText {
    char text[16] = {};
    std::size_t size = 0;
};

constexpr TagText make_tag(const char *job_name) {
    TagText tag;
    for (; *job_name != '\0'; ++job_name) {
        const char c = *job_name;
        if (c != '-')
            tag.text[tag.size++] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return tag;
}

/* OpenSSL 3's name of a SHA-2 digest in `openssl dgst` lines: "sha-256"
 * SHA2-256; none for the others (its SHA1 and MD5 are the tags above). */
constexpr TagText make_openssl_tag(const char *job_name) {
    TagText tag;
    const char *prefix = "sha-";
    for (int i = 0; i < 4; ++i)
        if (job_name[i] != prefix[i])
            return tag;
    if (job_name[4] == '1' && job_name[5] == '\0')
        return tag;
    for (const char c : {'S', 'H', 'A', '2', '-'})
        tag.text[tag.size++] = c;
    for (job_name += 4; *job_name != '\0'; ++job_name)
        tag.text[tag.size++] = *job_name;
    return tag;
}

template <std::size_t... I>
constexpr std::array<TagText, sizeof...(I)> make_tags(std::index_sequence<I...>,
                                                      TagText (*make)(const char *)) {
    return {{make(tvkalgo::algorithm_table[I].job_name)...}};
}
constexpr auto kTags = make_tags(std::make_index_sequence<tvkalgo::algorithm_count>(), make_tag);
constexpr auto kOpensslTags =
    make_tags(std::make_index_sequence<tvkalgo::algorithm_count>(), make_openssl_tag);

// The core column of the table, and for each row the first row of its core.
#define TVKSUM_CORE_NAME(Id, word, core, ...) std::string_view(#core),
constexpr std::string_view kCoreNames[] = {TVK_ALGORITHMS(TVKSUM_CORE_NAME)};
#undef TVKSUM_CORE_NAME

constexpr std::size_t first_of_core(std::size_t row) {
    std::size_t first = 0;
    while (kCoreNames[first] != kCoreNames[row])
        ++first;
    return first;
}

template <std::size_t... I>
constexpr std::array<AlgoInfo, sizeof...(I)> make_algorithms(std::index_sequence<I...>) {
    return {{AlgoInfo{tvkalgo::algorithm_table[I].id, tvkalgo::algorithm_table[I].job_name,
                      std::string_view(kTags[I].text, kTags[I].size),
                      std::string_view(kOpensslTags[I].text, kOpensslTags[I].size),
                      tvkalgo::algorithm_table[I].digits, first_of_core(I)}...}};
}

} // namespace

const std::array<AlgoInfo, tvkalgo::algorithm_count> kAlgorithms =
    make_algorithms(std::make_index_sequence<tvkalgo::algorithm_count>());

const AlgoInfo &info(Algo a) {
    return kAlgorithms[static_cast<std::size_t>(a)];
}

const AlgoInfo *find_algorithm(std::string_view name) {
    for (const AlgoInfo &a : kAlgorithms)
        if (platform_equal_nocase(name, a.job_name) || platform_equal_nocase(name, a.tag))
            return &a;
    return nullptr;
}

bool is_hex(std::string_view text, std::size_t digits) {
    if (text.size() != digits)
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

const AlgoInfo *guess_from_length(std::size_t digits) {
    const AlgoInfo *only = nullptr;
    for (const AlgoInfo &a : kAlgorithms) {
        if (a.digits != digits || tvkalgo::facts(a.algo).hmac_block == 0)
            continue;
        if (only != nullptr)
            return nullptr; // several algorithms give this length
        only = &a;
    }
    return only;
}

namespace {

bool ends_with_nocase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           platform_equal_nocase(text.substr(text.size() - end.size()), end);
}

// "x.NAME" or "NAMESUMS".
bool list_named(std::string_view file_name, std::string_view name) {
    const std::string_view rest =
        file_name.size() > name.size() ? file_name.substr(0, file_name.size() - name.size()) : "";
    return (ends_with_nocase(file_name, name) && !rest.empty() && rest.back() == '.') ||
           (file_name.size() == name.size() + 4 &&
            platform_equal_nocase(file_name.substr(0, name.size()), name) &&
            ends_with_nocase(file_name, "SUMS"));
}

} // namespace

const AlgoInfo *algorithm_of_list_name(std::string_view file_name) {
    for (const AlgoInfo &a : kAlgorithms)
        if (list_named(file_name, a.tag) || list_named(file_name, a.job_name) ||
            (a.algo == Algo::Blake3 && list_named(file_name, "B3")))
            return &a;
    return nullptr;
}

} // namespace checklist
