/* dllmain_win.cpp -- the engine library's initialisation routine: one
 * debugger line per loader notification, success every time. */
#include <windows.h>

namespace {

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

void debug_line(const char *line) {
    if (debug_output_watched()) {
        OutputDebugStringA(line);
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        debug_line("DLL_PROCESS_ATTACH \n");
        break;
    case DLL_THREAD_ATTACH:
        debug_line("DLL_THREAD_ATTACH \n");
        break;
    case DLL_THREAD_DETACH:
        debug_line("DLL_THREAD_DETACH \n");
        break;
    case DLL_PROCESS_DETACH:
        debug_line("DLL_PROCESS_DETACH \n");
        break;
    default:
        break;
    }
    return TRUE;
}
