// ZipClass_checks.cpp -- the file name checks made before a name reaches the
// engine.
#include "ZipClass.h"

#include "Globals.h"

#include <vector>

namespace tvk {

bool ZipClass::CheckForEmpty(const String &InputFile) const {
    return InputFile.empty();
}

// True when the file can be opened and its first bytes (up to 255) read.
// The length is taken as 64 bits, so files of 2 GiB and more pass too.
bool ZipClass::CheckInputFile(const String &InputFile) const {
    std::string path;
    if (!Globals::NarrowFileName(InputFile, path))
        return false;
    Globals::InputFileReader file(path);
    if (!file.IsOpen() || file.Length() < 0)
        return false;
    const std::size_t wanted = file.Length() > 255 ? 255 : static_cast<std::size_t>(file.Length());
    std::vector<unsigned char> buffer(wanted);
    return file.Read(buffer.data(), wanted);
}

bool ZipClass::NameForEngine(String &InputFile) const {
    std::string narrow;
    if (!Globals::NarrowFileName(InputFile, narrow))
        return false;
    // An exact conversion comes back unchanged, so the bridge sends these
    // very bytes.
    InputFile = Globals::FromNarrow(narrow);
    return true;
}

} // namespace tvk
