// sum_line.cpp -- checksum list lines, escaped the way GNU coreutils does.
#include "sum_line.h"

namespace checklist {

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

std::string format_sum_line(std::string_view sum, std::string_view name, bool zero, bool binary) {
    const bool esc = !zero && needs_escape(name);
    std::string line = esc ? "\\" : "";
    line.append(sum);
    line += binary ? " *" : "  ";
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

} // namespace checklist
