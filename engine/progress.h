/* progress.h -- file size and percentage of a job. */
#ifndef TVK_ENGINE_PROGRESS_H
#define TVK_ENGINE_PROGRESS_H

#include <cstdint>
#include <cstdio>

namespace tvkengine {

/* Size of the file at path in bytes (64-bit); 0 when it cannot be opened. */
int64_t measure_file_size(const char *path);
/* The same for a zero-terminated UTF-16 path, opened as the wide file
 * drivers open it. */
int64_t measure_file_size(const char16_t *path);

/* Size of the file a driver has open at path: what the system records for
 * a regular file, so no second open is needed; otherwise measure_file_size. */
int64_t measure_open_file_size(std::FILE *file, const char *path);
int64_t measure_open_file_size(std::FILE *file, const char16_t *path);

/* 100.0 / total, times done, truncated toward zero; 0 when either is 0. */
int32_t percent_of(int64_t total, uint64_t done);

/* The answer of "getprogress": percent_of the job counters, limited to 0
 * to 100; 0 while either counter is 0. */
int32_t job_progress();

} // namespace tvkengine

#endif
