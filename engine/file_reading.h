/* file_reading.h -- how the file drivers read a file and feed its bytes to
 * a core: the first read straight into file_buffer, then direct reads, or
 * for a large regular file the two threads of read_ahead.h. Templates over
 * the core, shared by the drivers of one algorithm and of a set. */
#ifndef TVK_ENGINE_FILE_READING_H
#define TVK_ENGINE_FILE_READING_H

#include "digest_cores.h"
#include "drivers.h"
#include "job_state.h"
#include "platform.h"
#include "progress.h"
#include "read_ahead.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tvkengine {

constexpr unsigned PAUSE_SLEEP_MS = 50;

/* One static buffer serves every file driver (one runs at a time): the
 * target of a small file's reads, the pieces of the two threads that read a
 * large one. Page-aligned: the system copies into an aligned buffer fastest.
 * Pages the reads never reach take no memory. */
extern uint8_t file_buffer[READ_AHEAD_RING_SIZE];

/* Feeds size bytes at data, just read from the file, to core. done counts
 * the bytes fed so far; publish(done) is called before each run is fed.
 * While the pause flag is clear the run is up to HASH_RUN_SIZE bytes, so the
 * core works on long stretches and the flags and progress still change
 * every few microseconds. While it is set the job is slowed to one block
 * per sleep, and the cancel flag is looked at only then. False when the job
 * is cancelled (done is then a whole number of blocks). */
template <class Core, class Publish>
bool feed_piece(const FileRun &run_state, const uint8_t *data, int64_t size, Core &core,
                uint64_t &done, Publish publish) {
    for (int64_t at = 0; at < size;) {
        int64_t run = static_cast<int64_t>(HASH_RUN_SIZE);
        if (run_state.pause_flag.load(std::memory_order_acquire) != 0) {
            platform_sleep_ms(PAUSE_SLEEP_MS);
            if (run_state.cancel_flag.load(std::memory_order_acquire) != 0) {
                return false;
            }
            run = static_cast<int64_t>(READ_BLOCK_SIZE);
        }
        run = std::min(run, size - at);
        done += static_cast<uint64_t>(run);
        publish(done);
        core.update(data + at, static_cast<uint32_t>(run));
        at += run;
    }
    return true;
}

/* feed_piece with bytes_done as the progress. */
template <class Core>
bool hash_piece(FileRun &run_state, const uint8_t *data, int64_t size, Core &core, uint64_t &done) {
    return feed_piece(run_state, data, size, core, done, [&run_state](uint64_t count) {
        run_state.bytes_done.store(count, std::memory_order_relaxed);
    });
}

/* Whether a cancel has been seen: the cancel flag counts only while the
 * pause flag is set. */
inline bool cancelling(const FileRun &run_state) {
    return run_state.pause_flag.load(std::memory_order_acquire) != 0 &&
           run_state.cancel_flag.load(std::memory_order_acquire) != 0;
}

/* Reads the rest of the file on this thread, DIRECT_READ_SIZE bytes at a
 * time straight into file_buffer, and hashes each read there; done counts
 * the bytes hashed before. A short read is the end of the file. */
template <class Core>
int32_t read_direct(FileRun &run_state, std::FILE *file, Core &core, uint64_t done) {
    for (;;) {
        // A cancelled job does not wait for a read (of a pipe, say) that
        // may never come.
        if (cancelling(run_state)) {
            return JOB_CANCELLED;
        }
        const int64_t got = file_block_reader(file, file_buffer, DIRECT_READ_SIZE);
        if (got < 0) {
            // Not the end of the file: the bytes read so far are no checksum.
            return JOB_READ_FAILED;
        }
        if (!hash_piece(run_state, file_buffer, got, core, done)) {
            return JOB_CANCELLED;
        }
        if (got < static_cast<int64_t>(DIRECT_READ_SIZE)) {
            return JOB_DONE;
        }
    }
}

/* The hashing of one file's pieces, whichever thread holds the turn. */
template <class Core> struct PieceHasher {
    FileRun &run_state;
    Core &core;
    uint64_t done;

    PieceHasher(FileRun &run, Core &piece_core, uint64_t before, size_t)
        : run_state(run), core(piece_core), done(before) {}

    static bool hash(void *self, size_t, const uint8_t *data, int64_t size) {
        auto &hasher = *static_cast<PieceHasher *>(self);
        return hash_piece(hasher.run_state, data, size, hasher.core, hasher.done);
    }
    static constexpr ReadAhead::PreparePiece prepare = nullptr;
};

/* For a core whose input splits into subtrees (BLAKE3): each thread
 * computes the chaining values of the piece it read as soon as it has read
 * it, so both threads hash at once, and in its turn only pushes them. A
 * piece read while a pause is requested, or that is no whole number of
 * subtrees, is fed to the core in its turn as any other, so a pause still
 * slows the job to one block per sleep. */
template <> struct PieceHasher<Blake3Core> {
    static constexpr size_t MAX_SUBTREES =
        READ_AHEAD_RING_SIZE / READ_AHEAD_THREADS / Blake3Core::SUBTREE_SIZE;
    /* The chaining values of a piece read by one thread, and how many. */
    struct Prepared {
        uint8_t cvs[MAX_SUBTREES][32];
        size_t count = 0;
    };

    FileRun &run_state;
    Blake3Core &core;
    uint64_t done;
    const uint64_t start; // the offset of piece 0
    const size_t piece_size;
    /* One per thread: a piece's values are made and used by the thread
     * that read it (index % READ_AHEAD_THREADS). */
    Prepared prepared[READ_AHEAD_THREADS];

    PieceHasher(FileRun &run, Blake3Core &piece_core, uint64_t before, size_t piece)
        : run_state(run), core(piece_core), done(before), start(before), piece_size(piece) {}

    bool paused() const { return run_state.pause_flag.load(std::memory_order_acquire) != 0; }

    static void prepare(void *self, size_t index, const uint8_t *data, int64_t size) {
        auto &hasher = *static_cast<PieceHasher *>(self);
        Prepared &slot = hasher.prepared[index % READ_AHEAD_THREADS];
        slot.count = 0;
        const uint64_t offset = hasher.start + index * hasher.piece_size;
        const auto bytes = static_cast<size_t>(size);
        if (hasher.paused() || bytes % Blake3Core::SUBTREE_SIZE != 0 ||
            offset % Blake3Core::SUBTREE_SIZE != 0 ||
            bytes / Blake3Core::SUBTREE_SIZE > MAX_SUBTREES) {
            return;
        }
        for (size_t at = 0; at < bytes; at += Blake3Core::SUBTREE_SIZE) {
            Blake3Core::subtree_cv(data + at, offset + at, slot.cvs[slot.count++]);
        }
    }

    static bool hash(void *self, size_t index, const uint8_t *data, int64_t size) {
        auto &hasher = *static_cast<PieceHasher *>(self);
        Prepared &slot = hasher.prepared[index % READ_AHEAD_THREADS];
        // The values serve this piece only: an empty piece at the end (its
        // read gave nothing, so prepare did not run) finds none.
        const size_t count = std::exchange(slot.count, 0);
        if (count == 0 || hasher.paused()) {
            return hash_piece(hasher.run_state, data, size, hasher.core, hasher.done);
        }
        for (size_t i = 0; i < count; ++i) {
            hasher.core.push_subtree(slot.cvs[i]);
        }
        hasher.done += static_cast<uint64_t>(size);
        hasher.run_state.bytes_done.store(hasher.done, std::memory_order_relaxed);
        return true;
    }
};

/* An 8-bit path as the C runtime takes it; a UTF-16 path through the
 * platform's wide open. */
inline std::FILE *open_input(const char *path) {
    return std::fopen(path, "rb");
}
inline std::FILE *open_input(const char16_t *path) {
    return platform_open_read(path);
}

/* The rest of a large regular file from offset start, read and hashed by
 * two threads; done counts the bytes hashed before. A set of cores
 * (core_set.h) has a reading of its own. */
template <class Core>
int32_t read_large(FileRun &run_state, std::FILE *file, int64_t start, size_t piece_size,
                   Core &core, uint64_t done) {
    ReadAhead reader(file_buffer, piece_size);
    PieceHasher<Core> hasher(run_state, core, done, piece_size);
    return reader.run(file, start, PieceHasher<Core>::hash, &hasher, PieceHasher<Core>::prepare);
}

/* Reads the open file through core. The first read is a direct one: a
 * file that ends within it (most files) is then whole, and its size is
 * what was read, with no system call to ask it. A longer one goes on in
 * direct reads, or, a regular file of 8 MiB or more, in pieces of
 * piece_size bytes read and hashed by two threads. */
template <class Core, class Char>
int32_t read_open_file(FileRun &run_state, std::FILE *file, const Char *path, size_t piece_size,
                       Core &core) {
    if (cancelling(run_state)) {
        run_state.total_size.store(measure_open_file_size(file, path), std::memory_order_relaxed);
        return JOB_CANCELLED;
    }
    const int64_t got = file_block_reader(file, file_buffer, DIRECT_READ_SIZE);
    if (got < 0) {
        return JOB_READ_FAILED;
    }
    const bool whole = got < static_cast<int64_t>(DIRECT_READ_SIZE);
    const int64_t size = whole ? got : measure_open_file_size(file, path);
    run_state.total_size.store(size, std::memory_order_relaxed);
    uint64_t done = 0;
    if (!hash_piece(run_state, file_buffer, got, core, done)) {
        return JOB_CANCELLED;
    }
    if (whole) {
        return JOB_DONE;
    }
    if (size >= READ_AHEAD_MIN_FILE_SIZE && platform_regular_file_size(file) >= 0) {
        return read_large(run_state, file, got, piece_size, core, done);
    }
    return read_direct(run_state, file, core, done);
}

/* Reads the file through core; returns the result code. */
template <class Core, class Char>
int32_t read_file(FileRun &run_state, const Char *path, size_t piece_size, Core &core) {
    std::FILE *file = open_input(path);
    if (file == nullptr) {
        platform_error_line("error opening input file \n");
        return JOB_OPEN_FAILED;
    }
    run_state.total_size.store(0, std::memory_order_relaxed);
    run_state.bytes_done.store(0, std::memory_order_relaxed);
    // Every read goes straight from the system into file_buffer: the
    // stream's own buffer would cost a second copy.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const int32_t result = read_open_file(run_state, file, path, piece_size, core);
    std::fclose(file);
    return result;
}

} // namespace tvkengine

#endif
