/* bench.cpp -- times the checksum engine through interface1, and the zlib and
 * portable-TVK32 references, on one file and on a short string. It loads the
 * engine library with dlopen, the way a host would, and prints one line per
 * measurement:  <algorithm> <tool> <MB/s>   (or ns/call for strings).
 *
 *   bench ENGINE.so FILE [REPEATS]
 */
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <zlib.h>

#include "digest/dispatch.h"
#include "digest/tvk32.h"

namespace {

using Entry = intptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
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

struct Algorithm {
    const char *name;
    const char *file_word;
    const char *string_word;
    int selector;
};

const Algorithm algorithms[] = {
    {"crc32", "crc32file", "crc32string", 2},    {"adler32", "adler32file", "adler32string", 1},
    {"md5", "md5file", "md5string", 5},          {"sha1", "sha1file", "sha1string", 4},
    {"sha256", "sha256file", "sha256string", 3}, {"tvk32", "tvk32file", "tvk32string", 7},
    {"md5_32", "md532file", "md532string", 6},
};

/* Reads the file in 4096-byte blocks, like the engine's drivers, through a
 * large stream buffer, and feeds each block to fn. */
template <typename Fn> void read_blocks(const char *path, Fn fn) {
    static char stream_buffer[1 << 20];
    static uint8_t block[4096];
    std::FILE *f = std::fopen(path, "rb");
    if (f == nullptr)
        return;
    std::setvbuf(f, stream_buffer, _IOFBF, sizeof stream_buffer);
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0)
        fn(block, got);
    std::fclose(f);
}

void print_rate(const char *algorithm, const char *tool, double bytes, double seconds,
                const char *text) {
    std::printf("%s %s %.1f %s\n", algorithm, tool, bytes / seconds / 1e6, text);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench ENGINE.so FILE [REPEATS]\n");
        return 2;
    }
    const char *path = argv[2];
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    void *lib = dlopen(argv[1], RTLD_NOW);
    if (lib == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    interface1 = reinterpret_cast<Entry>(dlsym(lib, "interface1"));
    if (interface1 == nullptr) {
        std::fprintf(stderr, "no interface1 in %s\n", argv[1]);
        return 1;
    }
    std::FILE *f = std::fopen(path, "rb");
    if (f == nullptr) {
        std::perror(path);
        return 1;
    }
    std::fseek(f, 0, SEEK_END);
    const auto size = static_cast<double>(std::ftell(f));
    std::fclose(f);

    for (const Algorithm &a : algorithms) {
        char out[301];

        /* direct file word */
        std::memset(out, ' ', 300);
        out[300] = '\0';
        const double direct = best_seconds(repeats, [&] { call(a.file_word, path, out); });
        print_rate(a.name, "interface1-file", size, direct, out);

        /* background job, polled to its end */
        const double job = best_seconds(repeats, [&] {
            std::memset(out, ' ', 300);
            if (call("newexecute", path, out, static_cast<uintptr_t>(a.selector)) != 0)
                return;
            while (call("getstatus") != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        call("getsum", out);
        print_rate(a.name, "interface1-job", size, job, call("getreturnvalue") == 0 ? out : "?");

        /* a 16-byte string, many calls */
        const char text16[] = "0123456789abcdef";
        const int calls = 200000;
        const double strings = best_seconds(repeats, [&] {
            for (int i = 0; i < calls; ++i)
                call(a.string_word, text16, out, 16);
        });
        std::printf("%s interface1-string16-ns %.1f %s\n", a.name, strings / calls * 1e9, out);
    }

    /* references outside the engine */
    char text[16];
    uLong crc = 0;
    const double zcrc = best_seconds(repeats, [&] {
        crc = crc32(0, Z_NULL, 0);
        read_blocks(path,
                    [&](const uint8_t *p, size_t n) { crc = crc32(crc, p, static_cast<uInt>(n)); });
    });
    std::snprintf(text, sizeof text, "%08lx", crc);
    print_rate("crc32", "zlib", size, zcrc, text);

    uLong adler = 1;
    const double zadler = best_seconds(repeats, [&] {
        adler = 1;
        read_blocks(path, [&](const uint8_t *p, size_t n) {
            adler = adler32(adler, p, static_cast<uInt>(n));
        });
    });
    std::snprintf(text, sizeof text, "%08lx", adler);
    print_rate("adler32", "zlib", size, zadler, text);

    uint32_t tvk = 0;
    tvk_force_backend(Backend::Portable);
    const double portable = best_seconds(repeats, [&] {
        tvk = 0;
        read_blocks(path, [&](const uint8_t *p, size_t n) {
            tvk = tvk32_update(tvk, p, static_cast<uint32_t>(n));
        });
    });
    tvk_force_backend(Backend::Automatic);
    std::snprintf(text, sizeof text, "%08x", tvk);
    print_rate("tvk32", "portable-loop", size, portable, text);

    /* TVK32 without the file: the engine's core and the portable loop over
     * one 4096-byte block held in cache, as often as the file has blocks. */
    std::vector<uint8_t> block(4096);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>((i * 2654435761u) >> 13); /* not periodic in 256 */
    /* one block short of the file: a count that is not a multiple of 256
     * keeps the repeated block from cancelling out modulo 256 */
    const size_t whole_blocks = static_cast<size_t>(size) / block.size();
    const size_t blocks = whole_blocks > 1 ? whole_blocks - 1 : 1;
    const double memory_bytes = static_cast<double>(blocks * block.size());
    for (int pass = 0; pass < 2; ++pass) {
        tvk_force_backend(pass == 0 ? Backend::Automatic : Backend::Portable);
        const double seconds = best_seconds(repeats, [&] {
            tvk = 0;
            for (size_t i = 0; i < blocks; ++i)
                tvk = tvk32_update(tvk, block.data(), 4096);
        });
        std::snprintf(text, sizeof text, "%08x", tvk);
        print_rate("tvk32", pass == 0 ? "core-in-memory" : "portable-in-memory", memory_bytes,
                   seconds, text);
    }
    return 0;
}
