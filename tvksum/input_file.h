// input_file.h -- turns a file operand into a path the control can take.
#ifndef TVKSUM_INPUT_FILE_H
#define TVKSUM_INPUT_FILE_H

#include <cstdint>
#include <string>

namespace tvksum {

// The control reads a file by name, more than once (a check read, then the
// engine's own reads), and takes names as UTF-16. So: a name that is longer
// than kMaxDirectPath or is not valid UTF-8 is opened here and handed over
// as /proc/self/fd/N; standard input ("-") and pipes, sockets, terminals and
// /dev/null are first copied into an unnamed temporary file. Other character
// devices (/dev/zero, /dev/urandom) may never end and are refused.
// Everything else goes through unchanged.
class InputFile {
  public:
    // `name` as given on the command line or in a checksum list.
    explicit InputFile(const std::string &name);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    const std::string &path() const { return path_; } // for the control
    // The size of a regular file handed over by its own name, as looked up
    // here; -1 when not known.
    std::int64_t size() const { return size_; }
    // Non-empty when the input could not be prepared (the spool failed or
    // was interrupted); the path is then unusable.
    const std::string &error() const { return error_; }

  private:
    bool spool(int from);
    bool make_temporary(std::string &dir);
    bool copy(int from, const std::string &dir);
    std::string path_;
    std::string error_;
    int fd_ = -1;
    std::int64_t size_ = -1;
};

// Why a character device is refused.
constexpr const char *kEndlessDevice = "a character device, not read: its input may never end";

// Longest path (bytes, without its NUL) handed to the control as it is. An
// engine of this interface need keep no more than 254 bytes of a job's
// path; ours keeps much longer ones, but tvksum asks for no more than the
// least, so it runs the same on any engine.
constexpr std::size_t kMaxDirectPath = 254;

// Why a file cannot be read, in the system's words ("No such file or
// directory", "Is a directory", ...); empty when it can be read now.
std::string unreadable_reason(const std::string &name);

// Why a file cannot be opened or read to its end ("Input/output error"),
// found by reading it here; empty when it reads well now, and for files
// that may not end (FIFOs, character devices), which are not read.
std::string read_error_reason(const std::string &name);

} // namespace tvksum

#endif
