// algorithms.cpp -- algorithm names, tags and checksum lengths.
#include "algorithms.h"

#include "platform.h"

#include <cctype>

namespace tvksum {

const std::array<AlgoInfo, 7> kAlgorithms = {{
    {Algo::Adler32, "adler32", "ADLER32", 8},
    {Algo::Crc32, "crc32", "CRC32", 8},
    {Algo::Sha256, "sha-256", "SHA256", 64},
    {Algo::Sha1, "sha-1", "SHA1", 40},
    {Algo::Md5, "md5", "MD5", 32},
    {Algo::Md5_32, "md5_32", "MD5_32", 8},
    {Algo::Tvk32, "tvk32", "TVK32", 8},
}};

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
    switch (digits) {
    case 64:
        return &info(Algo::Sha256);
    case 40:
        return &info(Algo::Sha1);
    case 32:
        return &info(Algo::Md5);
    default:
        return nullptr;
    }
}

} // namespace tvksum
