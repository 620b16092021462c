// whole_file.cpp -- open, one read in the usual case and one to see the end,
// close.
#include "whole_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvksum {

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

long long read_whole_file(const std::string &path, unsigned char *buffer, std::size_t room) {
    // Without waiting: had a FIFO taken the name's place, the open would
    // wait for a writer. Reads of a regular file ignore the flag.
    const Descriptor file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat st {};
    if (file.fd < 0 || fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    // The file ends where a read gives nothing.
    std::size_t got = 0;
    while (got < room) {
        const ssize_t n = read(file.fd, buffer + got, room - got);
        if (n == 0)
            return static_cast<long long>(got);
        if (n < 0 && errno != EINTR)
            return -1;
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    return -1; // the file fills the buffer: too large to read here
}

} // namespace tvksum
