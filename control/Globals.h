// Globals.h -- the platform functions the control calls, and its constants.
// Those the platform library has are forwarded to it (globals.cpp); the
// control's own are written per platform: globals_*.cpp (the engine's name,
// its call, message boxes, links), file_access_*.cpp (file names, input
// files) and about_view_*.cpp (the About form's view).
#ifndef TVK_CONTROL_GLOBALS_H
#define TVK_CONTROL_GLOBALS_H

#include "TVKChecksum.h"
#include "tvk_version.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tvk {

class Form1;

// The control library's application title: caption of the About form and of
// the engine host's message boxes, and the answer of ControlName.
inline const String &ApplicationTitle() {
    static const String title = u"" TVK_PRODUCT_TITLE;
    return title;
}

namespace Globals {

// Separator and file name of the engine library beside the control's module.
extern const char16_t PathSeparator;
extern const char16_t *const EngineFileName; // "tvkchecksum.dll" / "tvkchecksum.so"

// Loads a library by its full path (the wide loader on Windows, so a folder
// name the ANSI code page cannot hold is found too); 0 when it cannot be
// loaded.
std::uintptr_t LoadLibraryPath(const String &path);
// Address of an exported function; 0 when the library has none of that name.
std::uintptr_t GetProcAddressNarrow(std::uintptr_t module, const char *name);
void FreeLibraryHandle(std::uintptr_t module);

// Calls the engine entry with four machine words, as a window procedure is
// called, and hands back its result.
std::intptr_t CallEntry(std::uintptr_t entry, std::uintptr_t a1, std::uintptr_t a2,
                        std::uintptr_t a3, std::uintptr_t a4);

// A modal message box with an OK button, owned by no window.
void MessageBoxOk(const String &text, const String &caption);

// UTF-16 <-> the narrow code page (CP_ACP on Windows, UTF-8 elsewhere). Both
// convert every unit, embedded NULs included. ToNarrow takes the platform's
// closest character (best fit, '?') for one the code page lacks: right for
// texts, never for file names.
std::string ToNarrow(const String &text);
String FromNarrow(const std::string &bytes);

// Full path of the module file that holds the control's code: the OCX, or
// the program the control is linked into.
String ControlModuleFileName();

// An input file opened for reading by its UTF-16 name with the platform's
// input open, the one the engine's wide file words use (platform.h), if it
// is one the engine can read to its end: a regular file (on Linux a block
// device too). Directories, pipes, sockets, character devices and (on
// Windows) device names in every form are refused, devices before anything
// opens them, and nothing about the check can block. The name holds no NUL
// and no lone surrogate (the caller has made sure).
class InputFileReader {
  public:
    explicit InputFileReader(const String &name);
    ~InputFileReader();
    InputFileReader(const InputFileReader &) = delete;
    InputFileReader &operator=(const InputFileReader &) = delete;

    bool IsOpen() const { return open_; }
    std::int64_t Length() const { return length_; }
    // Reads up to size bytes from the current position; false on a read error.
    bool Read(unsigned char *buffer, std::size_t size);

  private:
    std::FILE *file_ = nullptr;
    bool open_ = false;
    std::int64_t length_ = 0;
};

// Asks the shell to perform an operation ("open") on a document or address.
// The result is not reported: a target that cannot be opened does nothing.
void ShellExecuteOpen(std::uintptr_t ownerWindow, const String &operation, const String &file,
                      const String &parameters, const String &directory);

// Shows the About form modally and returns when it has been closed. When the
// user pressed Exit, the form has been released by then and must not be
// touched any more.
void ShowAboutForm(Form1 &form);

} // namespace Globals
} // namespace tvk

#endif
