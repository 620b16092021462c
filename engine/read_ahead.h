/* read_ahead.h -- a reader thread that reads a file in large pieces into a
 * ring of caller-owned buffers while the caller hashes the pieces before
 * them, so reading and hashing overlap.
 *
 * The reader runs only between start() and stop(): no thread outlives the
 * file driver that started it, so the engine library can be unloaded as
 * soon as no driver runs. It reads through file_block_reader, so a read
 * error is seen exactly as in a driver's own reads.
 */
#ifndef TVK_ENGINE_READ_AHEAD_H
#define TVK_ENGINE_READ_AHEAD_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform.h"

namespace tvkengine {

/* Pieces of 128 KiB in a ring of 1 MiB: the bytes are still in the cache
 * the reader's copy left them in when the hashing thread reads them (SHA-1
 * and SHA-256 ran a third faster than with 1 MiB pieces in 4 MiB), reads are
 * large enough that the system copies them at its full speed, and eight
 * pieces keep the reader well ahead. */
constexpr size_t READ_AHEAD_PIECE_SIZE = 128 * 1024;
constexpr size_t READ_AHEAD_PIECES = 8;
constexpr size_t READ_AHEAD_RING_SIZE = READ_AHEAD_PIECE_SIZE * READ_AHEAD_PIECES;

/* From this size on a file is read ahead: below it, making and joining the
 * thread and waking it per piece cost about what the overlap saves
 * (measured on files of 1 to 8 MiB). */
constexpr int64_t READ_AHEAD_MIN_FILE_SIZE = 8 << 20;

class ReadAhead {
  public:
    /* A piece handed to the caller: size bytes at data. A size below
     * READ_AHEAD_PIECE_SIZE is the last piece (0 at the end of a file whose
     * size is a whole number of pieces); -1 is a read error. */
    struct Piece {
        const uint8_t *data;
        int64_t size;
    };

    /* ring: READ_AHEAD_RING_SIZE bytes that nothing else uses until stop(). */
    explicit ReadAhead(uint8_t *ring) : ring_(ring) {}
    ~ReadAhead() { stop(); }
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    /* Starts the reader at the file's position; false when no thread could
     * be made (nothing has been read then). */
    bool start(std::FILE *file);

    /* The next piece, once the reader has it. */
    Piece next();

    /* Gives the piece from next() back to the reader. */
    void release();

    /* Ends the reader after its current read and waits for it. */
    void stop();

  private:
    static void reader_body(void *self);
    void read_pieces();
    /* A side that waits: its condition and whether it sleeps on it. */
    struct Side {
        PlatformCondition condition;
        std::atomic<bool> sleeping{false};
    };
    template <class Ready> void await(Side &side, Ready ready);
    void wake(Side &side);

    uint8_t *ring_;
    std::FILE *file_ = nullptr;
    PlatformThread reader_;
    bool running_ = false;
    /* The counters and flags are sequentially consistent: a thread that
     * goes to sleep sets its sleeping flag and then looks at a counter, the
     * other raises the counter and then looks at that flag, so one of them
     * sees the other (see await and wake). */
    PlatformLock lock_;
    Side caller_;      // waits for the reader to fill a piece
    Side reader_side_; // waits for the caller to give one back
    int64_t sizes_[READ_AHEAD_PIECES] = {};
    std::atomic<size_t> filled_count_{0};   // pieces the reader has filled
    std::atomic<size_t> consumed_count_{0}; // pieces the caller has given back
    std::atomic<bool> stopping_{false};
};

} // namespace tvkengine

#endif
