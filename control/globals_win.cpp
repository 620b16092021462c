// globals_win.cpp -- the platform layer on Windows: the Win32 loader, the
// ANSI code page, message boxes and the shell.
#include "Globals.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace tvk {
namespace Globals {

const char16_t PathSeparator = u'\\';
const char16_t *const EngineFileName = u"tvkchecksum.dll";

std::uintptr_t LoadLibraryPath(const String &path) {
    const std::wstring wide(path.begin(), path.end());
    return reinterpret_cast<std::uintptr_t>(LoadLibraryW(wide.c_str()));
}

std::uintptr_t GetProcAddressNarrow(std::uintptr_t module, const char *name) {
    if (module == 0)
        return 0;
    return reinterpret_cast<std::uintptr_t>(
        GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void FreeLibraryHandle(std::uintptr_t module) {
    if (module != 0)
        FreeLibrary(reinterpret_cast<HMODULE>(module));
}

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

std::string ToNarrow(const String &text) {
    if (text.empty())
        return std::string();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int units = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, units, &out[0], bytes, nullptr, nullptr);
    return out;
}

String FromNarrow(const std::string &bytes) {
    if (bytes.empty())
        return String();
    const int n = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    String out(static_cast<std::size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, reinterpret_cast<wchar_t *>(&out[0]),
                            units);
    return out;
}

// Taken in UTF-16: a folder name the ANSI code page cannot hold (a user
// name in Cyrillic, say) must not turn into question marks.
String ControlModuleFileName() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ControlModuleFileName), &self);
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD len = GetModuleFileNameW(self, buf.data(), static_cast<DWORD>(buf.size()));
        if (len == 0)
            return String();
        if (len < buf.size())
            return String(buf.data(), buf.data() + len);
        buf.resize(buf.size() * 2);
    }
}

void ShellExecuteOpen(std::uintptr_t ownerWindow, const String &operation, const String &file,
                      const String &parameters, const String &directory) {
    ShellExecuteA(reinterpret_cast<HWND>(ownerWindow), ToNarrow(operation).c_str(),
                  ToNarrow(file).c_str(), ToNarrow(parameters).c_str(), ToNarrow(directory).c_str(),
                  SW_SHOWNORMAL);
}

} // namespace Globals
} // namespace tvk
