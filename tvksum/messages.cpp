// messages.cpp -- error lines on standard error.
#include "messages.h"

#include "input_file.h"
#include "job_outcome.h"

#include <cstdio>

namespace tvksum {

std::string warning_line(const std::string &text) {
    return "tvksum: " + text + "\n";
}

void warn(const std::string &text) {
    std::fflush(stdout); // keep the order of lines when both go to one place
    const std::string line = warning_line(text);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string shown_name(const std::string &name) {
    return name.empty() ? "''" : name;
}

std::string file_error(const std::string &name, const JobOutcome &outcome) {
    std::string text = shown_name(name) + ": " + outcome.error_text;
    if (outcome.error_number == 5) {
        const std::string reason = unreadable_reason(name);
        if (!reason.empty())
            text += " (" + reason + ")";
    } else if (outcome.error_number == 9 && outcome.kind == JobOutcome::Failed) {
        text += " (the engine could not read the file)";
    }
    return text;
}

} // namespace tvksum
