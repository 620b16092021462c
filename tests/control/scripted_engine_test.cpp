// scripted_engine_test.cpp -- the control's job handling against a fake
// engine that records every command and answers from a script: the job
// state table, event order, re-entrant handlers and the cancel loop.
#include "test_support.h"

#include "Globals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

class ScriptedEngine : public ::testing::Test {
  protected:
    // A job the test left running ends, so the control's cancel loop ends too.
    ~ScriptedEngine() override { engine.Set("status", 0); }

    FakeEngine engine; // loaded first: the log starts with the control's commands
    TempDir dir;
    String file = dir.File("input.bin", "abc");
    std::string fileText = Ascii(file);
    EventLog events;
    std::unique_ptr<TVKChecksum> control = std::make_unique<TVKChecksum>(&events);

    // Starts a job and forgets the commands and events so far.
    void StartJob(const char16_t *selection = u"md5") {
        control->NewCheckSumFile(selection, file);
        ASSERT_TRUE(control->Timer1.Enabled());
        Forget();
    }
    void Forget() {
        events.Lines.clear();
        seen = engine.Log().size();
    }
    // Commands received since the last Forget().
    Lines Commands() const {
        Lines all = engine.Log();
        return Lines(all.begin() + static_cast<long>(seen), all.end());
    }
    void EndJob(int result, const char *sum) {
        engine.SetText("sum", sum);
        engine.Set("result", result);
        engine.Set("status", 0);
    }
    std::size_t seen = 0;
};

TEST_F(ScriptedEngine, ValidStartRaisesProgressZeroSendsNewexecuteAndEnablesTimer) {
    control->NewCheckSumFile(u"SHA-256", file);
    EXPECT_EQ(events.Lines, Lines({"Progress 0"}));
    EXPECT_EQ(engine.Log(), Lines({"getstatus", "getstatus", "newexecutew|" + fileText + "|3"}));
    EXPECT_TRUE(control->Timer1.Enabled());
    EXPECT_EQ(control->LastProgress, 0);
}

TEST_F(ScriptedEngine, AlgorithmNamesAreLowerCasedAndMatchedExactly) {
    const std::pair<const char16_t *, int> accepted[] = {
        {u"adler32", 1}, {u"CRC32", 2}, {u"SHA-256", 3}, {u"sha-1", 4},  {u"Md5", 5},
        {u"MD5_32", 6},  {u"TvK32", 7}, {u"SHA-512", 8}, {u"sha-384", 9}};
    for (const auto &[name, number] : accepted) {
        engine.Reset();
        control->NewCheckSumFile(name, file);
        EXPECT_EQ(engine.Log().back(), "newexecutew|" + fileText + "|" + std::to_string(number))
            << Ascii(name);
    }
    for (const char16_t *name :
         {u"sha256", u"md532", u" crc32", u"crc32 ", u"sha1", u"", u"sha512", u"sha-224"}) {
        engine.Reset();
        events.Lines.clear();
        control->Timer1.SetEnabled(false);
        control->NewCheckSumFile(name, file);
        EXPECT_EQ(events.Lines,
                  Lines({"Progress 0", "ErrorCode 7 Invalid checksum selection", "Finished "}))
            << Ascii(name);
        EXPECT_EQ(engine.Log(), Lines({"getstatus"})) << Ascii(name);
        EXPECT_FALSE(control->Timer1.Enabled());
    }
}

// Lists of names: two or more start one set job; one name is the job of
// one algorithm as ever; anything else in the list is error 7.
TEST_F(ScriptedEngine, ListsOfAlgorithmsStartOneSetJobAndAnyFaultInThemIsError7) {
    std::u16string longest, too_long;
    for (int i = 0; i < 32; ++i)
        longest += i == 0 ? u"md5" : u",crc32";
    too_long = longest + u",md5";
    const std::pair<std::u16string, std::string> accepted[] = {
        {u"sha-256,md5", "newexecutesetw|" + fileText + "|3,5"},
        {u"MD5,Sha-1,md5", "newexecutesetw|" + fileText + "|5,4,5"},
        {u"crc64nvme,ADLER32", "newexecutesetw|" + fileText + "|14,1"},
        {u"Md5_32", "newexecutew|" + fileText + "|6"},
        {longest, "newexecutesetw|" + fileText + "|5" +
                      [] {
                          std::string crcs;
                          for (int i = 1; i < 32; ++i)
                              crcs += ",2";
                          return crcs;
                      }()},
    };
    for (const auto &[names, start] : accepted) {
        engine.Reset();
        events.Lines.clear();
        control->NewCheckSumFile(names, file);
        EXPECT_EQ(engine.Log(), Lines({"getstatus", "getstatus", start})) << Ascii(names);
        EXPECT_EQ(events.Lines, Lines({"Progress 0"})) << Ascii(names);
        EXPECT_TRUE(control->Timer1.Enabled());
        control->Timer1.SetEnabled(false);
    }
    for (const char16_t *names : {u",md5", u"md5,", u"md5,,sha-1", u",", u"md5, sha-1",
                                  u"md5 ,sha-1", u" md5,sha-1", u"md5,sha-1 ", u"md5;sha-1",
                                  u"md5,sha-3", u"md5,sha256", u"md5\tsha-1", too_long.c_str()}) {
        engine.Reset();
        events.Lines.clear();
        control->NewCheckSumFile(names, file);
        EXPECT_EQ(events.Lines,
                  Lines({"Progress 0", "ErrorCode 7 Invalid checksum selection", "Finished "}))
            << Ascii(names);
        EXPECT_EQ(engine.Log(), Lines({"getstatus"})) << Ascii(names);
        EXPECT_FALSE(control->Timer1.Enabled());
    }
}

TEST_F(ScriptedEngine, SetJobFinishesWithTheWholeTextOfGetsums) {
    // Longer than the 300 characters a one-algorithm job's text has.
    const std::string sums =
        std::string(128, 'a') + " " + std::string(128, 'b') + " " + std::string(128, 'c');
    StartJob(u"sha-512,SHA-512,sha-512");
    EndJob(0, sums.c_str());
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 100", "Finished " + sums}));
    EXPECT_EQ(Commands(), Lines({"getstatus", "getreturnvalue", "getsums|4129"}));
    // The next job of one algorithm reads its text with "getsum" again.
    StartJob(u"md5");
    EndJob(0, "900150983cd24fb0d6963f7d28e17f72");
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 100", "Finished 900150983cd24fb0d6963f7d28e17f72"}));
    EXPECT_EQ(Commands(), Lines({"getstatus", "getreturnvalue", "getsum"}));
    // A set job that ends without its sums is a user abort, as any other.
    StartJob(u"md5,crc32");
    EndJob(3, "");
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"ErrorCode 9 User abort", "Progress 100", "Finished "}));
    EXPECT_EQ(Commands(), Lines({"getstatus", "getreturnvalue"}));
}

struct SetFileCase {
    const char16_t *algorithms;
    const char *set;         // the selectors the engine gets
    const char *engine_text; // what "setfilew" writes; nullptr: nothing
    const char16_t *encoding;
    const char *expected; // the result, or the ErrorCode line
};

// HashFile with a list: one "setfilew", each checksum in the encoding on
// its own; a text that is not one checksum per name is no answer.
TEST_F(ScriptedEngine, HashFileWithAListReadsOnceAndEncodesEachChecksum) {
    const std::string refused = "ErrorCode 5 The input file or path is invalid";
    const SetFileCase cases[] = {
        {u"crc32,md5_32", "2,6", "0badf00d 12345678", u"hex", "0badf00d 12345678"},
        {u"CRC32,md5_32", "2,6", "0badf00d 12345678", u"base64", "C63wDQ== EjRWeA=="},
        {u"crc32,crc32", "2,2", "0badf00d 12345678", u"Base64URL", "C63wDQ EjRWeA"},
        {u"crc32,xxh3", "2,11", "0badf00d 0011223344556677", u"base64", "C63wDQ== ABEiM0RVZnc="},
        {u"crc32,md5_32", "2,6", "0badf00d", u"hex", refused.c_str()},
        {u"crc32,md5_32", "2,6", "0badf00d 12345678 9abcdef0", u"hex", refused.c_str()},
        {u"crc32,md5_32", "2,6", "0badf00d  12345678", u"hex", refused.c_str()},
        {u"crc32,md5_32", "2,6", "0badf00d1 2345678", u"hex", refused.c_str()},
        {u"crc32,md5_32", "2,6", "0badf00d 1234567g", u"hex", refused.c_str()},
        {u"crc32,md5_32", "2,6", nullptr, u"hex", refused.c_str()},
    };
    for (const auto &c : cases) {
        engine.Reset();
        events.Lines.clear();
        engine.Set("filewrites", c.engine_text != nullptr);
        engine.SetText("set", c.engine_text != nullptr ? c.engine_text : "");
        const String got = control->HashFile(c.algorithms, file, c.encoding);
        const bool fails = c.expected[0] == 'E';
        EXPECT_EQ(fails ? events.Lines : Lines({Ascii(got)}), Lines({c.expected}))
            << Ascii(c.algorithms) << " " << (c.engine_text ? c.engine_text : "nothing");
        EXPECT_EQ(got.empty(), fails);
        EXPECT_EQ(engine.Log(), Lines({"getstatus", "setfilew|" + fileText + "|" + c.set}));
    }
}

// The order of the checks as for one algorithm: the list (7), the encoding
// (11), then the file (3, 5); HashData and HMAC take one algorithm only.
TEST_F(ScriptedEngine, ListRefusalsComeInTheOrderOfOneAlgorithms) {
    const std::string invalid = "ErrorCode 7 Invalid checksum selection";
    const unsigned char abc[] = {'a', 'b', 'c'};
    const tvk::DataArgument data = tvk::DataArgument::Bytes(abc, 3);
    const std::pair<std::function<String()>, std::string> cases[] = {
        {[&] { return control->HashFile(u"md5,", String(), u"nope"); }, invalid},
        {[&] { return control->HashFile(u"md5,sha-1", file, u"nope"); },
         "ErrorCode 11 Invalid encoding"},
        {[&] { return control->HashFile(u"md5,sha-1", String(), u"hex"); },
         "ErrorCode 3 The input file is empty "},
        {[&] { return control->HashFile(u"md5,sha-1", dir.Path("missing"), u"hex"); },
         "ErrorCode 5 The input file or path is invalid"},
        {[&] { return control->HashData(u"md5,sha-1", data, u"hex"); }, invalid},
        {[&] { return control->HMAC(u"md5,sha-1", data, data, u"hex"); }, invalid},
    };
    for (const auto &[call, expected] : cases) {
        engine.Reset();
        events.Lines.clear();
        EXPECT_EQ(call(), u"") << expected;
        EXPECT_EQ(events.Lines, Lines({expected}));
    }
    // Nothing reached the engine but the question whether a job runs.
    Lines log = engine.Log();
    log.erase(std::remove(log.begin(), log.end(), "getstatus"), log.end());
    EXPECT_EQ(log, Lines());
}

TEST_F(ScriptedEngine, RejectedFilesEndWithTheirErrorAndAnEmptyFinished) {
    const std::pair<String, std::string> cases[] = {
        {String(), "ErrorCode 3 The input file is empty "},
        {dir.Path("missing.bin"), "ErrorCode 5 The input file or path is invalid"},
        {dir.Root.u16string(), "ErrorCode 5 The input file or path is invalid"},
    };
    for (const auto &[name, error] : cases) {
        events.Lines.clear();
        control->NewCheckSumFile(u"md5", name);
        EXPECT_EQ(events.Lines, Lines({"Progress 0", error, "Finished "})) << Ascii(name);
        EXPECT_FALSE(control->Timer1.Enabled());
    }
    EXPECT_EQ(engine.Log(), Lines({"getstatus", "getstatus", "getstatus"}));
}

TEST_F(ScriptedEngine, EngineRefusingTheStartIsReportedAndNothingIsPolled) {
    engine.Set("newexecute", 1);
    control->NewCheckSumFile(u"md5", file);
    EXPECT_EQ(events.Lines,
              Lines({"Progress 0", "ErrorCode 5 The input file or path is invalid", "Finished "}));
    EXPECT_FALSE(control->Timer1.Enabled());
}

TEST_F(ScriptedEngine, WhileAJobRunsStartsAndFileMethodsAreRefusedStringsWork) {
    StartJob();
    const std::string busy = "ErrorCode 8 Already executing , wait for the end or call cancel";
    control->NewCheckSumFile(u"crc32", file);
    EXPECT_EQ(events.Lines, Lines({busy}));
    events.Lines.clear();
    EXPECT_EQ(control->SHA1File(file), u"");
    EXPECT_EQ(events.Lines, Lines({busy}));
    EXPECT_EQ(control->CRC32String(u"abc", 3), u"5a5a5a5a");
    EXPECT_EQ(Commands(), Lines({"getstatus", "getstatus", "crc32string|3"}));
    EXPECT_TRUE(control->Timer1.Enabled());
}

TEST_F(ScriptedEngine, PollReportsChangedProgressOnlyAndFinishesWithTheSum) {
    StartJob();
    control->Timer1_Timer(); // still 0: the first job's LastProgress is 0 already
    engine.Set("progress", 40);
    control->Timer1_Timer();
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 40"}));
    EXPECT_EQ(control->LastProgress, 40);
    EXPECT_EQ(Commands(), Lines({"getstatus", "getprogress", "getstatus", "getprogress",
                                 "getstatus", "getprogress"}));
    Forget();
    EndJob(0, "900150983cd24fb0d6963f7d28e17f72");
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 100", "Finished 900150983cd24fb0d6963f7d28e17f72"}));
    EXPECT_EQ(Commands(), Lines({"getstatus", "getreturnvalue", "getsum"}));
    EXPECT_FALSE(control->Timer1.Enabled());
    EXPECT_EQ(control->LastProgress, -1);
}

TEST_F(ScriptedEngine, JobEndingWithoutSumIsAUserAbort) {
    // Open failed, cancelled, read failed: every result but 0 is error 9.
    for (int result : {1, 2, 3}) {
        StartJob();
        EndJob(result, "");
        control->Timer1_Timer();
        EXPECT_EQ(events.Lines, Lines({"ErrorCode 9 User abort", "Progress 100", "Finished "}))
            << result;
        EXPECT_EQ(Commands(), Lines({"getstatus", "getreturnvalue"})) << result;
        EXPECT_FALSE(control->Timer1.Enabled());
        EXPECT_EQ(control->LastProgress, -1);
    }
}

TEST_F(ScriptedEngine, LaterJobReportsProgressZeroFromThePollAgain) {
    StartJob();
    EndJob(0, "cafe");
    control->Timer1_Timer();
    control->NewCheckSumFile(u"crc32", file); // LastProgress is not reset
    EXPECT_EQ(control->LastProgress, -1);
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 100", "Finished cafe", "Progress 0", "Progress 0"}));
}

TEST_F(ScriptedEngine, ProgressHandlerChangingValueChangesWhatIsStored) {
    StartJob();
    events.OnProgress = [](Long &value) {
        if (value == 30)
            value = 60;
    };
    for (int progress : {30, 60, 30}) {
        engine.Set("progress", progress);
        control->Timer1_Timer();
    }
    EXPECT_EQ(events.Lines, Lines({"Progress 30", "Progress 30"}));
    EXPECT_EQ(control->LastProgress, 60);
}

TEST_F(ScriptedEngine, CancelFromProgressHandlerEndsTheJobAtALaterTick) {
    StartJob();
    events.OnProgress = [this](Long &value) {
        if (value == 50)
            control->CancelExecution();
    };
    engine.Set("progress", 50);
    control->Timer1_Timer();
    EXPECT_EQ(Commands(), Lines({"getstatus", "getprogress", "cancel"}));
    EXPECT_TRUE(control->Timer1.Enabled());
    EndJob(2, "");
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines,
              Lines({"Progress 50", "ErrorCode 9 User abort", "Progress 100", "Finished "}));
}

TEST_F(ScriptedEngine, StartFromProgressHandlerOfAStartNeverStartsTwoJobs) {
    bool inner = false;
    events.OnProgress = [&](Long &) {
        if (!inner) {
            inner = true;
            control->NewCheckSumFile(u"crc32", file);
        }
    };
    control->NewCheckSumFile(u"md5", file);
    EXPECT_EQ(
        events.Lines,
        Lines({"Progress 0", "Progress 0",
               "ErrorCode 8 Already executing , wait for the end or call cancel", "Finished "}));
    int starts = 0;
    for (const auto &line : engine.Log())
        starts += line.rfind("newexecutew|", 0) == 0 && line.compare(line.size() - 2, 2, "|0") != 0;
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(engine.Log().back(), "getstatus"); // the outer start asked again and stopped
    EXPECT_TRUE(control->Timer1.Enabled());      // the inner job is polled
}

TEST_F(ScriptedEngine, StartFromFinishedHandlerGetsItsJobPolled) {
    StartJob();
    bool next = false;
    events.OnFinished = [&](String &) {
        if (!next) {
            next = true;
            control->NewCheckSumFile(u"crc32", file);
        }
    };
    EndJob(0, "first");
    control->Timer1_Timer();
    EXPECT_TRUE(control->Timer1.Enabled());
    engine.Set("progress", 70);
    control->Timer1_Timer();
    EndJob(0, "second");
    control->Timer1_Timer();
    EXPECT_EQ(events.Lines, Lines({"Progress 100", "Finished first", "Progress 0", "Progress 70",
                                   "Progress 100", "Finished second"}));
    EXPECT_FALSE(control->Timer1.Enabled());
}

TEST_F(ScriptedEngine, PauseResumeCancelSendTheirWordsOnlyWhenLoaded) {
    control->PauseExecution();
    control->ResumeExecution();
    control->CancelExecution();
    EXPECT_TRUE(engine.Log().empty()); // the control never loaded the engine
    StartJob();
    EXPECT_TRUE(control->PauseExecution().IsEmpty());
    control->ResumeExecution();
    control->CancelExecution();
    EXPECT_EQ(Commands(), Lines({"pause", "resume", "cancel"}));
    EXPECT_TRUE(events.Lines.empty());
    EXPECT_TRUE(control->Timer1.Enabled());
}

TEST_F(ScriptedEngine, DestructionDuringAJobCancelsUntilTheEngineStops) {
    StartJob();
    engine.Set("cancelsneeded", 3);
    control.reset();
    EXPECT_EQ(Commands(), Lines({"getstatus", "cancel", "getstatus", "cancel", "getstatus",
                                 "cancel", "getstatus"}));
    EXPECT_TRUE(events.Lines.empty());
    EXPECT_FALSE(engine.HeldByOthers()); // the control freed the engine
}

TEST_F(ScriptedEngine, DestructionGivesUpOnAJobThatNeverEndsAndKeepsTheEngineLoaded) {
    StartJob(); // no number of cancels ends this job
    const auto start = std::chrono::steady_clock::now();
    control.reset();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::seconds(10));
    const Lines commands = Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands.back(), "getstatus");
    for (std::size_t i = 0; i < commands.size(); ++i)
        EXPECT_EQ(commands[i], i % 2 == 0 ? "getstatus" : "cancel") << i;
    // With a short pause between tries: not thousands of cancels.
    EXPECT_LT(commands.size(), 1000u);
    EXPECT_TRUE(events.Lines.empty());
    // Its worker may still run in the library: the control did not free it.
    EXPECT_TRUE(engine.HeldByOthers());
}

TEST_F(ScriptedEngine, DestructionOfAnUnusedControlSendsNothing) {
    control.reset();
    EXPECT_TRUE(engine.Log().empty());
}

TEST_F(ScriptedEngine, FileMethodsSendTheirWordAndReturnTheEngineText) {
    using Method = String (TVKChecksum::*)(String);
    const std::pair<Method, const char *> methods[] = {
        {&TVKChecksum::CRC32File, "crc32file"},     {&TVKChecksum::MD5File, "md5file"},
        {&TVKChecksum::SHA1File, "sha1file"},       {&TVKChecksum::SHA256File, "sha256file"},
        {&TVKChecksum::MD5_32file, "md532file"},    {&TVKChecksum::TVK32file, "tvk32file"},
        {&TVKChecksum::Adler32file, "adler32file"},
    };
    for (const auto &[method, word] : methods) {
        engine.Reset();
        EXPECT_EQ(((*control).*method)(file), u"0badf00d") << word;
        EXPECT_EQ(engine.Log(), Lines({"getstatus", std::string(word) + "w|" + fileText}));
    }
    EXPECT_TRUE(events.Lines.empty());
}

// An engine older than the wide words answers 0 to them and writes nothing:
// the control says so once and never sends a file name another way.
TEST_F(ScriptedEngine, EngineWithoutWideWordsIsReportedOnceAndGetsNoFileName) {
    engine.Set("wide", 0);
    const std::string refused = "ErrorCode 5 The input file or path is invalid";
    for (const bool jobFirst : {false, true}) {
        engine.Reset();
        engine.Set("wide", 0);
        events.Lines.clear();
        control = std::make_unique<TVKChecksum>(&events);
        MessageBoxes boxes;
        if (jobFirst)
            control->NewCheckSumFile(u"md5", file);
        EXPECT_EQ(control->MD5File(file), u"");
        EXPECT_EQ(control->SHA1File(file), u"");
        control->NewCheckSumFile(u"crc32", file);
        EXPECT_FALSE(control->Timer1.Enabled());
        const Lines job = {"Progress 0", refused, "Finished "};
        Lines expected = jobFirst ? job : Lines();
        expected.insert(expected.end(), {refused, refused});
        expected.insert(expected.end(), job.begin(), job.end());
        EXPECT_EQ(events.Lines, expected);
        // Nothing but "getstatus": no file name, no start.
        Lines log = engine.Log();
        log.erase(std::remove(log.begin(), log.end(), "getstatus"), log.end());
        EXPECT_EQ(log, Lines());
        const std::vector<std::string> texts = boxes.Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find("is older than this control"), std::string::npos);
    }
}

TEST_F(ScriptedEngine, FileMethodWhoseEngineCallWroteNothingReportsTheFile) {
    engine.Set("filewrites", 0);
    EXPECT_EQ(control->MD5File(file), u"");
    EXPECT_EQ(events.Lines, Lines({"ErrorCode 5 The input file or path is invalid"}));
}

TEST_F(ScriptedEngine, FileMethodChecksTheNameBeforeTheEngineSeesIt) {
    EXPECT_EQ(control->CRC32File(String()), u"");
    EXPECT_EQ(control->CRC32File(dir.Path("missing.bin")), u"");
    EXPECT_EQ(events.Lines, Lines({"ErrorCode 3 The input file is empty ",
                                   "ErrorCode 5 The input file or path is invalid"}));
    EXPECT_EQ(engine.Log(), Lines({"getstatus", "getstatus"}));
}

TEST_F(ScriptedEngine, StringMethodsSendTheirWordWithTheLengthKeptInsideTheText) {
    using Method = String (TVKChecksum::*)(String, Long);
    const std::pair<Method, const char *> methods[] = {
        {&TVKChecksum::CRC32String, "crc32string"},
        {&TVKChecksum::TVK32String, "tvk32string"},
        {&TVKChecksum::MD5_32String, "md532string"},
        {&TVKChecksum::MD5String, "md5string"},
        {&TVKChecksum::SHA1String, "sha1string"},
        {&TVKChecksum::SHA256String, "sha256string"},
        {&TVKChecksum::Adler32String, "adler32string"},
    };
    for (const auto &[method, word] : methods) {
        engine.Reset();
        EXPECT_EQ(((*control).*method)(u"abc", 3), u"5a5a5a5a") << word;
        EXPECT_EQ(engine.Log(), Lines({std::string(word) + "|3"}));
    }
    const long long e_acute = static_cast<long long>(tvk::Globals::ToNarrow(u"\u00e9").size());
    const std::tuple<String, Long, long long> lengths[] = {
        {u"abc", 2, 2}, {u"abc", 4, 4}, {u"abc", 5, 4},          {u"abc", -7, 0},
        {u"", 0, 0},    {u"", 9, 1},    {u"abc", 0x7fffffff, 4}, {u"\u00e9", 100, e_acute + 1},
    };
    for (const auto &[text, length, sent] : lengths) {
        engine.Reset();
        control->MD5String(text, length);
        EXPECT_EQ(engine.Log(), Lines({"md5string|" + std::to_string(sent)}))
            << Ascii(text) << " " << length;
    }
}

} // namespace
