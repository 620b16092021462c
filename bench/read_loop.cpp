/* read_loop.cpp -- how close the engine's file path comes to the fastest
 * read of the system, measured in one process so the ratios share their
 * moment: the system's own reads at dd's block sizes, the drivers' read path
 * with nothing hashed (read_file_unhashed, in the fast cores' pieces), and
 * every algorithm's file driver. Each round times them all once; the best
 * of the rounds counts. One line per measurement:
 *   read <block size> <MB/s>
 *   loop <piece size> <MB/s>
 *   <algorithm> <piece size> <MB/s> <checksum text>
 *
 *   read_loop FILE [ROUNDS]
 */
#include "algorithm_table.h"
#include "drivers.h"
#include "job_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tvkengine;

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/* What dd does with bs=block: read(2) into one page-aligned buffer. */
uint64_t system_read(const char *path, size_t block) {
    static std::vector<uint8_t> storage(8 << 20);
    uint8_t *buffer = storage.data() + (4096 - reinterpret_cast<uintptr_t>(storage.data()) % 4096);
    const int fd = open(path, O_RDONLY);
    if (fd < 0) {
        return 0;
    }
    uint64_t total = 0;
    ssize_t got;
    while ((got = read(fd, buffer, block)) > 0) {
        total += static_cast<uint64_t>(got);
    }
    close(fd);
    return total;
}

struct Best {
    std::string label;
    double seconds = 1e30;
    std::string text;
};

template <class Fn> void time_into(Best &best, Fn fn) {
    const double start = now();
    fn();
    best.seconds = std::min(best.seconds, now() - start);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: read_loop FILE [ROUNDS]\n");
        return 2;
    }
    const char *path = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const uint64_t size = system_read(path, 1 << 20);
    if (size == 0) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    const size_t blocks[] = {64 << 10, 128 << 10, 256 << 10, 512 << 10, 1 << 20, 2 << 20, 4 << 20};
    const size_t loop_piece = tvkalgo::facts(tvkalgo::Algorithm::Crc32).read_piece_size;

    std::vector<Best> reads(std::size(blocks));
    Best loop;
    std::vector<Best> drivers(tvkalgo::algorithm_count);
    FileRun run;
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < std::size(blocks); ++i) {
            time_into(reads[i], [&] { system_read(path, blocks[i]); });
        }
        time_into(loop, [&] {
            run.clear();
            read_file_unhashed(run, path, loop_piece);
        });
        for (size_t a = 0; a < tvkalgo::algorithm_count; ++a) {
            char out[160] = {};
            time_into(drivers[a], [&] {
                run.clear();
                algorithm_drivers[a].file(run, path, out);
            });
            drivers[a].text = out;
        }
    }
    auto rate = [&](const Best &b) { return static_cast<double>(size) / b.seconds / 1e6; };
    for (size_t i = 0; i < std::size(blocks); ++i) {
        std::printf("read %zu %.1f\n", blocks[i], rate(reads[i]));
    }
    std::printf("loop %zu %.1f\n", loop_piece, rate(loop));
    for (size_t a = 0; a < tvkalgo::algorithm_count; ++a) {
        const tvkalgo::AlgorithmFacts &row = tvkalgo::algorithm_table[a];
        std::printf("%s %u %.1f %s\n", row.job_name, row.read_piece_size, rate(drivers[a]),
                    drivers[a].text.c_str());
    }
    return 0;
}
