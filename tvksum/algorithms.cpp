// algorithms.cpp -- algorithm names, tags and checksum lengths.
#include "algorithms.h"

#include "platform.h"

#include <cctype>
#include <iterator>
#include <utility>

namespace tvksum {

namespace {

// The tags of "TAG (FILE) = SUM" lines, tvksum's own names, in the order of
// the algorithm table; those of the standard digests as coreutils writes them.
struct Tag {
    Algo algo;
    std::string_view tag;
};
constexpr Tag kTags[] = {
    {Algo::Adler32, "ADLER32"}, {Algo::Crc32, "CRC32"},   {Algo::Sha256, "SHA256"},
    {Algo::Sha1, "SHA1"},       {Algo::Md5, "MD5"},       {Algo::Md5_32, "MD5_32"},
    {Algo::Tvk32, "TVK32"},     {Algo::Sha512, "SHA512"}, {Algo::Sha384, "SHA384"},
};

constexpr bool tags_in_table_order() {
    if (std::size(kTags) != tvkalgo::algorithm_count)
        return false;
    for (std::size_t i = 0; i < tvkalgo::algorithm_count; ++i)
        if (kTags[i].algo != tvkalgo::algorithm_table[i].id)
            return false;
    return true;
}
static_assert(tags_in_table_order(), "one tag per algorithm, in table order");

template <std::size_t... I>
constexpr std::array<AlgoInfo, sizeof...(I)> make_algorithms(std::index_sequence<I...>) {
    return {{AlgoInfo{tvkalgo::algorithm_table[I].id, tvkalgo::algorithm_table[I].job_name,
                      kTags[I].tag, tvkalgo::algorithm_table[I].digits}...}};
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
        if (a.digits != digits)
            continue;
        if (only != nullptr)
            return nullptr; // several algorithms give this length
        only = &a;
    }
    return only;
}

} // namespace tvksum
