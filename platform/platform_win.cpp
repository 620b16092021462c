/* platform_win.cpp -- the services on Windows, from kernel32 only: threads,
 * the loader, debugger output, the ANSI code page. */
#include "platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

namespace {

/* What a new worker needs; read by the worker at its start, before any
 * later start can be requested (only one worker exists at a time). */
struct ThreadStart {
    void (*body)();
    HMODULE module;
};
ThreadStart thread_start;

/* Windows starts a thread with a stack aligned to 4 bytes on i686; the
 * compiled code expects 16, so the entry realigns it. */
#if defined(__i386__)
#define TVK_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define TVK_REALIGN_STACK
#endif

TVK_REALIGN_STACK DWORD WINAPI worker_entry(LPVOID) {
    const ThreadStart start = thread_start;
    start.body();
    // Drop the worker's reference and end the thread outside the library:
    // the library cannot be unloaded while this thread still runs in it.
    FreeLibraryAndExitThread(start.module, 0);
    return 0;
}

/* Whether anyone can see debugger output: a debugger, or a debug monitor
 * (which waits on the DBWIN_BUFFER_READY event). Without either,
 * OutputDebugStringA shows nothing, so the line is skipped; this keeps the
 * exception that OutputDebugStringA raises out of every thread start. */
bool debug_output_watched() {
    if (IsDebuggerPresent()) {
        return true;
    }
    static const char *const monitor_events[] = {"DBWIN_BUFFER_READY",
                                                 "Global\\DBWIN_BUFFER_READY"};
    for (const char *name : monitor_events) {
        if (HANDLE ready = OpenEventA(SYNCHRONIZE, FALSE, name)) {
            CloseHandle(ready);
            return true;
        }
    }
    return false;
}

const wchar_t *wide(const std::u16string &text) {
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

} // namespace

bool platform_start_thread(void (*body)()) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&thread_start), &module)) {
        return false;
    }
    thread_start.body = body;
    thread_start.module = module;
    HANDLE thread = CreateThread(nullptr, 0, worker_entry, reinterpret_cast<LPVOID>(1), 0, nullptr);
    if (thread == nullptr) {
        FreeLibrary(module);
        return false;
    }
    CloseHandle(thread); // detached: nobody waits for it
    return true;
}

namespace {

TVK_REALIGN_STACK DWORD WINAPI joined_entry(LPVOID parameter) {
    const PlatformThread &thread = *static_cast<const PlatformThread *>(parameter);
    thread.body(thread.argument);
    return 0;
}

} // namespace

bool platform_thread_start(PlatformThread &thread, void (*body)(void *), void *argument) {
    thread.body = body;
    thread.argument = argument;
    HANDLE handle = CreateThread(nullptr, 0, joined_entry, &thread, 0, nullptr);
    thread.handle = reinterpret_cast<std::uintptr_t>(handle);
    return handle != nullptr;
}

void platform_thread_join(PlatformThread &thread) {
    HANDLE handle = reinterpret_cast<HANDLE>(thread.handle);
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
    thread.handle = 0;
}

namespace {

SRWLOCK *srw_lock(unsigned char *storage) {
    static_assert(sizeof(SRWLOCK) <= 64, "an SRW lock fits the storage");
    return reinterpret_cast<SRWLOCK *>(storage);
}

CONDITION_VARIABLE *condition(unsigned char *storage) {
    static_assert(sizeof(CONDITION_VARIABLE) <= 64, "a condition variable fits the storage");
    return reinterpret_cast<CONDITION_VARIABLE *>(storage);
}

} // namespace

PlatformLock::PlatformLock() {
    InitializeSRWLock(srw_lock(storage_));
}

PlatformLock::~PlatformLock() = default; // an SRW lock holds nothing to free

void PlatformLock::lock() {
    AcquireSRWLockExclusive(srw_lock(storage_));
}

void PlatformLock::unlock() {
    ReleaseSRWLockExclusive(srw_lock(storage_));
}

PlatformCondition::PlatformCondition() {
    InitializeConditionVariable(condition(storage_));
}

PlatformCondition::~PlatformCondition() = default;

void PlatformCondition::wait(PlatformLock &lock) {
    SleepConditionVariableSRW(condition(storage_), srw_lock(lock.storage_), INFINITE, 0);
}

void PlatformCondition::notify_one() {
    WakeConditionVariable(condition(storage_));
}

void platform_sleep_ms(unsigned milliseconds) {
    Sleep(milliseconds);
}

void platform_yield() {
    SwitchToThread();
}

void platform_leave_core() {
    SwitchToThread();
}

void platform_error_line(const char *line) {
    std::fputs(line, stdout);
}

void platform_debug_line(const char *line) {
    if (debug_output_watched()) {
        OutputDebugStringA(line);
    }
}

uint32_t platform_module_path(const char *module_name, char *out, uint32_t size) {
    // A null handle (no such module) names the main program.
    HMODULE module = GetModuleHandleA(module_name);
    const DWORD length = GetModuleFileNameA(module, out, size);
    if (length == 0) {
        return 0;
    }
    out[size - 1] = '\0'; // older systems leave a cut path unterminated
    return static_cast<uint32_t>(strnlen(out, size - 1));
}

int64_t platform_seek_end(std::FILE *file) {
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        return -1;
    }
    return _ftelli64(file);
}

int64_t platform_regular_file_size(std::FILE *file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    LARGE_INTEGER size{};
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileSizeEx(handle, &size)) {
        return -1;
    }
    return static_cast<int64_t>(size.QuadPart);
}

/* ReadFile at an offset: on a handle opened for synchronous reads it waits
 * for the read, and Windows takes the reads of one handle one at a time. */
int64_t platform_read_at(std::FILE *file, int64_t offset, uint8_t *buffer, size_t size) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    size_t got = 0;
    while (got < size) {
        const auto at = static_cast<uint64_t>(offset) + got;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - got, 1u << 30));
        DWORD n = 0;
        if (!ReadFile(handle, buffer + got, want, &n, &position)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    return static_cast<int64_t>(got);
}

std::FILE *platform_reopen_read(std::FILE *file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    // Shared as the first handle is, so it opens wherever that one did.
    const HANDLE again =
        ReOpenFile(handle, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (again == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(again), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(again);
        return nullptr;
    }
    std::FILE *stream = _fdopen(fd, "rb");
    if (stream == nullptr) {
        _close(fd);
    }
    return stream;
}

std::u16string platform_own_module_path() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&platform_own_module_path), &self);
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD len = GetModuleFileNameW(self, buf.data(), static_cast<DWORD>(buf.size()));
        if (len == 0) {
            return std::u16string();
        }
        if (len < buf.size()) {
            return std::u16string(buf.data(), buf.data() + len);
        }
        buf.resize(buf.size() * 2);
    }
}

std::uintptr_t platform_load_library(const std::u16string &path) {
    return reinterpret_cast<std::uintptr_t>(LoadLibraryW(wide(path)));
}

std::uintptr_t platform_library_symbol(std::uintptr_t library, const char *name) {
    if (library == 0) {
        return 0;
    }
    return reinterpret_cast<std::uintptr_t>(
        GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void platform_free_library(std::uintptr_t library) {
    if (library != 0) {
        FreeLibrary(reinterpret_cast<HMODULE>(library));
    }
}

std::string platform_to_ansi(std::u16string_view text) {
    if (text.empty()) {
        return std::string();
    }
    const auto *units = reinterpret_cast<const wchar_t *>(text.data());
    const int count = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, 0, units, count, &out[0], bytes, nullptr, nullptr);
    }
    return out;
}

std::u16string platform_from_ansi(std::string_view bytes) {
    if (bytes.empty()) {
        return std::u16string();
    }
    const int count = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, reinterpret_cast<wchar_t *>(&out[0]),
                            units);
    }
    return out;
}

/* Without best fit and without the default character; the UTF-8 code page
 * takes neither flag, and invalid UTF-16 makes it fail instead. */
bool platform_to_ansi_exact(std::u16string_view text, std::string &narrow) {
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL *const used = utf8 ? nullptr : &used_default;
    const auto *units = reinterpret_cast<const wchar_t *>(text.data());
    const int count = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, used);
    if (bytes <= 0 || used_default) {
        return false;
    }
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, units, count, &out[0], bytes, nullptr, used) != bytes ||
        used_default) {
        return false;
    }
    narrow = std::move(out);
    return true;
}

namespace {

bool starts_with(const wchar_t *text, const wchar_t *prefix) {
    return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

/* Whether the wide API takes the name as it is: shorter than MAX_PATH with
 * its full path, or already a \\?\ or \\.\ name, which the system takes
 * whole. A name it cannot resolve is left to the open, which fails. */
bool opens_as_it_is(const wchar_t *name) {
    if (starts_with(name, L"\\\\?\\") || starts_with(name, L"\\\\.\\")) {
        return true;
    }
    if (wcsnlen(name, MAX_PATH) >= MAX_PATH) {
        return false;
    }
    const DWORD need = GetFullPathNameW(name, 0, nullptr, nullptr); // with its zero
    return need == 0 || need <= MAX_PATH;
}

/* The full path of name in the \\?\ form, in buffer; nullptr when it does
 * not fit. The full path is written 8 units in, where the longest prefix
 * fits in front of it. */
const wchar_t *long_form(const wchar_t *name, wchar_t *buffer) {
    constexpr DWORD room = 8;
    wchar_t *const full = buffer + room;
    const DWORD size = static_cast<DWORD>(PLATFORM_OPEN_NAME_SIZE - room);
    const DWORD length = GetFullPathNameW(name, size, full, nullptr);
    if (length == 0 || length >= size) {
        return nullptr;
    }
    if (starts_with(full, L"\\\\?\\") || starts_with(full, L"\\\\.\\")) {
        return full;
    }
    if (starts_with(full, L"\\\\")) {
        // \\server\share\... becomes \\?\UNC\server\share\...: the prefix
        // takes the place of the first backslash.
        static const wchar_t unc[] = L"\\\\?\\UNC";
        wchar_t *const start = full + 1 - (sizeof unc / sizeof unc[0] - 1);
        std::memcpy(start, unc, sizeof unc - sizeof unc[0]);
        return start;
    }
    static const wchar_t local[] = L"\\\\?\\";
    wchar_t *const start = full - (sizeof local / sizeof local[0] - 1);
    std::memcpy(start, local, sizeof local - sizeof local[0]);
    return start;
}

/* Kept out of platform_open_read, so that only long names pay for the
 * buffer on the stack. */
__attribute__((noinline)) std::FILE *open_long(const wchar_t *name) {
    wchar_t buffer[PLATFORM_OPEN_NAME_SIZE];
    const wchar_t *const open_name = long_form(name, buffer);
    return open_name == nullptr ? nullptr : _wfopen(open_name, L"rb");
}

} // namespace

const char16_t *platform_open_name(const char16_t *path, char16_t *buffer) {
    const auto *name = reinterpret_cast<const wchar_t *>(path);
    if (opens_as_it_is(name)) {
        return path;
    }
    return reinterpret_cast<const char16_t *>(long_form(name, reinterpret_cast<wchar_t *>(buffer)));
}

namespace {

bool starts_with_nocase(const wchar_t *text, const wchar_t *prefix) {
    return _wcsnicmp(text, prefix, std::wcslen(prefix)) == 0;
}

bool separator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

/* Whether a share path (what follows \\ or \\?\UNC\: server\share\...)
 * reaches the server's named pipes or mailslots. */
bool device_share(const wchar_t *server) {
    while (*server != L'\0' && !separator(*server)) {
        ++server;
    }
    if (*server == L'\0') {
        return false;
    }
    for (const wchar_t *share : {L"pipe", L"mailslot"}) {
        const size_t length = std::wcslen(share);
        if (_wcsnicmp(server + 1, share, length) == 0 &&
            (server[1 + length] == L'\0' || separator(server[1 + length]))) {
            return true;
        }
    }
    return false;
}

/* Whether the name reaches a device rather than a file, by its form alone,
 * before anything opens it: \\.\ names; \\?\ names other than a drive
 * (\\?\C:\), a share (\\?\UNC\) or a volume (\\?\Volume{...}), so also
 * \\?\GLOBALROOT\, \\?\COM1 and \\?\PIPE\; the pipes and mailslots of a
 * share; and the DOS device names (CON, NUL, COM1, LPT1 ..., also in a folder
 * and with an extension), which the full path service turns into \\.\
 * names. A name it cannot resolve is refused too. */
bool names_device(const wchar_t *name) {
    if (starts_with(name, L"\\\\.\\")) {
        return true;
    }
    if (starts_with(name, L"\\\\?\\")) {
        const wchar_t *rest = name + 4;
        if (starts_with_nocase(rest, L"UNC\\")) {
            return device_share(rest + 4);
        }
        const bool drive = ((rest[0] | 0x20) >= L'a' && (rest[0] | 0x20) <= L'z') &&
                           rest[1] == L':' && rest[2] == L'\\';
        return !drive && !starts_with_nocase(rest, L"Volume{");
    }
    if (separator(name[0]) && separator(name[1]) && device_share(name + 2)) {
        return true;
    }
    // A device's full path is short (\\.\CONOUT$); a longer one is none.
    wchar_t full[32];
    const DWORD length = GetFullPathNameW(name, 32, full, nullptr);
    return length == 0 || (length < 32 && starts_with(full, L"\\\\.\\"));
}

/* Whether an open file is a file on a disk, not a directory. */
bool disk_file(std::FILE *file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    BY_HANDLE_FILE_INFORMATION info{};
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

namespace {

/* Kept apart, as open_long is, so that only long names pay for the buffer. */
__attribute__((noinline)) bool long_attributes(const wchar_t *name,
                                               WIN32_FILE_ATTRIBUTE_DATA &data) {
    wchar_t buffer[PLATFORM_OPEN_NAME_SIZE];
    const wchar_t *const long_name = long_form(name, buffer);
    return long_name != nullptr && GetFileAttributesExW(long_name, GetFileExInfoStandard, &data);
}

} // namespace

int64_t platform_path_size(const char16_t *path) {
    const auto *name = reinterpret_cast<const wchar_t *>(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (names_device(name) ||
        !(opens_as_it_is(name) ? GetFileAttributesExW(name, GetFileExInfoStandard, &data)
                               : long_attributes(name, data)) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return -1;
    }
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

std::FILE *platform_open_read(const char16_t *path) {
    const auto *name = reinterpret_cast<const wchar_t *>(path);
    if (names_device(name)) {
        return nullptr;
    }
    // _wfopen shares the file for reading and writing, as fopen does.
    std::FILE *file = opens_as_it_is(name) ? _wfopen(name, L"rb") : open_long(name);
    // Whatever else the name reached (a pipe, a console, a device by
    // another path) is no file to read to its end.
    if (file != nullptr && !disk_file(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

std::u16string platform_name_beside(std::u16string_view list_path, std::u16string_view name) {
    const bool absolute = (!name.empty() && (name.front() == u'\\' || name.front() == u'/')) ||
                          (name.size() >= 2 && name[1] == u':');
    std::size_t cut = list_path.find_last_of(u"\\/");
    // "C:LIST" has its folder in "C:".
    if (cut == std::u16string_view::npos && list_path.size() >= 2 && list_path[1] == u':')
        cut = 1;
    if (absolute || cut == std::u16string_view::npos)
        return std::u16string(name);
    std::u16string path(list_path.substr(0, cut + 1));
    const std::size_t start = path.size();
    path += name;
    // A \\?\ path is taken as it is: its separators must be backslashes.
    if (path.compare(0, 4, u"\\\\?\\") == 0)
        for (std::size_t i = start; i < path.size(); ++i)
            if (path[i] == u'/')
                path[i] = u'\\';
    return path;
}
