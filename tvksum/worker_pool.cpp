// worker_pool.cpp -- forked workers and the framing of their reports.
#include "worker_pool.h"

#include "interrupt.h"
#include "control_driver.h"
#include "progress_bar.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tvksum {

namespace {

// A report on the pipe: out length, err length, rc, stop; then the texts.
struct Header {
    std::uint32_t out_size;
    std::uint32_t err_size;
    std::int32_t rc;
    std::uint32_t stop;
};

// Moves exactly size bytes with io(offset, count), a read or a write; false
// at the end of the file or on an error. A signal does not end the move.
// When `children` is given, a signal sent to this process alone (kill PID)
// is passed on to them; a Ctrl-C from the terminal reaches them anyway.
template <class Io>
bool move_all(Io io, std::size_t size, const std::vector<pid_t> *children = nullptr) {
    bool forwarded = false;
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = io(done, size - done);
        if (n < 0 && errno == EINTR) {
            if (children && interrupted() && !forwarded) {
                for (pid_t c : *children)
                    kill(c, SIGTERM);
                forwarded = true;
            }
            continue;
        }
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all(int fd, const void *data, std::size_t size) {
    const char *p = static_cast<const char *>(data);
    return move_all([&](std::size_t at, std::size_t n) { return write(fd, p + at, n); }, size);
}

// Reads exactly size bytes; the workers wind down by themselves on a signal.
bool read_all(int fd, void *data, std::size_t size, const std::vector<pid_t> &children) {
    char *p = static_cast<char *>(data);
    return move_all([&](std::size_t at, std::size_t n) { return read(fd, p + at, n); }, size,
                    &children);
}

bool send_report(int fd, const FileReport &r) {
    const Header h{static_cast<std::uint32_t>(r.out.size()),
                   static_cast<std::uint32_t>(r.err.size()), r.rc, r.stop ? 1u : 0u};
    return write_all(fd, &h, sizeof h) && write_all(fd, r.out.data(), r.out.size()) &&
           write_all(fd, r.err.data(), r.err.size());
}

bool receive_report(int fd, FileReport &r, const std::vector<pid_t> &children) {
    Header h{};
    if (!read_all(fd, &h, sizeof h, children))
        return false;
    r.out.resize(h.out_size);
    r.err.resize(h.err_size);
    r.rc = h.rc;
    r.stop = h.stop != 0;
    return read_all(fd, r.out.data(), r.out.size(), children) &&
           read_all(fd, r.err.data(), r.err.size(), children);
}

[[noreturn]] void worker(int k, int workers, std::size_t count, int fd,
                         const std::function<FileReport(std::size_t, ControlDriver &)> &make) {
    ProgressBar no_bar(stderr, false, 0); // one bar per terminal line: none here
    int status = 0;
    {
        ControlDriver runner(no_bar);
        for (std::size_t i = static_cast<std::size_t>(k); i < count;
             i += static_cast<std::size_t>(workers)) {
            if (interrupted())
                break;
            const FileReport r = make(i, runner);
            if (!send_report(fd, r)) {
                status = 1;
                break;
            }
            if (r.stop)
                break;
        }
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
    PoolResult result = PoolResult::Done;
    std::size_t i = 0;
    for (; i < count; ++i) {
        FileReport r;
        if (!receive_report(pipes[i % pipes.size()], r, children)) {
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
