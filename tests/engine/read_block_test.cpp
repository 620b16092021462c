/* read_block_test.cpp -- reads that fail part-way: the block reader of the
 * platform layer, and the drivers and jobs on top of it (through the test
 * seam file_block_reader). */
#include "commands.h"
#include "drivers.h"
#include "job_state.h"
#include "platform.h"
#include "read_ahead.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <sys/types.h>
#endif

using namespace tvkengine;

namespace {

constexpr size_t BLOCK = READ_BLOCK_SIZE;

std::string crc_text(const std::vector<uint8_t> &bytes) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lx",
                  crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
    return text;
}

/* A block reader that fails once it has delivered blocks_before_error
 * blocks, and a piece reader that fails from failing_offset on. */
int blocks_before_error = 0;
int blocks_delivered = 0;
int64_t failing_offset = 0;
int64_t failing_reader(std::FILE *file, uint8_t *buffer, size_t size) {
    if (blocks_delivered == blocks_before_error) {
        return -1;
    }
    ++blocks_delivered;
    return platform_read_block(file, buffer, size);
}
int64_t failing_piece_reader(std::FILE *file, int64_t offset, uint8_t *buffer, size_t size) {
    return offset >= failing_offset ? -1 : platform_read_at(file, offset, buffer, size);
}

/* Puts the failing readers in place for one scope. */
struct FailingReads {
    FailingReads(int blocks, int64_t offset) {
        blocks_before_error = blocks;
        blocks_delivered = 0;
        failing_offset = offset;
        file_block_reader = failing_reader;
        file_piece_reader = failing_piece_reader;
    }
    ~FailingReads() {
        file_block_reader = platform_read_block;
        file_piece_reader = platform_read_at;
    }
    FailingReads(const FailingReads &) = delete;
    FailingReads &operator=(const FailingReads &) = delete;
};

TEST(EngineReadBlock, DriverWhoseReadFailsAfterSomeReadsWritesNothing) {
    // A small file is read in direct reads on the caller's thread; a large
    // one after its first direct read in pieces of the algorithm's read
    // size by two threads at once (a failure in the 1st or 3rd piece hits
    // the caller's thread, in the 2nd the other, which may have read it
    // before the piece ahead of it). Every read goes through the seams, and
    // every piece before the failed one is hashed.
    for (const bool large : {false, true}) {
        const size_t size = large ? READ_AHEAD_MIN_FILE_SIZE + 100 : 5 * DIRECT_READ_SIZE;
        const std::string path = write_test_file("fails.bin", pattern_bytes(size));
        for (int reads : {0, 1, 2, 3}) {
            for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
                const size_t later = large ? row.read_piece_size : DIRECT_READ_SIZE;
                const size_t read = reads == 0 ? 0 : DIRECT_READ_SIZE + (reads - 1) * later;
                FailingReads fail(large ? std::min(reads, 1) : reads, static_cast<int64_t>(read));
                job_slot.run.clear();
                char out[160];
                std::memset(out, 0x5a, sizeof out);
                EXPECT_EQ(drivers_of(row.id).file(job_slot.run, path.c_str(), out), JOB_READ_FAILED)
                    << row.job_name << size << " " << reads;
                EXPECT_EQ(out[0], 0x5a) << row.job_name << reads;
                EXPECT_EQ(job_slot.run.bytes_done.load(), read) << row.job_name;
            }
        }
        job_slot.run.clear();
        // The same file read whole: the seam is gone again.
        char out[80];
        EXPECT_EQ(digest_file_crc32(job_slot.run, path.c_str(), out), JOB_DONE);
        EXPECT_EQ(out, crc_text(pattern_bytes(size))) << size;
    }
}

/* A block reader that changes the file's size once, right after its first
 * read: the file shrinks or grows under a driver that reads it ahead. */
std::string resized_path;
uintmax_t resized_size = 0;
bool resized = false;
int64_t resizing_reader(std::FILE *file, uint8_t *buffer, size_t size) {
    const int64_t got = platform_read_block(file, buffer, size);
    if (!resized) {
        resized = true;
        std::filesystem::resize_file(resized_path, resized_size);
    }
    return got;
}

TEST(EngineReadBlock, FileThatShrinksOrGrowsWhileReadAheadGivesTheChecksumOfTheBytesRead) {
    const size_t size = READ_AHEAD_MIN_FILE_SIZE;
    const std::vector<uint8_t> original = pattern_bytes(size);
    // After the first read, shrunk to a piece and 10 bytes (those bytes are
    // the file), to a piece exactly (a read ends there), or to nothing (the
    // first read is all); or grown by a piece of zeros (the reads go on to
    // the new end). In 1 MiB pieces (CRC-32), 128 KiB ones (SHA-256) and
    // 1 MiB pieces hashed as subtrees by both threads (BLAKE3).
    for (const tvkalgo::Algorithm algorithm :
         {tvkalgo::Algorithm::Crc32, tvkalgo::Algorithm::Sha256, tvkalgo::Algorithm::Blake3}) {
        const size_t piece = tvkalgo::facts(algorithm).read_piece_size;
        std::vector<uint8_t> grown = original;
        grown.resize(size + piece, 0);
        // What a driver reads: the new size, but the whole first read.
        const auto head = [&](size_t n) {
            n = std::max(n, DIRECT_READ_SIZE);
            return std::vector<uint8_t>(grown.begin(), grown.begin() + n);
        };
        const std::pair<uintmax_t, std::vector<uint8_t>> cases[] = {
            {piece + 10, head(piece + 10)},
            {piece, head(piece)},
            {0, head(0)},
            {size + piece, grown},
        };
        for (const auto &c : cases) {
            resized_path = write_test_file("resized.bin", original);
            resized_size = c.first;
            resized = false;
            file_block_reader = resizing_reader;
            job_slot.run.clear();
            char out[80] = {};
            const int32_t result =
                drivers_of(algorithm).file(job_slot.run, resized_path.c_str(), out);
            file_block_reader = platform_read_block;
            char expected[80] = {};
            drivers_of(algorithm).string(c.second.data(), expected,
                                         static_cast<uint32_t>(c.second.size()));
            EXPECT_EQ(result, JOB_DONE) << c.first;
            EXPECT_STREQ(out, expected) << piece << " " << c.first;
            EXPECT_EQ(job_slot.run.bytes_done.load(), c.second.size());
        }
    }
    // The string driver is the reference above: it agrees with zlib.
    char crc[16] = {};
    digest_string_crc32(original.data(), crc, static_cast<uint32_t>(size));
    EXPECT_EQ(crc, crc_text(original));
}

TEST(EngineReadBlock, JobWhoseReadFailsEndsWithResultThreeAndItsInitialText) {
    const std::string path =
        write_test_file("job-fails-late.bin", pattern_bytes(5 * DIRECT_READ_SIZE));
    auto call = [](const char *word, const void *a2 = nullptr, const void *a3 = nullptr,
                   uintptr_t a4 = 0) {
        return run_command(word, reinterpret_cast<uintptr_t>(a2), reinterpret_cast<uintptr_t>(a3),
                           a4);
    };
    {
        FailingReads fail(2, 0);
        ASSERT_EQ(call("newexecute", path.c_str(), "initial", 5), 0);
        while (call("getstatus") == 1) {
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(call("getreturnvalue"), JOB_READ_FAILED);
    char out[400];
    EXPECT_EQ(call("getsum", out), 0);
    EXPECT_STREQ(out, "initial");
    EXPECT_EQ(call("getprogress"), 40); // two of five reads succeeded
}

#if defined(__GLIBC__)
/* A stream over a script of read results: bytes, or a failure with errno. */
struct ScriptedStream {
    struct Step {
        ssize_t result;
        int error;
    };
    const Step *steps;
    size_t count;
    size_t next = 0;
};

ssize_t scripted_read(void *cookie, char *buffer, size_t size) {
    auto *stream = static_cast<ScriptedStream *>(cookie);
    if (stream->next == stream->count) {
        return 0;
    }
    const ScriptedStream::Step step = stream->steps[stream->next++];
    if (step.result < 0) {
        errno = step.error;
        return -1;
    }
    const size_t n = std::min(size, static_cast<size_t>(step.result));
    std::memset(buffer, 'x', n);
    return static_cast<ssize_t>(n);
}

std::FILE *open_scripted(ScriptedStream &stream) {
    cookie_io_functions_t io{};
    io.read = scripted_read;
    return fopencookie(&stream, "rb", io);
}

TEST(EngineReadBlock, PlatformReadTellsErrorsFromTheEndAndReadsOnAfterASignal) {
    using Step = ScriptedStream::Step;
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::vector<int64_t> reads; // the block reads, in order
    };
    const Case cases[] = {
        {"end of file", {{4096, 0}, {100, 0}}, {4096, 100, 0}},
        {"error at once", {{-1, EIO}}, {-1}},
        {"error after a part of a block", {{1000, 0}, {-1, EIO}}, {-1}},
        {"error after a block", {{4096, 0}, {-1, EISDIR}}, {4096, -1}},
        {"interrupted, then data", {{1000, 0}, {-1, EINTR}, {3096, 0}, {-1, EINTR}}, {4096, 0}},
    };
    for (const Case &c : cases) {
        ScriptedStream stream{c.steps.data(), c.steps.size()};
        std::FILE *file = open_scripted(stream);
        ASSERT_NE(file, nullptr);
        uint8_t buffer[BLOCK];
        for (size_t i = 0; i < c.reads.size(); ++i) {
            EXPECT_EQ(platform_read_block(file, buffer, BLOCK), c.reads[i]) << c.name << " " << i;
        }
        std::fclose(file);
    }
}
#endif

} // namespace
