/* unit_test.cpp -- parts of the command layer, linked in directly: the
 * percentage, the file size, the file drivers' pause and cancel checks and
 * the edges of their runs and reads, and a worker thread that cannot be
 * created. */
#include "commands.h"
#include "drivers.h"
#include "job_runner.h"
#include "job_state.h"
#include "progress.h"
#include "read_ahead.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <thread>

using namespace tvkengine;

namespace {

TEST(EngineUnit, PercentOfDividesFirstAndTruncates) {
    struct Case {
        int64_t total;
        uint64_t done;
        int32_t percent;
    };
    const int64_t gib = int64_t{1} << 30;
    const Case cases[] = {
        {97, 97, 99}, // 100/97*97 is just below 100
        {100, 100, 100},
        {0, 5, 0},
        {5, 0, 0},
        {400, 4, 1},
        {4096000, 4096, 0},
        {5 * gib, static_cast<uint64_t>(5 * gib / 2), 50},
        {(int64_t{1} << 32) + 4096, 4096, 0},
        {200, 400, 200},
        {-1, 5, -500},
        {1, uint64_t{1} << 40, 2147483647}, // limited, not undefined
    };
    for (const Case &c : cases) {
        EXPECT_EQ(percent_of(c.total, c.done), c.percent) << c.total << " " << c.done;
    }
}

TEST(EngineUnit, JobProgressLimitsToZeroToHundred) {
    const std::pair<int64_t, uint64_t> counters[] = {{100, 250}, {-1, 5}, {0, 5}, {5, 0}};
    const int32_t expected[] = {100, 0, 0, 0};
    for (size_t i = 0; i < 4; ++i) {
        job_slot.run.total_size = counters[i].first;
        job_slot.run.bytes_done = counters[i].second;
        EXPECT_EQ(job_progress(), expected[i]);
    }
    job_slot.run.clear();
}

TEST(EngineUnit, MeasureFileSizeIs64BitAndZeroForMissingFiles) {
    EXPECT_EQ(measure_file_size(write_test_file("size.bin", pattern_bytes(4097)).c_str()), 4097);
    EXPECT_EQ(measure_file_size(missing_test_file().c_str()), 0);
    const int64_t big = (int64_t{1} << 32) + 17;
    const std::string sparse = make_sparse_file("size-sparse.bin", static_cast<uint64_t>(big));
    if (!sparse.empty()) {
        EXPECT_EQ(measure_file_size(sparse.c_str()), big);
        // An open file's size comes from the system, the position stays.
        std::FILE *open = std::fopen(sparse.c_str(), "rb");
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(measure_open_file_size(open, sparse.c_str()), big);
        EXPECT_EQ(std::ftell(open), 0);
        std::fclose(open);
        std::remove(sparse.c_str());
    }
}

TEST(EngineUnit, FileDriverStopsBeforeTheFirstBlockWhenCancelled) {
    const std::string path = write_test_file("cancelled.bin", pattern_bytes(3 * 4096));
    job_slot.run.clear();
    job_slot.run.pause_flag = 1;
    job_slot.run.cancel_flag = 1;
    char out[32];
    EXPECT_EQ(digest_file_crc32(job_slot.run, path.c_str(), out), JOB_CANCELLED);
    EXPECT_STREQ(out, "00000000"); // the text of the bytes read: none
    EXPECT_EQ(job_slot.run.bytes_done.load(), 0u);
    EXPECT_EQ(job_slot.run.total_size.load(), 3 * 4096);
    job_slot.run.clear();
}

TEST(EngineUnit, PausedFileDriverStillReadsToTheEnd) {
    const std::vector<uint8_t> bytes = pattern_bytes(2 * 4096 + 1);
    const std::string path = write_test_file("paused-driver.bin", bytes);
    job_slot.run.clear();
    job_slot.run.pause_flag = 1;
    char out[32];
    EXPECT_EQ(digest_file_adler32(job_slot.run, path.c_str(), out), JOB_DONE);
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08x",
                  static_cast<uint32_t>(adler32(1, bytes.data(), static_cast<uInt>(bytes.size()))));
    EXPECT_STREQ(out, expected);
    EXPECT_EQ(job_slot.run.bytes_done.load(), bytes.size());
    job_slot.run.clear();
}

TEST(EngineUnit, FilesAtTheEdgesOfRunsAndReadsHashLikeTheirBytes) {
    // Runs of HASH_RUN_SIZE, direct reads of DIRECT_READ_SIZE, pieces read
    // by two threads after the first direct read: with a last one that is no
    // whole number of runs, and an odd or even number of whole 1 MiB pieces
    // (the last, empty read on either thread).
    const size_t sizes[] = {HASH_RUN_SIZE - 1,
                            HASH_RUN_SIZE + 1,
                            DIRECT_READ_SIZE,
                            DIRECT_READ_SIZE + READ_BLOCK_SIZE + 1,
                            READ_AHEAD_MIN_FILE_SIZE + HASH_RUN_SIZE + 7,
                            DIRECT_READ_SIZE + READ_AHEAD_MIN_FILE_SIZE,
                            DIRECT_READ_SIZE + READ_AHEAD_MIN_FILE_SIZE + (1 << 20)};
    for (const size_t size : sizes) {
        const std::vector<uint8_t> bytes = pattern_bytes(size);
        const std::string path = write_test_file("run-edges.bin", bytes);
        for (const Drivers &d : algorithm_drivers) {
            char from_file[160] = {};
            char from_string[160] = {};
            job_slot.run.clear();
            ASSERT_EQ(d.file(job_slot.run, path.c_str(), from_file), JOB_DONE) << size;
            d.string(bytes.data(), from_string, static_cast<uint32_t>(size));
            EXPECT_STREQ(from_file, from_string) << size;
            EXPECT_EQ(job_slot.run.bytes_done.load(), size);
        }
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x",
                      static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(size))));
        char from_file[16] = {};
        ASSERT_EQ(digest_file_crc32(job_slot.run, path.c_str(), from_file), JOB_DONE);
        EXPECT_STREQ(from_file, crc) << size;
    }
    job_slot.run.clear();
}

TEST(EngineUnit, FileDriverOnMissingFileChangesNothing) {
    job_slot.run.total_size = 7;
    job_slot.run.bytes_done = 3;
    char out[32];
    std::memset(out, 0x5a, sizeof out);
    EXPECT_EQ(digest_file_md532(job_slot.run, missing_test_file().c_str(), out), JOB_OPEN_FAILED);
    EXPECT_EQ(out[0], 0x5a);
    EXPECT_EQ(job_slot.run.total_size.load(), 7);
    EXPECT_EQ(job_slot.run.bytes_done.load(), 3u);
    job_slot.run.clear();
}

// The HMAC words: RFC 4231 case 2 and RFC 2202 case 2 written as the string
// words write (digits, zeros up to the string output size); the words of
// algorithms without HMAC answer 0 and write nothing.
TEST(EngineUnit, HmacWordsWriteAsStringWordsAndOnlyForKeyedAlgorithms) {
    const char key[] = "Jefe";
    const char data[] = "what do ya want for nothing?";
    const uintptr_t block[4] = {reinterpret_cast<uintptr_t>(key), 4,
                                reinterpret_cast<uintptr_t>(data), sizeof data - 1};
    const struct {
        const char *word;
        int32_t answer;
        const char *text;
        size_t size;
    } cases[] = {
        {"sha256hmac", 1, "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843", 65},
        {"md5hmac", 1, "750c783e6ab0b503eaa86e310a5db738", 33},
        {"sha1hmac", 1, "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79", 41},
        {"crc32hmac", 0, "", 0},
        {"md532hmac", 0, "", 0},
        {"tvk32hmac", 0, "", 0},
        {"adler32hmac", 0, "", 0},
    };
    for (const auto &c : cases) {
        char out[200];
        std::memset(out, 0x5a, sizeof out);
        EXPECT_EQ(run_command(c.word, reinterpret_cast<uintptr_t>(block),
                              reinterpret_cast<uintptr_t>(out), 0),
                  c.answer)
            << c.word;
        const size_t digits = std::strlen(c.text);
        EXPECT_EQ(std::string(out, digits), c.text) << c.word;
        for (size_t i = digits; i < sizeof out; ++i)
            ASSERT_EQ(out[i], i < c.size ? 0 : 0x5a) << c.word << " byte " << i;
    }
}

TEST(EngineUnit, ThreadThatCannotBeCreatedEndsTheJobWithAFailure) {
    const std::string path = write_test_file("nothread.bin", std::string("abc"));
    const ThreadStarter real_starter = job_thread_starter;
    job_thread_starter = [](void (*)()) { return false; };
    EXPECT_EQ(run_command("newexecute", reinterpret_cast<uintptr_t>(path.c_str()),
                          reinterpret_cast<uintptr_t>("initial"), 2),
              1);
    job_thread_starter = real_starter;
    EXPECT_EQ(run_command("getstatus", 0, 0, 0), 0);
    EXPECT_EQ(run_command("getreturnvalue", 0, 0, 0), 1);

    // The slot is free again: the next job runs.
    EXPECT_EQ(run_command("newexecute", reinterpret_cast<uintptr_t>(path.c_str()),
                          reinterpret_cast<uintptr_t>("initial"), 2),
              0);
    while (run_command("getstatus", 0, 0, 0) == 1) {
        std::this_thread::yield();
    }
    EXPECT_EQ(run_command("getreturnvalue", 0, 0, 0), 0);
    char out[400];
    run_command("getsum", reinterpret_cast<uintptr_t>(out), 0, 0);
    EXPECT_STREQ(out, "352441c2");
}

} // namespace
