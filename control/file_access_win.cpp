// file_access_win.cpp -- file names and input files on Windows: the exact
// ANSI name of a file (or its short name), and the check that a name denotes
// a disk file.
#include "Globals.h"

#include "platform.h"

#include <windows.h>

namespace tvk {
namespace Globals {

namespace {

// The short form of an existing file's path; empty when there is none.
std::wstring ShortPath(const std::wstring &path) {
    const DWORD need = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (need == 0)
        return std::wstring();
    std::wstring out(need, L'\0');
    const DWORD len = GetShortPathNameW(path.c_str(), &out[0], need);
    if (len == 0 || len >= need)
        return std::wstring();
    out.resize(len);
    return out;
}

} // namespace

bool NarrowFileName(const String &name, std::string &narrow) {
    if (name.empty() || name.find(u'\0') != String::npos)
        return false;
    const std::wstring wide(name.begin(), name.end());
    if (platform_to_ansi_exact(name, narrow))
        return true;
    // A short name is another name of the same file, never of another one.
    const std::wstring shortPath = ShortPath(wide);
    return !shortPath.empty() &&
           platform_to_ansi_exact(String(shortPath.begin(), shortPath.end()), narrow);
}

InputFileReader::InputFileReader(const std::string &narrowPath) {
    // Device names (NUL, CON, COM1, C:\dir\nul.txt ...) come back from the
    // full path service as \\.\ paths, like the explicit device paths: they
    // are refused before anything is opened.
    const DWORD need = GetFullPathNameA(narrowPath.c_str(), 0, nullptr, nullptr);
    if (need == 0)
        return;
    std::string full(need, '\0');
    const DWORD len = GetFullPathNameA(narrowPath.c_str(), need, &full[0], nullptr);
    if (len == 0 || len >= need || full.compare(0, 4, "\\\\.\\") == 0)
        return;
    // Shared as the C runtime's fopen shares it, so the check sees what the
    // engine will see.
    const HANDLE file =
        CreateFileA(narrowPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
