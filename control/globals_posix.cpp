// globals_posix.cpp -- the platform layer on Linux: dlopen, UTF-8 as the
// narrow code page, message boxes on standard error, xdg-open for links.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "Globals.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tvk {
namespace Globals {

const char16_t PathSeparator = u'/';
const char16_t *const EngineFileName = u"tvkchecksum.so";

std::uintptr_t LoadLibraryPath(const String &path) {
    return reinterpret_cast<std::uintptr_t>(dlopen(ToNarrow(path).c_str(), RTLD_NOW | RTLD_LOCAL));
}

std::uintptr_t GetProcAddressNarrow(std::uintptr_t module, const char *name) {
    if (module == 0)
        return 0;
    return reinterpret_cast<std::uintptr_t>(dlsym(reinterpret_cast<void *>(module), name));
}

void FreeLibraryHandle(std::uintptr_t module) {
    if (module != 0)
        dlclose(reinterpret_cast<void *>(module));
}

std::intptr_t CallEntry(std::uintptr_t entry, std::uintptr_t a1, std::uintptr_t a2,
                        std::uintptr_t a3, std::uintptr_t a4) {
    using Entry = std::intptr_t (*)(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
    return reinterpret_cast<Entry>(entry)(a1, a2, a3, a4);
}

void MessageBoxOk(const String &text, const String &caption) {
    std::string line = ToNarrow(caption) + ": " + ToNarrow(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// UTF-16 to UTF-8. A lone surrogate cannot be represented and becomes '?',
// as Windows does with characters its code page lacks.
std::string ToNarrow(const String &text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-8 to UTF-16; every malformed sequence becomes one U+FFFD.
String FromNarrow(const std::string &bytes) {
    String out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, least = 0x10000;
        } else {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= extra && i + k < n; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                break;
            c = (c << 6) | (t & 0x3F);
        }
        if (k <= extra || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\xFFFD';
            i += k; // skip the lead byte and the continuation bytes seen
            continue;
        }
        i += k;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

String ControlModuleFileName() {
    Dl_info info{};
    struct link_map *map = nullptr;
    const void *here = reinterpret_cast<const void *>(&ControlModuleFileName);
    std::string path;
    if (dladdr1(here, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) != 0 && map &&
        map->l_name && map->l_name[0] != '\0') {
        char resolved[PATH_MAX];
        path = realpath(map->l_name, resolved) ? resolved : map->l_name;
    } else {
        // The control is linked into the main program.
        std::vector<char> buf(PATH_MAX + 1);
        const ssize_t len = readlink("/proc/self/exe", buf.data(), PATH_MAX);
        if (len > 0)
            path.assign(buf.data(), static_cast<std::size_t>(len));
    }
    return FromNarrow(path);
}

void ShellExecuteOpen(std::uintptr_t, const String &operation, const String &file, const String &,
                      const String &) {
    if (operation != u"open")
        return;
    const std::string target = ToNarrow(file);
    // Double fork: the opener runs on its own and leaves no zombie behind.
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0)
        waitpid(child, nullptr, 0);
}

} // namespace Globals
} // namespace tvk
