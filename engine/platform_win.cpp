/* platform_win.cpp -- Windows services of the engine. */
#include "platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

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

void platform_sleep_ms(unsigned milliseconds) {
    Sleep(milliseconds);
}

void platform_yield() {
    SwitchToThread();
}

void platform_error_line(const char *line) {
    std::fputs(line, stdout);
}

void platform_debug_line(const char *line) {
    OutputDebugStringA(line);
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
