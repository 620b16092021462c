// messages.h -- exit codes and the wording of what tvksum tells the user.
#ifndef TVKSUM_MESSAGES_H
#define TVKSUM_MESSAGES_H

#include <string>

namespace tvksum {

struct JobOutcome;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;        // a mismatch, an unreadable file, no engine
constexpr int kExitUsage = 2;         // bad command line
constexpr int kExitInterrupted = 130; // Ctrl-C; see interrupted_exit_code()

// "tvksum: TEXT" on standard error.
void warn(const std::string &text);
// The same line as text, for output that is collected before it is shown.
std::string warning_line(const std::string &text);

// A name as shown in messages: the empty name as ''.
std::string shown_name(const std::string &name);

// "NAME: why" for a failed job on the file `name`: the control's error text,
// with the system's reason added where the control's text is vague.
std::string file_error(const std::string &name, const JobOutcome &outcome);

} // namespace tvksum

#endif
