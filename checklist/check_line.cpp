// check_line.cpp -- a checksum list line and the algorithm that checks it.
#include "check_line.h"

#include <cctype>
#include <optional>
#include <string>
#include <utility>

namespace checklist {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t skip_blanks(std::string_view s, std::size_t i) {
    while (i < s.size() && blank(s[i]))
        ++i;
    return i;
}

// The text up to its first NUL.
std::string_view c_string(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// A listed name: as it stands up to a NUL, or, escaped, with "\\", "\n" and
// "\r" undone; nullopt for any other escape or, escaped, a NUL.
std::optional<std::string> listed_name(std::string_view text, bool escaped) {
    if (!escaped)
        return std::string(c_string(text));
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            return std::nullopt;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out.push_back('\\');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The algorithm whose tag (or OpenSSL 3 name) `s` starts with, the longest
// such tag, and the tag's length.
std::pair<const AlgoInfo *, std::size_t> tag_at(std::string_view s) {
    std::pair<const AlgoInfo *, std::size_t> best{nullptr, 0};
    for (const AlgoInfo &a : kAlgorithms)
        for (const std::string_view tag : {a.tag, a.openssl})
            if (!tag.empty() && s.substr(0, tag.size()) == tag && tag.size() > best.second)
                best = {&a, tag.size()};
    return best;
}

// "NAME) = SUM" after "TAG (": the name runs to the last ')'.
bool read_tagged(std::string_view s, bool escaped, const AlgoInfo &tag, CheckLine &out) {
    if (s.empty())
        return false;
    std::size_t close = s.size() - 1;
    while (close > 0 && s[close] != ')')
        --close;
    if (s[close] != ')')
        return false;
    std::optional<std::string> name = listed_name(s.substr(0, close), escaped);
    if (!name)
        return false;
    std::size_t i = skip_blanks(s, close + 1);
    if (i == s.size() || s[i] != '=')
        return false;
    const std::string_view sum = c_string(s.substr(skip_blanks(s, i + 1)));
    if (!is_hex(sum, tag.digits))
        return false;
    out.entry = {std::string(sum), std::move(*name), &tag};
    out.algo = &tag;
    return true;
}

// "SUM NAME", "SUM  NAME" or "SUM *NAME" (the blank after SUM may be a tab).
bool read_untagged(std::string_view s, bool escaped, const AlgoInfo *forced,
                   const AlgoInfo *untagged, BlankForm &form, CheckLine &out) {
    std::size_t digits = 0;
    while (digits < s.size() && std::isxdigit(static_cast<unsigned char>(s[digits])))
        ++digits;
    const AlgoInfo *algo = forced ? forced
                           : untagged != nullptr && untagged->digits == digits
                               ? untagged
                               : guess_from_length(digits);
    // The sum, a blank and at least one more character.
    if (!algo || digits != algo->digits || s.size() < digits + 2 || !blank(s[digits]))
        return false;
    std::size_t name = digits + 1;
    if (s.size() - name == 1 || (s[name] != ' ' && s[name] != '*')) {
        if (form == BlankForm::Marked)
            return false;
        form = BlankForm::OneBlank;
    } else if (form != BlankForm::OneBlank) {
        form = BlankForm::Marked;
        ++name; // the binary or text marker
    }
    std::optional<std::string> text = listed_name(s.substr(name), escaped);
    if (!text)
        return false;
    out.entry = {std::string(s.substr(0, digits)), std::move(*text), nullptr};
    out.algo = algo;
    return true;
}

} // namespace

CheckLine read_check_line(std::string_view line, const AlgoInfo *forced, BlankForm &form,
                          const AlgoInfo *untagged) {
    CheckLine out;
    if (!line.empty() && line.front() == '#')
        return out;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty())
        return out;
    out.kind = LineKind::Malformed;
    std::size_t i = skip_blanks(line, 0);
    const bool escaped = i < line.size() && line[i] == '\\';
    std::string_view s = line.substr(i + (escaped ? 1 : 0));
    bool ok = false;
    if (const auto [tag, tag_size] = tag_at(s); tag != nullptr) {
        s.remove_prefix(tag_size);
        if (!s.empty() && s.front() == ' ')
            s.remove_prefix(1);
        ok = !s.empty() && s.front() == '(' && (!forced || forced == tag) &&
             read_tagged(s.substr(1), escaped, *tag, out);
    } else {
        ok = read_untagged(s, escaped, forced, untagged, form, out);
    }
    if (ok) {
        out.kind = LineKind::Entry;
    } else {
        out.entry = {};
        out.algo = nullptr;
    }
    return out;
}

CheckLine read_check_line(std::string_view line, const AlgoInfo *forced) {
    BlankForm form = BlankForm::Undecided;
    return read_check_line(line, forced, form);
}

} // namespace checklist
