// messages.h -- exit codes and the wording of what tvksum tells the user.
#ifndef TVKSUM_MESSAGES_H
#define TVKSUM_MESSAGES_H

#include <string>

namespace tvksum {

struct JobOutcome;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;        // a mismatch, an unreadable file, no engine
constexpr int kExitUsage = 1;         // bad command line, as coreutils' checksum tools
constexpr int kExitInterrupted = 130; // Ctrl-C; see interrupted_exit_code()

// "tvksum: TEXT" on standard error.
void warn(const std::string &text);
// The same line as text, for output that is collected before it is shown.
std::string warning_line(const std::string &text);

// A name as shown in messages, quoted where the shell would need it
// (shell_quoted): '', 'a b', 'a:b'.
std::string shown_name(const std::string &name);

// "NAME: why" for a failed job on the file `name`: the control's error text,
// with the system's reason added where the control's text is vague.
std::string file_error(const std::string &name, const JobOutcome &outcome);

// The same for a file of a checksum list, as md5sum -c words it: the
// system's reason alone ("NAME: No such file or directory") wherever it can
// be found, else file_error's text.
std::string listed_file_error(const std::string &name, const JobOutcome &outcome);

} // namespace tvksum

#endif
