#include "lighting/audio_watchdog.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace orvel::lighting;

// A capture program in simulated time: it holds its mutex from a start until its scripted end.
struct FakeProgram : AudioWatchdogHost {
    explicit FakeProgram(ManualWaiter& clock) : clock(clock) {}

    bool CaptureRunning() override { return running && (!endsAt || clock.NowMs() < *endsAt); }
    bool StartCapture() override
    {
        starts.push_back(clock.NowMs());
        if (!startable) return false;
        running = true;
        connected = false;
        endsAt = lifetime ? std::optional<uint64_t>(clock.NowMs() + *lifetime) : std::nullopt;
        return true;
    }
    bool Connected() override { return connected && CaptureRunning(); }
    void Connect() override
    {
        connects.push_back(clock.NowMs());
        connected = CaptureRunning();
    }
    void StartFailed() override { ++failures; }

    ManualWaiter& clock;
    bool startable = true;
    bool running = false;
    bool connected = false;
    std::optional<uint64_t> lifetime; // how long each started program runs; nothing: for ever
    std::optional<uint64_t> endsAt;
    std::vector<uint64_t> starts, connects;
    int failures = 0;
};

TEST(AudioWatchdog, AProgramThatEndedIsStartedAgainAboutASecondLaterAndConnected)
{
    ManualWaiter clock(0, 20000);
    FakeProgram program(clock);
    AudioWatchdog watchdog(program, clock);
    ASSERT_TRUE(watchdog.StartNow());
    program.connected = true;
    program.endsAt = 5200; // it dies at 5.2 s
    watchdog.Run();
    EXPECT_EQ(program.starts, (std::vector<uint64_t>{0, 6000}));
    EXPECT_EQ(program.connects, (std::vector<uint64_t>{6500}));
    EXPECT_EQ(program.failures, 0);
}

TEST(AudioWatchdog, AMissingProgramIsReportedOnceAndTriedWithGrowingPauses)
{
    ManualWaiter clock(0, 300000);
    FakeProgram program(clock);
    program.startable = false;
    AudioWatchdog watchdog(program, clock);
    EXPECT_FALSE(watchdog.StartNow());
    watchdog.Run();
    EXPECT_EQ(program.failures, 1);
    EXPECT_EQ(program.starts,
              (std::vector<uint64_t>{0, 1000, 3000, 7000, 15000, 31000, 63000, 123000, 183000, 243000}));
    EXPECT_TRUE(program.connects.empty());
}

TEST(AudioWatchdog, AProgramThatKeepsEndingWaitsLongerUntilItHasRunHalfAMinute)
{
    // Programs started before 20 s end after 0.1 s; later ones run until the one running at
    // 100 s is killed.
    struct Flaky : FakeProgram {
        using FakeProgram::FakeProgram;
        bool StartCapture() override
        {
            lifetime = clock.NowMs() < 20000 ? std::optional<uint64_t>(100) : std::nullopt;
            return FakeProgram::StartCapture();
        }
        bool CaptureRunning() override
        {
            if (clock.NowMs() >= 100000 && !killed) {
                killed = true;
                endsAt = clock.NowMs();
            }
            return FakeProgram::CaptureRunning();
        }
        bool killed = false;
    };
    ManualWaiter clock(0, 110000);
    Flaky program(clock);
    AudioWatchdog watchdog(program, clock);
    watchdog.StartNow();
    watchdog.Run();
    // Checks come every second, a start is followed by its connect half a second later.
    EXPECT_EQ(program.starts, (std::vector<uint64_t>{0, 1000, 3500, 8000, 16500, 33000, 100500}));
    EXPECT_EQ(program.failures, 0) << "programs that were started are not reported";
}

TEST(AudioWatchdog, ARunningProgramThatIsNotConnectedIsConnected)
{
    ManualWaiter clock(0, 3500);
    FakeProgram program(clock);
    AudioWatchdog watchdog(program, clock);
    watchdog.StartNow(); // the window's first look found no window yet: not connected
    watchdog.Run();
    EXPECT_EQ(program.starts, (std::vector<uint64_t>{0}));
    EXPECT_EQ(program.connects, (std::vector<uint64_t>{1000}));
}

TEST(AudioWatchdog, StopsWhenItsClockIsStopped)
{
    ManualWaiter clock(0);
    FakeProgram program(clock);
    AudioWatchdog watchdog(program, clock);
    clock.Stop();
    watchdog.Run();
    EXPECT_TRUE(program.starts.empty());
}

} // namespace
