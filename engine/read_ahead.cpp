/* read_ahead.cpp -- the two threads and their turns. */
#include "read_ahead.h"

#include "drivers.h"
#include "job_state.h"

#include <chrono>
#include <mutex>

namespace tvkengine {

namespace {

using Hold = std::unique_lock<PlatformLock>;

/* How long a thread waits awake before it sleeps: about the time a piece
 * takes to hash, so the usual wait for the other thread ends without the
 * cost of a sleep and a wake-up. */
constexpr auto AWAKE_WAIT = std::chrono::microseconds(200);

/* A yield that kept the thread off its core this long gave the core to
 * another thread, most likely the other reader: the two were started on one
 * core, and while both keep running the system leaves them there, each
 * waiting in turn for the other (half the speed, in about one large file
 * of four here). The waiter then leaves its core for a moment, at most once
 * a millisecond, and the system wakes it on an idle one. A host's poll, a
 * few microseconds, stays below this; a piece's read and hash, some 50 us
 * and more, above. */
constexpr auto SHARED_CORE_YIELD = std::chrono::microseconds(25);
constexpr auto LEAVE_CORE_INTERVAL = std::chrono::milliseconds(1);

} // namespace

int32_t ReadAhead::run(std::FILE *file, int64_t start, HashPiece hash, void *context,
                       PreparePiece prepare) {
    file_ = file;
    start_ = start;
    hash_ = hash;
    prepare_ = prepare;
    context_ = context;
    hashed_count_ = 0;
    stopping_ = false;
    result_ = JOB_DONE;
    threads_ = READ_AHEAD_THREADS;
    // The second thread's own stream, where the system needs one to read
    // at two offsets at once.
    helper_file_ = platform_reopen_read(file);
    const bool helped = platform_thread_start(helper_, helper_body, this);
    if (!helped) {
        // Without a second thread this one takes every turn.
        threads_ = 1;
    }
    work(0);
    if (helped) {
        platform_thread_join(helper_);
    }
    if (helper_file_ != nullptr) {
        std::fclose(helper_file_);
        helper_file_ = nullptr;
    }
    return result_;
}

void ReadAhead::helper_body(void *self) {
    static_cast<ReadAhead *>(self)->work(1);
}

template <class Ready> void ReadAhead::await(Side &side, Ready ready) {
    auto before = std::chrono::steady_clock::now();
    const auto until = before + AWAKE_WAIT;
    while (!ready()) {
        platform_yield();
        auto after = std::chrono::steady_clock::now();
        if (after - before >= SHARED_CORE_YIELD && after - side.left_core >= LEAVE_CORE_INTERVAL) {
            side.left_core = after;
            platform_leave_core();
            after = std::chrono::steady_clock::now();
        }
        if (after >= until) {
            Hold hold(lock_);
            side.sleeping = true;
            while (!ready()) {
                side.condition.wait(lock_);
            }
            side.sleeping = false;
            return;
        }
        before = after;
    }
}

void ReadAhead::wake(Side &side) {
    if (side.sleeping) {
        // Taking the lock once makes sure the sleeper is inside its wait.
        { Hold hold(lock_); }
        side.condition.notify_one();
    }
}

void ReadAhead::finish(int32_t result) {
    result_ = result;
    stopping_ = true;
    for (Side &side : sides_) {
        wake(side);
    }
}

/* The pieces first, first + threads_, ... of the file: each read at once,
 * hashed when the piece before it has been hashed. A failed read takes its
 * hash turn too, so every piece before it is hashed before the run ends.
 * After the last piece nothing more is read: the other thread's piece past
 * it is never hashed, and neither thread reads again. */
void ReadAhead::work(size_t first) {
    Side &self = sides_[first];
    Side &other = sides_[(first + 1) % READ_AHEAD_THREADS];
    uint8_t *buffer = ring_ + first * piece_size_;
    std::FILE *file = first != 0 && helper_file_ != nullptr ? helper_file_ : file_;
    for (size_t index = first;; index += threads_) {
        if (stopping_) {
            return;
        }
        const int64_t offset = start_ + static_cast<int64_t>(index * piece_size_);
        const int64_t got = file_piece_reader(file, offset, buffer, piece_size_);
        if (prepare_ != nullptr && got > 0) {
            prepare_(context_, index, buffer, got);
        }

        await(self, [&] { return stopping_ || hashed_count_ == index; });
        if (stopping_) {
            return;
        }
        if (got < 0) {
            finish(JOB_READ_FAILED);
            return;
        }
        if (!hash_(context_, index, buffer, got)) {
            finish(JOB_CANCELLED);
            return;
        }
        // A short piece is the end of the file.
        if (got < static_cast<int64_t>(piece_size_)) {
            finish(JOB_DONE);
            return;
        }
        ++hashed_count_;
        wake(other);
    }
}

} // namespace tvkengine
