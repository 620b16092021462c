// input_kinds_test.cpp -- CheckInputFile takes only files that end: regular
// files (on Linux block devices too). FIFOs, sockets, character devices,
// directories and Windows device names are refused, without blocking, and
// the control reports them with error 5.
#include "test_support.h"

#include "Globals.h"
#include "ZipClass.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

const std::string Refused = "ErrorCode 5 The input file or path is invalid";

// What the engine's own wide file word writes for the name: nothing for a
// name it refuses.
std::string EngineText(const String &name) {
    using tvk::Globals::CallEntry;
    const std::uintptr_t library = tvk::Globals::LoadLibraryPath(EngineBesideProgram());
    const std::uintptr_t entry = tvk::Globals::GetProcAddressNarrow(library, "interface1");
    char out[80] = {};
    const auto address = [](const void *p) { return reinterpret_cast<std::uintptr_t>(p); };
    if (entry != 0)
        CallEntry(entry, address("crc32filew"), address(name.c_str()), address(out), 0);
    tvk::Globals::FreeLibraryHandle(library);
    return out;
}

// The check answers False, the engine's wide word writes nothing, a file
// method returns "" with error 5, and a job start reports error 5 and
// finishes with "".
void ExpectRefused(const char *what, const String &name) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(tvk::ZipClass().CheckInputFile(name));
    EXPECT_EQ(EngineText(name), "");
    EventLog events;
    TVKChecksum control(&events);
    EXPECT_EQ(control.SHA1File(name), u"");
    EXPECT_EQ(events.Lines, Lines{Refused});
    events.Lines.clear();
    control.NewCheckSumFile(u"crc32", name);
    EXPECT_EQ(events.Lines, Lines({"Progress 0", Refused, "Finished "}));
    EXPECT_FALSE(control.Timer1.Enabled());
}

#if !defined(_WIN32)
// A UNIX socket bound to a name in the folder, closed at the end.
class BoundSocket {
  public:
    explicit BoundSocket(const std::string &path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 &&
                 bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                 listen(fd_, 1) == 0;
    }
    ~BoundSocket() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Bound() const { return bound_; }

  private:
    int fd_;
    bool bound_ = false;
};

TEST(InputKinds, OnlyFilesThatEndAreTaken) {
    TempDir dir;
    const std::string root = dir.Root.string();
    const String regular = dir.File("regular.bin", std::string(300, 'r'));
    ASSERT_EQ(mkfifo((root + "/fifo").c_str(), 0600), 0);
    BoundSocket socket(root + "/socket");
    ASSERT_TRUE(socket.Bound());
    ASSERT_EQ(symlink((root + "/fifo").c_str(), (root + "/link-to-fifo").c_str()), 0);
    ASSERT_EQ(symlink((root + "/regular.bin").c_str(), (root + "/link-to-file").c_str()), 0);

    // A FIFO without a writer: opening it for reading the ordinary way would
    // wait for ever; the check must answer at once.
    ExpectRefused("FIFO without a writer", dir.Path("fifo"));
    ExpectRefused("link to a FIFO", dir.Path("link-to-fifo"));
    ExpectRefused("socket", dir.Path("socket"));
    ExpectRefused("/dev/null", u"/dev/null");
    ExpectRefused("/dev/zero", u"/dev/zero");
    ExpectRefused("/dev/tty", u"/dev/tty");
    ExpectRefused("directory", dir.Root.u16string());
    ExpectRefused("root directory", u"/");

    tvk::ZipClass host;
    EXPECT_TRUE(host.CheckInputFile(regular));
    EXPECT_TRUE(host.CheckInputFile(dir.Path("link-to-file")));
    EventLog events;
    TVKChecksum control(&events);
    EXPECT_EQ(control.CRC32File(dir.Path("link-to-file")), control.CRC32File(regular));
    EXPECT_TRUE(events.Lines.empty());
}

TEST(InputKinds, FifoWithAWriterIsRefusedToo) {
    // Data waiting in the pipe changes nothing: a pipe has no end to reach.
    TempDir dir;
    const std::string fifo = dir.Root.string() + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "abc", 3), 3);
    ExpectRefused("FIFO with data", dir.Path("fifo"));
    close(writer);
    close(reader);
}

TEST(InputKinds, BlockDevicesAreTaken) {
    // Any readable block device of this machine; containers often have none.
    for (const auto &entry : std::filesystem::directory_iterator("/dev")) {
        struct stat st {};
        if (stat(entry.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) &&
            access(entry.path().c_str(), R_OK) == 0) {
            const int fd = open(entry.path().c_str(), O_RDONLY | O_NONBLOCK);
            if (fd < 0)
                continue;
            close(fd);
            EXPECT_TRUE(tvk::ZipClass().CheckInputFile(entry.path().u16string())) << entry.path();
            return;
        }
    }
    GTEST_SKIP() << "no readable block device here";
}
#else
// A named pipe with one instance, which does not wait for a client. Whether
// anything opened it shows afterwards: a client can still connect only to
// an instance nobody took.
class PipeServer {
  public:
    explicit PipeServer(const std::string &name)
        : name_(name),
          pipe_(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1,
                                 512, 512, 0, nullptr)) {}
    ~PipeServer() {
        if (pipe_ != INVALID_HANDLE_VALUE)
            CloseHandle(pipe_);
    }
    bool Listening() const { return pipe_ != INVALID_HANDLE_VALUE; }
    bool Untouched() const {
        const HANDLE client = CreateFileA(name_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (client == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(client);
        return true;
    }

  private:
    std::string name_;
    HANDLE pipe_;
};

TEST(InputKinds, OnlyDiskFilesAreTaken) {
    TempDir dir;
    const String regular = dir.File("regular.bin", std::string(300, 'r'));
    const std::string pipe = "pipe\\tvk-input-kinds-" + std::to_string(GetCurrentProcessId());
    const std::string device_pipe = "\\\\.\\" + pipe;
    const String folder = dir.Root.u16string();

    // Every form of a device name, refused before anything opens it: the
    // pipe's one instance is still free for a client afterwards.
    const std::pair<const char *, String> devices[] = {
        {"NUL", u"NUL"},
        {"nul, lower case", u"nul"},
        {"CON", u"CON"},
        {"CONIN$", u"CONIN$"},
        {"COM1", u"COM1"},
        {"COM1:", u"COM1:"},
        {"COM9 with an extension", u"COM9.txt"},
        {"LPT1", u"LPT1"},
        {"LPT1 in a folder with an extension", folder + u"\\LPT1.log"},
        {"AUX", u"AUX"},
        {"NUL in a folder", dir.Path("NUL")},
        {"CON in a folder with an extension", folder + u"\\con.txt"},
        {"device path", u"\\\\.\\NUL"},
        {"device path, forward slashes", u"//./NUL"},
        {"named pipe", Wide(device_pipe)},
        {"named pipe through \\\\?\\", Wide("\\\\?\\" + pipe)},
        {"named pipe through \\\\?\\, upper case", Wide("\\\\?\\PIPE" + pipe.substr(4))},
        {"\\\\?\\COM1", u"\\\\?\\COM1"},
        {"\\\\?\\NUL", u"\\\\?\\NUL"},
        {"\\\\?\\GLOBALROOT", u"\\\\?\\GLOBALROOT\\Device\\Null"},
        {"\\\\?\\GLOBALROOT pipe", Wide("\\\\?\\GLOBALROOT\\Device\\NamedPipe\\" + pipe.substr(5))},
        {"share's pipe", Wide("\\\\localhost\\" + pipe)},
        {"share's pipe through \\\\?\\UNC", Wide("\\\\?\\UNC\\localhost\\" + pipe)},
        {"directory", folder},
    };
    for (const auto &[what, name] : devices) {
        PipeServer server(device_pipe);
        ASSERT_TRUE(server.Listening());
        ExpectRefused(what, name);
        EXPECT_TRUE(server.Untouched()) << what;
    }

    tvk::ZipClass host;
    EXPECT_TRUE(host.CheckInputFile(regular));
    EXPECT_TRUE(host.CheckInputFile(u"\\\\?\\" + regular));
}
#endif

} // namespace
