/* platform.h -- the operating-system services of every part of the project:
 * the engine, the control, the COM layer and tvksum call these and nothing
 * of the system directly for them. One implementation per platform
 * (platform_win.cpp, platform_posix.cpp, and platform_screen_*.cpp, kept
 * apart so that the engine does not import the window system), plus what
 * is the same everywhere (platform_common.cpp).
 */
#ifndef TVK_PLATFORM_H
#define TVK_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

/* --- Threads and time --------------------------------------------------- */

/* Starts body() on a new detached thread. The thread keeps the module that
 * holds this code loaded until it has left it. Returns false when no thread
 * could be created (body is then never called). */
bool platform_start_thread(void (*body)());

/* A thread its starter waits for. platform_thread_start runs body(argument)
 * on a new thread and returns false when none could be made; every thread
 * it started is ended by one platform_thread_join, which waits for body to
 * return. The PlatformThread stays in place until then (the thread reads its
 * body from it). Neither allocates: the system's own thread record is all. */
struct PlatformThread {
    std::uintptr_t handle = 0;
    void (*body)(void *) = nullptr;
    void *argument = nullptr;
};
bool platform_thread_start(PlatformThread &thread, void (*body)(void *), void *argument);
void platform_thread_join(PlatformThread &thread);

/* A lock, and a condition to wait on under it, for threads of one process;
 * neither allocates. On Windows an SRW lock and a condition variable, which
 * Wine serves without a round trip to its server (the C runtime's pthread
 * emulation would take several per hand-over); elsewhere pthreads. The
 * lock meets BasicLockable, so std::unique_lock holds it. */
class PlatformLock {
  public:
    PlatformLock();
    ~PlatformLock();
    PlatformLock(const PlatformLock &) = delete;
    PlatformLock &operator=(const PlatformLock &) = delete;
    void lock();
    void unlock();

  private:
    friend class PlatformCondition;
    alignas(16) unsigned char storage_[64];
};

class PlatformCondition {
  public:
    PlatformCondition();
    ~PlatformCondition();
    PlatformCondition(const PlatformCondition &) = delete;
    PlatformCondition &operator=(const PlatformCondition &) = delete;
    /* Releases the held lock, waits for a notify (or wakes spuriously),
     * takes the lock again. */
    void wait(PlatformLock &lock);
    void notify_one();

  private:
    alignas(16) unsigned char storage_[64];
};

void platform_sleep_ms(unsigned milliseconds);

/* Lets another thread run before the caller goes on. */
void platform_yield();

/* Leaves the core for a moment, as a sleep does, so that the system may
 * wake the caller on another core: for a thread that finds it shares its
 * core with a busy one while others are idle. Where the system moves a
 * ready thread to an idle core by itself (Windows), a yield. */
void platform_leave_core();

/* --- Diagnostic lines --------------------------------------------------- */

/* One line for a debugger: OutputDebugStringA on Windows while a debugger
 * or a debug monitor watches (the line is skipped otherwise); on Linux the
 * line goes to standard error only while a debugger (tracer) is attached. */
void platform_debug_line(const char *line);

/* The engine's line for a file it cannot open: standard output on Windows;
 * standard error on Linux, where standard output carries a host's results. */
void platform_error_line(const char *line);

/* --- Modules ------------------------------------------------------------ */

/* Full path of the loaded module with the given file name, or of the main
 * program when no such module is loaded or module_name is null, in the
 * narrow code page, into out (size bytes, always zero-terminated when
 * something is returned). Returns the length of the path, 0 on failure. */
uint32_t platform_module_path(const char *module_name, char *out, uint32_t size);

/* Full path of the module file that holds this code: the library it is
 * linked into, or the program. Taken in UTF-16 on Windows, so a folder name
 * the ANSI code page cannot hold stays intact; empty on failure. */
std::u16string platform_own_module_path();

/* Loads a library by its full path (the wide loader on Windows); 0 when it
 * cannot be loaded. */
std::uintptr_t platform_load_library(const std::u16string &path);

/* Address of an exported function; 0 when the library has none of that
 * name or the library is 0. */
std::uintptr_t platform_library_symbol(std::uintptr_t library, const char *name);

/* Releases a library from platform_load_library; 0 is ignored. */
void platform_free_library(std::uintptr_t library);

/* For a library's own unload notification, when the library is freed while
 * the process goes on (not at process exit), as the last of its code that
 * runs: gives back what the static C++ runtime took at the load. Windows
 * libraries link tvkmodule for it (platform/CMakeLists.txt); elsewhere
 * there is nothing to give back. */
void platform_module_unloading();

/* --- Files -------------------------------------------------------------- */

/* Position of the end of an open file, as a 64-bit number (files of 2 GiB
 * and more); negative on failure. Moves the file position to the end. */
int64_t platform_seek_end(std::FILE *file);

/* Size of an open regular file, from the system's record of it, without
 * moving the file position; negative for anything else (a pipe, a device),
 * whose size only a seek could tell. */
int64_t platform_regular_file_size(std::FILE *file);

/* Reads up to size bytes of an open file into buffer, as one C runtime read;
 * a read that a signal interrupted is taken up again. Returns the number of
 * bytes read (fewer than size only at the end of the file), or -1 on a read
 * error, whatever it had read before the error. */
int64_t platform_read_block(std::FILE *file, uint8_t *buffer, size_t size);

/* Reads up to size bytes of an open regular file from offset on, without
 * the stream: several threads may read one file at once, each at its own
 * offset. Returns the number of bytes read (fewer than size only at the end
 * of the file), or -1 on a read error. Leaves the stream's position
 * undefined. */
int64_t platform_read_at(std::FILE *file, int64_t offset, uint8_t *buffer, size_t size);

/* A stream of its own on the open file, for a second thread's positioned
 * reads, to close with fclose: on Windows, which takes the reads of one
 * handle one at a time, a second handle; nullptr where the one stream
 * serves both threads at once (POSIX) or no second one could be made. */
std::FILE *platform_reopen_read(std::FILE *file);

/* Longest UTF-16 path the system's wide API takes, in units, without its
 * zero. */
constexpr std::size_t PLATFORM_WIDE_PATH_MAX = 32767;

/* Room for platform_open_name's buffer: the longest path, the prefix
 * (\\?\UNC\) that it may gain in front, and the zero. */
constexpr std::size_t PLATFORM_OPEN_NAME_SIZE = PLATFORM_WIDE_PATH_MAX + 8;

/* The name under which the wide API opens the zero-terminated UTF-16 path.
 * On Windows: the path itself while it and its full path are shorter than
 * MAX_PATH, or already in the \\?\ or \\.\ form; otherwise its full path,
 * resolved as the system resolves it for this process (current folder, '.',
 * '..', '/'), in the \\?\ form (\\?\UNC\ for \\server\share\...), written
 * into buffer (PLATFORM_OPEN_NAME_SIZE units); nullptr when that cannot be
 * made. Elsewhere the path itself. Allocates nothing. */
const char16_t *platform_open_name(const char16_t *path, char16_t *buffer);

/* Opens an input for binary reading by its zero-terminated UTF-16 path, the
 * way the engine reads it: the one open of the engine's wide words and of
 * the control's check of a name. Shared as the C runtime's fopen "rb"
 * shares it; nullptr when it cannot be opened or is no file that ends.
 * On Windows through the wide API under platform_open_name; a name that
 * reaches a device (\\.\ and \\?\ device names, \\?\GLOBALROOT\, the
 * pipes of a share, CON, NUL, COM1, LPT1 ... also in a folder and with an
 * extension) is refused before anything opens it, and whatever else is no
 * disk file (a pipe, a console, a directory) after the open. Elsewhere
 * under the path's UTF-8 bytes, as platform_to_ansi_exact makes them (a
 * path with a lone surrogate names no file); only regular files and block
 * devices, looked up before the open, which does not wait. Allocates
 * nothing. */
std::FILE *platform_open_read(const char16_t *path);

/* A file name as a checksum list in list_path names it: the name itself
 * when it is absolute (on Windows also "\\x", "/x" and "C:..." names),
 * else the name in the list's folder (the name itself when list_path has
 * no folder part). */
std::u16string platform_name_beside(std::u16string_view list_path, std::u16string_view name);

/* The size of the regular file a UTF-16 path names, looked up without
 * opening it; -1 for anything else or nothing. Only an estimate for
 * progress: the file may change before it is read. */
int64_t platform_path_size(const char16_t *path);

/* --- Text --------------------------------------------------------------- */

/* The one reader of UTF-16 text: the character at text[i] (i < size), with
 * i moved past it. A surrogate pair is one character; a lone surrogate comes
 * back as itself (0xD800-0xDFFF, which is no character) for the caller to
 * refuse or replace. */
char32_t platform_next_code_point(std::u16string_view text, std::size_t &i);

constexpr bool platform_is_surrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

/* The one UTF-8 encoder: the bytes of character c (no surrogate, at most
 * U+10FFFF), 1 to 4 of them, into out; returns their count. */
std::size_t platform_put_utf8(char32_t c, char out[4]);

/* UTF-16 to UTF-8. An unpaired surrogate cannot be represented and becomes
 * the character unpaired. */
std::string platform_utf16_to_utf8(std::u16string_view text, char32_t unpaired);

/* UTF-8 to UTF-16; every malformed sequence (bad lead byte, cut or broken
 * sequence, overlong form, surrogate, beyond U+10FFFF) becomes one U+FFFD,
 * and *malformed (when given) is set to whether there was any. */
std::u16string platform_utf8_to_utf16(std::string_view bytes, bool *malformed);

/* UTF-16 <-> the narrow code page of the system (CP_ACP on Windows, UTF-8
 * elsewhere). Both convert every unit, embedded NULs included. To the narrow
 * code page, a character it lacks becomes the platform's closest one (best
 * fit, '?'): right for texts, never for file names. */
std::string platform_to_ansi(std::u16string_view text);
std::u16string platform_from_ansi(std::string_view bytes);

/* UTF-16 to the narrow code page with nothing approximated: false when a
 * character has no exact counterpart there (on Linux: a lone surrogate). */
bool platform_to_ansi_exact(std::u16string_view text, std::string &narrow);

/* Whether two ASCII texts are equal when case is ignored. */
bool platform_equal_nocase(std::string_view a, std::string_view b);

/* --- Screen ------------------------------------------------------------- */

enum class PlatformAxis { horizontal, vertical };

/* Pixels per logical inch of the screen along axis, as a window (a handle,
 * 0 for the whole screen) sees it; 96 when it cannot be had. */
int platform_screen_dpi(std::uintptr_t window, PlatformAxis axis);

#endif
