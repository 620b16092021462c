/* job_state.cpp -- storage of the job slot. */
#include "job_state.h"

namespace tvkengine {

static_assert(std::atomic<uint64_t>::is_always_lock_free,
              "64-bit counters must be lock-free (no libatomic)");
static_assert(std::atomic<int32_t>::is_always_lock_free, "32-bit job state must be lock-free");

JobState job_slot;

void FileRun::clear() {
    bytes_done.store(0, std::memory_order_relaxed);
    total_size.store(0, std::memory_order_relaxed);
    pause_flag.store(0, std::memory_order_relaxed);
    cancel_flag.store(0, std::memory_order_relaxed);
    bytes_before.store(0, std::memory_order_relaxed);
    list_total.store(0, std::memory_order_relaxed);
}

} // namespace tvkengine
