/* platform_stdio.cpp -- block reads through the C runtime, the same on
 * every platform. */
#include "platform.h"

#include <cerrno>

int64_t platform_read_block(std::FILE *file, uint8_t *buffer, size_t size) {
    size_t got = 0;
    for (;;) {
        got += std::fread(buffer + got, 1, size - got, file);
        if (got == size || std::feof(file) != 0 || std::ferror(file) == 0) {
            return static_cast<int64_t>(got);
        }
        // A signal is not a read error: read on (a pipe or a FIFO).
        if (errno != EINTR) {
            return -1;
        }
        std::clearerr(file);
    }
}
