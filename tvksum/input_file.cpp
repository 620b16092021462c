// input_file.cpp -- direct names, descriptor paths and spooled input.
#include "input_file.h"

#include "interrupt.h"
#include "utf.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvksum {

static std::string fd_path(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

InputFile::InputFile(const std::string &name) {
    if (name == "-") {
        spool(STDIN_FILENO);
        return;
    }
    struct stat st {};
    if (stat(name.c_str(), &st) == 0 &&
        (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode))) {
        const int from = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (from < 0) {
            path_ = name; // let the control refuse it
            return;
        }
        spool(from);
        close(from);
        return;
    }
    const bool direct = name.size() <= kMaxDirectPath && utf8_to_utf16(name).has_value();
    if (!direct) {
        fd_ = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ >= 0) {
            path_ = fd_path(fd_);
            return;
        }
    }
    path_ = name; // unreadable names are refused by the control itself
}

InputFile::~InputFile() {
    if (fd_ >= 0)
        close(fd_);
}

bool InputFile::spool(int from) {
    const char *dir = std::getenv("TMPDIR");
    std::string tmpl = std::string(dir && *dir ? dir : "/tmp") + "/tvksum.XXXXXX";
    fd_ = mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = "cannot create a temporary file: " + std::string(std::strerror(errno));
        return false;
    }
    unlink(tmpl.c_str()); // nameless from now on: nothing to clean up later
    char buf[65536];
    for (;;) {
        const ssize_t n = read(from, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR && !interrupted())
                continue;
            error_ = interrupted() ? "interrupted" : std::string(std::strerror(errno));
            return false;
        }
        for (ssize_t off = 0; off < n;) {
            const ssize_t w = write(fd_, buf + off, static_cast<std::size_t>(n - off));
            if (w < 0 && errno == EINTR && !interrupted())
                continue;
            if (w < 0) {
                error_ = "cannot write a temporary file: " + std::string(std::strerror(errno));
                return false;
            }
            off += w;
        }
        if (interrupted()) {
            error_ = "interrupted";
            return false;
        }
    }
    path_ = fd_path(fd_);
    return true;
}

std::string unreadable_reason(const std::string &name) {
    // O_NONBLOCK: a FIFO must not hang us. Nothing is read, so a pipe keeps
    // every byte for whoever reads it next.
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    std::string reason;
    if (fstat(fd, &st) != 0)
        reason = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        reason = std::strerror(EISDIR);
    close(fd);
    return reason;
}

} // namespace tvksum
