// job_owners_test.cpp -- several controls in one process share the engine's
// one job slot: each hears only its own job, on one thread or several, and
// no control's pause or cancel reaches a file method of another.
#include "test_support.h"

#include "ZipClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

const std::string Busy = "ErrorCode 8 Already executing , wait for the end or call cancel";

// The engine's own answer to "getstatus", asked past every control.
Long EngineStatus() {
    static tvk::ZipClass host;
    host.Init(false);
    return host.CallWindowLONG(u"getstatus", 0, 0, 0);
}

void WaitUntilEngineIdle() {
    for (int i = 0; i < 10000 && EngineStatus() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(EngineStatus(), 0);
}

// Ticks the control's timer until it stops, as its host would.
void PollToTheEnd(TVKChecksum &control) {
    for (int i = 0; i < 20000 && control.Timer1.Enabled(); ++i) {
        control.Timer1_Timer();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(control.Timer1.Enabled());
}

TEST(JobOwners, AJobThatEndedBeforeItsTickIsReportedToItsOwnerOnly) {
    TempDir dir;
    const String fileA = dir.File("a.txt", "abc");
    const String fileB = dir.File("b.txt", "message digest");
    EventLog eventsA, eventsB;
    TVKChecksum a(&eventsA), b(&eventsB);

    a.NewCheckSumFile(u"md5", fileA);
    WaitUntilEngineIdle(); // A's job is over; A has not ticked yet
    // B's first call: the slot is A's until A has collected its result.
    b.NewCheckSumFile(u"md5", fileB);
    EXPECT_EQ(eventsB.Lines, Lines{Busy});
    EXPECT_FALSE(b.Timer1.Enabled());
    PollToTheEnd(a);
    EXPECT_EQ(eventsA.Lines,
              Lines({"Progress 0", "Progress 100", "Finished 900150983cd24fb0d6963f7d28e17f72"}));
    // Now B's turn, and A hears nothing of it.
    eventsA.Lines.clear();
    eventsB.Lines.clear();
    b.NewCheckSumFile(u"md5", fileB);
    a.Timer1_Timer();      // a stray tick of A's: not its job
    WaitUntilEngineIdle(); // B's first tick sees its job ended
    PollToTheEnd(b);
    EXPECT_EQ(eventsB.Lines,
              Lines({"Progress 0", "Progress 100", "Finished f96b697d7cb7938d525a2f31aaf161d0"}));
    EXPECT_TRUE(eventsA.Lines.empty());
}

TEST(JobOwners, ControlsOnTwoThreadsEachGetTheirOwnChecksum) {
    TempDir dir;
    const String files[2] = {dir.File("a.txt", "abc"), dir.File("b.txt", "message digest")};
    const std::string sums[2] = {"Finished 900150983cd24fb0d6963f7d28e17f72",
                                 "Finished f96b697d7cb7938d525a2f31aaf161d0"};
    std::atomic<int> wrong{0};
    int done[2] = {0, 0};
    auto host = [&](int me) {
        EventLog events;
        TVKChecksum control(&events);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (done[me] < 20 && std::chrono::steady_clock::now() < until) {
            events.Lines.clear();
            control.NewCheckSumFile(u"md5", files[me]);
            if (!control.Timer1.Enabled()) {
                std::this_thread::yield(); // the other's job holds the slot: error 8
                continue;
            }
            PollToTheEnd(control);
            // Its own sum last, after Progress events only.
            wrong += events.Lines.back() != sums[me] ||
                     std::any_of(events.Lines.begin(), events.Lines.end() - 1,
                                 [](const auto &l) { return l.rfind("Progress", 0) != 0; });
            ++done[me];
        }
    };
    std::thread other(host, 1);
    host(0);
    other.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(done[0], 20);
    EXPECT_EQ(done[1], 20);
}

TEST(JobOwners, AnotherControlsPauseAndCancelNeverReachAFileMethod) {
    TempDir dir;
    const String small = dir.File("small.txt", "abc");
    const String large = dir.File("large.bin", std::string(24 << 20, 'x'));
    EventLog eventsA, eventsB;
    TVKChecksum a(&eventsA), b(&eventsB);
    const String whole = b.MD5File(large);
    ASSERT_EQ(whole.size(), 32u);

    a.NewCheckSumFile(u"md5", small); // A owns its job, ended and not collected
    WaitUntilEngineIdle();
    std::atomic<bool> running{true};
    std::thread steering([&] {
        while (running) {
            a.PauseExecution();
            a.CancelExecution();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const String again = b.MD5File(large);
    const auto took = std::chrono::steady_clock::now() - start;
    running = false;
    steering.join();
    EXPECT_EQ(Ascii(again), Ascii(whole));
    // Paused, 24 MiB would take five minutes.
    EXPECT_LT(took, std::chrono::seconds(60));
    EXPECT_TRUE(eventsB.Lines.empty());
    PollToTheEnd(a);
    EXPECT_EQ(eventsA.Lines.back(), "Finished 900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
