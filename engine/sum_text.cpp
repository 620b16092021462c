/* sum_text.cpp -- job_sum_text behind a sequence lock. */
#include "sum_text.h"

#include "platform.h"

#include <cstring>

namespace tvkengine {

void SumText::publish(const char *text, size_t limit) {
    const size_t length = strnlen(text, limit - 1);
    const uint32_t version = version_.load(std::memory_order_relaxed);
    version_.store(version + 1, std::memory_order_relaxed);
    // Release on every byte: a reader that sees a new byte also sees the odd
    // version above, and tries again. (No fences: ThreadSanitizer checks
    // these orderings, and on x86 they cost nothing.)
    // The old text's bytes past the new one are cleared up to its zero.
    for (size_t i = 0; i < SUM_TEXT_ROOM; ++i) {
        const char old = text_[i].load(std::memory_order_relaxed);
        text_[i].store(i < length ? text[i] : '\0', std::memory_order_release);
        if (i >= length && old == '\0') {
            break;
        }
    }
    version_.store(version + 2, std::memory_order_release);
}

size_t SumText::copy(char *out, size_t size) const {
    char copy[SUM_TEXT_ROOM];
    const size_t room = size < SUM_TEXT_ROOM ? size : SUM_TEXT_ROOM;
    for (;;) {
        const uint32_t before = version_.load(std::memory_order_acquire);
        if ((before & 1u) != 0) {
            platform_yield(); // a write is under way; it takes a moment only
            continue;
        }
        size_t length = 0;
        while (length < room - 1 &&
               (copy[length] = text_[length].load(std::memory_order_acquire)) != '\0') {
            ++length;
        }
        // After the acquiring loads: a byte of a newer text means a newer
        // version here.
        if (version_.load(std::memory_order_relaxed) == before) {
            // Only the text and its zero reach the caller's buffer.
            std::memcpy(out, copy, length);
            out[length] = '\0';
            return length;
        }
    }
}

} // namespace tvkengine
