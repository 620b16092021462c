/* job_runner.cpp -- background file jobs on a detached worker thread. */
#include "job_runner.h"

#include "core_set.h"
#include "drivers.h"
#include "job_state.h"
#include "platform.h"
#include "set_drivers.h"
#include "sum_text.h"

#include <cstring>

namespace tvkengine {

ThreadStarter job_thread_starter = platform_start_thread;

namespace {

/* The file driver of a selector, or nullptr for a number no algorithm has. */
FileDriver file_driver_of(int32_t selector) {
    const tvkalgo::AlgorithmFacts *row = tvkalgo::algorithm_of_selector(selector);
    return row == nullptr ? nullptr : drivers_of(row->id).file;
}

/* Copies at most size - 1 characters of text and a zero into buffer, which
 * it clears first. */
void store_text(char *buffer, size_t size, const char *text) {
    std::memset(buffer, 0, size);
    std::memcpy(buffer, text, strnlen(text, size - 1));
}

/* The worker's own output buffer: "getsum" never sees a text in the making.
 * One worker at a time holds the slot, and only it touches this buffer. */
char worker_text[SUM_TEXT_ROOM];

/* The job's driver over the job's path, 8-bit or UTF-16, or its list. */
int32_t run_job_driver(char *output) {
    FileRun &run = job_slot.run;
    switch (job_slot.job_kind) {
    case JobKind::List:
        return run_job_list(run);
    case JobKind::Set:
        return job_slot.job_name_wide
                   ? digest_file_set(run, job_slot.job_wide_file_name, job_slot.job_set, output)
                   : digest_file_set(run, job_slot.job_file_name, job_slot.job_set, output);
    case JobKind::One:
        break;
    }
    const tvkalgo::AlgorithmFacts *row =
        tvkalgo::algorithm_of_selector(job_slot.job_selector.load(std::memory_order_relaxed));
    const Drivers &drivers = drivers_of(row->id);
    return job_slot.job_name_wide ? drivers.wide_file(run, job_slot.job_wide_file_name, output)
                                  : drivers.file(run, job_slot.job_file_name, output);
}

/* Copies a valid set, its zero included, into job_set. */
void store_set(const int32_t *set) {
    size_t i = 0;
    for (; set[i] != 0; ++i) {
        job_slot.job_set[i] = set[i];
    }
    job_slot.job_set[i] = 0;
}

/* Stores a path that fits its buffer whole, cleared first; false, nothing
 * stored, for one that does not: a cut path would name another file. */
bool store_path(const char *path) {
    if (strnlen(path, JOB_FILE_NAME_SIZE) >= JOB_FILE_NAME_SIZE) {
        return false;
    }
    store_text(job_slot.job_file_name, JOB_FILE_NAME_SIZE, path);
    job_slot.job_name_wide = false;
    return true;
}

bool store_path(const char16_t *path) {
    size_t length = 0;
    while (length < JOB_WIDE_FILE_NAME_SIZE && path[length] != u'\0') {
        ++length;
    }
    if (length >= JOB_WIDE_FILE_NAME_SIZE) {
        return false;
    }
    std::memcpy(job_slot.job_wide_file_name, path, length * sizeof(char16_t));
    std::memset(job_slot.job_wide_file_name + length, 0,
                (JOB_WIDE_FILE_NAME_SIZE - length) * sizeof(char16_t));
    job_slot.job_name_wide = true;
    return true;
}

/* Claims the slot, takes the job's input (take: false refuses it), sets
 * the initial text, checks the algorithm (check: false refuses the job
 * after that), and starts the worker. */
template <class Take, class Check>
int32_t start_job(const char *initial_sum_text, Take take, Check check) {
    // Claim the slot: a running job or a file word on another thread keeps
    // it, and is then left untouched.
    int32_t idle = JOB_IDLE;
    if (!job_slot.job_status.compare_exchange_strong(idle, JOB_SLOT_CLAIMED,
                                                     std::memory_order_acquire)) {
        return 1;
    }
    // A path that does not fit is refused rather than cut.
    if (!take()) {
        job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
        return 1;
    }
    job_slot.job_sum_text.publish(initial_sum_text, JOB_SUM_TEXT_SIZE);
    if (!check()) {
        job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
        return 1;
    }
    job_slot.run.clear();
    // Running before the worker exists, so a "getstatus" after this call
    // sees 1 until the job has ended.
    job_slot.job_status.store(JOB_RUNNING, std::memory_order_release);
    if (!start_job_thread()) {
        // No worker: the job ends here with a failure instead of running
        // for ever.
        job_slot.job_result.store(JOB_OPEN_FAILED, std::memory_order_relaxed);
        job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
        return 1;
    }
    return 0;
}

template <class Char>
int32_t start_one(const Char *path, const char *initial_sum_text, int32_t selector) {
    return start_job(
        initial_sum_text, [&] { return store_path(path); },
        [&] {
            job_slot.job_kind = JobKind::One;
            job_slot.job_selector.store(selector, std::memory_order_relaxed);
            return file_driver_of(selector) != nullptr;
        });
}

template <class Char>
int32_t start_set(const Char *path, const char *initial_sum_text, const int32_t *set) {
    return start_job(
        initial_sum_text, [&] { return store_path(path); },
        [&] {
            if (!SetCore::valid(set)) {
                return false;
            }
            job_slot.job_kind = JobKind::Set;
            store_set(set);
            return true;
        });
}

} // namespace

void job_thread() {
    std::memset(worker_text, 0, sizeof worker_text);
    const int32_t result = run_job_driver(worker_text);
    if (job_has_text(result)) {
        job_slot.job_sum_text.publish(worker_text);
    }
    job_slot.job_result.store(result, std::memory_order_relaxed);
    // Last store to the job state: the sum text and the result are final
    // for whoever sees 0 here.
    job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
}

bool start_job_thread() {
    return job_thread_starter(job_thread);
}

int32_t new_execute(const char *path, const char *initial_sum_text, int32_t selector) {
    return start_one(path, initial_sum_text, selector);
}

int32_t new_execute_wide(const char16_t *path, const char *initial_sum_text, int32_t selector) {
    return start_one(path, initial_sum_text, selector);
}

int32_t new_execute_set(const char *path, const char *initial_sum_text, const int32_t *set) {
    return start_set(path, initial_sum_text, set);
}

int32_t new_execute_set_wide(const char16_t *path, const char *initial_sum_text,
                             const int32_t *set) {
    return start_set(path, initial_sum_text, set);
}

int32_t new_execute_list(const char16_t *entries, const char *initial_sum_text) {
    return start_job(
        initial_sum_text, [&] { return store_job_list(entries); },
        [] {
            job_slot.job_kind = JobKind::List;
            return true;
        });
}

} // namespace tvkengine
