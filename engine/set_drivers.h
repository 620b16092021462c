/* set_drivers.h -- a file read once for a set of algorithms (sum_sets.h),
 * and the list job's entries. */
#ifndef TVK_ENGINE_SET_DRIVERS_H
#define TVK_ENGINE_SET_DRIVERS_H

#include <cstddef>
#include <cstdint>

namespace tvkengine {

struct FileRun;

/* The set's checksum texts of the file into output (SUM_SET_TEXT_SIZE
 * bytes) as a file driver writes its text: a driver's result code, output
 * untouched unless it is JOB_DONE or JOB_CANCELLED. set: a valid set. */
int32_t digest_file_set(FileRun &run, const char *path, const int32_t *set, char *output);
int32_t digest_file_set(FileRun &run, const char16_t *path, const int32_t *set, char *output);

/* The list of a list job: copies the entries (sum_sets.h) of a job being
 * set up, replacing the last list; false, nothing replaced, for an empty
 * list, a selector no algorithm has, a path too long for a job, or no
 * memory. Only the holder of the job slot calls it. */
bool store_job_list(const char16_t *entries);

/* The worker's body for a list job: every entry in order; the job's
 * result. */
int32_t run_job_list(FileRun &run);

/* "getlistentry": LIST_ENTRY_PENDING, or the entry's result and, for
 * JOB_DONE, its text into output. */
int32_t job_list_entry(size_t index, char *output);

} // namespace tvkengine

#endif
