/* platform_names_posix.cpp -- the services of the control's side on
 * Linux: its own module's path, loading a library, UTF-8 as the narrow
 * code page and names beside a list. Apart from platform_posix.cpp because
 * they use strings, which the engine library does not link. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "platform.h"

#include <dlfcn.h>
#include <link.h>

#include <climits>
#include <cstdlib>

std::u16string platform_own_module_path() {
    Dl_info info{};
    link_map *map = nullptr;
    const void *here = reinterpret_cast<const void *>(&platform_own_module_path);
    std::string path;
    if (dladdr1(here, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) != 0 &&
        map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0') {
        char resolved[PATH_MAX];
        path = realpath(map->l_name, resolved) != nullptr ? resolved : map->l_name;
    } else {
        // This code is linked into the main program.
        char program[PATH_MAX + 1];
        path.assign(program, platform_module_path(nullptr, program, sizeof program));
    }
    return platform_from_ansi(path);
}

/* Lazy binding: a function of the library is looked up at its first call,
 * so a load does not pay for the many a short run never calls. */
std::uintptr_t platform_load_library(const std::u16string &path) {
    return reinterpret_cast<std::uintptr_t>(
        dlopen(platform_to_ansi(path).c_str(), RTLD_LAZY | RTLD_LOCAL));
}

std::uintptr_t platform_library_symbol(std::uintptr_t library, const char *name) {
    if (library == 0) {
        return 0;
    }
    return reinterpret_cast<std::uintptr_t>(dlsym(reinterpret_cast<void *>(library), name));
}

void platform_free_library(std::uintptr_t library) {
    if (library != 0) {
        dlclose(reinterpret_cast<void *>(library));
    }
}

void platform_module_unloading() {}

/* A lone surrogate has no UTF-8 form and becomes '?', as Windows does with
 * characters its code page lacks. */
std::string platform_to_ansi(std::u16string_view text) {
    return platform_utf16_to_utf8(text, U'?');
}

std::u16string platform_from_ansi(std::string_view bytes) {
    return platform_utf8_to_utf16(bytes, nullptr);
}

bool platform_to_ansi_exact(std::u16string_view text, std::string &narrow) {
    for (std::size_t i = 0; i < text.size();) {
        if (platform_is_surrogate(platform_next_code_point(text, i))) {
            return false;
        }
    }
    narrow = platform_to_ansi(text);
    return true;
}

std::u16string platform_name_beside(std::u16string_view list_path, std::u16string_view name) {
    const std::size_t cut = list_path.find_last_of(u'/');
    if ((!name.empty() && name.front() == u'/') || cut == std::u16string_view::npos)
        return std::u16string(name);
    std::u16string path(list_path.substr(0, cut + 1));
    path += name;
    return path;
}
