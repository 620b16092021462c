// verify_list_test.cpp -- NewVerifyList against the real engine, with lists
// written by coreutils, b3sum and xxhsum on the same files: every result and
// the summary, names relative to the list's folder, refusals, pause and a
// cancel half way through a list.
#include "test_support.h"

#include "Globals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

const auto *const pin = ::testing::AddGlobalTestEnvironment(NewEnginePin());

void RunJob(TVKChecksum &control) {
    for (long i = 0; control.Timer1.Enabled() && i < 100000000; ++i) {
        control.Timer1_Timer();
        std::this_thread::yield();
    }
}

bool Installed(const std::string &tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command in `dir`.
void Shell(const std::filesystem::path &dir, const std::string &command) {
    const std::string line = "cd '" + dir.string() + "' && " + command;
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
}

std::vector<std::string> FileChecks(const Lines &lines) {
    std::vector<std::string> out;
    for (const std::string &line : lines)
        if (line.rfind("FileChecked ", 0) == 0)
            out.push_back(line.substr(12));
    return out;
}

struct ListCase {
    const char *tool; // run in the list's folder on: a b c sub/d /ROOT/e
    const char *list; // the list's file name
};

// Each list names a (unchanged), b (changed since), c (removed since), sub/d
// and e by its absolute name, every sum in capitals, with a line no tool
// writes between b and c.
TEST(VerifyList, ListsOfTheCommonToolsGiveEveryResultInListOrder) {
    const ListCase cases[] = {
        {"sha256sum", "SHA256SUMS"},     {"md5sum", "list.md5"},
        {"sha512sum --tag", "list.txt"}, {"sha1sum -b", "any"},
        {"sha384sum", "SHA384SUMS"},     {"b3sum", "B3SUMS"},
        {"xxhsum -H2", "files.xxh128"},  {"xxhsum -H3 --tag", "files.txt"},
    };
    for (const ListCase &c : cases) {
        const std::string tool = std::string(c.tool).substr(0, std::string(c.tool).find(' '));
        if (!Installed(tool)) {
            std::printf("%s is not installed: its list is left out\n", tool.c_str());
            continue;
        }
        TempDir dir;
        const std::filesystem::path lists = dir.Root / "lists";
        std::filesystem::create_directories(lists / "sub");
        for (const char *name : {"a", "b", "c", "sub/d"})
            std::ofstream(lists / name) << "content of " << name << "\n";
        std::ofstream(dir.Root / "e") << "an absolute name\n";
        const std::string e = (dir.Root / "e").string();
        Shell(lists, std::string(c.tool) + " a b > '" + c.list + "' && echo 'not a sum line' >> '" +
                         c.list + "' && " + c.tool + " c sub/d '" + e + "' >> '" + c.list +
                         "' && sed -i 's/[0-9a-f]\\{16,\\}/\\U&/' '" + c.list +
                         "' && echo changed >> b && rm c");
        EventLog events;
        TVKChecksum control(&events);
        control.NewVerifyList((lists / c.list).u16string());
        RunJob(control);
        EXPECT_EQ(
            FileChecks(events.Lines),
            std::vector<std::string>({"a: OK", "b: FAILED", "not a sum line: improperly formatted",
                                      "c: FAILED open or read", "sub/d: OK", e + ": OK"}))
            << c.tool;
        EXPECT_EQ(events.Lines.back(),
                  "Finished 3 OK, 1 FAILED, 1 FAILED open or read, 1 improperly formatted")
            << c.tool;
        EXPECT_EQ(events.Lines.front(), "Progress 0");
        EXPECT_EQ(events.Lines[events.Lines.size() - 2], "Progress 100");
    }
}

// Refused lists, and lists that need no file read.
TEST(VerifyList, RefusalsAndListsWithoutFiles) {
    TempDir dir;
    struct Case {
        String list;
        Lines expected;
    } cases[] = {
        {u"", {"Progress 0", "ErrorCode 3 The input file is empty ", "Finished "}},
        {dir.Path("missing"),
         {"Progress 0", "ErrorCode 5 The input file or path is invalid", "Finished "}},
        {dir.Root.u16string(),
         {"Progress 0", "ErrorCode 5 The input file or path is invalid", "Finished "}},
        {dir.File("empty.sha256", ""), {"Progress 0", "Progress 100", "Finished 0 OK"}},
        {dir.File("comments", "# a comment\r\n\r\nxyz\r\n"),
         {"Progress 0", "FileChecked xyz: improperly formatted", "Progress 100",
          "Finished 0 OK, 1 improperly formatted"}},
    };
    for (const Case &c : cases) {
        EventLog events;
        TVKChecksum control(&events);
        control.NewVerifyList(c.list);
        EXPECT_FALSE(control.Timer1.Enabled());
        EXPECT_EQ(events.Lines, c.expected) << Ascii(c.list);
    }
}

// A list of a large file between two small ones: paused after the first,
// nothing more is decided until it is resumed; cancelled after the first, the
// list ends with a user abort and the summary of the first.
TEST(VerifyList, PauseHoldsAndCancelEndsTheWholeList) {
    TempDir dir;
    Shell(dir.Root, "echo small > a && head -c 300000000 /dev/zero > big && "
                    "sha256sum a big a > SHA256SUMS");
    const String list = dir.Path("SHA256SUMS");
    for (const bool cancel : {false, true}) {
        EventLog events;
        TVKChecksum control(&events);
        bool first = true;
        events.OnFileChecked = [&] {
            if (!first)
                return;
            first = false;
            cancel ? control.CancelExecution() : control.PauseExecution();
        };
        control.NewVerifyList(list);
        if (!cancel) {
            // Paused: the ticks of a while raise no more than the first file.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
            while (std::chrono::steady_clock::now() < until && control.Timer1.Enabled())
                control.Timer1_Timer();
            EXPECT_EQ(FileChecks(events.Lines), std::vector<std::string>({"a: OK"}));
            EXPECT_TRUE(control.Timer1.Enabled());
            control.ResumeExecution();
        }
        RunJob(control);
        if (cancel)
            EXPECT_EQ(Lines(events.Lines.end() - 4, events.Lines.end()),
                      Lines({"FileChecked a: OK", "ErrorCode 9 User abort", "Progress 100",
                             "Finished 1 OK"}));
        else
            EXPECT_EQ(events.Lines.back(), "Finished 3 OK");
    }
}

// While a list runs, no other job starts, in this control or another.
TEST(VerifyList, AJobWhileAListRunsIsRefused) {
    TempDir dir;
    Shell(dir.Root, "head -c 100000000 /dev/zero > big && sha256sum big > SHA256SUMS");
    EventLog events, other;
    TVKChecksum control(&events), second(&other);
    control.NewVerifyList(dir.Path("SHA256SUMS"));
    control.NewVerifyList(dir.Path("SHA256SUMS"));
    second.NewCheckSumFile(u"md5", dir.Path("big"));
    second.NewVerifyList(dir.Path("SHA256SUMS"));
    RunJob(control);
    const std::string busy = "ErrorCode 8 Already executing , wait for the end or call cancel";
    EXPECT_EQ(other.Lines, Lines({busy, busy}));
    EXPECT_EQ(events.Lines[1], busy);
    EXPECT_EQ(events.Lines.back(), "Finished 1 OK");
}

} // namespace
