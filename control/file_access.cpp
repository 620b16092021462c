// file_access.cpp -- the check that a UTF-16 name denotes a file the engine
// can read to its end: opened by the platform's one input open, the open the
// engine's wide words use, so the check refuses what the engine would
// refuse, devices before anything opens them.
#include "Globals.h"

#include "platform.h"

#include <cstdio>

namespace tvk {
namespace Globals {

InputFileReader::InputFileReader(const String &name) {
    std::FILE *const file = platform_open_read(name.c_str());
    if (file == nullptr)
        return;
    file_ = file;
    std::int64_t length = platform_regular_file_size(file);
    // A block device tells its size only by a seek to its end.
    if (length < 0 && (length = platform_seek_end(file)) >= 0 && std::fseek(file, 0, SEEK_SET) != 0)
        return;
    length_ = length;
    open_ = length >= 0;
}

InputFileReader::~InputFileReader() {
    if (file_ != nullptr)
        std::fclose(file_);
}

bool InputFileReader::Read(unsigned char *buffer, std::size_t size) {
    return open_ && platform_read_block(file_, buffer, size) >= 0;
}

} // namespace Globals
} // namespace tvk
