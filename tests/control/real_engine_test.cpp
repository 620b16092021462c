// real_engine_test.cpp -- the control against the real engine library beside
// it: string and file checksums checked against published vectors and
// hashlib/zlib output, a background job end to end, and the file checks.
#include "test_support.h"

#include "Globals.h"
#include "ZipClass.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

const auto *const pin = ::testing::AddGlobalTestEnvironment(NewEnginePin());

using StringMethod = String (TVKChecksum::*)(String, Long);
using FileMethod = String (TVKChecksum::*)(String);

struct StringCase {
    const char *name;
    StringMethod method;
    String text;
    Long length;
    const char16_t *expected;
};

TEST(RealEngine, StringMethodsMatchPublishedVectors) {
    TVKChecksum control(nullptr);
    const String nul(1, u'\0');
    const StringCase cases[] = {
        {"md5 abc", &TVKChecksum::MD5String, u"abc", 3, u"900150983cd24fb0d6963f7d28e17f72"},
        {"md5_32 abc", &TVKChecksum::MD5_32String, u"abc", 3, u"90015098"},
        {"sha1 abc", &TVKChecksum::SHA1String, u"abc", 3,
         u"a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"sha256 abc", &TVKChecksum::SHA256String, u"abc", 3,
         u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"crc32 check", &TVKChecksum::CRC32String, u"123456789", 9, u"cbf43926"},
        {"adler32 abc", &TVKChecksum::Adler32String, u"abc", 3, u"024d0127"},
        {"adler32 empty", &TVKChecksum::Adler32String, u"", 0, u"00000001"},
        {"crc32 empty", &TVKChecksum::CRC32String, u"xyz", 0, u"00000000"},
        {"length 0", &TVKChecksum::MD5String, u"whatever", 0, u"d41d8cd98f00b204e9800998ecf8427e"},
        {"shorter", &TVKChecksum::MD5String, u"abcdef", 3, u"900150983cd24fb0d6963f7d28e17f72"},
        {"one more: the NUL", &TVKChecksum::MD5String, u"abc", 4,
         u"147a664a2ca9410911e61986d3f0d52a"},
        {"negative clamped", &TVKChecksum::SHA1String, u"abc", -1,
         u"da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"too large clamped", &TVKChecksum::CRC32String, u"abc", 1 << 30, u"a75d6850"},
        {"embedded NUL", &TVKChecksum::MD5String, u"abc" + nul + u"x", 4,
         u"147a664a2ca9410911e61986d3f0d52a"},
        {"fox", &TVKChecksum::SHA256String, u"The quick brown fox jumps over the lazy dog", 43,
         u"d7a8fbb307d7809469ca9abcb0082e4f8d5651e46d3cdb762d02d0bf37c9e592"},
    };
    for (const auto &c : cases) {
        String caller = c.text;
        EXPECT_EQ(Ascii((control.*c.method)(caller, c.length)), Ascii(c.expected)) << c.name;
        EXPECT_EQ(caller, c.text) << c.name;
    }
}

TEST(RealEngine, NonAsciiTextIsDigestedInTheNarrowCodePage) {
    TVKChecksum control(nullptr);
    const String e_acute = u"\u00e9";
    const auto bytes = static_cast<Long>(tvk::Globals::ToNarrow(e_acute).size());
#if defined(_WIN32)
    EXPECT_EQ(bytes, 1); // one byte, 0xE9, in the Western code page
    EXPECT_EQ(control.MD5String(e_acute, bytes), u"3406877694691ddd1dfb0aca54681407");
#else
    EXPECT_EQ(bytes, 2); // UTF-8: C3 A9
    EXPECT_EQ(control.MD5String(e_acute, bytes), u"66ddcd97cfdeabb2f6fb8a999b4bc76f");
#endif
    // An unpaired surrogate cannot be represented: it travels as '?'.
    EXPECT_EQ(control.MD5String(String(1, u'\xD800'), 1), u"d1457b72c3fb323a2671125aef3eab5d");
}

TEST(RealEngine, Tvk32TextsAreEightLowerCaseHexDigits) {
    TVKChecksum control(nullptr);
    for (const String &text : {String(u"abc"), String(u""), String(u"123456789")}) {
        const String sum = control.TVK32String(text, static_cast<Long>(text.size()));
        ASSERT_EQ(sum.size(), 8u);
        for (char16_t c : sum)
            EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')) << Ascii(sum);
    }
}

TEST(RealEngine, FileMethodsMatchTheStringsOfTheSameBytes) {
    TempDir dir;
    EventLog events;
    TVKChecksum control(&events);
    const String abc = dir.File("abc.txt", "abc");
    const String empty = dir.File("empty.txt", "");
    const std::tuple<const char *, FileMethod, String, const char16_t *> cases[] = {
        {"md5", &TVKChecksum::MD5File, abc, u"900150983cd24fb0d6963f7d28e17f72"},
        {"md5_32", &TVKChecksum::MD5_32file, abc, u"90015098"},
        {"sha1", &TVKChecksum::SHA1File, abc, u"a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"sha256", &TVKChecksum::SHA256File, abc,
         u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"crc32", &TVKChecksum::CRC32File, abc, u"352441c2"},
        {"adler32", &TVKChecksum::Adler32file, abc, u"024d0127"},
        {"md5 empty", &TVKChecksum::MD5File, empty, u"d41d8cd98f00b204e9800998ecf8427e"},
        {"crc32 empty", &TVKChecksum::CRC32File, empty, u"00000000"},
    };
    for (const auto &[name, method, file, expected] : cases)
        EXPECT_EQ(Ascii((control.*method)(file)), Ascii(expected)) << name;
    EXPECT_EQ(control.TVK32file(abc), control.TVK32String(u"abc", 3));
    EXPECT_TRUE(events.Lines.empty());
}

// Ticks until the job is over, as a host's timer would.
void RunJob(TVKChecksum &control) {
    for (long i = 0; control.Timer1.Enabled() && i < 100000000; ++i) {
        control.Timer1_Timer();
        std::this_thread::yield();
    }
}

TEST(RealEngine, BackgroundJobReportsProgressAndFinishesWithTheSum) {
    TempDir dir;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>('a' + i % 26);
    const String file = dir.File("job.bin", content);
    EventLog events;
    TVKChecksum control(&events);
    const String expected =
        control.SHA1String(tvk::Globals::FromNarrow(content), static_cast<Long>(content.size()));
    for (const char16_t *selection : {u"sha-1", u"SHA-1"}) {
        events.Lines.clear();
        control.NewCheckSumFile(selection, file);
        ASSERT_TRUE(control.Timer1.Enabled());
        RunJob(control);
        ASSERT_GE(events.Lines.size(), 3u);
        EXPECT_EQ(events.Lines.front(), "Progress 0");
        EXPECT_EQ(events.Lines[events.Lines.size() - 2], "Progress 100");
        EXPECT_EQ(events.Lines.back(), "Finished " + Ascii(expected));
        for (const auto &line : events.Lines)
            EXPECT_EQ(line.rfind("ErrorCode", 0), std::string::npos) << line;
        EXPECT_EQ(control.LastProgress, -1);
    }
    // Idle again: a synchronous file checksum is accepted.
    EXPECT_EQ(control.SHA1File(file), expected);
}

// The algorithms without a method of their own (SHA-512 and SHA-384 in the
// first interface, the fast modern ones in none) as jobs. Each name runs to its checksum
// (hashlib's), and a job paused from its start, resumed, paused again and cancelled ends as any
// cancelled job.
TEST(RealEngine, JobsOfTheLaterAlgorithmsFinishPauseResumeAndCancel) {
    TempDir dir;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>('a' + i % 26);
    const String file = dir.File("job.bin", content);
    const std::pair<const char16_t *, const char *> cases[] = {
        {u"SHA-512", "8ba6b8204fa958fd4c1ecce3c0c5181892c9c8d67d7bc1cf46406741e207f9bf"
                     "94279052f4988a1935892ea43e680596eb1df460a549a031574ef9cd2691aeed"},
        {u"sha-384", "076958adc52d0b8153e442da02e1a82c7219666fdbfb773ec7f618b6fb3011f1"
                     "5fe06996a14a2687e64a2e595288081c"},
        // b3sum, xxhsum -H2 and the CRC-64/NVME polynomial bit by bit.
        {u"Blake3", "6e77d8e6bcbbe8ef47336e94716d45d2dea55f3eec501fd9f8941d12a5dd54c2"},
        {u"xxh128", "184d5aa9a85c0af5a5a17177a27fd3e7"},
        {u"crc64nvme", "865a43d4fdf24bab"},
    };
    EventLog events;
    TVKChecksum control(&events);
    for (const auto &[selection, expected] : cases) {
        events.Lines.clear();
        control.NewCheckSumFile(selection, file);
        ASSERT_TRUE(control.Timer1.Enabled()) << Ascii(selection);
        RunJob(control);
        ASSERT_GE(events.Lines.size(), 3u);
        EXPECT_EQ(events.Lines.front(), "Progress 0");
        EXPECT_EQ(events.Lines[events.Lines.size() - 2], "Progress 100");
        EXPECT_EQ(events.Lines.back(), std::string("Finished ") + expected);

        // A job that got through before the pause finished normally: again.
        bool cancelled = false;
        for (int attempt = 0; attempt < 20 && !cancelled; ++attempt) {
            events.Lines.clear();
            control.NewCheckSumFile(selection, file);
            control.PauseExecution();
            control.ResumeExecution();
            control.PauseExecution();
            control.CancelExecution();
            RunJob(control);
            ASSERT_GE(events.Lines.size(), 3u);
            cancelled = events.Lines.back() == "Finished ";
            if (cancelled)
                EXPECT_EQ(Lines(events.Lines.end() - 3, events.Lines.end()),
                          Lines({"ErrorCode 9 User abort", "Progress 100", "Finished "}))
                    << Ascii(selection);
            else
                EXPECT_EQ(events.Lines.back(), std::string("Finished ") + expected);
        }
        EXPECT_TRUE(cancelled) << Ascii(selection) << ": every job ended before the pause";
    }
}

// Several algorithms from one read, synchronously (HashFile) and as a job
// (NewCheckSumFile): the same as each name alone, joined by one blank, in
// the list's order, in each encoding; also for an empty file and one the
// engine reads in pieces.
TEST(RealEngine, ListsGiveEachNamesChecksumInTheirOrder) {
    TempDir dir;
    std::string content(9 << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>((i * 2654435761u) >> 13);
    const String files[] = {dir.File("empty.bin", ""), dir.File("one.bin", "x"),
                            dir.File("small.bin", content.substr(0, 200000)),
                            dir.File("large.bin", content)};
    const std::vector<std::vector<String>> lists = {
        {u"sha-256", u"md5"},
        {u"MD5_32", u"md5", u"sha-512", u"SHA-384", u"crc32"},
        {u"crc32", u"crc32"},
        {u"adler32", u"crc32", u"sha-256", u"sha-1", u"md5", u"md5_32", u"tvk32", u"sha-512",
         u"sha-384", u"blake3", u"xxh3", u"xxh128", u"crc32c", u"crc64nvme"},
    };
    EventLog events;
    TVKChecksum control(&events);
    for (const String &file : files) {
        for (const auto &names : lists) {
            String list;
            for (const String &name : names)
                list += (list.empty() ? u"" : u",") + name;
            for (const char16_t *encoding : {u"hex", u"base64", u"base64url"}) {
                String joined;
                for (const String &name : names)
                    joined +=
                        (joined.empty() ? u"" : u" ") + control.HashFile(name, file, encoding);
                EXPECT_EQ(Ascii(control.HashFile(list, file, encoding)), Ascii(joined))
                    << Ascii(list) << " " << Ascii(encoding) << " " << Ascii(file);
            }
            String hex;
            for (const String &name : names)
                hex += (hex.empty() ? u"" : u" ") + control.HashFile(name, file, u"hex");
            events.Lines.clear();
            control.NewCheckSumFile(list, file);
            RunJob(control);
            ASSERT_GE(events.Lines.size(), 2u);
            EXPECT_EQ(events.Lines.front(), "Progress 0");
            EXPECT_EQ(events.Lines.back(), "Finished " + Ascii(hex)) << Ascii(list);
            for (const auto &line : events.Lines)
                EXPECT_EQ(line.rfind("ErrorCode", 0), std::string::npos) << line;
        }
    }
}

TEST(RealEngine, InitLoadsOnceUnlessForcedAndShowsNothing) {
    tvk::ZipClass host;
    MessageBoxes boxes;
    host.Init(false);
    ASSERT_TRUE(host.IsLoaded());
    const auto module = host.hEngine;
    const auto entry = host.EngineEntry;
    host.Init(false);
    EXPECT_EQ(host.hEngine, module);
    host.Init(true); // loads the same file again: the same module, one more reference
    EXPECT_EQ(host.hEngine, module);
    EXPECT_EQ(host.EngineEntry, entry);
    EXPECT_EQ(host.EnginePath, EngineBesideProgram());
    EXPECT_TRUE(boxes.Texts().empty());
    host.Deinit();
    tvk::Globals::FreeLibraryHandle(module); // the forced load's reference
}

TEST(RealEngine, CheckInputFileAcceptsReadableFilesOnly) {
    TempDir dir;
    tvk::ZipClass host;
    EXPECT_TRUE(host.CheckInputFile(dir.File("empty.bin", "")));
    EXPECT_TRUE(host.CheckInputFile(dir.File("big.bin", std::string(300, 'x'))));
    EXPECT_FALSE(host.CheckInputFile(dir.Path("missing.bin")));
    EXPECT_FALSE(host.CheckInputFile(dir.Root.u16string()));
    EXPECT_FALSE(host.CheckInputFile(String()));
    EXPECT_TRUE(host.CheckForEmpty(String()));
    EXPECT_FALSE(host.CheckForEmpty(u" "));
}

#if !defined(_WIN32)
TEST(RealEngine, CheckInputFileAcceptsFilesOfTwoGibibytesAndMore) {
    TempDir dir;
    const String huge = dir.File("huge.bin", "x");
    std::filesystem::resize_file(dir.Root / "huge.bin", (std::uintmax_t{3} << 30) + 5);
    EXPECT_TRUE(tvk::ZipClass().CheckInputFile(huge));
}
#endif

#if !defined(_WIN32)
TEST(RealEngine, FileThatCannotBeReadGivesNoChecksum) {
    // /proc/self/mem opens, has length 0 and fails at its first read.
    const String mem = u"/proc/self/mem";
    EventLog events;
    TVKChecksum control(&events);
    const FileMethod methods[] = {&TVKChecksum::CRC32File,  &TVKChecksum::MD5File,
                                  &TVKChecksum::SHA1File,   &TVKChecksum::SHA256File,
                                  &TVKChecksum::MD5_32file, &TVKChecksum::TVK32file,
                                  &TVKChecksum::Adler32file};
    for (const FileMethod method : methods) {
        events.Lines.clear();
        EXPECT_EQ((control.*method)(mem), u"");
        EXPECT_EQ(events.Lines, Lines({"ErrorCode 5 The input file or path is invalid"}));
    }
    events.Lines.clear();
    control.NewCheckSumFile(u"sha-256", mem);
    RunJob(control);
    EXPECT_EQ(events.Lines,
              Lines({"Progress 0", "ErrorCode 9 User abort", "Progress 100", "Finished "}));
}

// The real engine's entry point, reached around the control: the control
// never starts a job on a FIFO.
class EngineEntry {
  public:
    EngineEntry() : module_(tvk::Globals::LoadLibraryPath(EngineBesideProgram())) {}
    ~EngineEntry() { tvk::Globals::FreeLibraryHandle(module_); }
    EngineEntry(const EngineEntry &) = delete;
    EngineEntry &operator=(const EngineEntry &) = delete;
    Long Call(const char *word, const char *a2 = nullptr, const char *a3 = nullptr,
              std::intptr_t a4 = 0) const {
        const auto word_address = [](const char *text) {
            return reinterpret_cast<std::uintptr_t>(text);
        };
        return static_cast<Long>(tvk::Globals::CallEntry(
            tvk::Globals::GetProcAddressNarrow(module_, "interface1"), word_address(word),
            word_address(a2), word_address(a3), static_cast<std::uintptr_t>(a4)));
    }
    // Polls "getstatus" until 0, for ten seconds at most.
    bool WaitIdle() const {
        for (int i = 0; i < 10000 && Call("getstatus") == 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return Call("getstatus") == 0;
    }

  private:
    std::uintptr_t module_;
};

// A FIFO in a fresh folder; with writer_present, this test holds a writer
// that never writes (after one first block, so that the job reaches its
// second read), else nobody writes.
struct Fifo {
    explicit Fifo(bool writer_present) : path((dir.Root / "fifo").string()) {
        if (mkfifo(path.c_str(), 0600) != 0)
            throw std::runtime_error("mkfifo: " + std::string(std::strerror(errno)));
        if (writer_present) {
            idle_writer = open(path.c_str(), O_RDWR | O_CLOEXEC);
            const std::string block(4096, 'b');
            if (write(idle_writer, block.data(), block.size()) != 4096)
                throw std::runtime_error("cannot fill the FIFO");
        }
    }
    ~Fifo() {
        if (idle_writer >= 0)
            close(idle_writer);
    }
    // Whether the job has taken the first block: it then goes on to a read
    // that blocks.
    bool Drained() const {
        int pending = -1;
        return ioctl(idle_writer, FIONREAD, &pending) == 0 && pending == 0;
    }
    TempDir dir;
    std::string path;
    int idle_writer = -1;
};

TEST(RealEngine, DestructionLeavesAJobItDidNotStartAlone) {
    // Another host of the engine (here the test) runs a job on a FIFO: with
    // no writer it blocks in its open, with an idle writer in its read. The
    // control's destruction neither cancels nor waits for it.
    for (const bool writer_present : {false, true}) {
        Fifo fifo(writer_present);
        EngineEntry engine;
        auto control = std::make_unique<TVKChecksum>(nullptr);
        control->CRC32String(u"abc", 3); // the control loads the engine
        ASSERT_EQ(engine.Call("newexecute", fifo.path.c_str(), "initial", 2), 0);
        for (int i = 0; writer_present && !fifo.Drained() && i < 10000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        control->CancelExecution(); // not its job: nothing is sent
        control.reset();
        ASSERT_EQ(engine.Call("getstatus"), 1) << writer_present;

        // Let the job go; the engine is still loaded, so its worker ends.
        int writer = -1;
        if (writer_present) {
            close(fifo.idle_writer); // the read sees the end of the file
            fifo.idle_writer = -1;
        } else {
            // Its own host cancels it; a writer lets the open return, and the
            // job ends before its first read.
            engine.Call("cancel");
            for (int i = 0; i < 10000 && writer < 0; ++i) {
                writer = open(fifo.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer < 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ASSERT_GE(writer, 0) << std::strerror(errno);
            EXPECT_TRUE(engine.WaitIdle());
            close(writer);
        }
        ASSERT_TRUE(engine.WaitIdle()) << writer_present;
        EXPECT_EQ(engine.Call("getreturnvalue"), writer_present ? 0 : 2);
    }
}
#endif

} // namespace
