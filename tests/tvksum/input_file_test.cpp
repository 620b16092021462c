// Preparing file operands for the control: names the engine cannot take
// become descriptor paths, streams are spooled to a nameless file.
#include "input_file.h"
#include "job_outcome.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
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
    EXPECT_EQ(file_error("f", out), "f: User abort (the engine could not read the file)");
}

} // namespace
