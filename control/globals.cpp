// globals.cpp -- the control's platform functions that the platform library
// provides as they are, on every platform.
#include "Globals.h"

#include "platform.h"

namespace tvk {
namespace Globals {

std::uintptr_t LoadLibraryPath(const String &path) {
    return platform_load_library(path);
}

std::uintptr_t GetProcAddressNarrow(std::uintptr_t module, const char *name) {
    return platform_library_symbol(module, name);
}

void FreeLibraryHandle(std::uintptr_t module) {
    platform_free_library(module);
}

std::string ToNarrow(const String &text) {
    return platform_to_ansi(text);
}

String FromNarrow(const std::string &bytes) {
    return platform_from_ansi(bytes);
}

String ControlModuleFileName() {
    return platform_own_module_path();
}

} // namespace Globals
} // namespace tvk
