/* commands.cpp -- what each command word does. */
#include "commands.h"

#include "core_set.h"
#include "drivers.h"
#include "job_runner.h"
#include "job_state.h"
#include "platform.h"
#include "progress.h"
#include "set_drivers.h"
#include "sum_text.h"

#include <cstring>

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

namespace {

const char *text_at(uintptr_t address) {
    return reinterpret_cast<const char *>(address);
}
const char16_t *wide_text_at(uintptr_t address) {
    return reinterpret_cast<const char16_t *>(address);
}
char *buffer_at(uintptr_t address) {
    return reinterpret_cast<char *>(address);
}

/* A direct file word: runs the driver on the caller's thread and returns 1.
 * Wide: the path at A2 is zero-terminated UTF-16.
 * While a job (or another file word) holds the slot it is refused with 1
 * and writes nothing: the two would share the file buffer. It clears the
 * job's counters and flags, as a job's start does, but runs with its own:
 * "pause" and "cancel" sent on another thread act on a job only, never on
 * a file word. */
template <class Driver> int32_t in_file_slot(Driver driver) {
    int32_t idle = JOB_IDLE;
    if (!job_slot.job_status.compare_exchange_strong(idle, JOB_SLOT_CLAIMED,
                                                     std::memory_order_acquire)) {
        return 1;
    }
    job_slot.run.clear();
    FileRun own;
    // The driver's own result is not passed on.
    driver(own);
    job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
    return 1;
}

template <Algorithm A, bool Wide> int32_t file_word(uintptr_t a2, uintptr_t a3, uintptr_t) {
    return in_file_slot([&](FileRun &own) {
        if constexpr (Wide) {
            drivers_of(A).wide_file(own, wide_text_at(a2), buffer_at(a3));
        } else {
            drivers_of(A).file(own, text_at(a2), buffer_at(a3));
        }
    });
}

/* A set's file word: as a file word, with the set at A4; 0 for a set that
 * is not valid, which is not looked at further. */
const int32_t *set_at(uintptr_t address) {
    return reinterpret_cast<const int32_t *>(address);
}

template <bool Wide> int32_t set_file_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    if (!SetCore::valid(set_at(a4))) {
        return 0;
    }
    return in_file_slot([&](FileRun &own) {
        if constexpr (Wide) {
            digest_file_set(own, wide_text_at(a2), set_at(a4), buffer_at(a3));
        } else {
            digest_file_set(own, text_at(a2), set_at(a4), buffer_at(a3));
        }
    });
}

/* A string word: exactly A4 bytes at A2, text into A3; job state untouched. */
template <Algorithm A> int32_t string_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    drivers_of(A).string(reinterpret_cast<const uint8_t *>(a2), buffer_at(a3),
                         static_cast<uint32_t>(a4));
    return 1;
}

/* An HMAC word: A2 is the address of four machine words (the key's address
 * and byte count, the data's address and byte count), the text goes into
 * A3. 1 when written; 0, as for an unknown word, for an algorithm without
 * HMAC. Job state untouched. */
template <Algorithm A> int32_t hmac_word(uintptr_t a2, uintptr_t a3, uintptr_t) {
    const uintptr_t *input = reinterpret_cast<const uintptr_t *>(a2);
    const auto *key = reinterpret_cast<const uint8_t *>(input[0]);
    const auto *data = reinterpret_cast<const uint8_t *>(input[2]);
    return hmac_drivers[static_cast<size_t>(A)](key, input[1], data, input[3], buffer_at(a3)) ? 1
                                                                                              : 0;
}

/* The path buffer is the call's own: two threads may ask at once. */
int32_t get_name_a(uintptr_t a2, uintptr_t, uintptr_t) {
    char module_path_text[MODULE_PATH_SIZE];
    char *out = buffer_at(a2);
    const uint32_t length = platform_module_path("tvksum.tvk", module_path_text, MODULE_PATH_SIZE);
    if (length == 0) {
        std::memcpy(out, "no work", sizeof "no work");
        return 1;
    }
    const size_t kept = strnlen(module_path_text, MODULE_PATH_SIZE - 1);
    std::memcpy(out, module_path_text, kept);
    out[kept] = '\0';
    return 1;
}

int32_t new_execute_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    return new_execute(text_at(a2), text_at(a3), static_cast<int32_t>(a4));
}

int32_t new_execute_wide_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    return new_execute_wide(wide_text_at(a2), text_at(a3), static_cast<int32_t>(a4));
}

int32_t new_execute_set_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    return new_execute_set(text_at(a2), text_at(a3), set_at(a4));
}

int32_t new_execute_set_wide_word(uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    return new_execute_set_wide(wide_text_at(a2), text_at(a3), set_at(a4));
}

int32_t new_execute_list_word(uintptr_t a2, uintptr_t a3, uintptr_t) {
    return new_execute_list(wide_text_at(a2), text_at(a3));
}

int32_t get_list_entry(uintptr_t a2, uintptr_t a3, uintptr_t) {
    return job_list_entry(a2, buffer_at(a3));
}

int32_t get_return_value(uintptr_t, uintptr_t, uintptr_t) {
    job_slot.job_status.load(std::memory_order_acquire);
    return job_slot.job_result.load(std::memory_order_relaxed);
}

int32_t get_status(uintptr_t, uintptr_t, uintptr_t) {
    return job_slot.job_status.load(std::memory_order_acquire) == JOB_RUNNING ? 1 : 0;
}

/* Copies job_sum_text with its zero: at most JOB_SUM_TEXT_SIZE bytes. While
 * a job runs that is its initial text, after it the final one. */
int32_t get_sum(uintptr_t a2, uintptr_t, uintptr_t) {
    job_slot.job_status.load(std::memory_order_acquire);
    job_slot.job_sum_text.copy(buffer_at(a2));
    return 0;
}

/* The same, cut to fit A3 bytes: the whole text of a set. */
int32_t get_sums(uintptr_t a2, uintptr_t a3, uintptr_t) {
    if (a3 == 0) {
        return 0;
    }
    job_slot.job_status.load(std::memory_order_acquire);
    return static_cast<int32_t>(job_slot.job_sum_text.copy(buffer_at(a2), a3));
}

int32_t get_progress(uintptr_t, uintptr_t, uintptr_t) {
    return job_progress();
}

/* 1: this engine takes the wide words (UTF-16 paths). An engine without
 * them answers 0, as to every word it does not know; asking changes
 * nothing. */
int32_t get_wide_names(uintptr_t, uintptr_t, uintptr_t) {
    return 1;
}

int32_t pause_word(uintptr_t, uintptr_t, uintptr_t) {
    job_slot.run.pause_flag.store(1, std::memory_order_release);
    return 0;
}

int32_t resume_word(uintptr_t, uintptr_t, uintptr_t) {
    job_slot.run.pause_flag.store(0, std::memory_order_release);
    return 0;
}

/* Both flags: the worker looks at the cancel flag only while paused. */
int32_t cancel_word(uintptr_t, uintptr_t, uintptr_t) {
    job_slot.run.cancel_flag.store(1, std::memory_order_release);
    job_slot.run.pause_flag.store(1, std::memory_order_release);
    return 0;
}

} // namespace

/* The words of each algorithm and its drivers come from its row of the
 * algorithm table; the job words follow. Words are matched exactly, so
 * their order here changes nothing a caller sees. */
#define ALGORITHM_WORDS(Id, ...)                                                                   \
    {facts(Algorithm::Id).string_word, string_word<Algorithm::Id>},                                \
        {facts(Algorithm::Id).file_word, file_word<Algorithm::Id, false>},                         \
        {facts(Algorithm::Id).wide_file_word, file_word<Algorithm::Id, true>},                     \
        {facts(Algorithm::Id).hmac_word, hmac_word<Algorithm::Id>},

// clang-format off
const Command command_table[] = {
    TVK_ALGORITHMS(ALGORITHM_WORDS)
    {"setfile", set_file_word<false>},
    {"setfilew", set_file_word<true>},
    {"getnamea", get_name_a},
    {"newexecute", new_execute_word},
    {"newexecutew", new_execute_wide_word},
    {"getreturnvalue", get_return_value},
    {"getstatus", get_status},
    {"newexecuteset", new_execute_set_word},
    {"newexecutesetw", new_execute_set_wide_word},
    {"newexecutelistw", new_execute_list_word},
    {"getlistentry", get_list_entry},
    {"getsum", get_sum},
    {"getsums", get_sums},
    {"getprogress", get_progress},
    {"getwidenames", get_wide_names},
    {"pause", pause_word},
    {"resume", resume_word},
    {"cancel", cancel_word},
};
// clang-format on

#undef ALGORITHM_WORDS

const size_t command_count = sizeof command_table / sizeof command_table[0];

int32_t run_command(const char *word, uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    if (word == nullptr) {
        return 0;
    }
    // Exact match, terminating zero included: no case folding, no prefixes.
    for (size_t i = 0; i < command_count; ++i) {
        if (std::strcmp(word, command_table[i].word) == 0) {
            return command_table[i].run(a2, a3, a4);
        }
    }
    return 0;
}

} // namespace tvkengine
