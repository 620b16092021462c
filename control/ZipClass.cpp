// ZipClass.cpp -- engine loading and the call bridge.
#include "ZipClass.h"

#include "sum_sets.h"

#include "Globals.h"

#include <vector>

namespace tvk {

namespace {

// One string as the engine sees it: its narrow bytes and one NUL, in a
// buffer of exactly that length that lives for one call.
std::vector<char> NarrowBuffer(const String &text) {
    String terminated = text;
    terminated += u'\0';
    const std::string bytes = Globals::ToNarrow(terminated);
    return std::vector<char>(bytes.begin(), bytes.end());
}

// The whole buffer back to UTF-16, cut before its first NUL.
String FromBuffer(const std::vector<char> &buffer) {
    String text = Globals::FromNarrow(std::string(buffer.begin(), buffer.end()));
    const auto nul = text.find(u'\0');
    if (nul != String::npos)
        text.erase(nul);
    return text;
}

// A file name as the wide words take it: its UTF-16 units and one zero.
std::uintptr_t WideAddress(const String &name) {
    return reinterpret_cast<std::uintptr_t>(name.c_str());
}

std::uintptr_t Address(std::vector<char> &buffer) {
    return reinterpret_cast<std::uintptr_t>(buffer.data());
}

// A 32-bit value widened to a machine word, sign included.
std::uintptr_t Word(Long value) {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(value));
}

Long Result(std::intptr_t value) {
    return static_cast<Long>(value);
}

} // namespace

Variant ZipClass::Init(const bool &fOrceinit) {
    if (!fOrceinit && fLoaded)
        return {};
    String dir = Globals::ControlModuleFileName();
    const auto cut = dir.find_last_of(u"\\/");
    dir.erase(cut == String::npos ? 0 : cut);
    EnginePath = dir + Globals::PathSeparator + Globals::EngineFileName;

    hEngine = Globals::LoadLibraryPath(EnginePath);
    if (hEngine == 0)
        throw RuntimeError(5003, u"Error loading the required dll " + EnginePath);

    EngineEntry = Globals::GetProcAddressNarrow(hEngine, "interface1");
    if (EngineEntry == 0) {
        Globals::MessageBoxOk(u"Error locating the interface1 function ", ApplicationTitle());
        return {};
    }
    fLoaded = true;
    wideNames =
        CallWindowLONG(u"getwidenames", 0, 0, 0) != 0 ? WideNames::Taken : WideNames::Refused;
    // An entry no list has: the engine answers "not decided" and writes
    // nothing; one older than the set and list words answers 0.
    takesSets = CallWindowLONG(u"getlistentry", -1, 0, 0) == tvkalgo::LIST_ENTRY_PENDING;
    return {};
}

Variant ZipClass::Deinit() {
    if (fLoaded && hEngine != 0)
        Globals::FreeLibraryHandle(hEngine);
    return {};
}

bool ZipClass::EngineReachable() const {
    if (hEngine == 0) {
        Globals::MessageBoxOk(u"error loading the dll", ApplicationTitle());
        return false;
    }
    if (EngineEntry == 0) {
        Globals::MessageBoxOk(u"error locating the interface1 function ", ApplicationTitle());
        return false;
    }
    return true;
}

Long ZipClass::CallWindow2(String &string11, String &string22, String &string33, Long string44) {
    if (!EngineReachable())
        return 0;
    std::vector<char> b11 = NarrowBuffer(string11);
    std::vector<char> b22 = NarrowBuffer(string22);
    std::vector<char> b33 = NarrowBuffer(string33);
    const Long result = Result(
        Globals::CallEntry(EngineEntry, Address(b11), Address(b22), Address(b33), Word(string44)));
    string11 = FromBuffer(b11);
    string22 = FromBuffer(b22);
    string33 = FromBuffer(b33);
    return result;
}

Long ZipClass::CallWindowWide(const String &string11, const String &string22, String &string33,
                              Long string44) {
    if (!EngineReachable())
        return 0;
    std::vector<char> b11 = NarrowBuffer(string11);
    std::vector<char> b33 = NarrowBuffer(string33);
    const Long result = Result(Globals::CallEntry(EngineEntry, Address(b11), WideAddress(string22),
                                                  Address(b33), Word(string44)));
    string33 = FromBuffer(b33);
    return result;
}

bool ZipClass::TakesWideNames() {
    if (wideNames == WideNames::Refused) {
        wideNames = WideNames::RefusalShown;
        Globals::MessageBoxOk(u"The checksum engine " + EnginePath +
                                  u" is older than this control: it cannot open files by their "
                                  u"UTF-16 names, so no file is checksummed until it is replaced "
                                  u"by the engine that came with the control",
                              ApplicationTitle());
    }
    // Unknown: the engine could not be reached; the bridge says so itself.
    return wideNames == WideNames::Taken || wideNames == WideNames::Unknown;
}

Long ZipClass::CallWindow(const String &string11, const String &string22, const String &string33,
                          const String &string44) {
    if (!EngineReachable())
        return 0;
    std::vector<char> b11 = NarrowBuffer(string11);
    std::vector<char> b22 = NarrowBuffer(string22);
    std::vector<char> b33 = NarrowBuffer(string33);
    std::vector<char> b44 = NarrowBuffer(string44);
    return Result(
        Globals::CallEntry(EngineEntry, Address(b11), Address(b22), Address(b33), Address(b44)));
}

Long ZipClass::CallWindowLONG(const String &string11, const Long &string22, const Long &string33,
                              Long string44) {
    if (!EngineReachable())
        return 0;
    std::vector<char> b11 = NarrowBuffer(string11);
    return Result(Globals::CallEntry(EngineEntry, Address(b11), Word(string22), Word(string33),
                                     Word(string44)));
}

} // namespace tvk
