// module.cpp -- DllMain, DllCanUnloadNow and the counts behind it.
#include "module.h"

#include "control_window.h"
#include "platform.h"

#include <atomic>

namespace tvkcom {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

} // namespace

HINSTANCE module_instance() {
    return g_instance;
}

std::wstring module_path() {
    const std::u16string path = platform_own_module_path();
    return std::wstring(path.begin(), path.end());
}

void module_object_created() {
    ++g_objects;
}

void module_object_destroyed() {
    if (--g_objects == 0)
        unregister_control_window_class();
}

void module_lock(bool lock) {
    if (lock)
        ++g_locks;
    else
        --g_locks;
}

bool module_can_unload() {
    return g_objects == 0 && g_locks == 0;
}

} // namespace tvkcom

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        tvkcom::g_instance = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Freed by the host (CoFreeUnusedLibraries), not the process ending.
        platform_module_unloading();
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return tvkcom::module_can_unload() ? S_OK : S_FALSE;
}
