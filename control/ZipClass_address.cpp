// ZipClass_address.cpp -- the bridge of the words that take the caller's
// own memory: nothing is converted or copied on the way in.
#include "ZipClass.h"

#include "Globals.h"

#include <vector>

namespace tvk {

Long ZipClass::CallWindowAddress(const String &string11, std::uintptr_t a2, std::uintptr_t a4,
                                 String &result, std::size_t room) {
    result.clear();
    if (!EngineReachable())
        return 0;
    std::string word = Globals::ToNarrow(string11);
    word += '\0';
    std::vector<char> out(room, ' ');
    out.push_back('\0');
    const auto answer = static_cast<Long>(
        Globals::CallEntry(EngineEntry, reinterpret_cast<std::uintptr_t>(word.data()), a2,
                           reinterpret_cast<std::uintptr_t>(out.data()), a4));
    // The engine writes ASCII digits; anything else left in the buffer is
    // no checksum text.
    result.reserve(out.size());
    for (const char c : out) {
        if (c == '\0')
            break;
        result += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return answer;
}

} // namespace tvk
