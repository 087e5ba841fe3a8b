#include "platform/events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace orvel {
namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(Events, WaitResults)
{
    struct Case {
        const char* name;
        std::vector<bool> signalled; // state of each event before the wait
        DWORD expected;
    };
    const Case cases[] = {
        {"single signalled", {true}, WAIT_OBJECT_0},
        {"single unsignalled", {false}, WAIT_TIMEOUT},
        {"second of three", {false, true, false}, WAIT_OBJECT_0 + 1},
        {"lowest index wins", {false, true, true}, WAIT_OBJECT_0 + 1},
        {"third of three", {false, false, true}, WAIT_OBJECT_0 + 2},
        {"none of three", {false, false, false}, WAIT_TIMEOUT},
    };
    for (const Case& c : cases) {
        std::vector<EventHandle> events;
        for (bool s : c.signalled) {
            events.push_back(CreateEventW(false, s));
        }
        EXPECT_EQ(WaitForAnyObject(events, 0), c.expected) << c.name;
    }
}

TEST(Events, BadHandlesFail)
{
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForAnyObject({}, 0), WAIT_FAILED);
    std::vector<EventHandle> withNull{CreateEventW(true, true), nullptr};
    EXPECT_EQ(WaitForAnyObject(withNull, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_FALSE(ResetEvent(nullptr));
}

TEST(Events, AutoResetIsTakenByOneWaitManualStays)
{
    EventHandle autoEvent = CreateEventW(false, true);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);

    EventHandle manual = CreateEventW(true, false);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
}

// Two threads wait on the same event; one signal releases one (auto) or both (manual).
TEST(Events, SignalReleasesOneAutoWaiterOrAllManualWaiters)
{
    for (bool manual : {false, true}) {
        EventHandle event = CreateEventW(manual, false);
        std::atomic<int> released{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 2; ++i) {
            waiters.emplace_back([&] {
                if (WaitForSingleObject(event, 400) == WAIT_OBJECT_0) {
                    ++released;
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SetEvent(event);
        for (auto& t : waiters) {
            t.join();
        }
        EXPECT_EQ(released.load(), manual ? 2 : 1) << (manual ? "manual" : "auto");
    }
}

TEST(Events, TimeOutIsRoughlyKept)
{
    EventHandle event = CreateEventW(true, false);
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 60), WAIT_TIMEOUT);
    const long waited = msSince(start);
    EXPECT_GE(waited, 60);
    EXPECT_LT(waited, 500);
}

TEST(Events, InfiniteWaitEndsOnSignalFromAnotherThread)
{
    EventHandle a = CreateEventW(false, false);
    EventHandle b = CreateEventW(false, false);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SetEvent(b);
    });
    std::vector<EventHandle> both{a, b};
    EXPECT_EQ(WaitForAnyObject(both, INFINITE), WAIT_OBJECT_0 + 1);
    setter.join();
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT) << "the wait took the auto-reset signal";
}

} // namespace
} // namespace orvel
