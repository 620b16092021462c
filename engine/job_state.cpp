/* job_state.cpp -- storage of the job slot; all zeros when the library is
 * loaded, never freed. */
#include "job_state.h"

static_assert(std::atomic<uint64_t>::is_always_lock_free,
              "64-bit counters must be lock-free (no libatomic)");
static_assert(std::atomic<int32_t>::is_always_lock_free, "32-bit job state must be lock-free");

std::atomic<int32_t> job_status{0};
std::atomic<int32_t> job_result{0};
std::atomic<int32_t> job_selector{0};
char job_file_name[JOB_FILE_NAME_SIZE];

std::atomic<uint64_t> bytes_done{0};
std::atomic<int64_t> total_size{0};

std::atomic<int32_t> pause_flag{0};
std::atomic<int32_t> cancel_flag{0};

uint8_t read_buffer[READ_BLOCK_SIZE];

void clear_job_counters() {
    bytes_done.store(0, std::memory_order_relaxed);
    total_size.store(0, std::memory_order_relaxed);
    pause_flag.store(0, std::memory_order_relaxed);
    cancel_flag.store(0, std::memory_order_relaxed);
}
