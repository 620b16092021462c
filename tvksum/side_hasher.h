// side_hasher.h -- a second control on a thread of its own, so the cores of
// several algorithms hash a small file's bytes on two processors at once:
// the caller hashes one group of them while this hashes the other.
#ifndef TVKSUM_SIDE_HASHER_H
#define TVKSUM_SIDE_HASHER_H

#include "TVKChecksum.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace tvksum {

class SideHasher : private tvk::TVKChecksumEvents {
  public:
    SideHasher();
    ~SideHasher();
    SideHasher(const SideHasher &) = delete;
    SideHasher &operator=(const SideHasher &) = delete;

    // Starts HashData of `bytes` (which stay untouched until wait returns)
    // for each name, the hex text into the same place of `texts`.
    void start(const std::vector<tvk::String> &names, tvk::DataArgument bytes,
               std::vector<tvk::String> &texts);
    // Waits for the texts of start; an empty text where the control gave
    // none.
    void wait();

  private:
    void run();
    void Finished(tvk::String &) override {}
    void Progress(tvk::Long &) override {}
    void ErrorCode(tvk::Long &, tvk::String &) override {}

    // The work: posted by start (Posted), done by the thread (Done), taken
    // by wait (Idle); Stop ends the thread.
    enum Phase { Idle, Posted, Done, Stop };
    std::atomic<int> phase_{Idle};
    std::mutex lock_;
    std::condition_variable changed_;
    const std::vector<tvk::String> *names_ = nullptr;
    tvk::DataArgument bytes_;
    std::vector<tvk::String> *texts_ = nullptr;
    tvk::TVKChecksum control_;
    std::thread thread_;
};

} // namespace tvksum

#endif
