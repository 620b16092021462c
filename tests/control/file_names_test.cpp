// file_names_test.cpp -- file names the narrow code page cannot hold, through
// the control and the real engine: a name is checksummed as itself (the
// engine gets it in UTF-16) or refused with error 5, and never turned into
// the name of another file. The decoys are the files a best-fit or
// replacement conversion would have found instead.
#include "test_support.h"

#include "Globals.h"
#include "ZipClass.h"

#include <gtest/gtest.h>

#include <thread>

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

// RFC 1321 test vectors: the wanted file holds "abc", every decoy
// "message digest".
const std::string Wanted = "abc";
const std::string WantedMd5 = "900150983cd24fb0d6963f7d28e17f72";
const std::string Decoy = "message digest";
const std::string DecoyMd5 = "f96b697d7cb7938d525a2f31aaf161d0";
const std::string Refused = "ErrorCode 5 The input file or path is invalid";

#if defined(_WIN32)
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#endif

struct NameCase {
    const char *what;
    String name; // relative to the test folder
    bool exists; // holds Wanted; a missing name must be refused
};

// Runs a background job to its end, as a host's timer would.
void RunJob(TVKChecksum &control) {
    for (long i = 0; control.Timer1.Enabled() && i < 100000000; ++i) {
        control.Timer1_Timer();
        std::this_thread::yield();
    }
}

// One name through CheckInputFile, MD5File and a job. A name that exists is
// checksummed as itself, unless mayRefuse (a name that is no name) allows a
// refusal. Anything else, above all the decoy's checksum, is a fault.
void ExpectItselfOrRefused(const NameCase &c, const String &path, bool mayRefuse) {
    SCOPED_TRACE(c.what);
    EventLog events;
    TVKChecksum control(&events);
    const bool checked = tvk::ZipClass().CheckInputFile(path);
    const std::string sum = Ascii(control.MD5File(path));
    EXPECT_NE(sum, DecoyMd5);
    const bool refused = sum.empty();
    if (c.exists && !mayRefuse) {
        EXPECT_FALSE(refused);
    }
    if (!c.exists) {
        EXPECT_TRUE(refused);
    }
    EXPECT_EQ(checked, !refused);
    EXPECT_EQ(events.Lines, refused ? Lines{Refused} : Lines{});
    if (!refused) {
        EXPECT_EQ(sum, WantedMd5);
    }

    events.Lines.clear();
    control.NewCheckSumFile(u"md5", path);
    RunJob(control);
    if (refused) {
        EXPECT_EQ(events.Lines, Lines({"Progress 0", Refused, "Finished "}));
    } else {
        // Progress in between depends on the timing of the ticks.
        ASSERT_GE(events.Lines.size(), 3u);
        EXPECT_EQ(events.Lines.front(), "Progress 0");
        EXPECT_EQ(Lines(events.Lines.end() - 2, events.Lines.end()),
                  Lines({"Progress 100", "Finished " + WantedMd5}));
        for (const auto &line : events.Lines)
            EXPECT_EQ(line.rfind("ErrorCode", 0), std::string::npos) << line;
    }
}

class FileNames : public ::testing::Test {
  protected:
    TempDir dir;
    void SetUp() override {
        // The files a best-fit (Windows) or '?' (Linux) conversion reaches.
        dir.File("a.txt", Decoy);
        dir.File("ba.txt", Decoy);
        dir.File("secret.txt", Decoy);
        dir.File("sub/x.txt", Decoy);
        dir.File("inner/keep.txt", Decoy);
#if !defined(_WIN32)
        dir.File("?.txt", Decoy); // no valid name on Windows
#endif
        dir.File("real.txt", Wanted);
    }
};

TEST_F(FileNames, NamesOfEveryScriptAreCheckedAsThemselves) {
    const NameCase cases[] = {
        {"Greek, exists", u"\u03b1\u03b2\u03b3.txt", true},
        {"Cyrillic, exists", u"\u041f\u0440\u0438\u0432\u0435\u0442.txt", true},
        {"CJK, exists", u"\u6f22\u5b57.txt", true},
        {"outside the BMP, exists", u"\U0001F600.txt", true},
        {"a-macron beside its best fit, exists", u"b\u0101.txt", true},
        {"Cyrillic folder, exists", u"\u043f\u0430\u043f\u043a\u0430/in.txt", true},
        {"Western, exists", u"caf\u00e9.txt", true},
        {"Greek alpha, missing (best fit 'a.txt')", u"\u03b1.txt", false},
        {"a-macron, missing (best fit 'a.txt')", u"\u0101.txt", false},
        {"Cyrillic, missing", u"\u0430.txt", false},
        {"CJK, missing", u"\u6f22.txt", false},
        {"fullwidth solidus, missing (best fit 'sub/x.txt')", u"sub\uff0fx.txt", false},
        {"fullwidth dots, missing (best fit 'inner/../secret.txt')",
         u"inner/\uff0e\uff0e\uff0fsecret.txt", false},
    };
    for (const auto &c : cases)
        if (c.exists)
            dir.File(c.name, Wanted);
    // No short name is needed: every existing name is taken as itself, on
    // every platform.
    const bool mayRefuse = false;
    for (const auto &c : cases)
        ExpectItselfOrRefused(c, dir.Path(c.name), mayRefuse);
}

TEST_F(FileNames, NamesThatAreNoNamesAreRefused) {
    const String nul(1, u'\0');
    const NameCase cases[] = {
        // A NUL would end the name early, at an existing file.
        {"NUL inside", u"real.txt" + nul + u"junk", false},
        {"NUL at the end", u"real.txt" + nul, false},
        // A lone surrogate would become '?' (Linux) and reach "?.txt".
        {"lone high surrogate", u"\xd800.txt", false},
        {"lone low surrogate", u"\xdc00.txt", false},
        {"high surrogate at the end", u"x\xd800", false},
    };
    // Spelled out: the path class would not take these names.
    const String folder = dir.Root.u16string() + static_cast<char16_t>(Separator());
    for (const auto &c : cases)
        ExpectItselfOrRefused(c, folder + c.name, true);
}

#if defined(_WIN32)
TEST(FileNamesWindows, TheWineTestsRunInTheWesternCodePage) {
    // The decoys above are those of code page 1252.
    if (UnderWine()) {
        EXPECT_EQ(GetACP(), 1252u);
    }
}
#endif

// The string methods keep the platform's conversion: their checksum is
// defined over the narrow bytes, best fit included.
TEST(FileNamesStrings, StringMethodsKeepTheirConversion) {
    TVKChecksum control(nullptr);
    const String a_macron = u"\u0101";
    const auto bytes = static_cast<tvk::Long>(tvk::Globals::ToNarrow(a_macron).size());
#if defined(_WIN32)
    if (GetACP() == 1252) {
        EXPECT_EQ(control.MD5String(a_macron, bytes), u"0cc175b9c0f1b6a831c399e269772661"); // "a"
    }
#else
    EXPECT_EQ(control.MD5String(a_macron, bytes), u"909d791004c8a7d69c0aeb938a3337bc"); // C4 81
#endif
}

} // namespace
