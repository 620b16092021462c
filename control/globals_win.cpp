// globals_win.cpp -- the control's platform functions of its own on
// Windows: the engine's file name, the call of its entry, message boxes and
// the shell.
#include "Globals.h"

#include <windows.h>
#include <shellapi.h>

namespace tvk {
namespace Globals {

const char16_t PathSeparator = u'\\';
const char16_t *const EngineFileName = u"tvkchecksum.dll";

std::intptr_t CallEntry(std::uintptr_t entry, std::uintptr_t a1, std::uintptr_t a2,
                        std::uintptr_t a3, std::uintptr_t a4) {
#if defined(_M_IX86) || defined(__i386__)
    // The entry has the window procedure's form: four 32-bit words, stdcall.
    return static_cast<std::intptr_t>(
        CallWindowProcA(reinterpret_cast<WNDPROC>(entry), reinterpret_cast<HWND>(a1),
                        static_cast<UINT>(a2), static_cast<WPARAM>(a3), static_cast<LPARAM>(a4)));
#else
    // On x86_64 CallWindowProcA would cut the message word to 32 bits.
    using Entry =
        std::intptr_t(__stdcall *)(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
    return reinterpret_cast<Entry>(entry)(a1, a2, a3, a4);
#endif
}

void MessageBoxOk(const String &text, const String &caption) {
    MessageBoxA(nullptr, ToNarrow(text).c_str(), ToNarrow(caption).c_str(), MB_OK);
}

void ShellExecuteOpen(std::uintptr_t ownerWindow, const String &operation, const String &file,
                      const String &parameters, const String &directory) {
    ShellExecuteA(reinterpret_cast<HWND>(ownerWindow), ToNarrow(operation).c_str(),
                  ToNarrow(file).c_str(), ToNarrow(parameters).c_str(), ToNarrow(directory).c_str(),
                  SW_SHOWNORMAL);
}

} // namespace Globals
} // namespace tvk
