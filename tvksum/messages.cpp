// messages.cpp -- error lines on standard error.
#include "messages.h"

#include "ErrorNumbers.h"
#include "input_file.h"
#include "job_outcome.h"
#include "shell_quote.h"

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
    return shell_quoted(name);
}

std::string file_error(const std::string &name, const JobOutcome &outcome) {
    std::string text = shown_name(name) + ": " + outcome.error_text;
    // Refused by the control, or a file method wrote nothing.
    const bool refused = outcome.error_number == tvk::Error::InputFileInvalid;
    const bool failed_job =
        outcome.error_number == tvk::Error::UserAbort && outcome.kind == JobOutcome::Failed;
    if (refused) {
        const std::string reason = unreadable_reason(name);
        if (!reason.empty())
            return text + " (" + reason + ")";
    }
    if (refused || failed_job) {
        // The file opens, yet no checksum came: it could not be read after
        // all. Say why, as sha256sum does, when it can be found.
        const std::string reason = name == "-" ? std::string() : read_error_reason(name);
        if (!reason.empty())
            return shown_name(name) + ": " + reason;
        if (failed_job)
            text += " (the engine could not read the file)";
    }
    return text;
}

std::string listed_file_error(const std::string &name, const JobOutcome &outcome) {
    // Whatever the control said, a file the system cannot open is named with
    // the system's reason (also the empty name, which the control calls an
    // empty file).
    std::string reason = unreadable_reason(name);
    const bool refused = outcome.error_number == tvk::Error::InputFileInvalid;
    const bool failed_job =
        outcome.error_number == tvk::Error::UserAbort && outcome.kind == JobOutcome::Failed;
    const bool not_handed_over = outcome.error_number == 0; // e.g. a name not in UTF-8
    if (reason.empty() && name != "-" && (refused || failed_job || not_handed_over))
        reason = read_error_reason(name);
    if (!reason.empty())
        return shown_name(name) + ": " + reason;
    return file_error(name, outcome);
}

} // namespace tvksum
