// ZipClass_checks.cpp -- the file name checks made before a name reaches the
// engine.
#include "ZipClass.h"

#include "Globals.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace tvk {

bool ZipClass::CheckForEmpty(const String &InputFile) const {
    return InputFile.empty();
}

// True when the file can be opened and its first bytes (up to 255) read.
// The length is taken as 64 bits, so files of 2 GiB and more pass too.
bool ZipClass::CheckInputFile(const String &InputFile) const {
    const std::string path = Globals::ToNarrow(InputFile);
    std::int64_t length = 0;
    if (!Globals::FileLength(path, length) || length < 0)
        return false;
    const std::size_t wanted = length > 255 ? 255 : static_cast<std::size_t>(length);
    std::vector<unsigned char> buffer(wanted);

    struct Closer {
        void operator()(std::FILE *f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    if (wanted > 0) {
        std::fread(buffer.data(), 1, wanted, file.get());
        if (std::ferror(file.get()))
            return false;
    }
    return true;
}

} // namespace tvk
