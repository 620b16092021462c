// worker_pool.cpp -- forked workers, the items they share out and the
// framing of their reports.
#include "worker_pool.h"

#include "interrupt.h"
#include "control_driver.h"
#include "progress_bar.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tvksum {

namespace {

// A report on the pipe: its item, out length, err length, rc, stop, tally;
// then the texts.
struct Header {
    std::uint64_t item;
    std::uint32_t out_size;
    std::uint32_t err_size;
    std::int32_t rc;
    std::uint32_t stop;
    std::int32_t tally;
    std::uint32_t unused;
};

// The number of the next item no worker has taken yet, in memory the
// workers share: a worker that is done with an item takes the next one, so
// a slow file holds up only its own worker.
using NextItem = std::atomic<std::uint64_t>;
static_assert(NextItem::is_always_lock_free);

// Writes exactly size bytes; a signal does not end the write.
bool write_all(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A worker's report, sent whole in one write as soon as it is made: the
// parent shows it without waiting for the worker's next item, which may take
// minutes (a large file) or never end by itself (a FIFO without writer).
bool send_report(int fd, std::uint64_t item, const FileReport &r) {
    const Header h{item,
                   static_cast<std::uint32_t>(r.out.size()),
                   static_cast<std::uint32_t>(r.err.size()),
                   r.rc,
                   r.stop ? 1u : 0u,
                   r.tally,
                   0};
    std::string message(reinterpret_cast<const char *>(&h), sizeof h);
    message += r.out;
    message += r.err;
    return write_all(fd, message.data(), message.size());
}

// The bytes from one worker, cut into reports as they come.
class ReportReader {
  public:
    // Reads what the pipe holds (it is readable); false at its end or on an
    // error.
    bool fill(int fd) {
        char buf[65536];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            return true;
        if (n <= 0)
            return false;
        data_.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    // Moves every whole report read so far into `reports`, by item.
    void take(std::map<std::uint64_t, FileReport> &reports) {
        std::size_t at = 0;
        for (;;) {
            Header h{};
            if (data_.size() - at < sizeof h)
                break;
            std::memcpy(&h, data_.data() + at, sizeof h);
            const std::size_t size = sizeof h + h.out_size + h.err_size;
            if (data_.size() - at < size)
                break;
            FileReport &r = reports[h.item];
            const char *texts = data_.data() + at + sizeof h;
            r.out.assign(texts, h.out_size);
            r.err.assign(texts + h.out_size, h.err_size);
            r.rc = h.rc;
            r.stop = h.stop != 0;
            r.tally = h.tally;
            at += size;
        }
        data_.erase(0, at);
    }

  private:
    std::string data_;
};

[[noreturn]] void worker(NextItem &next, std::size_t count, int fd,
                         const std::function<FileReport(std::size_t, ControlDriver &)> &make) {
    ProgressBar no_bar(stderr, false, 0); // one bar per terminal line: none here
    int status = 0;
    {
        ControlDriver runner(no_bar);
        while (!interrupted()) {
            const std::uint64_t i = next.fetch_add(1);
            if (i >= count)
                break;
            const FileReport r = make(static_cast<std::size_t>(i), runner);
            if (!send_report(fd, i, r)) {
                status = 1;
                break;
            }
            if (r.stop) {
                next.store(count); // the others take no further item either
                break;
            }
        }
    }
    close(fd);
    std::fflush(nullptr);
    _exit(status); // the parent's objects are the parent's to destroy
}

// The shared item counter, unmapped when the run ends.
class SharedCounter {
  public:
    SharedCounter() {
        void *p = mmap(nullptr, sizeof(NextItem), PROT_READ | PROT_WRITE,
                       MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED)
            next_ = new (p) NextItem(0);
    }
    ~SharedCounter() {
        if (next_)
            munmap(next_, sizeof(NextItem));
    }
    SharedCounter(const SharedCounter &) = delete;
    SharedCounter &operator=(const SharedCounter &) = delete;
    NextItem *get() const { return next_; }

  private:
    NextItem *next_ = nullptr;
};

} // namespace

PoolResult run_in_workers(int workers, std::size_t count,
                          const std::function<FileReport(std::size_t, ControlDriver &)> &make,
                          const std::function<bool(const FileReport &)> &show) {
    SharedCounter counter;
    if (!counter.get())
        return PoolResult::NotStarted;
    std::fflush(nullptr); // nothing buffered is written twice
    std::vector<pid_t> children;
    std::vector<int> pipes;
    auto end_children = [&](bool stop_them) {
        for (int fd : pipes)
            if (fd >= 0)
                close(fd); // a worker still writing gets SIGPIPE and ends
        for (pid_t c : children) {
            if (stop_them)
                kill(c, SIGTERM);
            while (waitpid(c, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    };
    for (int k = 0; k < workers; ++k) {
        int fds[2];
        if (pipe(fds) != 0) {
            end_children(true);
            return PoolResult::NotStarted;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            for (int fd : pipes)
                close(fd);
            close(fds[0]);
            worker(*counter.get(), count, fds[1], make);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            end_children(true);
            return PoolResult::NotStarted;
        }
        children.push_back(pid);
        pipes.push_back(fds[0]);
    }

    // Reports arrive in any order; they are shown in order of their items.
    std::vector<ReportReader> readers(pipes.size());
    std::map<std::uint64_t, FileReport> waiting;
    std::size_t shown = 0, open_pipes = pipes.size();
    bool stopped = false, passed_on = false;
    while (shown < count && !stopped && open_pipes > 0) {
        std::vector<pollfd> fds;
        for (int fd : pipes)
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno != EINTR)
                break;
            // A signal sent to this process alone (kill PID) is passed on to
            // the workers; a Ctrl-C from the terminal reaches them anyway.
            if (interrupted() && !passed_on) {
                for (pid_t c : children)
                    kill(c, SIGTERM);
                passed_on = true;
            }
            continue;
        }
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            if (!readers[k].fill(pipes[k])) {
                close(pipes[k]);
                pipes[k] = -1; // poll skips it from now on
                --open_pipes;
            }
            readers[k].take(waiting);
        }
        for (auto it = waiting.find(shown); it != waiting.end() && !stopped;
             it = waiting.find(shown)) {
            stopped = !show(it->second) || it->second.stop;
            waiting.erase(it);
            ++shown;
        }
    }
    // Workers stop early only after Ctrl-C or a report that stops the run;
    // otherwise one died and left an item unreported.
    const bool lost = shown < count && !stopped && !interrupted();
    end_children(shown < count); // stopped early: the rest is not wanted
    return lost ? PoolResult::WorkerLost : PoolResult::Done;
}

} // namespace tvksum
