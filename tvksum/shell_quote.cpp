// shell_quote.cpp -- the quoting of names in messages.
#include "shell_quote.h"

#include "user_locale.h"

#include <cctype>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace tvksum {

namespace {

// Length of one printable character of the current locale (LC_CTYPE) at
// `at`, a byte above 0x7f: 0 when the bytes there are no valid character or
// no printable one. In the C locale no such byte is printable.
std::size_t printable_char(std::string_view s, std::size_t at) {
    use_user_locale(); // only such bytes depend on it
    const unsigned char lead = static_cast<unsigned char>(s[at]);
    if (MB_CUR_MAX == 1)
        return std::isprint(lead) ? 1 : 0;
    std::mbstate_t state{};
    wchar_t wc = 0;
    const std::size_t len = std::mbrtowc(&wc, s.data() + at, s.size() - at, &state);
    if (len == 0 || len == static_cast<std::size_t>(-1) || len == static_cast<std::size_t>(-2))
        return 0;
    return std::iswprint(static_cast<std::wint_t>(wc)) ? len : 0;
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
        const std::size_t len = printable_char(s, i);
        if (len == 0)
            return true;
        i += len;
    }
    return false;
}

// Whether double quotes hold the name with nothing escaped: it has a single
// quote, and otherwise only plain characters, blanks and printable characters
// (a '#' or '~' only in front).
bool fits_double_quotes(std::string_view s) {
    bool quote = false;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '\'')
            quote = true;
        else if (!(plain(c) || c == ' ' || c == ':' || ((c == '#' || c == '~') && i == 0))) {
            const std::size_t len = static_cast<unsigned char>(c) < 0x80 ? 0 : printable_char(s, i);
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

// The name in single quotes, with $'...' parts for what cannot stand in
// them. `in_dollar` is the state the quoting starts in: inside a $'...' part
// or not; at the end it is the state the last character left.
std::string single_quoted(std::string_view s, bool &in_dollar) {
    std::string out = "'";
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
        } else if (const std::size_t len = u >= 0x80 ? printable_char(s, i) : 0) {
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

} // namespace

std::string shell_quoted(std::string_view s) {
    if (!needs_quotes(s))
        return std::string(s);
    if (fits_double_quotes(s))
        return "\"" + std::string(s) + "\"";
    bool in_dollar = false;
    std::string out = single_quoted(s, in_dollar);
    // Gnulib's quotearg writes a name with a single quote a second time, and
    // starts that time in the state the first one ended in: after a last
    // character in $'...', the first literal is preceded by '' and the first
    // escape gets no $' of its own. The tools' messages show it so.
    if (s.find('\'') != std::string_view::npos && in_dollar)
        out = single_quoted(s, in_dollar);
    return out;
}

} // namespace tvksum
