/* engine_words.cpp -- the checksum words and job selectors. */
#include "engine_words.h"

const ChecksumWord string_words[CHECKSUM_WORD_COUNT] = {
    {"crc32string", FuzzAlgo::Crc32, 9},    {"adler32string", FuzzAlgo::Adler32, 9},
    {"tvk32string", FuzzAlgo::Tvk32, 9},    {"sha256string", FuzzAlgo::Sha256, 65},
    {"sha1string", FuzzAlgo::Sha1, 41},     {"md532string", FuzzAlgo::Md532, 10},
    {"md5string", FuzzAlgo::Md5, 33},       {"sha512string", FuzzAlgo::Sha512, 129},
    {"sha384string", FuzzAlgo::Sha384, 97},
};

const ChecksumWord file_words[CHECKSUM_WORD_COUNT] = {
    {"adler32file", FuzzAlgo::Adler32, 9}, {"crc32file", FuzzAlgo::Crc32, 9},
    {"sha256file", FuzzAlgo::Sha256, 65},  {"sha1file", FuzzAlgo::Sha1, 41},
    {"md5file", FuzzAlgo::Md5, 33},        {"tvk32file", FuzzAlgo::Tvk32, 9},
    {"md532file", FuzzAlgo::Md532, 16},    {"sha512file", FuzzAlgo::Sha512, 129},
    {"sha384file", FuzzAlgo::Sha384, 97},
};

std::string written_bytes(const ChecksumWord &word, const std::string &digits) {
    std::string bytes = digits;
    bytes.resize(word.written, '\0');
    return bytes;
}

bool selector_algo(int32_t selector, FuzzAlgo &algo) {
    static const FuzzAlgo by_selector[] = {FuzzAlgo::Adler32, FuzzAlgo::Crc32,  FuzzAlgo::Sha256,
                                           FuzzAlgo::Sha1,    FuzzAlgo::Md5,    FuzzAlgo::Md532,
                                           FuzzAlgo::Tvk32,   FuzzAlgo::Sha512, FuzzAlgo::Sha384};
    if (selector < 1 || selector > 9)
        return false;
    algo = by_selector[selector - 1];
    return true;
}
