// globals_posix.cpp -- the control's platform functions of its own on
// Linux: the engine's file name, message boxes on standard error, xdg-open
// for links.
#include "Globals.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace tvk {
namespace Globals {

const char16_t PathSeparator = u'/';
const char16_t *const EngineFileName = u"tvkchecksum.so";

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
