/* progress.cpp -- file size and percentage of a job. */
#include "progress.h"

#include "job_state.h"
#include "platform.h"

#include <cstdio>
#include <limits>

namespace tvkengine {

namespace {

int64_t size_of(std::FILE *file) {
    if (file == nullptr) {
        return 0;
    }
    const int64_t size = platform_seek_end(file);
    std::fclose(file);
    return size;
}

} // namespace

int64_t measure_file_size(const char *path) {
    return size_of(std::fopen(path, "rb"));
}

int64_t measure_file_size(const char16_t *path) {
    return size_of(platform_open_read(path));
}

namespace {

template <class Char> int64_t open_file_size(std::FILE *file, const Char *path) {
    const int64_t size = platform_regular_file_size(file);
    return size >= 0 ? size : measure_file_size(path);
}

} // namespace

int64_t measure_open_file_size(std::FILE *file, const char *path) {
    return open_file_size(file, path);
}

int64_t measure_open_file_size(std::FILE *file, const char16_t *path) {
    return open_file_size(file, path);
}

int32_t percent_of(int64_t total, uint64_t done) {
    if (total == 0 || done == 0) {
        return 0;
    }
    // The division comes first, so a file read to its end can show 99.
    const double percent = 100.0 / static_cast<double>(total) * static_cast<double>(done);
    // Out-of-range values are limited here; converting them would be undefined.
    if (percent >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (percent <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(percent);
}

int32_t job_progress() {
    const FileRun &run = job_slot.run;
    const int64_t list_total = run.list_total.load(std::memory_order_relaxed);
    const uint64_t done = run.bytes_before.load(std::memory_order_relaxed) +
                          run.bytes_done.load(std::memory_order_relaxed);
    const int64_t total =
        list_total != 0 ? list_total : run.total_size.load(std::memory_order_relaxed);
    if (done == 0 || total == 0) {
        return 0;
    }
    const int32_t percent = percent_of(total, done);
    if (percent > 100) {
        return 100;
    }
    if (percent < 0) {
        return 0;
    }
    return percent;
}

} // namespace tvkengine
