// list_reader.cpp -- a checksum list from a file or standard input.
#include "list_reader.h"

#include "interrupt.h"
#include "user_locale.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvksum {

namespace {

// glibc's stdio buffer: the file's block size where that is below BUFSIZ
// (8192), else BUFSIZ.
std::size_t block_size(int fd) {
    constexpr std::size_t kStdioBuffer = 8192;
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_blksize > 0 &&
        static_cast<std::size_t>(st.st_blksize) < kStdioBuffer)
        return static_cast<std::size_t>(st.st_blksize);
    return kStdioBuffer;
}

} // namespace

ListReader::ListReader(const std::string &list) {
    if (list == "-") {
        fd_ = STDIN_FILENO;
    } else {
        fd_ = open(list.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            open_error_ = system_error_text(errno);
            return;
        }
        own_fd_ = true;
    }
    block_.resize(block_size(fd_));
}

ListReader::~ListReader() {
    if (own_fd_)
        close(fd_);
}

bool ListReader::fill() {
    if (ended_ || failed_)
        return false;
    for (;;) {
        const ssize_t n = read(fd_, block_.data(), block_.size());
        if (n > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR && !interrupted())
            continue;
        (n == 0 ? ended_ : failed_) = true;
        return false;
    }
}

bool ListReader::next(std::string &line) {
    line.clear();
    if (begin_ == end_ && !fill())
        return false;
    for (;;) {
        const char *from = block_.data() + begin_;
        const void *lf = std::memchr(from, '\n', end_ - begin_);
        if (lf) {
            const std::size_t size = static_cast<const char *>(lf) - from;
            line.append(from, size);
            begin_ += size + 1;
            return true;
        }
        line.append(from, end_ - begin_);
        begin_ = end_;
        if (!fill())
            return true; // the last line has no line feed, or a read failed
    }
}

} // namespace tvksum
