// utf.h -- UTF-8 <-> UTF-16 for the control's automation strings.
#ifndef TVKSUM_UTF_H
#define TVKSUM_UTF_H

#include <optional>
#include <string>
#include <string_view>

namespace tvksum {

// Strict decoding: nullopt for malformed UTF-8 (overlong forms, surrogates,
// code points above U+10FFFF, truncated sequences).
std::optional<std::u16string> utf8_to_utf16(std::string_view in);

// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view in);

} // namespace tvksum

#endif
