/* platform_posix.cpp -- the services on Linux: threads, dlopen, /proc,
 * UTF-8 as the narrow code page. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

/* Whether a debugger traces this process: TracerPid in /proc/self/status,
 * read with one system call (the line comes early in the file). */
bool read_tracer() {
    const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char text[1024];
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) {
        return false;
    }
    text[got] = '\0';
    const char *line = std::strstr(text, "\nTracerPid:");
    return line != nullptr && std::strtol(line + 11, nullptr, 10) != 0;
}

/* Asked once per process: the answer costs an open and a read of a file
 * the kernel composes, on every load and unload of the engine otherwise. */
bool debugger_attached() {
    // 0 not yet asked, 1 no, 2 yes; two threads asking at once both read.
    static std::atomic<int> traced{0};
    int answer = traced.load(std::memory_order_relaxed);
    if (answer == 0) {
        answer = read_tracer() ? 2 : 1;
        traced.store(answer, std::memory_order_relaxed);
    }
    return answer == 2;
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

/* The path of the running program into out, as copy_path; 0 when unknown. */
uint32_t program_path(char *out, uint32_t size) {
    char path[PATH_MAX + 1];
    const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    if (length <= 0) {
        return 0;
    }
    path[length] = '\0';
    return copy_path(path, out, size);
}

} // namespace

/* A library that starts threads here is linked with -z nodelete (the engine
 * is), so it stays mapped once loaded and a worker that is still leaving it
 * cannot lose its code. */
namespace {

void *detached_entry(void *body) {
    worker_entry(reinterpret_cast<void (*)()>(body));
    return nullptr;
}

} // namespace

/* pthreads directly rather than std::thread: nothing of the C++ runtime's
 * threads and exceptions is linked into a library that loads this. */
bool platform_start_thread(void (*body)()) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_t id;
    const bool started =
        pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
        pthread_create(&id, &attributes, detached_entry, reinterpret_cast<void *>(body)) == 0;
    pthread_attr_destroy(&attributes);
    return started;
}

namespace {

void *joined_entry(void *parameter) {
    const PlatformThread &thread = *static_cast<const PlatformThread *>(parameter);
    thread.body(thread.argument);
    return nullptr;
}

} // namespace

bool platform_thread_start(PlatformThread &thread, void (*body)(void *), void *argument) {
    static_assert(sizeof(pthread_t) <= sizeof thread.handle, "a pthread_t fits the handle");
    thread.body = body;
    thread.argument = argument;
    pthread_t id;
    if (pthread_create(&id, nullptr, joined_entry, &thread) != 0) {
        return false;
    }
    thread.handle = 0;
    std::memcpy(&thread.handle, &id, sizeof id);
    return true;
}

void platform_thread_join(PlatformThread &thread) {
    pthread_t id;
    std::memcpy(&id, &thread.handle, sizeof id);
    pthread_join(id, nullptr);
    thread.handle = 0;
}

namespace {

pthread_mutex_t *mutex(unsigned char *storage) {
    static_assert(sizeof(pthread_mutex_t) <= 64, "a mutex fits the storage");
    return reinterpret_cast<pthread_mutex_t *>(storage);
}

pthread_cond_t *condition(unsigned char *storage) {
    static_assert(sizeof(pthread_cond_t) <= 64, "a condition fits the storage");
    return reinterpret_cast<pthread_cond_t *>(storage);
}

} // namespace

PlatformLock::PlatformLock() {
    pthread_mutex_init(mutex(storage_), nullptr);
}

PlatformLock::~PlatformLock() {
    pthread_mutex_destroy(mutex(storage_));
}

void PlatformLock::lock() {
    pthread_mutex_lock(mutex(storage_));
}

void PlatformLock::unlock() {
    pthread_mutex_unlock(mutex(storage_));
}

PlatformCondition::PlatformCondition() {
    pthread_cond_init(condition(storage_), nullptr);
}

PlatformCondition::~PlatformCondition() {
    pthread_cond_destroy(condition(storage_));
}

void PlatformCondition::wait(PlatformLock &lock) {
    pthread_cond_wait(condition(storage_), mutex(lock.storage_));
}

void PlatformCondition::notify_one() {
    pthread_cond_signal(condition(storage_));
}

void platform_sleep_ms(unsigned milliseconds) {
    timespec rest{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

void platform_yield() {
    sched_yield();
}

void platform_leave_core() {
    // The shortest sleep: the timer's slack (some 50 us) makes it.
    timespec moment{0, 1000};
    nanosleep(&moment, nullptr);
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
    void *module = module_name != nullptr ? dlopen(module_name, RTLD_LAZY | RTLD_NOLOAD) : nullptr;
    if (module != nullptr) {
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
    return program_path(out, size);
}

int64_t platform_seek_end(std::FILE *file) {
    if (fseeko(file, 0, SEEK_END) != 0) {
        return -1;
    }
    return static_cast<int64_t>(ftello(file));
}

int64_t platform_regular_file_size(std::FILE *file) {
    struct stat st {};
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

int64_t platform_read_at(std::FILE *file, int64_t offset, uint8_t *buffer, size_t size) {
    const int fd = fileno(file);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, buffer + got, size - got, static_cast<off_t>(offset + got));
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

std::FILE *platform_reopen_read(std::FILE *) {
    return nullptr; // pread serves both threads on the one descriptor
}

namespace {

/* The UTF-8 bytes of a zero-terminated UTF-16 path and a zero, in out (size
 * bytes); false for a lone surrogate (no UTF-8 form) or a path that does not
 * fit. The same bytes as platform_to_ansi_exact, without allocating. */
bool utf8_path(const char16_t *path, char *out, size_t size) {
    const std::u16string_view text(path);
    size_t at = 0;
    char bytes[4];
    for (size_t i = 0; i < text.size();) {
        const char32_t c = platform_next_code_point(text, i);
        if (platform_is_surrogate(c)) {
            return false;
        }
        const size_t count = platform_put_utf8(c, bytes);
        if (size - at <= count) {
            return false; // no room for the character and the zero
        }
        std::memcpy(out + at, bytes, count);
        at += count;
    }
    out[at] = '\0';
    return true;
}

} // namespace

const char16_t *platform_open_name(const char16_t *path, char16_t *) {
    return path;
}

namespace {

/* Regular files and block devices end; FIFOs, sockets and character devices
 * may block or never end, and directories cannot be read. */
bool ends(mode_t mode) {
    return S_ISREG(mode) || S_ISBLK(mode);
}

} // namespace

int64_t platform_path_size(const char16_t *path) {
    char name[PATH_MAX];
    struct stat st {};
    if (!utf8_path(path, name, sizeof name) || stat(name, &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

std::FILE *platform_open_read(const char16_t *path) {
    // The system takes no longer path (PATH_MAX counts the zero).
    char name[PATH_MAX];
    if (!utf8_path(path, name, sizeof name)) {
        return nullptr;
    }
    // The kind first: opening a FIFO would wait for a writer, and opening a
    // device can have effects of its own.
    struct stat st {};
    if (stat(name, &st) != 0 || !ends(st.st_mode)) {
        return nullptr;
    }
    // Without waiting and without a controlling terminal, in case something
    // else has taken the name's place since.
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    std::FILE *file = nullptr;
    if (fstat(fd, &st) == 0 && ends(st.st_mode) && flags != -1 &&
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
        file = fdopen(fd, "rb");
    }
    if (file == nullptr) {
        close(fd);
    }
    return file;
}
