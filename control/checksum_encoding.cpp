// checksum_encoding.cpp -- hex digits to Base64 and base64url.
#include "checksum_encoding.h"

#include <string>
#include <vector>

namespace tvk {

namespace {

String Lower(String text) {
    for (auto &c : text)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

String Base64(const std::vector<unsigned char> &bytes, bool url) {
    const char *const digits =
        url ? "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"
            : "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    String out;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            out += static_cast<char16_t>(digits[(v >> shift) & 63]);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = bytes[i] << 16;
        if (rest == 2)
            v |= bytes[i + 1] << 8;
        // One byte makes two digits, two bytes three; "=" fills the group.
        for (std::size_t k = 0; k <= rest; ++k)
            out += static_cast<char16_t>(digits[(v >> (18 - 6 * k)) & 63]);
        if (!url)
            out.append(3 - rest, u'=');
    }
    return out;
}

} // namespace

std::optional<ChecksumEncoding> EncodingOfName(const String &name) {
    const String lower = Lower(name);
    if (lower == u"hex")
        return ChecksumEncoding::Hex;
    if (lower == u"base64")
        return ChecksumEncoding::Base64;
    if (lower == u"base64url")
        return ChecksumEncoding::Base64Url;
    return std::nullopt;
}

std::optional<String> EncodeChecksum(const String &hex, ChecksumEncoding encoding) {
    if (hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    std::vector<unsigned char> bytes;
    const bool hex_out = encoding == ChecksumEncoding::Hex; // only checked
    if (!hex_out)
        bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        if (!hex_out)
            bytes.push_back(static_cast<unsigned char>(high << 4 | low));
    }
    if (hex_out)
        return hex;
    return Base64(bytes, encoding == ChecksumEncoding::Base64Url);
}

} // namespace tvk
