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

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "platform.h"

namespace tvkengine {

/* Pieces of 512 KiB: a hand-over (a lock and at times a wake-up) costs
 * little beside reading one; four of them keep the reader a piece or more
 * ahead while staying in the processor's caches. */
constexpr size_t READ_AHEAD_PIECE_SIZE = 512 * 1024;
constexpr size_t READ_AHEAD_PIECES = 4;
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

    uint8_t *ring_;
    std::FILE *file_ = nullptr;
    PlatformThread reader_;
    bool running_ = false;
    std::mutex mutex_;
    std::condition_variable filled_cv_; // the reader has filled a piece
    std::condition_variable freed_cv_;  // the caller has given one back
    int64_t sizes_[READ_AHEAD_PIECES] = {};
    size_t filled_ = 0;   // pieces the reader has filled
    size_t consumed_ = 0; // pieces the caller has given back
    bool stopping_ = false;
};

} // namespace tvkengine

#endif
