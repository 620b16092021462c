/* file_drivers.cpp -- checksum of a file in 4096-byte blocks, with progress
 * counters and pause and cancel checks per block. A small file is read
 * block by block into the shared read_buffer; a large one is read ahead by
 * a reader thread while this thread hashes.
 * The text buffers are per call: nothing outside a driver reads them. */
#include "digest_cores.h"
#include "drivers.h"
#include "job_state.h"
#include "output_text.h"
#include "platform.h"
#include "progress.h"
#include "read_ahead.h"

#include <algorithm>
#include <cstdio>

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

BlockReader file_block_reader = platform_read_block;

namespace {

constexpr unsigned PAUSE_SLEEP_MS = 50;

/* One static buffer serves every file driver (one runs at a time): the
 * stream's buffer for a file read block by block, so a 4096-byte block costs
 * a copy instead of a system call; the reader thread's ring for a large
 * file. Page-aligned: the system copies into an aligned buffer fastest. */
alignas(4096) uint8_t file_buffer[READ_AHEAD_RING_SIZE];

/* What happens before each block: a paused job is slowed to one block per
 * sleep, and the cancel flag is looked at only while the pause flag is set.
 * False when the job is cancelled. */
bool may_go_on() {
    if (job_slot.pause_flag.load(std::memory_order_acquire) != 0) {
        platform_sleep_ms(PAUSE_SLEEP_MS);
        if (job_slot.cancel_flag.load(std::memory_order_acquire) != 0) {
            return false;
        }
    }
    return true;
}

/* Reads the file block by block into read_buffer on this thread, feeding
 * each block to core. */
template <class Core> int32_t read_blocks(std::FILE *file, Core &core) {
    for (;;) {
        if (!may_go_on()) {
            return JOB_CANCELLED;
        }
        const int64_t got = file_block_reader(file, job_slot.read_buffer, READ_BLOCK_SIZE);
        if (got < 0) {
            // Not the end of the file: the bytes read so far are no checksum.
            return JOB_READ_FAILED;
        }
        if (got == 0) {
            return JOB_DONE;
        }
        job_slot.bytes_done.fetch_add(static_cast<uint64_t>(got), std::memory_order_relaxed);
        core.update(job_slot.read_buffer, static_cast<uint32_t>(got));
    }
}

/* Hashes the pieces of the reader thread as they come, in 4096-byte blocks,
 * so progress, pause and cancel act per block as in read_blocks. */
template <class Core> int32_t hash_pieces(ReadAhead &reader, Core &core) {
    uint64_t done = 0;
    for (;;) {
        const ReadAhead::Piece piece = reader.next();
        if (piece.size < 0) {
            return JOB_READ_FAILED;
        }
        for (int64_t at = 0; at < piece.size; at += static_cast<int64_t>(READ_BLOCK_SIZE)) {
            if (!may_go_on()) {
                return JOB_CANCELLED;
            }
            const auto block =
                static_cast<uint32_t>(std::min<int64_t>(READ_BLOCK_SIZE, piece.size - at));
            done += block;
            job_slot.bytes_done.store(done, std::memory_order_relaxed);
            core.update(piece.data + at, block);
        }
        reader.release();
        if (piece.size < static_cast<int64_t>(READ_AHEAD_PIECE_SIZE)) {
            return JOB_DONE;
        }
    }
}

/* An 8-bit path as the C runtime takes it; a UTF-16 path through the
 * platform's wide open. */
std::FILE *open_input(const char *path) {
    return std::fopen(path, "rb");
}
std::FILE *open_input(const char16_t *path) {
    return platform_open_read(path);
}

/* Reads the file through core; returns the result code and leaves the
 * checksum text in text, or returns JOB_OPEN_FAILED or JOB_READ_FAILED
 * with text untouched. */
template <class Core, class Char> int32_t read_file(const Char *path, char *text) {
    Core core;
    std::FILE *file = open_input(path);
    if (file == nullptr) {
        platform_error_line("error opening input file \n");
        return JOB_OPEN_FAILED;
    }
    const int64_t size = measure_file_size(path);
    job_slot.total_size.store(size, std::memory_order_relaxed);
    job_slot.bytes_done.store(0, std::memory_order_relaxed);

    int32_t result = JOB_DONE;
    if (size >= READ_AHEAD_MIN_FILE_SIZE) {
        // The reader's pieces go straight from the system into the ring.
        std::setvbuf(file, nullptr, _IONBF, 0);
        ReadAhead reader(file_buffer);
        // Without a thread the file is still read, block by block.
        result = reader.start(file) ? hash_pieces(reader, core) : read_blocks(file, core);
    } else {
        std::setvbuf(file, reinterpret_cast<char *>(file_buffer), _IOFBF, sizeof file_buffer);
        result = read_blocks(file, core);
    }
    std::fclose(file);
    if (result == JOB_READ_FAILED) {
        return result;
    }
    core.text(text);
    return result;
}

template <class Core, Algorithm A, class Char> int32_t digest_file(const Char *path, char *output) {
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
    }                                                                                              \
    int32_t digest_file_##word##w(const char16_t *path, char *output) {                            \
        return digest_file<core##Core, Algorithm::Id>(path, output);                               \
    }
TVK_ALGORITHMS(TVK_DEFINE_FILE_DRIVER)
#undef TVK_DEFINE_FILE_DRIVER

} // namespace tvkengine
