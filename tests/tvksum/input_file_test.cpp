// Preparing file operands for the control: names the engine cannot take
// become descriptor paths, streams are spooled to a nameless file.
#include "input_file.h"
#include "job_outcome.h"
#include "messages.h"
#include "whole_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tvksum;

namespace {

class InputFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tvksum-test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        const std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string make(const std::string &name, const std::string &content) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string slurp(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir_;
};

TEST_F(InputFileTest, OrdinaryNamesPassUnchanged) {
    const std::string path = make("with blank.txt", "abc");
    InputFile in(path);
    EXPECT_EQ(in.error(), "");
    EXPECT_EQ(in.path(), path);
    // Missing files too: the control refuses them with its own error.
    InputFile missing(dir_ + "/nope");
    EXPECT_EQ(missing.path(), dir_ + "/nope");
}

TEST_F(InputFileTest, LongAndNonUtf8NamesBecomeDescriptorPaths) {
    std::string sub = dir_;
    while (sub.size() <= kMaxDirectPath) {
        sub += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    }
    const std::string names[] = {sub + "/long.bin", make("bad\xff", "xyz")};
    std::ofstream(names[0], std::ios::binary) << "long";
    const std::string contents[] = {"long", "xyz"};
    for (int i = 0; i < 2; ++i) {
        InputFile in(names[i]);
        EXPECT_EQ(in.error(), "");
        EXPECT_EQ(in.path().rfind("/proc/self/fd/", 0), 0u) << in.path();
        EXPECT_LE(in.path().size(), kMaxDirectPath);
        EXPECT_EQ(slurp(in.path()), contents[i]);
    }
}

TEST_F(InputFileTest, FifoIsSpooledWhole) {
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string data(200000, 'q');
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << data; });
    InputFile in(fifo);
    writer.join();
    EXPECT_EQ(in.error(), "");
    EXPECT_EQ(in.path().rfind("/proc/self/fd/", 0), 0u);
    EXPECT_EQ(slurp(in.path()), data);
    EXPECT_EQ(slurp(in.path()), data); // readable again: the control reads twice
}

TEST_F(InputFileTest, EndlessCharacterDevicesAreRefusedOthersCopied) {
    for (const char *device : {"/dev/zero", "/dev/urandom", "/dev/full"}) {
        InputFile in(device);
        EXPECT_EQ(in.error(), kEndlessDevice) << device;
        EXPECT_EQ(in.path(), "") << device;
    }
    InputFile null("/dev/null");
    EXPECT_EQ(null.error(), "");
    EXPECT_EQ(slurp(null.path()), "");
}

TEST_F(InputFileTest, CopyThatRunsOutOfRoomSaysSoAndKeepsNothing) {
    // A file size limit stands in for a full disk: writes past it fail with
    // EFBIG (SIGXFSZ ignored), as a full one fails with ENOSPC.
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct sigaction ignore {
    }, old_action{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &old_action), 0);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string data(300000, 'q');
    std::thread writer([&] {
        for (std::size_t off = 0; off < data.size();) {
            const ssize_t w = write(fds[1], data.data() + off, data.size() - off);
            if (w <= 0)
                break;
            off += static_cast<std::size_t>(w);
        }
        close(fds[1]);
    });
    const char *old_tmpdir = std::getenv("TMPDIR");
    const std::string saved_tmpdir = old_tmpdir ? old_tmpdir : "";
    setenv("TMPDIR", dir_.c_str(), 1);
    rlimit small = old_limit;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string stdin_name = "/proc/self/fd/" + std::to_string(fds[0]);
    {
        InputFile in(stdin_name);
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_EQ(in.error(), "no room to copy the input to " + dir_ + ": " + std::strerror(EFBIG));
        EXPECT_EQ(in.path(), "");
        // The copy had no name from the start and is closed already.
        EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir_ + "')\"").c_str()), 0);
        EXPECT_EQ(std::system(("! ls -l /proc/" + std::to_string(getpid()) + "/fd | grep -q '" +
                               dir_ + "/tvksum\\.'")
                                  .c_str()),
                  0);
    }
    char rest[65536];
    while (read(fds[0], rest, sizeof rest) > 0) {
    }
    close(fds[0]);
    writer.join();
    if (old_tmpdir)
        setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");
    sigaction(SIGXFSZ, &old_action, nullptr);
}

TEST_F(InputFileTest, ReadErrorReasons) {
    EXPECT_EQ(read_error_reason(make("fine", std::string(100000, 'f'))), "");
    EXPECT_EQ(read_error_reason("/proc/self/mem"), std::strerror(EIO));
    EXPECT_EQ(read_error_reason(dir_ + "/nope"), std::strerror(ENOENT));
    EXPECT_EQ(read_error_reason(dir_), std::strerror(EISDIR));
    // What may not end is not read: a FIFO without a writer, /dev/zero.
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(read_error_reason(fifo), "");
    EXPECT_EQ(read_error_reason("/dev/zero"), "");
}

TEST_F(InputFileTest, ReasonsForUnreadableFiles) {
    EXPECT_EQ(unreadable_reason(make("ok", "")), "");
    EXPECT_EQ(unreadable_reason(dir_ + "/nope"), std::strerror(ENOENT));
    EXPECT_EQ(unreadable_reason(dir_), std::strerror(EISDIR));
}

TEST_F(InputFileTest, FileErrorMessages) {
    JobOutcome out;
    out.error_number = 5;
    out.error_text = "The input file or path is invalid";
    EXPECT_EQ(file_error(dir_ + "/nope", out),
              dir_ + "/nope: The input file or path is invalid (No such file or directory)");
    out.error_number = 3;
    out.error_text = "The input file is empty ";
    EXPECT_EQ(file_error("", out), "'': The input file is empty ");
    out.error_number = 9;
    out.error_text = "User abort";
    out.kind = JobOutcome::Interrupted;
    EXPECT_EQ(file_error("f", out), "f: User abort");
    out.kind = JobOutcome::Failed;
    // A file that reads well now: the job's failure is all there is to say.
    const std::string fine = make("f", "fine");
    EXPECT_EQ(file_error(fine, out), fine + ": User abort (the engine could not read the file)");
    EXPECT_EQ(file_error("-", out), "-: User abort (the engine could not read the file)");
    // Else the reason, as sha256sum gives it.
    EXPECT_EQ(file_error("/proc/self/mem", out), "/proc/self/mem: Input/output error");
    EXPECT_EQ(file_error(dir_ + "/gone", out), dir_ + "/gone: No such file or directory");
}

} // namespace

TEST_F(InputFileTest, WholeFileReadsOnlyRegularFilesThatFitTheRoom) {
    // -1 sends the file to the control, which reads it or names the failure.
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::size_t room;
        long long expected;
    } cases[] = {
        {make("empty", ""), 1, 0},
        {make("three", "abc"), 4, 3},
        {make("fills", "abcd"), 4, -1}, // no room to see the end
        {dir_ + "/missing", 16, -1},
        {dir_, 16, -1}, // a folder
        {fifo, 16, -1}, // no writer: refused without waiting
    };
    for (const auto &c : cases) {
        unsigned char buffer[16];
        EXPECT_EQ(read_whole_file(c.path, buffer, c.room), c.expected) << c.path;
        if (c.expected > 0) {
            EXPECT_EQ(std::string(buffer, buffer + c.expected), slurp(c.path));
        }
    }
}
