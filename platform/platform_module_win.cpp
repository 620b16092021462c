/* platform_module_win.cpp -- what a library built with the static MinGW
 * runtime must give back, or never take, so that each load and free of it
 * leaves the host process as it was. */
#include "platform.h"

#include <windows.h>

#include <pthread.h>

#include <cerrno>
#include <ctime>

/* In a library, the runtime's calls to pthread_once, nanosleep and the
 * thread-key functions go to the functions below instead of winpthreads'
 * own: the link wraps them (tvkmodule, platform/CMakeLists.txt), and
 * platform_module_unloading, which every library calls, brings this file
 * into the link. Winpthreads makes a record for each thread it did not
 * start that calls any of them, with a duplicate of the thread's handle,
 * an event and a TLS slot, and gives it back only when that thread ends: a
 * library freed before then lost them. On x86 the registration of the
 * library's unwind tables calls pthread_once at every load;
 * std::this_thread::sleep_for calls nanosleep; libgcc's emulated
 * thread-local storage, which libstdc++ keeps its exception state in, uses
 * a thread key. */

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

/* Thread keys on fiber-local storage slots, whose callback runs the key's
 * destructor when a thread ends, and for every thread still holding a value
 * when the slot is freed at the unload: nothing is left, and no thread that
 * ends later calls into the freed library. libgcc takes one key; a few
 * suffice. */
namespace {

constexpr int key_count = 4;
struct KeySlot {
    DWORD index = FLS_OUT_OF_INDEXES;
    void (*destructor)(void *) = nullptr;
};
KeySlot key_slots[key_count];
volatile LONG keys_taken = 0;
volatile LONG keys_released = 0; // set at the unload: keys hold nothing after it

template <int N> VOID WINAPI run_destructor(PVOID value) {
    key_slots[N].destructor(value);
}
const PFLS_CALLBACK_FUNCTION key_destructors[key_count] = {run_destructor<0>, run_destructor<1>,
                                                           run_destructor<2>, run_destructor<3>};

} // namespace

extern "C" int __wrap_pthread_key_create(pthread_key_t *key, void (*destructor)(void *)) {
    const LONG n = InterlockedIncrement(&keys_taken) - 1;
    if (n >= key_count)
        return EAGAIN;
    key_slots[n].destructor = destructor;
    const DWORD index = FlsAlloc(destructor ? key_destructors[n] : nullptr);
    if (index == FLS_OUT_OF_INDEXES)
        return EAGAIN;
    key_slots[n].index = index;
    *key = index;
    return 0;
}

extern "C" int __wrap_pthread_key_delete(pthread_key_t key) {
    for (KeySlot &slot : key_slots) {
        if (slot.index == key && slot.index != FLS_OUT_OF_INDEXES) {
            FlsFree(slot.index);
            slot.index = FLS_OUT_OF_INDEXES;
            return 0;
        }
    }
    return EINVAL;
}

extern "C" void *__wrap_pthread_getspecific(pthread_key_t key) {
    if (keys_released)
        return nullptr;
    const DWORD error = GetLastError(); // callers expect it kept
    void *value = FlsGetValue(key);
    SetLastError(error);
    return value;
}

extern "C" int __wrap_pthread_setspecific(pthread_key_t key, const void *value) {
    if (keys_released)
        return 0; // a static destructor after the unload: the value is dropped
    return FlsSetValue(key, const_cast<void *>(value)) ? 0 : EINVAL;
}

namespace __gnu_cxx {
/* libstdc++'s hook that frees the emergency exception arena (some 71 KiB on
 * x64, 18 KiB on x86) that it takes from the C runtime's heap when the
 * library is loaded and does not free when the library is. */
void __freeres();
} // namespace __gnu_cxx

void platform_module_unloading() {
    // The library's own code has finished; its static destructors, which
    // follow, throw nothing into the freed arena.
    __gnu_cxx::__freeres();
    InterlockedExchange(&keys_released, 1);
    for (KeySlot &slot : key_slots) {
        if (slot.index != FLS_OUT_OF_INDEXES) {
            FlsFree(slot.index);
            slot.index = FLS_OUT_OF_INDEXES;
        }
    }
}
