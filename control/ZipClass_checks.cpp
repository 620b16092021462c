// ZipClass_checks.cpp -- the file name checks made before a name reaches the
// engine.
#include "ZipClass.h"

#include "Globals.h"
#include "platform.h"

#include <vector>

namespace tvk {

bool ZipClass::CheckForEmpty(const String &InputFile) const {
    return InputFile.empty();
}

namespace {

// A name the system can be given whole: no NUL (it would end the name
// early) and no lone surrogate (it has no UTF-8 form on Linux, and a name
// the caller could not type on Windows).
bool WholeName(const String &name) {
    for (std::size_t i = 0; i < name.size();) {
        const char32_t c = platform_next_code_point(name, i);
        if (c == U'\0' || platform_is_surrogate(c))
            return false;
    }
    return true;
}

} // namespace

// True when the file can be opened and its first bytes (up to 255) read.
// The length is taken as 64 bits, so files of 2 GiB and more pass too.
bool ZipClass::CheckInputFile(const String &InputFile) const {
    if (InputFile.empty() || !WholeName(InputFile))
        return false;
    Globals::InputFileReader file(InputFile);
    if (!file.IsOpen() || file.Length() < 0)
        return false;
    const std::size_t wanted = file.Length() > 255 ? 255 : static_cast<std::size_t>(file.Length());
    std::vector<unsigned char> buffer(wanted);
    return file.Read(buffer.data(), wanted);
}

} // namespace tvk
