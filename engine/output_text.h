/* output_text.h -- how a driver hands its checksum text to the caller. */
#ifndef TVK_ENGINE_OUTPUT_TEXT_H
#define TVK_ENGINE_OUTPUT_TEXT_H

#include <cstring>

/* The whole text with its zero. */
inline void put_text(char *output, const char *text) {
    std::memcpy(output, text, std::strlen(text) + 1);
}

/* MD5_32: the first 8 digits of the MD5 text at the start of width zero
 * bytes (10 for strings, 16 for files). */
inline void put_md532_text(char *output, const char *md5_text, int width) {
    std::memset(output, 0, static_cast<size_t>(width));
    std::memcpy(output, md5_text, 8);
}

#endif
