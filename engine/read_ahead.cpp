/* read_ahead.cpp -- the reader thread and the hand-over of pieces. */
#include "read_ahead.h"

#include "drivers.h"

namespace tvkengine {

bool ReadAhead::start(std::FILE *file) {
    file_ = file;
    filled_ = 0;
    consumed_ = 0;
    stopping_ = false;
    running_ = platform_thread_start(reader_, reader_body, this);
    return running_;
}

void ReadAhead::reader_body(void *self) {
    static_cast<ReadAhead *>(self)->read_pieces();
}

void ReadAhead::read_pieces() {
    for (size_t index = 0;; ++index) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            freed_cv_.wait(lock,
                           [&] { return stopping_ || filled_ - consumed_ < READ_AHEAD_PIECES; });
            if (stopping_) {
                return;
            }
        }
        // The piece at index is the reader's alone until filled_ passes it.
        const size_t slot = index % READ_AHEAD_PIECES;
        const int64_t got =
            file_block_reader(file_, ring_ + slot * READ_AHEAD_PIECE_SIZE, READ_AHEAD_PIECE_SIZE);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sizes_[slot] = got;
            ++filled_;
        }
        filled_cv_.notify_one();
        // A short piece is the end of the file; -1 is an error.
        if (got < static_cast<int64_t>(READ_AHEAD_PIECE_SIZE)) {
            return;
        }
    }
}

ReadAhead::Piece ReadAhead::next() {
    std::unique_lock<std::mutex> lock(mutex_);
    filled_cv_.wait(lock, [&] { return filled_ != consumed_; });
    const size_t slot = consumed_ % READ_AHEAD_PIECES;
    return {ring_ + slot * READ_AHEAD_PIECE_SIZE, sizes_[slot]};
}

void ReadAhead::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++consumed_;
    }
    freed_cv_.notify_one();
}

void ReadAhead::stop() {
    if (!running_) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    freed_cv_.notify_one();
    platform_thread_join(reader_);
    running_ = false;
}

} // namespace tvkengine
