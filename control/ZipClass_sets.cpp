// ZipClass_sets.cpp -- the bridge of the words for several checksums from
// one read: the set goes as the address of its selectors, and the text of
// all the checksums may be longer than the other words' 300 characters.
#include "ZipClass.h"

#include "Globals.h"
#include "sum_sets.h"

#include <vector>

namespace tvk {

namespace {

// The ASCII text the engine left in the buffer, up to its first NUL.
String TextOf(const std::vector<char> &buffer) {
    String text;
    for (const char c : buffer) {
        if (c == '\0')
            break;
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return text;
}

std::uintptr_t Address(const void *p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// The word as the engine reads it: its narrow bytes and one NUL.
std::string Word(const String &word) {
    std::string bytes = Globals::ToNarrow(word);
    bytes += '\0';
    return bytes;
}

} // namespace

Long ZipClass::CallWindowSet(const String &string11, const String &string22, String &string33,
                             std::size_t room, const std::int32_t *set) {
    if (!EngineReachable())
        return 0;
    const std::string word = Word(string11);
    std::vector<char> buffer;
    for (const char16_t c : string33)
        buffer.push_back(static_cast<char>(c));
    buffer.resize(buffer.size() < room ? room : buffer.size() + 1, '\0');
    const auto answer = static_cast<Long>(Globals::CallEntry(EngineEntry, Address(word.data()),
                                                             Address(string22.c_str()),
                                                             Address(buffer.data()), Address(set)));
    string33 = TextOf(buffer);
    return answer;
}

String ZipClass::SetJobSums() {
    if (!EngineReachable())
        return String();
    const std::string word = Word(u"getsums");
    std::vector<char> buffer(tvkalgo::SUM_SET_TEXT_SIZE, '\0');
    Globals::CallEntry(EngineEntry, Address(word.data()), Address(buffer.data()), buffer.size(), 0);
    buffer.back() = '\0';
    return TextOf(buffer);
}

} // namespace tvk
