// shell_quote.cpp -- the quoting of names in messages.
#include "shell_quote.h"

namespace tvksum {

namespace {

// Length of the UTF-8 sequence of one printable character at `at`: 0 when
// the bytes there are no valid sequence or a control character.
std::size_t printable_utf8(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return lead >= 0x20 && lead < 0x7f ? 1 : 0;
    std::size_t len = 0;
    char32_t cp = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        len = 2;
        cp = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        len = 3;
        cp = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        len = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (at + len > s.size())
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(at + i) & 0x3f);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
        return 0;
    return cp < 0xa0 ? 0 : len; // C1 controls
}

// Characters a shell word may hold unquoted anywhere.
bool plain(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("%+,-./@]_").find(c) != std::string_view::npos;
}

// Whether the name must be quoted at all.
bool needs_quotes(std::string_view s) {
    if (s.empty())
        return true;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (plain(c) || ((c == '{' || c == '}') && s.size() > 1) ||
            ((c == '#' || c == '~') && i > 0)) {
            ++i;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x80)
            return true; // blank, shell syntax, quote, backslash, colon, control
        const std::size_t len = printable_utf8(s, i);
        if (len == 0)
            return true;
        i += len;
    }
    return false;
}

// Whether double quotes hold the name with nothing escaped: it has a single
// quote, and otherwise only plain characters, blanks and printable UTF-8
// (a '#' or '~' only in front).
bool fits_double_quotes(std::string_view s) {
    bool quote = false;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '\'')
            quote = true;
        else if (!(plain(c) || c == ' ' || c == ':' || ((c == '#' || c == '~') && i == 0))) {
            const std::size_t len = static_cast<unsigned char>(c) < 0x80 ? 0 : printable_utf8(s, i);
            if (len == 0)
                return false;
            i += len;
            continue;
        }
        ++i;
    }
    return quote;
}

char escape_letter(char c) {
    switch (c) {
    case '\a':
        return 'a';
    case '\b':
        return 'b';
    case '\f':
        return 'f';
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '\t':
        return 't';
    case '\v':
        return 'v';
    default:
        return 0;
    }
}

} // namespace

std::string shell_quoted(std::string_view s) {
    if (!needs_quotes(s))
        return std::string(s);
    if (fits_double_quotes(s))
        return "\"" + std::string(s) + "\"";
    std::string out = "'";
    bool in_dollar = false; // inside $'...', opened after a closed '...'
    const auto escaped = [&](const std::string &text) {
        if (!in_dollar)
            out += "'$'";
        in_dollar = true;
        out += text;
    };
    const auto literal = [&](std::string_view text) {
        if (in_dollar)
            out += "''";
        in_dollar = false;
        out += text;
    };
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\'') {
            out += "'\\''"; // also ends a $'...' part
            in_dollar = false;
            ++i;
        } else if (const char letter = escape_letter(c)) {
            escaped(std::string{'\\', letter});
            ++i;
        } else if (u >= 0x20 && u < 0x7f) {
            literal(s.substr(i, 1));
            ++i;
        } else if (const std::size_t len = u >= 0x80 ? printable_utf8(s, i) : 0) {
            literal(s.substr(i, len));
            i += len;
        } else {
            const char octal[] = {'\\', static_cast<char>('0' + (u >> 6)),
                                  static_cast<char>('0' + ((u >> 3) & 7)),
                                  static_cast<char>('0' + (u & 7)), 0};
            escaped(octal);
            ++i;
        }
    }
    out += "'";
    return out;
}

} // namespace tvksum
