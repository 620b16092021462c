/* dllmain_win.cpp -- the engine library's initialisation routine: one
 * debugger line per loader notification, success every time; when the
 * library is freed, the static runtime gives back what it took at the load. */
#include "platform.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        platform_debug_line("DLL_PROCESS_ATTACH \n");
        break;
    case DLL_THREAD_ATTACH:
        platform_debug_line("DLL_THREAD_ATTACH \n");
        break;
    case DLL_THREAD_DETACH:
        platform_debug_line("DLL_THREAD_DETACH \n");
        break;
    case DLL_PROCESS_DETACH:
        platform_debug_line("DLL_PROCESS_DETACH \n");
        if (reserved == nullptr) // freed, not the process ending
            platform_module_unloading();
        break;
    default:
        break;
    }
    return TRUE;
}
