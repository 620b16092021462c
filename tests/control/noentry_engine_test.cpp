// noentry_engine_test.cpp -- an engine library that loads but has no
// interface1: the loader's and the bridge's messages, and members that carry
// on with their buffers untouched.
#include "test_support.h"

#include "ZipClass.h"

#include <gtest/gtest.h>

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

const std::string NoEntry = "Error locating the interface1 function ";
const std::string BridgeNoEntry = "error locating the interface1 function ";

String Untouched() {
    String buffer(300, u' ');
    buffer += u'\0';
    return buffer;
}

TEST(NoEntryEngine, StringMethodShowsBothMessagesAndReturnsTheWholeBuffer) {
    EventLog events;
    TVKChecksum control(&events);
    MessageBoxes boxes;
    EXPECT_EQ(control.MD5String(u"abc", 3), Untouched());
    EXPECT_EQ(control.MD5String(u"abc", 3).size(), 301u);
    EXPECT_EQ(boxes.Texts(), Lines({NoEntry, BridgeNoEntry, NoEntry, BridgeNoEntry}));
    EXPECT_TRUE(events.Lines.empty());
}

TEST(NoEntryEngine, FileMethodReturnsTheWholeBufferAfterAMessagePerEngineCall) {
    TempDir dir;
    const String file = dir.File("input.bin", "abc");
    EventLog events;
    TVKChecksum control(&events);
    MessageBoxes boxes;
    EXPECT_EQ(control.SHA256File(file), Untouched());
    EXPECT_EQ(boxes.Texts(), Lines({NoEntry, BridgeNoEntry, BridgeNoEntry}));
    EXPECT_TRUE(events.Lines.empty());
}

TEST(NoEntryEngine, JobGoesOnAsIfTheEngineAnsweredZero) {
    TempDir dir;
    const String file = dir.File("input.bin", "abc");
    EventLog events;
    TVKChecksum control(&events);
    MessageBoxes boxes;
    control.NewCheckSumFile(u"md5", file);
    EXPECT_TRUE(control.Timer1.Enabled());
    control.Timer1_Timer();
    EXPECT_FALSE(control.Timer1.Enabled());
    // getsum's buffer is 300 blanks without a NUL and comes back whole.
    EXPECT_EQ(events.Lines,
              Lines({"Progress 0", "Progress 100", "Finished " + std::string(300, ' ')}));
    EXPECT_EQ(boxes.Texts(), Lines({NoEntry, BridgeNoEntry, BridgeNoEntry, BridgeNoEntry, NoEntry,
                                    BridgeNoEntry, BridgeNoEntry, BridgeNoEntry}));
}

TEST(NoEntryEngine, HostStaysNotLoadedSoSteeringAndDestructionDoNothing) {
    EventLog events;
    MessageBoxes boxes;
    {
        TVKChecksum control(&events);
        control.CRC32String(u"", 0);
        boxes.Texts(); // the two messages of that call
    }
    tvk::ZipClass host;
    host.Init(false);
    EXPECT_FALSE(host.IsLoaded());
    EXPECT_NE(host.hEngine, 0u);
    EXPECT_EQ(host.EngineEntry, 0u);
    host.Deinit(); // not loaded: nothing is freed
    EXPECT_TRUE(events.Lines.empty());
}

TEST(NoEntryEngine, SteeringMembersShowNothing) {
    TVKChecksum control(nullptr);
    MessageBoxes boxes;
    control.PauseExecution();
    control.ResumeExecution();
    control.CancelExecution();
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(NoEntryEngine, BridgeWithoutLibraryRefusesWithItsOwnMessage) {
    tvk::ZipClass host; // never initialised: no module handle
    MessageBoxes boxes;
    String a = u"md5string", b = u"abc", c = u"x";
    EXPECT_EQ(host.CallWindow2(a, b, c, 3), 0);
    EXPECT_EQ(host.CallWindow(u"cancel", u" ", u" ", u" "), 0);
    EXPECT_EQ(host.CallWindowLONG(u"getstatus", 0, 0, 0), 0);
    EXPECT_EQ(c, u"x");
    EXPECT_EQ(boxes.Texts(),
              Lines({"error loading the dll", "error loading the dll", "error loading the dll"}));
}

} // namespace
