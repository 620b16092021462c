/* job_state.h -- the engine's one process-wide job slot and the block
 * buffer that every file driver reads into.
 *
 * Ordering between the host thread and the worker: the worker publishes its
 * sum text (sum_text.h) and stores job_result, then stores job_status 0 with
 * release; every reader loads job_status with acquire before it looks at the
 * result.
 */
#ifndef TVK_ENGINE_JOB_STATE_H
#define TVK_ENGINE_JOB_STATE_H

#include <atomic>
#include <cstddef>
#include <cstdint>

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
/* Room for the sum text: the control sends 300 blanks as the initial text;
 * a longer initial text is cut to 300 characters. Every checksum text is
 * shorter. "getsum" therefore writes at most 301 bytes. */
constexpr size_t JOB_SUM_TEXT_SIZE = 301;
constexpr size_t READ_BLOCK_SIZE = 4096;

extern std::atomic<int32_t> job_status;
extern std::atomic<int32_t> job_result;
extern std::atomic<int32_t> job_selector;
extern char job_file_name[JOB_FILE_NAME_SIZE];

/* Progress counters: 64-bit, so files of 2 GiB and more are counted right. */
extern std::atomic<uint64_t> bytes_done;
extern std::atomic<int64_t> total_size;

extern std::atomic<int32_t> pause_flag;
extern std::atomic<int32_t> cancel_flag;

extern uint8_t read_buffer[READ_BLOCK_SIZE];

/* Clears the counters and the pause and cancel flags before a file driver
 * runs on behalf of a job or a direct file word. */
void clear_job_counters();

#endif
