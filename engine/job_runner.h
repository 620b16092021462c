/* job_runner.h -- background file jobs: "newexecute" and the worker. */
#ifndef TVK_ENGINE_JOB_RUNNER_H
#define TVK_ENGINE_JOB_RUNNER_H

#include <cstdint>

namespace tvkengine {

/* Records a job and starts its worker. Returns 0 when the job runs, 1 when
 * it is refused: a job or file word is busy, the path does not fit
 * job_file_name, the selector is not 1 to 9, or no thread could be made. */
int32_t new_execute(const char *path, const char *initial_sum_text, int32_t selector);

/* The same for a zero-terminated UTF-16 path ("newexecutew"), kept in
 * job_wide_file_name and opened as the wide file drivers open it. */
int32_t new_execute_wide(const char16_t *path, const char *initial_sum_text, int32_t selector);

/* The same for a set of selectors (sum_sets.h): refused also for a set
 * that is empty, too long or names a number no algorithm has. */
int32_t new_execute_set(const char *path, const char *initial_sum_text, const int32_t *set);
int32_t new_execute_set_wide(const char16_t *path, const char *initial_sum_text,
                             const int32_t *set);

/* A list job over the entries of "newexecutelistw" (sum_sets.h), which
 * are copied; refused as store_job_list refuses them. */
int32_t new_execute_list(const char16_t *entries, const char *initial_sum_text);

/* The worker's body: runs the job's file driver over its path into a
 * buffer of its own, publishes the checksum text as job_sum_text when the
 * driver wrote one, stores job_result, then job_status 0 (release). */
void job_thread();

/* Starts job_thread on a detached thread; false when that fails. */
bool start_job_thread();

/* How start_job_thread makes its thread: platform_start_thread, which
 * tests may replace to make thread creation fail. */
using ThreadStarter = bool (*)(void (*body)());
extern ThreadStarter job_thread_starter;

} // namespace tvkengine

#endif
