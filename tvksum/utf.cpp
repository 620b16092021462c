// utf.cpp -- strict UTF-8 decoding and UTF-16 encoding, on the platform
// library's conversions.
#include "utf.h"

#include "platform.h"

namespace tvksum {

std::optional<std::u16string> utf8_to_utf16(std::string_view in) {
    bool malformed = false;
    std::u16string out = platform_utf8_to_utf16(in, &malformed);
    if (malformed)
        return std::nullopt;
    return out;
}

std::string utf16_to_utf8(std::u16string_view in) {
    return platform_utf16_to_utf8(in, U'\xFFFD');
}

} // namespace tvksum
