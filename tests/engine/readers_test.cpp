/* readers_test.cpp -- "getsum" and "getnamea" asked from several threads at
 * once while jobs start and end: every answer is a whole text. */
#include "engine_library.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uintptr_t CRC32 = 2;
constexpr int ROUNDS = 40;
constexpr int READERS = 3;

/* The initial text of round r: 300 - r copies of one letter. */
std::string initial_text(int round) {
    return std::string(static_cast<size_t>(300 - round), static_cast<char>('a' + round % 26));
}

bool is_initial_text(const std::string &text) {
    for (int round = 0; round < ROUNDS; ++round) {
        if (text == initial_text(round)) {
            return true;
        }
    }
    return false;
}

/* What the readers found that is not a whole text, first one kept. */
struct Findings {
    std::mutex lock;
    std::string first_bad;
    int bad = 0;
    void report(const std::string &what) {
        std::lock_guard<std::mutex> hold(lock);
        if (bad++ == 0) {
            first_bad = what;
        }
    }
};

TEST(EngineReaders, GetSumAndGetNameAGiveWholeTextsWhileJobsRun) {
    const std::vector<uint8_t> bytes = pattern_bytes(1 << 20);
    const std::string file = write_test_file("readers.bin", bytes);
    const std::string missing = missing_test_file();
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x",
                  static_cast<uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size()))));
    const std::string module_path = test_program_path().substr(0, 254);

    // The first job's initial text is in place before any reader asks.
    ASSERT_EQ(engine().call("newexecute", file.c_str(), initial_text(0).c_str(), CRC32), 0);

    std::atomic<bool> stop{false};
    std::atomic<long> answers{0};
    Findings findings;
    std::vector<std::thread> readers;
    for (int i = 0; i < READERS; ++i) {
        readers.emplace_back([&, i] {
            while (!stop.load()) {
                char out[400];
                if (i == 0) {
                    std::memset(out, 0x5a, sizeof out);
                    engine().call("getnamea", out);
                    const std::string name(out, strnlen(out, sizeof out));
                    if (name != module_path) {
                        findings.report("getnamea: " + name);
                    }
                } else {
                    std::memset(out, 0x5a, sizeof out);
                    engine().call("getsum", out);
                    const std::string sum(out, strnlen(out, sizeof out));
                    if (sum != crc && !is_initial_text(sum)) {
                        findings.report("getsum: " + sum);
                    }
                }
                answers.fetch_add(1);
            }
        });
    }
    // getnamea from this thread too, at the same time as the reader's.
    char name[400];
    for (int round = 0; round < ROUNDS; ++round) {
        if (round > 0) {
            // Every fourth job cannot open its file and keeps its initial text.
            const std::string &path = round % 4 == 3 ? missing : file;
            ASSERT_EQ(engine().call("newexecute", path.c_str(), initial_text(round).c_str(), CRC32),
                      0);
        }
        engine().call("getnamea", name);
        EXPECT_EQ(std::string(name), module_path);
        ASSERT_TRUE(engine().wait_idle());
        EXPECT_EQ(engine().sum(), round % 4 == 3 ? initial_text(round) : std::string(crc));
    }
    stop.store(true);
    for (std::thread &reader : readers) {
        reader.join();
    }
    EXPECT_EQ(findings.bad, 0) << findings.first_bad;
    EXPECT_GT(answers.load(), 0);
}

} // namespace
