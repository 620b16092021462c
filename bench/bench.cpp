/* bench.cpp -- times the checksum engine through interface1 on one file and
 * on a short string, and how fast the file can be read at all. It loads the
 * engine library the way a host does (dlopen, or LoadLibrary when built with
 * MinGW to time the Windows engine under Wine) and prints one line per
 * measurement:  <algorithm> <what> <value> <checksum text>
 * with MB/s for the file and ns per call for the string. Sets of algorithms
 * read at once are named "set:A,B"; their lines give the set's file word,
 * its job, and the slowest of its algorithms alone, timed in turns with it.
 *
 *   bench ENGINE FILE [REPEATS]
 */
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "algorithm_table.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
using Entry = intptr_t(__stdcall *)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
Entry load_engine(const char *path) {
    HMODULE lib = LoadLibraryA(path);
    if (lib == nullptr) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", path, GetLastError());
        return nullptr;
    }
    return reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(lib, "interface1")));
}
#else
using Entry = intptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
Entry load_engine(const char *path) {
    void *lib = dlopen(path, RTLD_NOW);
    if (lib == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return nullptr;
    }
    return reinterpret_cast<Entry>(dlsym(lib, "interface1"));
}
#endif

Entry interface1 = nullptr;

intptr_t call(const char *word, const void *a2 = nullptr, const void *a3 = nullptr,
              uintptr_t a4 = 0) {
    return interface1(reinterpret_cast<uintptr_t>(word), reinterpret_cast<uintptr_t>(a2),
                      reinterpret_cast<uintptr_t>(a3), a4);
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/* The best of several runs: other load on the machine only ever slows one. */
template <typename Fn> double best_seconds(int repeats, Fn fn) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const double start = now();
        fn();
        best = std::min(best, now() - start);
    }
    return best;
}

/* An algorithm's name in the report: its job name without the hyphen
 * ("sha-256" sha256). */
std::string report_name(const tvkalgo::AlgorithmFacts &row) {
    std::string name;
    for (const char *c = row.job_name; *c != '\0'; ++c)
        if (*c != '-')
            name += *c;
    return name;
}

/* Reads the whole file in 1 MiB pieces into one buffer with the system's own
 * reads and returns the bytes read: the page cache's speed, with nothing
 * computed. */
uint64_t read_file(const char *path) {
    // Page-aligned, as the engine's own buffer is: the system copies into a
    // misaligned buffer about a third slower.
    alignas(4096) static std::array<char, 1 << 20> piece;
    uint64_t total = 0;
#if defined(_WIN32)
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    while (ReadFile(f, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr) && got > 0)
        total += got;
    CloseHandle(f);
#else
    const int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    ssize_t got;
    while ((got = ::read(fd, piece.data(), piece.size())) > 0)
        total += static_cast<uint64_t>(got);
    close(fd);
#endif
    return total;
}

/* The text in a 300-byte answer buffer, up to its first NUL or blank. */
const char *answer(char *out) {
    out[300] = '\0';
    out[std::strcspn(out, " ")] = '\0';
    return out[0] != '\0' ? out : "?";
}

/* Polls "getstatus" until the job has ended, every poll_seconds (at most
 * 1 ms): a poll wakes the process and takes a core from the job's threads
 * for a moment, and a coarse one adds its own lateness to the job's time.
 * Callers pass about a hundredth of the job's time: some 400 us for a
 * fast algorithm on 1 GiB. */
void wait_for_job(double poll_seconds = 1e-3) {
    const auto poll = std::chrono::duration<double>(std::min(poll_seconds, 1e-3));
    while (call("getstatus") != 0)
        std::this_thread::sleep_for(poll);
}

void print_rate(const char *algorithm, const char *what, double bytes, double seconds,
                const char *text) {
    std::printf("%s %s %.1f %s\n", algorithm, what, bytes / seconds / 1e6, text);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench ENGINE FILE [REPEATS]\n");
        return 2;
    }
    const char *path = argv[2];
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    interface1 = load_engine(argv[1]);
    if (interface1 == nullptr) {
        std::fprintf(stderr, "no interface1 in %s\n", argv[1]);
        return 1;
    }

    /* The read speed is taken before and after the engine's runs, and the
     * better kept: the bar the engine is held to is then the higher one.
     * As many runs as a fast algorithm gets. */
    uint64_t size = 0;
    double read = best_seconds(4 * repeats, [&] { size = read_file(path); });
    if (size == 0) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }

    for (const tvkalgo::AlgorithmFacts &a : tvkalgo::algorithm_table) {
        const std::string name = report_name(a);
        char out[301];

        /* The direct file word and the background job, timed in turns so
         * that a slow moment of the machine hits both alike. A fast
         * algorithm's run takes some 50 ms, where one such moment weighs
         * much: it gets four times the turns, at little cost. */
        char job_out[301];
        double direct = 1e30, job = 1e30;
        bool started = true;
        int turns = repeats;
        for (int r = 0; r < turns; ++r) {
            direct = std::min(direct, best_seconds(1, [&] {
                                  std::memset(out, ' ', 300);
                                  out[300] = '\0';
                                  call(a.file_word, path, out);
                              }));
            if (r == 0 && direct < 0.25)
                turns = 4 * repeats;
            job = std::min(job, best_seconds(1, [&] {
                               std::memset(job_out, ' ', 300);
                               job_out[300] = '\0';
                               if (call("newexecute", path, job_out,
                                        static_cast<uintptr_t>(a.selector)) != 0) {
                                   started = false;
                                   return;
                               }
                               wait_for_job(direct / 100);
                           }));
        }
        print_rate(name.c_str(), "file", static_cast<double>(size), direct, answer(out));
        std::memset(job_out, ' ', 300);
        job_out[300] = '\0';
        call("getsum", job_out, " ");
        const bool got = started && call("getreturnvalue") == 0;
        print_rate(name.c_str(), "job", static_cast<double>(size), job,
                   got ? answer(job_out) : "?");

        /* a 16-byte string, many calls */
        const char text16[] = "0123456789abcdef";
        const int calls = 200000;
        std::memset(out, ' ', 300);
        const double strings = best_seconds(repeats, [&] {
            for (int i = 0; i < calls; ++i)
                call(a.string_word, text16, out, 16);
        });
        std::printf("%s string16-ns %.1f %s\n", name.c_str(), strings / calls * 1e9, answer(out));
    }
    /* Several algorithms from one read, against the slowest of them alone:
     * timed in turns, so other load hits both alike. */
    const std::vector<std::vector<int32_t>> sets = {{3, 5}, {3, 4, 5}};
    for (const std::vector<int32_t> &members : sets) {
        std::string name = "set:";
        std::vector<int32_t> set = members;
        set.push_back(0);
        for (const int32_t selector : members)
            name +=
                (name.size() > 4 ? "," : "") + report_name(tvkalgo::algorithm_table[selector - 1]);
        std::vector<char> text(8192, '\0');
        const auto address = reinterpret_cast<uintptr_t>(set.data());
        double one_read = 1e30, job = 1e30, slowest = 0;
        std::vector<double> alone(members.size(), 1e30);
        for (int r = 0; r < repeats; ++r) {
            one_read = std::min(
                one_read, best_seconds(1, [&] { call("setfile", path, text.data(), address); }));
            job = std::min(job, best_seconds(1, [&] {
                               if (call("newexecuteset", path, " ", address) == 0)
                                   wait_for_job();
                           }));
            for (size_t i = 0; i < members.size(); ++i) {
                char out[301];
                const auto &row = tvkalgo::algorithm_table[members[i] - 1];
                alone[i] =
                    std::min(alone[i], best_seconds(1, [&] { call(row.file_word, path, out); }));
            }
        }
        for (const double seconds : alone)
            slowest = std::max(slowest, seconds);
        const double bytes = static_cast<double>(size);
        const std::string sums(text.data());
        std::printf("%s file %.1f %s\n", name.c_str(), bytes / one_read / 1e6,
                    sums.substr(0, sums.find(' ')).c_str());
        std::printf("%s job %.1f -\n", name.c_str(), bytes / job / 1e6);
        std::printf("%s slowest-alone %.1f -\n", name.c_str(), bytes / slowest / 1e6);
        std::fflush(stdout);
    }
    read = std::min(read, best_seconds(4 * repeats, [&] { read_file(path); }));
    print_rate("file", "read-1MiB", static_cast<double>(size), read, "-");
    return 0;
}
