// side_hasher.cpp -- the hand-over between the caller and the side thread.
#include "side_hasher.h"

#include <chrono>

namespace tvksum {

namespace {

// How long a side waits awake for the other before it sleeps: about the
// time a small file takes to hash, so the usual wait costs no wake-up.
constexpr auto kAwakeWait = std::chrono::microseconds(200);

// Waits until phase holds one of the two values, first awake, then asleep
// on changed; returns the value seen.
int await(std::atomic<int> &phase, int a, int b, std::mutex &lock,
          std::condition_variable &changed) {
    const auto until = std::chrono::steady_clock::now() + kAwakeWait;
    for (;;) {
        const int seen = phase.load(std::memory_order_acquire);
        if (seen == a || seen == b)
            return seen;
        if (std::chrono::steady_clock::now() >= until)
            break;
        std::this_thread::yield();
    }
    std::unique_lock<std::mutex> hold(lock);
    int seen;
    changed.wait(hold, [&] {
        seen = phase.load(std::memory_order_acquire);
        return seen == a || seen == b;
    });
    return seen;
}

void set(std::atomic<int> &phase, int value, std::mutex &lock, std::condition_variable &changed) {
    {
        std::lock_guard<std::mutex> hold(lock);
        phase.store(value, std::memory_order_release);
    }
    changed.notify_all();
}

} // namespace

SideHasher::SideHasher() : control_(this), thread_([this] { run(); }) {}

SideHasher::~SideHasher() {
    set(phase_, Stop, lock_, changed_);
    thread_.join();
}

void SideHasher::start(const std::vector<tvk::String> &names, tvk::DataArgument bytes,
                       std::vector<tvk::String> &texts) {
    names_ = &names;
    bytes_ = bytes;
    texts_ = &texts;
    set(phase_, Posted, lock_, changed_);
}

void SideHasher::wait() {
    await(phase_, Done, Done, lock_, changed_);
    phase_.store(Idle, std::memory_order_relaxed);
}

void SideHasher::run() {
    while (await(phase_, Posted, Stop, lock_, changed_) == Posted) {
        // A control that cannot load the engine leaves the texts empty:
        // the caller hashes them itself and reports what went wrong.
        try {
            for (std::size_t i = 0; i < names_->size(); ++i)
                (*texts_)[i] = control_.HashData((*names_)[i], bytes_, u"hex");
        } catch (const tvk::RuntimeError &) {
        }
        set(phase_, Done, lock_, changed_);
    }
}

} // namespace tvksum
