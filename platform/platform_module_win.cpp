/* platform_module_win.cpp -- what a library built with the static MinGW
 * runtime must give back, or never take, so that each load and free of it
 * leaves the host process as it was. */
#include "platform.h"

#include <windows.h>

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace __gnu_cxx {
/* libstdc++'s hook that frees the emergency exception arena (some 71 KiB on
 * x64, 18 KiB on x86) that it takes from the C runtime's heap when the
 * library is loaded and does not free when the library is. */
void __freeres();
} // namespace __gnu_cxx

void platform_module_unloading() {
    // The library's code runs no more after this: nothing can throw into the
    // freed arena.
    __gnu_cxx::__freeres();
}

/* In a library, every call to pthread_once and nanosleep goes to the two
 * functions below instead of winpthreads' own: the link wraps them, and
 * platform_module_unloading, which every library calls, brings this file
 * into the link. Winpthreads makes a record for each thread it did not
 * start that calls either, with a duplicate of the thread's handle, an
 * event and a TLS slot, and gives it back only when that thread ends; a
 * library freed before then lost them. On x86 the registration of the
 * library's unwind tables calls pthread_once at every load, and
 * std::this_thread::sleep_for calls nanosleep. */

/* The once word alone: 0 not run, 2 running, 1 done (winpthreads' "done"). */
static_assert(sizeof(pthread_once_t) == sizeof(LONG), "the once word is a LONG");
extern "C" int __wrap_pthread_once(pthread_once_t *once, void (*init)(void)) {
    volatile LONG *state = reinterpret_cast<volatile LONG *>(once);
    if (InterlockedCompareExchange(state, 2, 0) == 0) {
        init();
        InterlockedExchange(state, 1);
        return 0;
    }
    while (InterlockedCompareExchange(state, 1, 1) != 1)
        SwitchToThread();
    return 0;
}

/* Sleeps at least the time asked, in whole milliseconds; never interrupted. */
extern "C" int __wrap_nanosleep(const struct timespec *request, struct timespec *remain) {
    if (!request || request->tv_sec < 0 || request->tv_nsec < 0 ||
        request->tv_nsec >= 1000000000L) {
        errno = EINVAL;
        return -1;
    }
    unsigned long long ms = static_cast<unsigned long long>(request->tv_sec) * 1000u +
                            static_cast<unsigned long long>(request->tv_nsec + 999999L) / 1000000u;
    while (ms > 0) {
        const DWORD part = ms > 0x7fffffffu ? 0x7fffffffu : static_cast<DWORD>(ms);
        Sleep(part);
        ms -= part;
    }
    if (remain) {
        remain->tv_sec = 0;
        remain->tv_nsec = 0;
    }
    return 0;
}
