// file_access_posix.cpp -- input files on Linux: the check that a name
// denotes a file the engine can read to its end, under the name's UTF-8
// bytes.
#include "Globals.h"

#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tvk {
namespace Globals {

namespace {

// Regular files and block devices end; FIFOs, sockets and character devices
// may block or never end, and directories cannot be read.
bool Readable(mode_t mode) {
    return S_ISREG(mode) || S_ISBLK(mode);
}

} // namespace

InputFileReader::InputFileReader(const String &name) {
    // The name's UTF-8 bytes, as the engine's wide words make them.
    std::string narrowPath;
    if (!platform_to_ansi_exact(name, narrowPath))
        return;
    // The kind first: opening a FIFO for reading would wait for a writer, and
    // opening a device can have effects of its own.
    struct stat st {};
    if (stat(narrowPath.c_str(), &st) != 0 || !Readable(st.st_mode))
        return;
    // Non-blocking and without a controlling terminal, in case something
    // else has taken the name's place since.
    const int fd = open(narrowPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    handle_ = fd;
    if (fstat(fd, &st) != 0 || !Readable(st.st_mode))
        return;
    if (S_ISBLK(st.st_mode)) {
        const off_t end = lseek(fd, 0, SEEK_END);
        if (end < 0 || lseek(fd, 0, SEEK_SET) != 0)
            return;
        length_ = static_cast<std::int64_t>(end);
    } else {
        length_ = static_cast<std::int64_t>(st.st_size);
    }
    open_ = true;
}

InputFileReader::~InputFileReader() {
    if (handle_ != -1)
        close(static_cast<int>(handle_));
}

bool InputFileReader::Read(unsigned char *buffer, std::size_t size) {
    if (!open_)
        return false;
    while (size > 0) {
        const ssize_t got = read(static_cast<int>(handle_), buffer, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break; // end of file
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace Globals
} // namespace tvk
