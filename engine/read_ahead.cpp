/* read_ahead.cpp -- the reader thread and the hand-over of pieces. */
#include "read_ahead.h"

#include "drivers.h"

#include <chrono>
#include <mutex>

namespace tvkengine {

namespace {

using Hold = std::unique_lock<PlatformLock>;

/* How long a side waits awake before it sleeps: about the time a piece
 * takes to read, so the usual wait for the other side ends without the
 * cost of a sleep and a wake-up. */
constexpr auto AWAKE_WAIT = std::chrono::microseconds(200);

} // namespace

bool ReadAhead::start(std::FILE *file) {
    file_ = file;
    filled_count_ = 0;
    consumed_count_ = 0;
    stopping_ = false;
    running_ = platform_thread_start(reader_, reader_body, this);
    return running_;
}

void ReadAhead::reader_body(void *self) {
    static_cast<ReadAhead *>(self)->read_pieces();
}

template <class Ready> void ReadAhead::await(Side &side, Ready ready) {
    const auto until = std::chrono::steady_clock::now() + AWAKE_WAIT;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= until) {
            Hold hold(lock_);
            side.sleeping = true;
            while (!ready()) {
                side.condition.wait(lock_);
            }
            side.sleeping = false;
            return;
        }
        platform_yield();
    }
}

void ReadAhead::wake(Side &side) {
    if (side.sleeping) {
        // Taking the lock once makes sure the sleeper is inside its wait.
        { Hold hold(lock_); }
        side.condition.notify_one();
    }
}

void ReadAhead::read_pieces() {
    for (size_t index = 0;; ++index) {
        await(reader_side_,
              [&] { return stopping_ || index - consumed_count_ < READ_AHEAD_PIECES; });
        if (stopping_) {
            return;
        }
        // The piece at index is the reader's alone until filled_count_
        // passes it.
        const size_t slot = index % READ_AHEAD_PIECES;
        const int64_t got =
            file_block_reader(file_, ring_ + slot * READ_AHEAD_PIECE_SIZE, READ_AHEAD_PIECE_SIZE);
        sizes_[slot] = got;
        ++filled_count_;
        wake(caller_);
        // A short piece is the end of the file; -1 is an error.
        if (got < static_cast<int64_t>(READ_AHEAD_PIECE_SIZE)) {
            return;
        }
    }
}

ReadAhead::Piece ReadAhead::next() {
    const size_t index = consumed_count_;
    await(caller_, [&] { return filled_count_ != index; });
    const size_t slot = index % READ_AHEAD_PIECES;
    return {ring_ + slot * READ_AHEAD_PIECE_SIZE, sizes_[slot]};
}

void ReadAhead::release() {
    ++consumed_count_;
    wake(reader_side_);
}

void ReadAhead::stop() {
    if (!running_) {
        return;
    }
    stopping_ = true;
    wake(reader_side_);
    platform_thread_join(reader_);
    running_ = false;
}

} // namespace tvkengine
