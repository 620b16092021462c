/* engine_library.cpp -- loading the engine library in the tests. */
#include "engine_library.h"

#include <chrono>
#include <cstring>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

std::string test_program_path() {
#if defined(_WIN32)
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
#else
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
#endif
}

std::string test_program_dir() {
    const std::string path = test_program_path();
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string engine_library_path() {
#if defined(_WIN32)
    return test_program_dir() + "tvkchecksum.dll";
#else
    return test_program_dir() + "tvkchecksum.so";
#endif
}

EngineLibrary::EngineLibrary(const std::string &path) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(path.c_str());
    handle_ = module;
    if (module != nullptr) {
        entry_ = reinterpret_cast<Interface1>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "interface1")));
    }
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
        entry_ = reinterpret_cast<Interface1>(dlsym(handle_, "interface1"));
    }
#endif
}

EngineLibrary::~EngineLibrary() {
    if (handle_ == nullptr) {
        return;
    }
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

int32_t EngineLibrary::call(const char *word, const void *a2, const void *a3, uintptr_t a4) const {
    const intptr_t r = entry_(reinterpret_cast<uintptr_t>(word), reinterpret_cast<uintptr_t>(a2),
                              reinterpret_cast<uintptr_t>(a3), a4);
    return static_cast<int32_t>(r);
}

std::string EngineLibrary::sum() const {
    char buffer[512];
    std::memset(buffer, 0x5a, sizeof buffer);
    call("getsum", buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

bool EngineLibrary::wait_idle() const {
    for (int i = 0; i < 120000; ++i) {
        if (status() == 0) {
            return true;
        }
        sleep_ms(1);
    }
    return false;
}

EngineLibrary &engine() {
    static EngineLibrary library(engine_library_path());
    return library;
}

void sleep_ms(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
