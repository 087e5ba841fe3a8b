#include "devices/light_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel::devices {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Records when and on which thread each frame was sent.
struct Sends {
    std::mutex lock;
    std::vector<Clock::time_point> at;
    std::vector<std::thread::id> on;
    int pauseMs = 0;
    std::chrono::milliseconds takes{0};

    int Send()
    {
        std::this_thread::sleep_for(takes);
        std::lock_guard guard(lock);
        at.push_back(Clock::now());
        on.push_back(std::this_thread::get_id());
        return pauseMs;
    }
    bool LastOnThisThread()
    {
        std::lock_guard guard(lock);
        return !on.empty() && on.back() == std::this_thread::get_id();
    }
    std::size_t Count()
    {
        std::lock_guard guard(lock);
        return at.size();
    }
    bool WaitFor(std::size_t n, std::chrono::milliseconds limit = 2000ms)
    {
        const auto end = Clock::now() + limit;
        while (Count() < n && Clock::now() < end)
            std::this_thread::sleep_for(1ms);
        return Count() >= n;
    }
};

TEST(LightOutput, TheLastFrameGoesOutAndFramesAreNeverCloserThanThePeriod)
{
    Sends sends;
    LightOutput output([&] { return sends.Send(); });
    output.Start();
    // A light loop far faster than the output: 400 frames over about 100 ms.
    for (int i = 0; i < 400; ++i) {
        output.FrameChanged();
        std::this_thread::sleep_for(250us);
    }
    const auto lastChange = Clock::now();
    ASSERT_TRUE(sends.WaitFor(1));
    std::this_thread::sleep_for(50ms);
    output.Stop();
    std::lock_guard guard(sends.lock);
    ASSERT_GE(sends.at.size(), 2u);
    EXPECT_LE(sends.at.size(), 400u / 5); // coalesced
    for (std::size_t i = 1; i < sends.at.size(); ++i)
        EXPECT_GE(sends.at[i] - sends.at[i - 1], LightOutput::kFramePeriod - 1ms) << i;
    // The newest frame was sent after the last change.
    EXPECT_GE(sends.at.back(), lastChange - LightOutput::kFramePeriod);
}

TEST(LightOutput, NothingChangedNothingSent)
{
    Sends sends;
    LightOutput output([&] { return sends.Send(); });
    output.Start();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(sends.Count(), 0u);
    output.FrameChanged();
    ASSERT_TRUE(sends.WaitFor(1));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(sends.Count(), 1u);
}

TEST(LightOutput, AFailedSendPausesTheOutput)
{
    Sends sends;
    sends.pauseMs = 200;
    LightOutput output([&] { return sends.Send(); });
    output.Start();
    output.FrameChanged();
    ASSERT_TRUE(sends.WaitFor(1));
    output.FrameChanged();
    ASSERT_TRUE(sends.WaitFor(2));
    std::lock_guard guard(sends.lock);
    EXPECT_GE(sends.at[1] - sends.at[0], 199ms);
}

TEST(LightOutput, AHoldWaitsForTheFrameInFlightAndKeepsLaterOnesBack)
{
    std::promise<void> entered, release;
    auto releaseFuture = release.get_future().share();
    std::atomic<int> sent{0};
    std::atomic<bool> inSend{false};
    LightOutput output([&] {
        inSend = true;
        if (sent.fetch_add(1) == 0) {
            entered.set_value();
            releaseFuture.wait();
        }
        inSend = false;
        return 0;
    });
    output.Start();
    output.FrameChanged();
    entered.get_future().wait();

    auto holding = std::async(std::launch::async, [&] {
        auto hold = output.Suspend();
        const bool sending = inSend.load();
        output.FrameChanged();
        std::this_thread::sleep_for(40ms);
        return std::make_pair(sending, sent.load());
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(holding.wait_for(0ms), std::future_status::timeout); // still waiting for the send
    release.set_value();
    const auto [sendingWhenHeld, sentWhileHeld] = holding.get();
    EXPECT_FALSE(sendingWhenHeld);
    EXPECT_EQ(sentWhileHeld, 1);
    // Released: the frame that came during the hold goes out.
    for (int i = 0; i < 2000 && sent.load() < 2; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(sent.load(), 2);
}

TEST(LightOutput, StopIsPromptWithFramesPending)
{
    Sends sends;
    sends.pauseMs = 5000;
    LightOutput output([&] { return sends.Send(); });
    output.Start();
    output.FrameChanged();
    ASSERT_TRUE(sends.WaitFor(1));
    output.FrameChanged(); // waits out the pause
    const auto before = Clock::now();
    output.Stop();
    EXPECT_LT(Clock::now() - before, 500ms);
    EXPECT_EQ(sends.Count(), 1u);
}

// The second frame goes out by the worker; the next one, after the period, on the light thread.
void ExpectTheWorkerThenTheLightThread(LightOutput& output, Sends& sends)
{
    ASSERT_TRUE(sends.WaitFor(2));
    EXPECT_FALSE(sends.LastOnThisThread());
    std::this_thread::sleep_for(LightOutput::kFramePeriod + 2ms);
    output.FrameRendered();
    EXPECT_EQ(sends.Count(), 3u);
    EXPECT_TRUE(sends.LastOnThisThread());
}

TEST(LightOutput, TheLightThreadSendsItsOwnFrameWhileTheDeviceAnswersQuickly)
{
    Sends sends;
    LightOutput output([&] { return sends.Send(); });
    output.Start();
    output.FrameRendered();
    ASSERT_EQ(sends.Count(), 1u); // sent before the call returned
    EXPECT_TRUE(sends.LastOnThisThread());
    // Within the period the frame is the worker's, which waits the period out.
    output.FrameRendered();
    EXPECT_EQ(sends.Count(), 1u);
    ExpectTheWorkerThenTheLightThread(output, sends);
    output.Stop();
}

TEST(LightOutput, AFailedOrSlowSendMovesTheFramesToTheWorkerUntilOneIsQuickAgain)
{
    struct Case {
        const char* what;
        int pauseMs;
        std::chrono::milliseconds takes;
    };
    for (const Case& c : {Case{"failed", 50, 0ms}, Case{"slow", 0, LightOutput::kQuickSend + 10ms}}) {
        SCOPED_TRACE(c.what);
        Sends sends;
        sends.pauseMs = c.pauseMs;
        sends.takes = c.takes;
        LightOutput output([&] { return sends.Send(); });
        output.Start();
        output.FrameRendered(); // the one send that may hold up the light thread
        ASSERT_EQ(sends.Count(), 1u);
        {
            std::lock_guard guard(sends.lock);
            sends.pauseMs = 0;
            sends.takes = 0ms;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(c.pauseMs) + LightOutput::kFramePeriod + 2ms);
        const auto before = Clock::now();
        output.FrameRendered();
        EXPECT_LT(Clock::now() - before, 20ms); // the slow send takes 35 ms
        // The worker's send was quick: the light thread sends again.
        ExpectTheWorkerThenTheLightThread(output, sends);
        output.Stop();
    }
}

TEST(LightOutput, ARenderedFrameIsKeptBackByAHoldAndDroppedAfterTheStop)
{
    Sends sends;
    LightOutput output([&] { return sends.Send(); });
    output.FrameRendered(); // not started: kept for the worker
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(sends.Count(), 0u);
    {
        auto hold = output.Suspend();
        output.Start();
        output.FrameRendered();
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(sends.Count(), 0u);
    }
    ASSERT_TRUE(sends.WaitFor(1)); // the held frames, as one, by the worker
    EXPECT_FALSE(sends.LastOnThisThread());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(sends.Count(), 1u);
    output.Stop();
    std::this_thread::sleep_for(LightOutput::kFramePeriod + 2ms);
    output.FrameRendered();
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(sends.Count(), 1u);
}

TEST(LightOutput, StopAndAHoldWaitForTheLightThreadsSend)
{
    std::promise<void> entered, release;
    auto releaseFuture = release.get_future().share();
    std::atomic<bool> inSend{false};
    LightOutput output([&] {
        inSend = true;
        entered.set_value();
        releaseFuture.wait();
        inSend = false;
        return 0;
    });
    output.Start();
    std::thread light([&] { output.FrameRendered(); });
    entered.get_future().wait();
    auto holding = std::async(std::launch::async, [&] {
        auto hold = output.Suspend();
        return inSend.load();
    });
    auto stopping = std::async(std::launch::async, [&] {
        output.Stop();
        return inSend.load();
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(holding.wait_for(0ms), std::future_status::timeout);
    EXPECT_EQ(stopping.wait_for(0ms), std::future_status::timeout);
    release.set_value();
    EXPECT_FALSE(holding.get());
    EXPECT_FALSE(stopping.get());
    light.join();
}

} // namespace
} // namespace orvel::devices
