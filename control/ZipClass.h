// ZipClass.h -- the engine host: loads the engine library beside the
// control's module, bridges calls into its entry point interface1, and checks
// file names before they reach the engine.
#ifndef TVK_CONTROL_ZIPCLASS_H
#define TVK_CONTROL_ZIPCLASS_H

#include "TVKChecksum.h"

#include <cstdint>

namespace tvk {

class ZipClass {
  public:
    // Loads the engine unless it is loaded already (or fOrceinit is true).
    // Throws RuntimeError 5003 when the library cannot be loaded; shows a
    // message box when it has no interface1.
    Variant Init(const bool &fOrceinit);
    bool IsLoaded() const { return fLoaded; }
    // Frees the library; the control calls it once, while it terminates.
    Variant Deinit();

    // The call bridge. Every string goes to the engine as a fresh buffer of
    // its narrow bytes plus one NUL; integers as 32-bit signed values. With
    // no library or no entry point the bridge shows its message, touches
    // nothing and answers 0.
    // CallWindow2: the three strings come back as the engine left their
    // buffers, each cut before its first NUL.
    Long CallWindow2(String &string11, String &string22, String &string33, Long string44);
    Long CallWindow(const String &string11, const String &string22, const String &string33,
                    const String &string44);
    Long CallWindowLONG(const String &string11, const Long &string22, const Long &string33,
                        Long string44);

    // File name checks: the name is empty; the file can be opened and read
    // (a regular file, or on Linux a block device, under its narrow name).
    bool CheckForEmpty(const String &InputFile) const;
    bool CheckInputFile(const String &InputFile) const;
    // Replaces InputFile by the name the engine is to open it under, one
    // whose narrow conversion is exact (the name itself or its short name).
    // False, InputFile untouched, when the file has no such name.
    bool NameForEngine(String &InputFile) const;

    bool fLoaded = false;
    std::uintptr_t hEngine = 0;     // module handle of the latest load
    std::uintptr_t EngineEntry = 0; // address of interface1 from the latest lookup
    String EnginePath;              // full path passed to the latest load

  private:
    bool EngineReachable() const;
};

} // namespace tvk

#endif
