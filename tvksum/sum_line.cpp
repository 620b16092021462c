// sum_line.cpp -- checksum list lines, escaped the way GNU coreutils does.
#include "sum_line.h"

#include <cctype>

namespace tvksum {

static bool needs_escape(std::string_view name) {
    return name.find_first_of("\\\n\r") != std::string_view::npos;
}

static std::string escape(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 4);
    for (char c : name) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out.push_back(c);
    }
    return out;
}

// Undoes escape(); nullopt for a backslash followed by anything else.
static std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
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

std::string format_sum_line(std::string_view sum, std::string_view name, bool zero) {
    const bool esc = !zero && needs_escape(name);
    std::string line = esc ? "\\" : "";
    line.append(sum);
    line += "  ";
    line += esc ? escape(name) : std::string(name);
    line.push_back(zero ? '\0' : '\n');
    return line;
}

std::string format_tag_line(const AlgoInfo &algo, std::string_view sum, std::string_view name,
                            bool zero) {
    const bool esc = !zero && needs_escape(name);
    std::string line = esc ? "\\" : "";
    line.append(algo.tag);
    line += " (";
    line += esc ? escape(name) : std::string(name);
    line += ") = ";
    line.append(sum);
    line.push_back(zero ? '\0' : '\n');
    return line;
}

static bool is_hex_digit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// "TAG (NAME) = SUM"; the name runs to the last ") = ".
static bool parse_tagged(std::string_view line, bool escaped, CheckEntry &out) {
    const std::size_t open = line.find(" (");
    const std::size_t close = line.rfind(") = ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2)
        return false;
    const AlgoInfo *algo = find_algorithm(line.substr(0, open));
    if (!algo)
        return false;
    const std::string_view sum = line.substr(close + 4);
    if (sum.empty() || !is_hex(sum, sum.size()))
        return false;
    std::string_view raw = line.substr(open + 2, close - open - 2);
    std::optional<std::string> name = escaped ? unescape(raw) : std::string(raw);
    if (!name || name->empty())
        return false;
    out.sum = std::string(sum);
    out.name = std::move(*name);
    out.tag = algo;
    return true;
}

// "SUM  NAME" or "SUM *NAME".
static bool parse_plain(std::string_view line, bool escaped, CheckEntry &out) {
    std::size_t n = 0;
    while (n < line.size() && is_hex_digit(line[n]))
        ++n;
    if (n == 0 || n + 2 >= line.size() || line[n] != ' ' ||
        (line[n + 1] != ' ' && line[n + 1] != '*'))
        return false;
    std::string_view raw = line.substr(n + 2);
    if (raw.empty())
        return false;
    std::optional<std::string> name = escaped ? unescape(raw) : std::string(raw);
    if (!name)
        return false;
    out.sum = std::string(line.substr(0, n));
    out.name = std::move(*name);
    out.tag = nullptr;
    return true;
}

LineKind parse_check_line(std::string_view line, CheckEntry &out) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::size_t lead = 0;
    while (lead < line.size() && (line[lead] == ' ' || line[lead] == '\t'))
        ++lead;
    line.remove_prefix(lead);
    if (line.empty() || line.front() == '#')
        return LineKind::Skip;
    const bool escaped = line.front() == '\\';
    if (escaped)
        line.remove_prefix(1);
    if (parse_plain(line, escaped, out) || parse_tagged(line, escaped, out))
        return LineKind::Entry;
    return LineKind::Malformed;
}

} // namespace tvksum
