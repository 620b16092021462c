/* platform_posix.cpp -- Linux services of the engine. */
#include "platform.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

namespace {

/* Whether a debugger traces this process: TracerPid in /proc/self/status. */
bool debugger_attached() {
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return false;
    }
    char line[256];
    bool traced = false;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            traced = std::strtol(line + 10, nullptr, 10) != 0;
            break;
        }
    }
    std::fclose(status);
    return traced;
}

/* The thread notifications that the Windows loader would report. */
void worker_entry(void (*body)()) {
    platform_debug_line("DLL_THREAD_ATTACH \n");
    body();
    platform_debug_line("DLL_THREAD_DETACH \n");
}

uint32_t copy_path(const char *path, char *out, uint32_t size) {
    const size_t length = strnlen(path, size - 1);
    std::memcpy(out, path, length);
    out[length] = '\0';
    return static_cast<uint32_t>(length);
}

} // namespace

/* The library is linked with -z nodelete, so it stays mapped once loaded
 * and a worker that is still leaving it cannot lose its code. */
bool platform_start_thread(void (*body)()) {
    try {
        std::thread(worker_entry, body).detach();
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

void platform_sleep_ms(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void platform_yield() {
    std::this_thread::yield();
}

void platform_error_line(const char *line) {
    std::fputs(line, stderr);
}

void platform_debug_line(const char *line) {
    if (debugger_attached()) {
        std::fputs(line, stderr);
    }
}

uint32_t platform_module_path(const char *module_name, char *out, uint32_t size) {
    if (void *module = dlopen(module_name, RTLD_LAZY | RTLD_NOLOAD)) {
        link_map *map = nullptr;
        uint32_t length = 0;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
            map->l_name != nullptr) {
            length = copy_path(map->l_name, out, size);
        }
        dlclose(module);
        if (length > 0) {
            return length;
        }
    }
    // No such module: the main program, as on Windows.
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return 0;
    }
    path[length] = '\0';
    return copy_path(path, out, size);
}

int64_t platform_seek_end(std::FILE *file) {
    if (fseeko(file, 0, SEEK_END) != 0) {
        return -1;
    }
    return static_cast<int64_t>(ftello(file));
}
