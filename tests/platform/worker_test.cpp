#include "platform/worker.h"

#include "platform/debuglog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace orvel {
namespace {

using Clock = std::chrono::steady_clock;

class LogCapture {
public:
    LogCapture()
    {
        debuglog::SetSinkForTests([this](std::string_view line) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(line);
        });
    }
    ~LogCapture() { debuglog::SetSinkForTests({}); }
    std::vector<std::string> lines()
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST(Worker, CooperativeWorkerStopsAndIsLogged)
{
    LogCapture log;
    int owner = 7;
    std::atomic<void*> seenOwner{nullptr};
    std::atomic<int> turns{0};
    WorkerSlot slot;
    ASSERT_TRUE(slot.Start(&owner, [&](const WorkerParam& p) {
        seenOwner = p.owner;
        while (!WaitStop(p, 1)) {
            ++turns;
        }
    }));
    EXPECT_FALSE(slot.Start(&owner, [](const WorkerParam&) {})) << "slot already busy";
    // On a loaded machine the thread may take a while to get its first turn.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (turns.load() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(slot.Running());
    EXPECT_EQ(slot.Stop(), WorkerSlot::StopResult::Ended);
    EXPECT_FALSE(slot.Running());
    EXPECT_EQ(seenOwner.load(), &owner);
    EXPECT_GT(turns.load(), 0);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"所有对象处于激发状态\n"});
    EXPECT_EQ(slot.Stop(), WorkerSlot::StopResult::NotRunning);
}

TEST(Worker, AbortHookWakesBlockingWait)
{
    EventHandle io = CreateEventW(false, false);
    WorkerSlot slot;
    // The worker blocks on something other than its stop event, as a reader in I/O does.
    slot.Start(nullptr, [io](const WorkerParam&) { WaitForSingleObject(io, INFINITE); }, [io] { SetEvent(io); });
    const auto start = Clock::now();
    EXPECT_EQ(slot.Stop(), WorkerSlot::StopResult::Ended);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
}

TEST(Worker, StuckWorkerIsDetachedWithinTheTimeOut)
{
    LogCapture log;
    auto release = CreateEventW(true, false);
    std::atomic<bool> finished{false};
    {
        WorkerSlot slot;
        slot.Start(nullptr, [release, &finished](const WorkerParam& p) {
            WaitForSingleObject(release, INFINITE); // ignores its stop event
            // The record and the event are still valid after the slot gave up on us.
            finished = WaitStop(p, 0);
        });
        const auto start = Clock::now();
        EXPECT_EQ(slot.Stop(300), WorkerSlot::StopResult::TimedOut);
        const auto waited = Clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(300));
        EXPECT_LT(waited, std::chrono::milliseconds(1000));
        EXPECT_FALSE(slot.Running());
        // The slot can run a new worker at once, with a stop event of its own.
        EXPECT_EQ(WaitForSingleObject(slot.StopEvent(), 0), WAIT_TIMEOUT);
        ASSERT_TRUE(slot.Start(nullptr, [](const WorkerParam& p) { WaitStop(p, INFINITE); }));
        EXPECT_EQ(slot.Stop(), WorkerSlot::StopResult::Ended);
    }
    SetEvent(release);
    for (int i = 0; i < 200 && !finished; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(finished.load());
    const auto lines = log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "所有对象处于非激发状态，超时\n");
}

TEST(Worker, OwnStopLines)
{
    LogCapture log;
    WorkerSlot slot;
    slot.Start(nullptr, [](const WorkerParam& p) { WaitStop(p, INFINITE); });
    slot.Stop(1000, {"线程退出：：对象处于激发状态\n", "线程退出：：对象处于非激发状态，超时\n"});
    EXPECT_EQ(log.lines(), std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

} // namespace
} // namespace orvel
