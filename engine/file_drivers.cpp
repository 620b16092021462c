/* file_drivers.cpp -- checksum of a file read in 4096-byte blocks into the
 * shared read_buffer, with progress counters and pause and cancel checks.
 * The text buffers are per call: nothing outside a driver reads them. */
#include "digest_cores.h"
#include "drivers.h"
#include "job_state.h"
#include "output_text.h"
#include "platform.h"
#include "progress.h"

#include <cstdio>

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

BlockReader file_block_reader = platform_read_block;

namespace {

constexpr unsigned PAUSE_SLEEP_MS = 50;

/* The stream reads ahead in large pieces, so a 4096-byte block costs a copy
 * instead of a system call. One file driver runs at a time (they share
 * read_buffer too), so one static buffer serves them all. */
constexpr size_t STREAM_BUFFER_SIZE = 1 << 20;
char stream_buffer[STREAM_BUFFER_SIZE];

/* Reads the file through core; returns the result code and leaves the
 * checksum text in text, or returns JOB_OPEN_FAILED or JOB_READ_FAILED
 * with text untouched. */
template <class Core> int32_t read_file(const char *path, char *text) {
    Core core;
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr) {
        platform_error_line("error opening input file \n");
        return JOB_OPEN_FAILED;
    }
    std::setvbuf(file, stream_buffer, _IOFBF, STREAM_BUFFER_SIZE);
    job_slot.total_size.store(measure_file_size(path), std::memory_order_relaxed);
    job_slot.bytes_done.store(0, std::memory_order_relaxed);

    int32_t result = JOB_DONE;
    for (;;) {
        // A paused job is slowed to one block per sleep; the cancel flag is
        // looked at only while the pause flag is set.
        if (job_slot.pause_flag.load(std::memory_order_acquire) != 0) {
            platform_sleep_ms(PAUSE_SLEEP_MS);
            if (job_slot.cancel_flag.load(std::memory_order_acquire) != 0) {
                result = JOB_CANCELLED;
                break;
            }
        }
        const int64_t got = file_block_reader(file, job_slot.read_buffer, READ_BLOCK_SIZE);
        if (got < 0) {
            // Not the end of the file: the bytes read so far are no checksum.
            std::fclose(file);
            return JOB_READ_FAILED;
        }
        if (got == 0) {
            break;
        }
        job_slot.bytes_done.fetch_add(static_cast<uint64_t>(got), std::memory_order_relaxed);
        core.update(job_slot.read_buffer, static_cast<uint32_t>(got));
    }
    std::fclose(file);
    core.text(text);
    return result;
}

template <class Core, Algorithm A> int32_t digest_file(const char *path, char *output) {
    static_assert(Core::TEXT_SIZE > facts(A).digits, "the core's text holds the digits");
    char text[Core::TEXT_SIZE] = {};
    const int32_t result = read_file<Core>(path, text);
    if (job_has_text(result)) {
        put_text(output, text, facts(A).digits, facts(A).file_output_size);
    }
    return result;
}

} // namespace

#define TVK_DEFINE_FILE_DRIVER(Id, word, core, ...)                                                \
    int32_t digest_file_##word(const char *path, char *output) {                                   \
        return digest_file<core##Core, Algorithm::Id>(path, output);                               \
    }
TVK_ALGORITHMS(TVK_DEFINE_FILE_DRIVER)
#undef TVK_DEFINE_FILE_DRIVER

} // namespace tvkengine
