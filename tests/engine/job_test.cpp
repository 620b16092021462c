/* job_test.cpp -- background jobs through interface1: lifecycle, pause,
 * resume, cancel, progress, and the guards of a running job. */
#include "engine_library.h"
#include "read_ahead.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

/* No SCOPED_TRACE (see protocol_test.cpp). */

namespace {

constexpr uintptr_t ADLER32 = 1;
constexpr uintptr_t CRC32 = 2;
constexpr uintptr_t MD5 = 5;
constexpr size_t BLOCK = 4096;
/* 100 blocks: after k blocks "getprogress" is exactly k. */
constexpr size_t HUNDRED_BLOCKS = 100 * BLOCK;
/* Attempts for the cases where the job must not end before the test's next
 * call reaches the engine. On a machine busy with other test programs the
 * test's thread loses its core often enough that five were too few; an
 * attempt the job wins costs one short job. */
constexpr int ATTEMPTS = 50;

std::string crc_text_of(uLong crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<uint32_t>(crc));
    return text;
}

std::string crc_text(const uint8_t *bytes, size_t count) {
    return crc_text_of(crc32(0, bytes, static_cast<uInt>(count)));
}

struct JobFile {
    std::vector<uint8_t> bytes;
    std::string path;
    JobFile(const std::string &name, size_t size)
        : bytes(pattern_bytes(size)), path(write_test_file(name, bytes)) {}
    std::string crc() const { return crc_text(bytes.data(), bytes.size()); }
    std::string crc_of_prefix(size_t count) const { return crc_text(bytes.data(), count); }
};

const EngineLibrary &e() {
    return engine();
}

int32_t start(const JobFile &file, uintptr_t selector = CRC32, const char *initial = "initial") {
    return e().call("newexecute", file.path.c_str(), initial, selector);
}

// Resumes a job held by a pause and checks that it runs to its end with the
// CRC-32 of the whole file.
void expect_resumed_job_completes(const JobFile &file) {
    EXPECT_EQ(e().status(), 1);
    e().call("resume");
    ASSERT_TRUE(e().wait_idle());
    EXPECT_EQ(e().result(), 0);
    EXPECT_EQ(e().sum(), file.crc());
    EXPECT_EQ(e().progress(), 100);
}

TEST(EngineJob, MissingFileEndsWithOpenFailedAndKeepsTheInitialText) {
    const std::string missing = missing_test_file();
    ASSERT_EQ(e().call("newexecute", missing.c_str(), "initial text", CRC32), 0);
    ASSERT_TRUE(e().wait_idle());
    EXPECT_EQ(e().result(), 1);
    EXPECT_EQ(e().sum(), "initial text");
}

TEST(EngineJob, EmptyFileEndsDoneWithTheTextOfNoBytes) {
    const JobFile empty("empty.bin", 0);
    const std::pair<uintptr_t, const char *> cases[] = {{CRC32, "00000000"}, {ADLER32, "00000001"}};
    for (const auto &c : cases) {
        ASSERT_EQ(start(empty, c.first), 0);
        ASSERT_TRUE(e().wait_idle());
        EXPECT_EQ(e().result(), 0);
        EXPECT_EQ(e().progress(), 0);
        EXPECT_EQ(e().sum(), c.second);
    }
}

TEST(EngineJob, ProgressAtTheEndIs99For97BytesAnd100For100Bytes) {
    const std::pair<size_t, int32_t> cases[] = {{97, 99}, {100, 100}, {4097, 100}};
    for (const auto &c : cases) {
        const JobFile file("progress.bin", c.first);
        ASSERT_EQ(start(file), 0);
        ASSERT_TRUE(e().wait_idle());
        EXPECT_EQ(e().result(), 0) << c.first;
        EXPECT_EQ(e().sum(), file.crc()) << c.first;
        // The counters keep their values after the end.
        EXPECT_EQ(e().progress(), c.second) << c.first;
        EXPECT_EQ(e().progress(), c.second) << c.first;
    }
}

TEST(EngineJob, PausedJobAdvancesOneBlockAtATimeAndResumeFinishesIt) {
    const JobFile file("paused.bin", HUNDRED_BLOCKS);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        ASSERT_EQ(start(file), 0);
        e().call("pause");
        int32_t last = e().progress();
        if (e().status() == 0 || last > 90) {
            // The job got through before the pause: let it end, try again.
            // A retry while it still ran would be refused.
            e().call("resume");
            ASSERT_TRUE(e().wait_idle());
            continue;
        }
        // While paused the job moves one block (one percent) per step; a
        // poll that comes late may see two.
        int steps = 0;
        while (steps < 4 && e().status() == 1) {
            const int32_t now = e().progress();
            if (now != last) {
                EXPECT_LE(now - last, 2);
                last = now;
                ++steps;
            }
            sleep_ms(5);
        }
        EXPECT_EQ(steps, 4);
        expect_resumed_job_completes(file);
        return;
    }
    FAIL() << "the job always ended before the pause";
}

TEST(EngineJob, CancelWhilePausedEndsCancelledWithTheTextOfTheBytesRead) {
    const JobFile file("cancel.bin", HUNDRED_BLOCKS);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        ASSERT_EQ(start(file), 0);
        e().call("pause");
        e().call("cancel");
        ASSERT_TRUE(e().wait_idle());
        if (e().result() == 0) {
            continue; // ended before the pause
        }
        EXPECT_EQ(e().result(), 2);
        const int32_t blocks = e().progress();
        EXPECT_LT(blocks, 100);
        EXPECT_EQ(e().sum(), file.crc_of_prefix(static_cast<size_t>(blocks) * BLOCK));
        return;
    }
    FAIL() << "the job always ended before the pause";
}

TEST(EngineJob, CancelWhilePausedOnALargeFileEndsWithTheTextOfWholeBlocks) {
    // Read ahead by the reader thread; paused, hashed block by block.
    const size_t blocks = tvkengine::READ_AHEAD_MIN_FILE_SIZE / BLOCK + 500;
    const JobFile file("cancel-large.bin", blocks * BLOCK);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        ASSERT_EQ(start(file), 0);
        e().call("pause");
        const int32_t before = e().progress();
        sleep_ms(120);
        // Paused: one block per 50 ms (under 0.1 % of this file), not the rest.
        const int32_t after = e().progress();
        e().call("cancel");
        ASSERT_TRUE(e().wait_idle());
        if (e().result() == 0) {
            continue; // ended before the pause
        }
        EXPECT_EQ(e().result(), 2);
        EXPECT_LE(after - before, 5);
        // The text is the CRC-32 of a whole-block prefix that shows as the
        // final progress.
        const int32_t percent = e().progress();
        bool found = false;
        uLong crc = crc32(0, Z_NULL, 0);
        for (size_t k = 0; k <= blocks && !found; ++k) {
            // The engine's own rounding: the division first, then truncation.
            const double shown =
                100.0 / static_cast<double>(blocks * BLOCK) * static_cast<double>(k * BLOCK);
            if (static_cast<int32_t>(shown) == percent) {
                found = e().sum() == crc_text_of(crc);
            }
            if (k < blocks) {
                crc = crc32(crc, file.bytes.data() + k * BLOCK, BLOCK);
            }
        }
        EXPECT_TRUE(found) << e().sum() << " at " << percent << "%";
        return;
    }
    FAIL() << "the job always ended before the pause";
}

TEST(EngineJob, Blake3JobPausedAndResumedOnALargeFileGivesTheWholeFilesChecksum) {
    // Both reading threads hash BLAKE3 subtrees at once until the pause;
    // paused, pieces go block by block; resumed, subtrees again, and a last
    // short piece. The reference is the string word, one run of updates.
    constexpr uintptr_t BLAKE3 = 10;
    const JobFile file("blake3-large.bin", 3 * tvkengine::READ_AHEAD_MIN_FILE_SIZE + 12345);
    char expected[80] = {};
    ASSERT_EQ(e().call("blake3string", file.bytes.data(), expected, file.bytes.size()), 1);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        ASSERT_EQ(start(file, BLAKE3), 0);
        while (e().progress() <= 5 && e().status() == 1) {
        }
        e().call("pause");
        const int32_t before = e().progress();
        sleep_ms(120);
        const int32_t after = e().progress();
        e().call("resume");
        ASSERT_TRUE(e().wait_idle());
        EXPECT_EQ(e().result(), 0);
        EXPECT_EQ(e().sum(), expected);
        if (before > 5 && before < 90) {
            EXPECT_LE(after - before, 1); // one block per 50 ms: under 0.01 %
            return;
        }
    }
    FAIL() << "no pause came in the middle of the job";
}

TEST(EngineJob, CancelThenResumeRunsToTheEndAndALaterPauseCancels) {
    const JobFile file("resume.bin", 1000 * BLOCK);
    bool finished = false, cancelled = false;
    for (int attempt = 0; attempt < 2 * ATTEMPTS && !(finished && cancelled); ++attempt) {
        const bool then_pause = finished;
        ASSERT_EQ(start(file), 0);
        e().call("cancel");
        e().call("resume");
        if (e().status() == 0) {
            continue; // ended before the cancel
        }
        if (then_pause) {
            e().call("pause");
        }
        ASSERT_TRUE(e().wait_idle());
        if (!then_pause && e().result() == 0) {
            EXPECT_EQ(e().sum(), file.crc());
            finished = true;
        } else if (then_pause) {
            EXPECT_EQ(e().result(), 2);
            cancelled = e().result() == 2;
        }
        // A result 2 without the pause means the worker looked between the
        // two calls: rare, and another attempt follows.
    }
    EXPECT_TRUE(finished);
    EXPECT_TRUE(cancelled);
}

TEST(EngineJob, StringWordsAnswerWhileAJobRuns) {
    const JobFile file("busy.bin", HUNDRED_BLOCKS);
    ASSERT_EQ(start(file), 0);
    e().call("pause");
    char out[400];
    EXPECT_EQ(e().call("crc32string", "abc", out, 3), 1);
    EXPECT_STREQ(out, "352441c2");
    EXPECT_EQ(e().call("md5string", "abc", out, 3), 1);
    EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72");
    e().call("cancel");
    ASSERT_TRUE(e().wait_idle());
}

TEST(EngineJob, NewExecuteAndFileWordsAreRefusedWhileAJobRuns) {
    const JobFile file("guarded.bin", HUNDRED_BLOCKS);
    const JobFile other("other.bin", 10);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        ASSERT_EQ(start(file, CRC32, "first"), 0);
        e().call("pause");
        if (e().status() == 0) {
            continue;
        }
        EXPECT_EQ(e().call("newexecute", other.path.c_str(), "second", MD5), 1);
        char out[400];
        std::memset(out, 0x5a, sizeof out);
        for (const char *word : {"crc32file", "md5file", "md532file", "sha256file"}) {
            EXPECT_EQ(e().call(word, other.path.c_str(), out), 1) << word;
        }
        EXPECT_EQ(out[0], 0x5a);
        // The running job was not touched.
        expect_resumed_job_completes(file);
        return;
    }
    FAIL() << "the job always ended before the pause";
}

TEST(EngineJob, ProgressOfAFileBeyond4GiBUsesItsWholeSize) {
    // 4 GiB + 4096 bytes: cut to 32 bits the size would be one block, and
    // the first block would show 100.
    const uint64_t size = (uint64_t{1} << 32) + BLOCK;
    const std::string path = make_sparse_file("sparse.bin", size);
    if (path.empty()) {
        GTEST_SKIP() << "no sparse files here";
    }
    ASSERT_EQ(e().call("newexecute", path.c_str(), "", CRC32), 0);
    int32_t highest = 0;
#if !defined(_WIN32)
    // Natively the first percent (43 MB of holes) is quickly read.
    while (e().status() == 1 && highest < 1) {
        highest = e().progress();
        sleep_ms(1);
    }
    EXPECT_EQ(highest, 1);
#endif
    for (int i = 0; i < 20 && e().status() == 1; ++i) {
        highest = std::max(highest, e().progress());
        sleep_ms(5);
    }
    EXPECT_EQ(e().status(), 1);
    EXPECT_LT(highest, 100);
    e().call("cancel");
    ASSERT_TRUE(e().wait_idle());
    EXPECT_EQ(e().result(), 2);
    std::remove(path.c_str());
}

} // namespace
