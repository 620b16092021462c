// ZipClass.h -- the engine host: loads the engine library beside the
// control's module, bridges calls into its entry point interface1, and checks
// file names before they reach the engine.
#ifndef TVK_CONTROL_ZIPCLASS_H
#define TVK_CONTROL_ZIPCLASS_H

#include "TVKChecksum.h"

#include <cstddef>
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

    // The bridge of the wide words (a file word with "w" appended,
    // "newexecutew"): string11 and string33 go as in CallWindow2, string22,
    // the file name, as its own UTF-16 units and one zero: no code page
    // comes between the caller's name and the file. string33 comes back cut
    // before its first NUL.
    Long CallWindowWide(const String &string11, const String &string22, String &string33,
                        Long string44);

    // The bridge of the words that take an address as it is (the string
    // words with the caller's own bytes, the HMAC words with their block of
    // four words; "getlistentry" with its index): a2 and a4 go unchanged,
    // string33 is a result buffer of `room` (300) blanks and a NUL, and
    // result gets its text up to the first NUL.
    Long CallWindowAddress(const String &string11, std::uintptr_t a2, std::uintptr_t a4,
                           String &result, std::size_t room = 300);

    // The bridge of the set words ("setfilew", "newexecutesetw"): string11
    // and string22 go as in CallWindowWide, string33 (blanks or nothing) in
    // a buffer of at least `room` bytes filled up with NULs, and the set,
    // selectors ended by a 0, as its address. string33 comes back cut
    // before its first NUL.
    Long CallWindowSet(const String &string11, const String &string22, String &string33,
                       std::size_t room, const std::int32_t *set);
    // The text of the latest set job ("getsums"), read into a buffer of
    // SUM_SET_TEXT_SIZE bytes; empty when the engine gives none.
    String SetJobSums();

    // Whether the engine takes the wide words, learned once at the load
    // with "getwidenames" (an engine older than them answers 0, as to every
    // word it does not know, and the question changes nothing). While it
    // does not, the control says so once, with a message box, and sends it
    // no file name.
    bool TakesWideNames();
    // Whether the engine takes the words of sets and lists ("setfilew",
    // "newexecutesetw", "newexecutelistw"), learned once at the load. An
    // older engine would take them for unknown words and answer 0, which
    // for a job means it runs; the control sends them only to one that
    // knows them.
    bool TakesSets() const { return takesSets; }

    // File name checks: the name is empty; the file can be opened and read
    // under its UTF-16 name as the engine's wide words open it (a regular
    // file, or on Linux a block device). A name holding a NUL or a lone
    // surrogate names no file.
    bool CheckForEmpty(const String &InputFile) const;
    bool CheckInputFile(const String &InputFile) const;

    bool fLoaded = false;
    std::uintptr_t hEngine = 0;     // module handle of the latest load
    std::uintptr_t EngineEntry = 0; // address of interface1 from the latest lookup
    String EnginePath;              // full path passed to the latest load

  private:
    bool EngineReachable() const;
    enum class WideNames { Unknown, Taken, Refused, RefusalShown };
    WideNames wideNames = WideNames::Unknown;
    bool takesSets = false;
};

} // namespace tvk

#endif
