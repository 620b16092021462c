// worker_pool.cpp -- forked workers and the framing of their reports.
#include "worker_pool.h"

#include "interrupt.h"
#include "control_driver.h"
#include "progress_bar.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace tvksum {

namespace {

// A report on the pipe: out length, err length, rc, stop, tally; then the
// texts.
struct Header {
    std::uint32_t out_size;
    std::uint32_t err_size;
    std::int32_t rc;
    std::uint32_t stop;
    std::int32_t tally;
};

// A signal sent to this process alone (kill PID) is passed on to the
// workers, once; a Ctrl-C from the terminal reaches them anyway.
void pass_on_interrupt(const std::vector<pid_t> &children, bool &passed) {
    if (!interrupted() || passed)
        return;
    for (pid_t c : children)
        kill(c, SIGTERM);
    passed = true;
}

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

// A worker's reports, collected and sent in batches: one write per batch,
// and one read for the parent, instead of three each per report. A batch
// goes when it holds kBatchBytes, when its first report is kBatchWait old
// as the next one comes (so a report waits no longer than that, or the
// making of one more), and at the end.
class ReportWriter {
  public:
    explicit ReportWriter(int fd) : fd_(fd) {}

    bool add(const FileReport &r) {
        if (batch_.empty())
            first_ = std::chrono::steady_clock::now();
        const Header h{static_cast<std::uint32_t>(r.out.size()),
                       static_cast<std::uint32_t>(r.err.size()), r.rc, r.stop ? 1u : 0u, r.tally};
        batch_.append(reinterpret_cast<const char *>(&h), sizeof h);
        batch_ += r.out;
        batch_ += r.err;
        if (batch_.size() >= kBatchBytes || std::chrono::steady_clock::now() - first_ >= kBatchWait)
            return flush();
        return true;
    }

    bool flush() {
        const bool ok = write_all(fd_, batch_.data(), batch_.size());
        batch_.clear();
        return ok;
    }

  private:
    static constexpr std::size_t kBatchBytes = 16384;
    static constexpr std::chrono::milliseconds kBatchWait{2};
    int fd_;
    std::string batch_;
    std::chrono::steady_clock::time_point first_;
};

// The reports of one worker, read through a buffer.
class ReportReader {
  public:
    ReportReader(int fd, const std::vector<pid_t> &children, bool &passed)
        : fd_(fd), children_(children), passed_(passed) {}

    bool next(FileReport &r) {
        Header h{};
        if (!take(reinterpret_cast<char *>(&h), sizeof h))
            return false;
        r.out.resize(h.out_size);
        r.err.resize(h.err_size);
        r.rc = h.rc;
        r.stop = h.stop != 0;
        r.tally = h.tally;
        return take(r.out.data(), r.out.size()) && take(r.err.data(), r.err.size());
    }

  private:
    // Exactly size bytes; false at the end of the pipe. The workers wind
    // down by themselves on a signal.
    bool take(char *to, std::size_t size) {
        while (size > 0) {
            if (at_ == end_) {
                ssize_t n;
                while ((n = read(fd_, buf_.data(), buf_.size())) < 0 && errno == EINTR)
                    pass_on_interrupt(children_, passed_);
                if (n <= 0)
                    return false;
                at_ = 0;
                end_ = static_cast<std::size_t>(n);
            }
            const std::size_t n = std::min(size, end_ - at_);
            std::memcpy(to, buf_.data() + at_, n);
            at_ += n;
            to += n;
            size -= n;
        }
        return true;
    }

    int fd_;
    const std::vector<pid_t> &children_;
    bool &passed_;
    std::vector<char> buf_ = std::vector<char>(65536);
    std::size_t at_ = 0, end_ = 0;
};

[[noreturn]] void worker(int k, int workers, std::size_t count, int fd,
                         const std::function<FileReport(std::size_t, ControlDriver &)> &make) {
    ProgressBar no_bar(stderr, false, 0); // one bar per terminal line: none here
    int status = 0;
    {
        ControlDriver runner(no_bar);
        ReportWriter out(fd);
        for (std::size_t i = static_cast<std::size_t>(k); i < count;
             i += static_cast<std::size_t>(workers)) {
            if (interrupted())
                break;
            const FileReport r = make(i, runner);
            if (!out.add(r)) {
                status = 1;
                break;
            }
            if (r.stop)
                break;
        }
        if (!out.flush())
            status = 1;
    }
    close(fd);
    std::fflush(nullptr);
    _exit(status); // the parent's objects are the parent's to destroy
}

} // namespace

PoolResult run_in_workers(int workers, std::size_t count,
                          const std::function<FileReport(std::size_t, ControlDriver &)> &make,
                          const std::function<bool(const FileReport &)> &show) {
    std::fflush(nullptr); // nothing buffered is written twice
    std::vector<pid_t> children;
    std::vector<int> pipes;
    auto end_children = [&](bool stop_them) {
        for (int fd : pipes)
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
            worker(k, workers, count, fds[1], make);
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
    bool passed = false;
    std::vector<ReportReader> readers;
    readers.reserve(pipes.size());
    for (int fd : pipes)
        readers.emplace_back(fd, children, passed);
    PoolResult result = PoolResult::Done;
    std::size_t i = 0;
    for (; i < count; ++i) {
        FileReport r;
        if (!readers[i % readers.size()].next(r)) {
            // Workers stop early only after Ctrl-C; otherwise one died.
            if (!interrupted())
                result = PoolResult::WorkerLost;
            break;
        }
        if (!show(r))
            break;
    }
    end_children(i < count); // stopped early: the rest is not wanted
    return result;
}

} // namespace tvksum
