// messages.cpp -- error lines on standard error.
#include "messages.h"

#include "input_file.h"
#include "job_outcome.h"

#include <cstdio>

namespace tvksum {

void warn(const std::string &text) {
    std::fflush(stdout); // keep the order of lines when both go to one place
    std::fprintf(stderr, "tvksum: %s\n", text.c_str());
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
        // The job ended without a checksum: the file could not be opened or
        // read after all. Say why, as sha256sum does, when it can be found.
        const std::string reason = name == "-" ? std::string() : read_error_reason(name);
        if (!reason.empty())
            return shown_name(name) + ": " + reason;
        text += " (the engine could not read the file)";
    }
    return text;
}

} // namespace tvksum
