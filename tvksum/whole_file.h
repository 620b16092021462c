// whole_file.h -- a small regular file read whole into memory, so its
// checksum takes one open of it rather than the control's check and the
// engine's read (two opens and about twice the system calls).
#ifndef TVKSUM_WHOLE_FILE_H
#define TVKSUM_WHOLE_FILE_H

#include <cstddef>
#include <string>

namespace tvksum {

// Reads the regular file at `path` to its end into `buffer`, of `room`
// bytes, and answers how many it read: fewer than `room`. -1 when it cannot
// be opened or read, is no regular file, or fills the buffer: the caller
// then asks the control, which names the failure.
long long read_whole_file(const std::string &path, unsigned char *buffer, std::size_t room);

} // namespace tvksum

#endif
