/* job_runner.cpp -- background file jobs on a detached worker thread. */
#include "job_runner.h"

#include "drivers.h"
#include "job_state.h"
#include "platform.h"
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
char worker_text[JOB_SUM_TEXT_SIZE];

} // namespace

void job_thread() {
    const FileDriver driver = file_driver_of(job_slot.job_selector.load(std::memory_order_relaxed));
    std::memset(worker_text, 0, sizeof worker_text);
    const int32_t result = driver(job_slot.job_file_name, worker_text);
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
    // Claim the slot: a running job or a file word on another thread keeps
    // it, and is then left untouched.
    int32_t idle = JOB_IDLE;
    if (!job_slot.job_status.compare_exchange_strong(idle, JOB_SLOT_CLAIMED,
                                                     std::memory_order_acquire)) {
        return 1;
    }
    // A path that does not fit is refused rather than cut.
    if (strnlen(path, JOB_FILE_NAME_SIZE) >= JOB_FILE_NAME_SIZE) {
        job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
        return 1;
    }
    store_text(job_slot.job_file_name, JOB_FILE_NAME_SIZE, path);
    job_slot.job_sum_text.publish(initial_sum_text);
    job_slot.job_selector.store(selector, std::memory_order_relaxed);

    if (file_driver_of(selector) == nullptr) {
        job_slot.job_status.store(JOB_IDLE, std::memory_order_release);
        return 1;
    }
    job_slot.clear_counters();
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

} // namespace tvkengine
