// missing_engine_test.cpp -- no engine library beside the control: every
// member that needs it fails with run-time error 5003 naming the full path;
// the members that do not need it work.
#include "test_support.h"

#include "Globals.h"
#include "ZipClass.h"

#include <gtest/gtest.h>

using namespace tvk_test;
using tvk::RuntimeError;
using tvk::TVKChecksum;

namespace {

String ExpectedDescription() {
    const char16_t *name = Separator() == '/' ? u"tvkchecksum.so" : u"tvkchecksum.dll";
    return u"Error loading the required dll " + ProgramDirectory() +
           static_cast<char16_t>(Separator()) + name;
}

TEST(MissingEngine, MembersNeedingTheEngineRaise5003WithThePath) {
    TempDir dir;
    const String file = dir.File("input.bin", "abc");
    EventLog events;
    TVKChecksum control(&events);
    const std::pair<const char *, std::function<void()>> members[] = {
        {"MD5String", [&] { control.MD5String(u"abc", 3); }},
        {"Adler32String", [&] { control.Adler32String(u"", 0); }},
        {"CRC32File", [&] { control.CRC32File(file); }},
        {"TVK32file", [&] { control.TVK32file(String()); }},
        {"NewCheckSumFile", [&] { control.NewCheckSumFile(u"md5", file); }},
        {"Timer1_Timer", [&] { control.Timer1_Timer(); }},
    };
    for (const auto &[name, call] : members) {
        try {
            call();
            ADD_FAILURE() << name << " did not raise";
        } catch (const RuntimeError &error) {
            EXPECT_EQ(error.Number, 5003) << name;
            EXPECT_EQ(error.Description, ExpectedDescription()) << name;
        }
    }
    EXPECT_TRUE(events.Lines.empty());
    EXPECT_FALSE(control.Timer1.Enabled());
}

TEST(MissingEngine, FailedLoadKeepsTheHostUnloadedAndTriesAgain) {
    tvk::ZipClass host;
    for (bool force : {false, false, true}) {
        EXPECT_THROW(host.Init(force), RuntimeError);
        EXPECT_FALSE(host.IsLoaded());
        EXPECT_EQ(host.hEngine, 0u);
    }
    EXPECT_EQ(u"Error loading the required dll " + host.EnginePath, ExpectedDescription());
    host.Deinit();
}

TEST(MissingEngine, SteeringControlNameAndDestructionNeedNoEngine) {
    EventLog events;
    {
        TVKChecksum control(&events);
        EXPECT_TRUE(control.PauseExecution().IsEmpty());
        EXPECT_TRUE(control.ResumeExecution().IsEmpty());
        EXPECT_TRUE(control.CancelExecution().IsEmpty());
        EXPECT_EQ(control.ControlName(), u"TVK Checksum OCX 2.7.0");
        EXPECT_EQ(control.ControlName(), control.ControlName());
    }
    EXPECT_TRUE(events.Lines.empty());
}

TEST(MissingEngine, ResizeAlwaysEndsAt750By750Twips) {
    TVKChecksum control(nullptr);
    EXPECT_EQ(control.Width, 750);
    EXPECT_EQ(control.Height, 750);
    control.Width = 3000;
    control.Height = 300;
    control.UserControl_Resize();
    EXPECT_EQ(control.Width, 750);
    EXPECT_EQ(control.Height, 750);
}

} // namespace
