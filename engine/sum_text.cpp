/* sum_text.cpp -- job_sum_text behind a sequence lock. */
#include "sum_text.h"

#include "job_state.h"
#include "platform.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {

std::atomic<char> job_sum_text[JOB_SUM_TEXT_SIZE];
/* Even: the text is whole. Odd: a write is under way. */
std::atomic<uint32_t> sum_text_version{0};

} // namespace

void publish_sum_text(const char *text) {
    const size_t length = strnlen(text, JOB_SUM_TEXT_SIZE - 1);
    const uint32_t version = sum_text_version.load(std::memory_order_relaxed);
    sum_text_version.store(version + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (size_t i = 0; i < JOB_SUM_TEXT_SIZE; ++i) {
        job_sum_text[i].store(i < length ? text[i] : '\0', std::memory_order_relaxed);
    }
    sum_text_version.store(version + 2, std::memory_order_release);
}

size_t copy_sum_text(char *out) {
    char copy[JOB_SUM_TEXT_SIZE];
    for (;;) {
        const uint32_t before = sum_text_version.load(std::memory_order_acquire);
        if ((before & 1u) != 0) {
            platform_yield(); // a write is under way; it takes a moment only
            continue;
        }
        size_t length = 0;
        while (length < JOB_SUM_TEXT_SIZE - 1 &&
               (copy[length] = job_sum_text[length].load(std::memory_order_relaxed)) != '\0') {
            ++length;
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sum_text_version.load(std::memory_order_relaxed) == before) {
            // Only the text and its zero reach the caller's buffer.
            std::memcpy(out, copy, length);
            out[length] = '\0';
            return length;
        }
    }
}
