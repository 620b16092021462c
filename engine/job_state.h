/* job_state.h -- the engine's one process-wide job slot.
 *
 * Ordering between the host thread and the worker: the worker publishes
 * job_sum_text and stores job_result, then stores job_status 0 with
 * release; every reader loads job_status with acquire before it looks at the
 * result.
 */
#ifndef TVK_ENGINE_JOB_STATE_H
#define TVK_ENGINE_JOB_STATE_H

#include "sum_text.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tvkengine {

/* Result codes of a file driver and of a job. A read error is not the end
 * of the file: it ends the job without a checksum. */
constexpr int32_t JOB_DONE = 0;
constexpr int32_t JOB_OPEN_FAILED = 1;
constexpr int32_t JOB_CANCELLED = 2;
constexpr int32_t JOB_READ_FAILED = 3;

/* Whether a driver that ended with this result wrote its checksum text. */
constexpr bool job_has_text(int32_t result) {
    return result == JOB_DONE || result == JOB_CANCELLED;
}

/* Values of job_status. JOB_IDLE and JOB_RUNNING are what "getstatus"
 * reports; JOB_SLOT_CLAIMED marks work on the caller's thread that uses the
 * shared buffers (a direct file word, a "newexecute" being set up). It is
 * reported as 0: such work never shows as a running job, but a second
 * file word or "newexecute" cannot start meanwhile. */
constexpr int32_t JOB_IDLE = 0;
constexpr int32_t JOB_RUNNING = 1;
constexpr int32_t JOB_SLOT_CLAIMED = 2;

/* Room for a path: paths of this length or longer are refused, never cut
 * (a cut path would name another file). */
constexpr size_t JOB_FILE_NAME_SIZE = 4096;
/* Room for a UTF-16 path ("newexecutew"): any path Windows takes, 32 767
 * units, and the zero. */
constexpr size_t JOB_WIDE_FILE_NAME_SIZE = 32768;
/* A block: what a paused job moves per sleep, and the unit of every run of
 * bytes a file driver feeds its core, so a cancelled job's checksum covers a
 * whole number of blocks. */
constexpr size_t READ_BLOCK_SIZE = 4096;

/* What one run of a file driver counts and obeys: its progress counters
 * and its pause and cancel flags. A job's run is the one in job_slot, which
 * "getprogress", "pause", "resume" and "cancel" reach; a direct file word
 * runs with one of its own, so nothing sent for a job slows, stops or
 * measures it. */
struct FileRun {
    /* 64-bit, so files of 2 GiB and more are counted right. */
    std::atomic<uint64_t> bytes_done{0};
    std::atomic<int64_t> total_size{0};

    std::atomic<int32_t> pause_flag{0};
    std::atomic<int32_t> cancel_flag{0};

    /* A list job's: the bytes of the entries before the one being read,
     * and the size of all of them; the progress then spans the list. */
    std::atomic<uint64_t> bytes_before{0};
    std::atomic<int64_t> list_total{0};

    /* Clears the counters and the flags before a driver runs. */
    void clear();
};

/* What a job reads: one file with one algorithm ("newexecute"), one file
 * with a set ("newexecuteset"), or a list of files ("newexecutelistw"). */
enum class JobKind { One, Set, List };

struct JobState {
    std::atomic<int32_t> job_status{JOB_IDLE};
    std::atomic<int32_t> job_result{JOB_DONE};
    std::atomic<int32_t> job_selector{0};
    /* Written before the worker starts, read by it only. */
    JobKind job_kind = JobKind::One;
    int32_t job_set[tvkalgo::SUM_SET_MAX_SIZE + 1] = {};
    char job_file_name[JOB_FILE_NAME_SIZE] = {};
    /* The path of a job started by "newexecutew", which then sets
     * job_name_wide; written before the worker starts, read by it only. */
    char16_t job_wide_file_name[JOB_WIDE_FILE_NAME_SIZE] = {};
    bool job_name_wide = false;
    SumText job_sum_text;

    /* The job's counters and flags. */
    FileRun run;
};

/* The slot: all zeros when the library is loaded, never freed. */
extern JobState job_slot;

} // namespace tvkengine

#endif
