// fake_engine_scripted.cpp -- an engine library whose interface1 records
// every command and answers from the state a test sets, so the control's job
// handling can be driven step by step.
#include "fake_engine.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(_WIN32)
#define FAKE_EXPORT __declspec(dllexport)
#define FAKE_ENTRY __stdcall
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#define FAKE_ENTRY
#endif

namespace {

struct State {
    int status = 0, result = 0, progress = 0, newexecute = 0;
    int filewrites = 1, cancelsneeded = 0, wide = 1;
    std::string sum, file = "0badf00d", set = "0badf00d 12345678", log;
};
State state;

const char *Text(std::uintptr_t address) {
    return reinterpret_cast<const char *>(address);
}

void Write(std::uintptr_t address, const std::string &text) {
    std::memcpy(reinterpret_cast<char *>(address), text.c_str(), text.size() + 1);
}

bool IsFileWord(const std::string &w) {
    return w == "adler32file" || w == "crc32file" || w == "sha256file" || w == "sha1file" ||
           w == "md5file" || w == "tvk32file" || w == "md532file";
}

// A UTF-16 path as the tests show it: ASCII, other units as \uXXXX.
std::string WideText(std::uintptr_t address) {
    std::string out;
    for (const char16_t *c = reinterpret_cast<const char16_t *>(address); *c != u'\0'; ++c) {
        if (*c < 0x80) {
            out += static_cast<char>(*c);
        } else {
            char unit[8];
            std::snprintf(unit, sizeof unit, "\\u%04x", static_cast<unsigned>(*c));
            out += unit;
        }
    }
    return out;
}

// The wide words: a file word with "w", "newexecutew". Without them (wide
// 0) the engine is one older than them, which knows neither.
bool IsWideWord(const std::string &w) {
    return state.wide && !w.empty() && w.back() == 'w' &&
           (IsFileWord(w.substr(0, w.size() - 1)) || w == "newexecutew");
}

// A set as the tests show it: its selectors, separated by commas.
std::string SetText(std::uintptr_t address) {
    std::string out;
    for (const std::int32_t *s = reinterpret_cast<const std::int32_t *>(address); *s != 0; ++s)
        out += (out.empty() ? "" : ",") + std::to_string(*s);
    return out;
}

bool IsStringWord(const std::string &w) {
    return w.size() > 6 && w.compare(w.size() - 6, 6, "string") == 0;
}

} // namespace

extern "C" FAKE_EXPORT std::intptr_t FAKE_ENTRY interface1(std::uintptr_t a1, std::uintptr_t a2,
                                                           std::uintptr_t a3, std::uintptr_t a4) {
    const std::string word = Text(a1);
    // The load's question whether the wide words are known changes nothing
    // and is not logged.
    if (word == "getwidenames")
        return state.wide;
    // So is the question whether the set and list words are known: an
    // entry no list has is not decided (-1); an engine without them, 0.
    if (word == "getlistentry" && a2 == static_cast<std::uintptr_t>(-1))
        return state.wide ? -1 : 0;
    std::string line = word;
    std::intptr_t answer = 0;
    if (IsFileWord(word) || (IsWideWord(word) && word != "newexecutew")) {
        line += "|" + (IsWideWord(word) ? WideText(a2) : std::string(Text(a2)));
        if (state.filewrites)
            Write(a3, state.file);
        answer = 1;
    } else if (IsStringWord(word)) {
        line += "|" + std::to_string(static_cast<std::intptr_t>(a4));
        Write(a3, "5a5a5a5a");
        answer = 1;
    } else if (word == "newexecute" || IsWideWord(word)) {
        line += "|" + (IsWideWord(word) ? WideText(a2) : std::string(Text(a2))) + "|" +
                std::to_string(static_cast<std::intptr_t>(a4));
        // Selectors 1 to 7 only, as the engine.
        answer = a4 < 1 || a4 > 7 ? 1 : state.newexecute;
        if (answer == 0) {
            state.status = 1;
            state.progress = 0;
        }
    } else if (state.wide && (word == "setfilew" || word == "newexecutesetw")) {
        line += "|" + WideText(a2) + "|" + SetText(a4);
        if (word == "setfilew") {
            if (state.filewrites)
                Write(a3, state.set);
            answer = 1;
        } else if ((answer = state.newexecute) == 0) {
            state.status = 1;
            state.progress = 0;
        }
    } else if (word == "getsums") {
        line += "|" + std::to_string(a3);
        const std::size_t n = state.sum.size() < a3 ? state.sum.size() : a3 - 1;
        std::memcpy(reinterpret_cast<char *>(a2), state.sum.data(), n);
        reinterpret_cast<char *>(a2)[n] = '\0';
        answer = static_cast<std::intptr_t>(n);
    } else if (word == "getstatus") {
        answer = state.status;
    } else if (word == "getprogress") {
        answer = state.progress;
    } else if (word == "getreturnvalue") {
        answer = state.result;
    } else if (word == "getsum") {
        Write(a2, state.sum);
    } else if (word == "cancel") {
        if (state.cancelsneeded > 0 && --state.cancelsneeded == 0) {
            state.status = 0;
            state.result = 2;
        }
    }
    state.log += line + "\n";
    return answer;
}

extern "C" FAKE_EXPORT void fake_set(const char *key, int value) {
    const std::string k = key;
    if (k == "reset")
        state = State();
    else if (k == "status")
        state.status = value;
    else if (k == "result")
        state.result = value;
    else if (k == "progress")
        state.progress = value;
    else if (k == "newexecute")
        state.newexecute = value;
    else if (k == "filewrites")
        state.filewrites = value;
    else if (k == "cancelsneeded")
        state.cancelsneeded = value;
    else if (k == "wide")
        state.wide = value;
}

extern "C" FAKE_EXPORT void fake_set_text(const char *key, const char *text) {
    const std::string k = key;
    if (k == "sum")
        state.sum = text;
    else if (k == "file")
        state.file = text;
    else if (k == "set")
        state.set = text;
}

extern "C" FAKE_EXPORT int fake_log(char *buffer, int size) {
    const int length = static_cast<int>(state.log.size());
    if (buffer && size > 0) {
        const int n = length < size - 1 ? length : size - 1;
        std::memcpy(buffer, state.log.data(), static_cast<std::size_t>(n));
        buffer[n] = '\0';
    }
    return length;
}
