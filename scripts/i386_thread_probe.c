/* i386_thread_probe.c -- proves that 32-bit Wine runs threads on this machine.
 * Rounds of worker threads that sleep, wait on events and take a critical
 * section at the same time, as the engine's job and reader threads do. A
 * runner that cannot do this crashes or hangs here instead of in the tests.
 */
#include <stdio.h>
#include <windows.h>

enum { ROUNDS = 8, THREADS = 4, STEPS = 20 };

static CRITICAL_SECTION lock;
static HANDLE go;
static LONG total;

static DWORD WINAPI worker(void *arg) {
    (void)arg;
    if (WaitForSingleObject(go, 10000) != WAIT_OBJECT_0)
        return 1;
    for (int i = 0; i < STEPS; ++i) {
        Sleep(1 + i % 3);
        EnterCriticalSection(&lock);
        ++total;
        LeaveCriticalSection(&lock);
    }
    return 0;
}

int main(void) {
    InitializeCriticalSection(&lock);
    for (int round = 0; round < ROUNDS; ++round) {
        HANDLE threads[THREADS];
        go = CreateEventW(NULL, TRUE, FALSE, NULL);
        for (int t = 0; t < THREADS; ++t) {
            threads[t] = CreateThread(NULL, 0, worker, NULL, 0, NULL);
            if (!threads[t]) {
                printf("CreateThread failed: %lu\n", GetLastError());
                return 1;
            }
        }
        Sleep(20);
        SetEvent(go);
        if (WaitForMultipleObjects(THREADS, threads, TRUE, 30000) != WAIT_OBJECT_0) {
            printf("threads did not end\n");
            return 1;
        }
        for (int t = 0; t < THREADS; ++t) {
            DWORD code = 1;
            GetExitCodeThread(threads[t], &code);
            CloseHandle(threads[t]);
            if (code != 0) {
                printf("a thread failed\n");
                return 1;
            }
        }
        CloseHandle(go);
    }
    if (total != ROUNDS * THREADS * STEPS) {
        printf("lost updates: %ld\n", total);
        return 1;
    }
    printf("threads ok\n");
    return 0;
}
