/* platform_module_win.cpp -- what a library built with the static MinGW
 * runtime must give back, or never take, so that each load and free of it
 * leaves the host process as it was. */
#include "platform.h"

#include <windows.h>

#include <pthread.h>

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

/* pthread_once for the runtime linked into a library (the link wraps every
 * call to it to this one; platform_module_unloading, which every library
 * calls, brings this file into the link). The winpthreads one makes a
 * thread record for its caller, with a duplicate of the thread's handle, an
 * event and a TLS slot, that goes only when the thread ends: on x86 the
 * registration of the library's unwind tables calls it at every load, so
 * each load lost two handles and a TLS slot. This one needs nothing but
 * the once word: 0 not run, 2 running, 1 done (winpthreads' "done" too). */
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
