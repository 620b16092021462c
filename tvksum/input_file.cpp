// input_file.cpp -- direct names, descriptor paths and spooled input.
#include "input_file.h"

#include "interrupt.h"
#include "utf.h"
#include "user_locale.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tvksum {

static std::string fd_path(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// A character device other than a terminal or /dev/null may never end
// (/dev/zero, /dev/urandom): copying it would fill the disk.
static bool endless_device(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || isatty(fd))
        return false;
    const bool null_device = major(st.st_rdev) == 1 && minor(st.st_rdev) == 3;
    return !null_device;
}

InputFile::InputFile(const std::string &name) {
    if (name == "-") {
        if (endless_device(STDIN_FILENO))
            error_ = kEndlessDevice;
        else
            spool(STDIN_FILENO);
        return;
    }
    struct stat st {};
    const bool found = stat(name.c_str(), &st) == 0;
    if (found && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode))) {
        // Opening a FIFO waits for a writer; Ctrl-C ends the wait.
        const int from = interrupted() ? -1 : open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (from < 0) {
            if (interrupted())
                error_ = "interrupted";
            else
                path_ = name; // let the control refuse it
            return;
        }
        if (endless_device(from))
            error_ = kEndlessDevice;
        else
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
    if (direct && found && S_ISREG(st.st_mode))
        size_ = static_cast<std::int64_t>(st.st_size);
}

InputFile::~InputFile() {
    if (fd_ >= 0)
        close(fd_);
}

// An unnamed file in $TMPDIR (else /tmp), open in fd_; dir names the
// folder.
bool InputFile::make_temporary(std::string &dir) {
    const char *tmpdir = std::getenv("TMPDIR");
    dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string tmpl = dir + "/tvksum.XXXXXX";
    fd_ = mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = "cannot create a temporary file in " + dir + ": " + system_error_text(errno);
        return false;
    }
    unlink(tmpl.c_str()); // nameless from now on: nothing to clean up later
    return true;
}

bool InputFile::spool(int from) {
    std::string dir;
    if (!make_temporary(dir) || !copy(from, dir))
        return false;
    path_ = fd_path(fd_);
    return true;
}

bool InputFile::copy(int from, const std::string &dir) {
    // On failure the copy is closed at once, which frees its room.
    auto fail = [this](std::string why) {
        error_ = std::move(why);
        close(fd_);
        fd_ = -1;
        return false;
    };
    char buf[65536];
    for (;;) {
        const ssize_t n = read(from, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR && !interrupted())
                continue;
            return fail(interrupted() ? "interrupted" : std::string(system_error_text(errno)));
        }
        for (ssize_t off = 0; off < n;) {
            const ssize_t w = write(fd_, buf + off, static_cast<std::size_t>(n - off));
            if (w < 0 && errno == EINTR && !interrupted())
                continue;
            if (w < 0) {
                const int error = errno;
                if (interrupted())
                    return fail("interrupted");
                return fail((error == ENOSPC || error == EFBIG || error == EDQUOT
                                 ? "no room to copy the input to " + dir + ": "
                                 : "cannot copy the input to " + dir + ": ") +
                            system_error_text(error));
            }
            off += w;
        }
        if (interrupted())
            return fail("interrupted");
    }
}

std::string read_error_reason(const std::string &name) {
    // Only what ends: regular files, block devices, directories (whose read
    // fails at once). O_NONBLOCK as below.
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return system_error_text(errno);
    struct stat st {};
    std::string reason;
    if (fstat(fd, &st) != 0) {
        reason = system_error_text(errno);
    } else if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode) || S_ISDIR(st.st_mode)) {
        char buf[65536];
        for (;;) {
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n == 0)
                break;
            if (n < 0 && errno == EINTR && !interrupted())
                continue;
            if (n < 0) {
                reason = system_error_text(errno);
                break;
            }
        }
    }
    close(fd);
    return reason;
}

std::string unreadable_reason(const std::string &name) {
    // O_NONBLOCK: a FIFO must not hang us. Nothing is read, so a pipe keeps
    // every byte for whoever reads it next.
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return system_error_text(errno);
    struct stat st {};
    std::string reason;
    if (fstat(fd, &st) != 0)
        reason = system_error_text(errno);
    else if (S_ISDIR(st.st_mode))
        reason = system_error_text(EISDIR);
    close(fd);
    return reason;
}

} // namespace tvksum
