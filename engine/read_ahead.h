/* read_ahead.h -- a large file read and hashed by two threads: thread k
 * reads pieces k, k + 2, ... each at its own offset, so both copy from the
 * system at once, and the threads take turns only to hash, in file order.
 * Each piece is hashed by the thread that read it, from the cache its copy
 * left it in, so no piece moves between cores.
 *
 * The second thread runs only inside run(): no thread outlives the file
 * driver that started it, so the engine library can be unloaded as soon as
 * no driver runs. Pieces are read through file_piece_reader, which tests
 * may replace to make reads fail.
 */
#ifndef TVK_ENGINE_READ_AHEAD_H
#define TVK_ENGINE_READ_AHEAD_H

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform.h"

namespace tvkengine {

/* Room for the pieces of both threads. A piece is the algorithm's read size
 * (its row of the algorithm table): 1 MiB for the fast cores, reads large
 * enough that the system copies at its full speed; 128 KiB for the digests,
 * which stays in the cache of the core that hashes it. */
constexpr size_t READ_AHEAD_THREADS = 2;
constexpr size_t READ_AHEAD_RING_SIZE = READ_AHEAD_THREADS << 20;

/* From this size on a file is read by two threads: below it, making and
 * joining the thread costs about what the overlap saves (measured on files
 * of 1 to 8 MiB). */
constexpr int64_t READ_AHEAD_MIN_FILE_SIZE = 8 << 20;

class ReadAhead {
  public:
    /* Hashes size bytes at data, piece number index of the run; false when
     * the run is cancelled. Called by one thread at a time, in file order. */
    using HashPiece = bool (*)(void *context, size_t index, const uint8_t *data, int64_t size);
    /* Optional: the part of a piece's hashing that needs no order, done by
     * the thread that read the piece as soon as it has, while the other
     * thread may hash its own. The same thread's HashPiece call for that
     * piece follows; no other piece comes between them on that thread. */
    using PreparePiece = void (*)(void *context, size_t index, const uint8_t *data, int64_t size);

    /* ring: READ_AHEAD_RING_SIZE bytes that nothing else uses during run();
     * piece_size: at most READ_AHEAD_RING_SIZE / READ_AHEAD_THREADS. */
    ReadAhead(uint8_t *ring, size_t piece_size) : ring_(ring), piece_size_(piece_size) {}
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    /* Reads the regular file from offset start to its end in pieces and
     * hands each to hash, on this thread and a second one (on this one alone
     * when no thread could be made). A piece shorter than piece_size is the
     * last: a file that shrinks ends there, one that grows is read on to
     * its new end. Returns JOB_DONE, JOB_READ_FAILED (every piece before the
     * failed read has been hashed) or JOB_CANCELLED. */
    int32_t run(std::FILE *file, int64_t start, HashPiece hash, void *context,
                PreparePiece prepare = nullptr);

  private:
    static void helper_body(void *self);
    void work(size_t first);
    void finish(int32_t result);
    /* A thread that waits: its condition and whether it sleeps on it. */
    struct Side {
        PlatformCondition condition;
        std::atomic<bool> sleeping{false};
        std::chrono::steady_clock::time_point left_core; // by its thread, last
    };
    template <class Ready> void await(Side &side, Ready ready);
    void wake(Side &side);

    uint8_t *ring_;
    size_t piece_size_;
    std::FILE *file_ = nullptr;
    std::FILE *helper_file_ = nullptr; // the second thread's, or nullptr
    int64_t start_ = 0;
    HashPiece hash_ = nullptr;
    PreparePiece prepare_ = nullptr;
    void *context_ = nullptr;
    size_t threads_ = READ_AHEAD_THREADS;
    PlatformThread helper_;
    /* The counter and flags are sequentially consistent: a thread that goes
     * to sleep sets its sleeping flag and then looks at the counter, the
     * other raises the counter and then looks at that flag, so one of them
     * sees the other (see await and wake). */
    PlatformLock lock_;
    Side sides_[READ_AHEAD_THREADS];
    std::atomic<size_t> hashed_count_{0}; // pieces hashed
    std::atomic<bool> stopping_{false};   // no more reads or hashes
    std::atomic<int32_t> result_{0};
};

} // namespace tvkengine

#endif
