/* output_text.h -- how a driver hands its checksum text to the caller. */
#ifndef TVK_ENGINE_OUTPUT_TEXT_H
#define TVK_ENGINE_OUTPUT_TEXT_H

#include <cstdint>
#include <cstring>

namespace tvkengine {

/* The first digits characters of text, then zero bytes up to size. Every
 * driver writes its output this way; the algorithm table gives both numbers
 * (MD5_32 keeps 8 digits of the MD5 text and pads to 10 or 16 bytes). */
inline void put_text(char *output, const char *text, uint32_t digits, uint32_t size) {
    std::memcpy(output, text, digits);
    std::memset(output + digits, 0, size - digits);
}

} // namespace tvkengine

#endif
