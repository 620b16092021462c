/* set_reading.cpp -- the rest of a large file for a set of cores: this
 * thread reads it into a ring of pieces and hashes one group of the cores,
 * a second thread hashes the other group from the same pieces. A piece's
 * slot is read again only when both groups have hashed it, so each group
 * sees every byte in order, and the slower group sets the pace. */
#include "core_set.h"

#include "file_reading.h"

namespace tvkengine {

namespace {

/* The lock held by a scope, let go and taken again around the slow work
 * in it. (std::unique_lock's own checks would bring the C++ runtime's
 * exceptions into the library.) */
class Hold {
  public:
    explicit Hold(PlatformLock &lock) : lock_(lock) { lock_.lock(); }
    ~Hold() { lock_.unlock(); }
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;
    void unlock() { lock_.unlock(); }
    void lock() { lock_.lock(); }

  private:
    PlatformLock &lock_;
};

/* A piece: large enough that the system copies at its full speed and that
 * the hand-over per piece costs nothing, small enough that the ring holds
 * several, so neither group waits on the other's every piece. */
constexpr size_t SET_PIECE_SIZE = DIRECT_READ_SIZE;
constexpr size_t SET_SLOTS = READ_AHEAD_RING_SIZE / SET_PIECE_SIZE;
static_assert(SET_SLOTS >= 2, "the ring holds pieces for both groups");

constexpr size_t GROUPS = 2;

class FanOut {
  public:
    FanOut(FileRun &run, SetCore &core, std::FILE *file, uint64_t done)
        : run_(run), core_(core), file_(file), group_done_{done, done} {
        done_[0] = done;
        done_[1] = done;
    }

    int32_t run() {
        PlatformThread helper;
        if (!platform_thread_start(helper, helper_body, this)) {
            // One thread for both groups: the direct reads.
            return read_direct(run_, file_, core_, group_done_[0]);
        }
        read_and_hash();
        platform_thread_join(helper);
        return result_;
    }

  private:
    /* Only group's cores, as feed_piece takes a core. */
    struct Group {
        SetCore &set;
        size_t group;
        void update(const uint8_t *input, uint32_t length) {
            set.update_group(group, input, length);
        }
    };

    uint8_t *slot(size_t index) { return file_buffer + index % SET_SLOTS * SET_PIECE_SIZE; }

    /* Hashes piece index for group; false when the job is cancelled. The
     * progress is the smaller of the two groups' counts. */
    bool hash(size_t group, size_t index, int64_t size) {
        Group cores{core_, group};
        return feed_piece(run_, slot(index), size, cores, group_done_[group], [&](uint64_t count) {
            done_[group].store(count, std::memory_order_relaxed);
            const uint64_t both = std::min(done_[0].load(std::memory_order_relaxed),
                                           done_[1].load(std::memory_order_relaxed));
            uint64_t shown = run_.bytes_done.load(std::memory_order_relaxed);
            while (shown < both &&
                   !run_.bytes_done.compare_exchange_weak(shown, both, std::memory_order_relaxed)) {
            }
        });
    }

    /* Hashes group's next piece, the lock let go meanwhile; false when the
     * job is cancelled, which stops the run. */
    bool hash_next(size_t group, Hold &hold) {
        const size_t index = hashed_[group];
        const int64_t size = sizes_[index % SET_SLOTS];
        hold.unlock();
        const bool hashed = hash(group, index, size);
        hold.lock();
        if (!hashed) {
            stop(JOB_CANCELLED);
            return false;
        }
        ++hashed_[group];
        return true;
    }

    /* The first result ends the run: both threads stop at their next look. */
    void stop(int32_t result) {
        if (!stopping_) {
            stopping_ = true;
            result_ = result;
        }
        wake_[0].notify_one();
        wake_[1].notify_one();
    }

    /* This thread: reads while a slot is free, hashes group 0 while a
     * piece waits for it, and sleeps when it can do neither. */
    void read_and_hash() {
        Hold hold(lock_);
        while (!stopping_) {
            if (!ended_ && read_count_ - hashed_[0] < SET_SLOTS &&
                read_count_ - hashed_[1] < SET_SLOTS) {
                const size_t index = read_count_;
                hold.unlock();
                const int64_t got = file_block_reader(file_, slot(index), SET_PIECE_SIZE);
                hold.lock();
                if (got < 0) {
                    stop(JOB_READ_FAILED);
                    break;
                }
                sizes_[index % SET_SLOTS] = got;
                ++read_count_;
                // A short piece is the end of the file.
                ended_ = got < static_cast<int64_t>(SET_PIECE_SIZE);
                wake_[1].notify_one();
            } else if (hashed_[0] < read_count_) {
                if (!hash_next(0, hold)) {
                    break;
                }
            } else if (ended_) {
                break;
            } else {
                wake_[0].wait(lock_);
            }
        }
    }

    static void helper_body(void *self) { static_cast<FanOut *>(self)->hash_group_1(); }

    void hash_group_1() {
        Hold hold(lock_);
        for (;;) {
            while (!stopping_ && !ended_ && hashed_[1] == read_count_) {
                wake_[1].wait(lock_);
            }
            if (stopping_ || hashed_[1] == read_count_) {
                return;
            }
            if (!hash_next(1, hold)) {
                return;
            }
            wake_[0].notify_one();
        }
    }

    FileRun &run_;
    SetCore &core_;
    std::FILE *file_;
    uint64_t group_done_[GROUPS]; // each its thread's own
    std::atomic<uint64_t> done_[GROUPS];

    /* Everything below under lock_. */
    PlatformLock lock_;
    PlatformCondition wake_[GROUPS];
    int64_t sizes_[SET_SLOTS] = {};
    size_t read_count_ = 0;
    size_t hashed_[GROUPS] = {0, 0};
    bool ended_ = false;
    bool stopping_ = false;
    int32_t result_ = JOB_DONE;
};

} // namespace

int32_t read_large(FileRun &run_state, std::FILE *file, int64_t, size_t, SetCore &core,
                   uint64_t done) {
    if (!core.two_groups()) {
        return read_direct(run_state, file, core, done);
    }
    FanOut fan_out(run_state, core, file, done);
    return fan_out.run();
}

} // namespace tvkengine
