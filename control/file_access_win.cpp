// file_access_win.cpp -- input files on Windows: the check that a UTF-16 name
// denotes a disk file, opened with the wide API as the engine opens it.
#include "Globals.h"

#include "platform.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace tvk {
namespace Globals {

namespace {

const wchar_t *Wide(const char16_t *text) {
    return reinterpret_cast<const wchar_t *>(text);
}

// Device names (NUL, CON, COM1, C:\dir\nul.txt ...) come back from the full
// path service as \\.\ paths, like the explicit device paths.
bool IsDeviceName(const String &name) {
    const DWORD need = GetFullPathNameW(Wide(name.c_str()), 0, nullptr, nullptr);
    if (need == 0)
        return true; // no path the system can resolve
    std::vector<wchar_t> full(need);
    const DWORD len = GetFullPathNameW(Wide(name.c_str()), need, full.data(), nullptr);
    return len == 0 || len >= need ||
           std::wstring_view(full.data(), len).substr(0, 4) == L"\\\\.\\";
}

} // namespace

InputFileReader::InputFileReader(const String &name) {
    if (IsDeviceName(name))
        return;
    // A long name in its \\?\ form, as the engine opens it.
    std::vector<char16_t> buffer(PLATFORM_OPEN_NAME_SIZE);
    const char16_t *const openName = platform_open_name(name.c_str(), buffer.data());
    if (openName == nullptr)
        return;
    // Shared as the C runtime's fopen shares it, so the check sees what the
    // engine will see.
    const HANDLE file =
        CreateFileW(Wide(openName), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    // Whatever else the name reached (a pipe, a console, a device by another
    // path) is no disk file.
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(file, &size))
        return;
    length_ = size.QuadPart;
    open_ = true;
}

InputFileReader::~InputFileReader() {
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool InputFileReader::Read(unsigned char *buffer, std::size_t size) {
    if (!open_)
        return false;
    while (size > 0) {
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, chunk, &got, nullptr))
            return false;
        if (got == 0)
            break; // end of file
        buffer += got;
        size -= got;
    }
    return true;
}

} // namespace Globals
} // namespace tvk
