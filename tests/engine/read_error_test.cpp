/* read_error_test.cpp -- files that open but cannot be read, through the
 * loaded library: no checksum text, job result 3 (JOB_READ_FAILED). */
#include "engine_library.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char SENTINEL = 0x5a;
constexpr int32_t JOB_OPEN_FAILED = 1;
constexpr int32_t JOB_READ_FAILED = 3;

struct Unreadable {
    std::string path;
    int32_t job_result; // what a job on it ends with
};

/* A directory opens on Linux and fails at its first read; Windows does not
 * open it at all. /proc/self/mem opens and fails with EIO at offset 0. */
std::vector<Unreadable> unreadable_inputs() {
    std::string dir = scratch_dir();
    dir.pop_back(); // without its trailing separator
#if defined(_WIN32)
    return {{dir, JOB_OPEN_FAILED}};
#else
    return {{dir, JOB_READ_FAILED}, {"/proc/self/mem", JOB_READ_FAILED}};
#endif
}

TEST(EngineReadError, DirectFileWordsLeaveTheBufferUntouched) {
    for (const Unreadable &input : unreadable_inputs()) {
        for (const char *word : {"adler32file", "crc32file", "sha256file", "sha1file", "md5file",
                                 "tvk32file", "md532file"}) {
            char out[400];
            std::memset(out, SENTINEL, sizeof out);
            EXPECT_EQ(engine().call(word, input.path.c_str(), out), 1) << word << " " << input.path;
            EXPECT_EQ(out[0], SENTINEL) << word << " " << input.path;
            EXPECT_EQ(std::memchr(out, 0, sizeof out), nullptr) << word << " " << input.path;
            EXPECT_EQ(engine().status(), 0);
        }
    }
}

TEST(EngineReadError, JobEndsWithReadFailedAndKeepsTheInitialText) {
    for (const Unreadable &input : unreadable_inputs()) {
        for (uintptr_t selector = 1; selector <= 7; ++selector) {
            const std::string initial = "initial " + std::to_string(selector);
            ASSERT_EQ(engine().call("newexecute", input.path.c_str(), initial.c_str(), selector),
                      0);
            ASSERT_TRUE(engine().wait_idle());
            EXPECT_EQ(engine().result(), input.job_result) << input.path << " " << selector;
            EXPECT_EQ(engine().sum(), initial) << input.path << " " << selector;
        }
    }
    // The next job on a readable file is not affected.
    const std::string abc = write_test_file("after-error.bin", std::string("abc"));
    ASSERT_EQ(engine().call("newexecute", abc.c_str(), "", 2), 0);
    ASSERT_TRUE(engine().wait_idle());
    EXPECT_EQ(engine().result(), 0);
    EXPECT_EQ(engine().sum(), "352441c2");
}

} // namespace
