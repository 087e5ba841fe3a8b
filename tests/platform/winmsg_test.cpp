#include "platform/winmsg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// Records what it handles and answers with a function of the message.
class Recorder : public IMessageHandler {
public:
    std::function<LRESULT(UINT, WPARAM, LPARAM)> answer = [](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; };

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        {
            std::lock_guard lock(mutex_);
            received_.push_back({msg, wParam, lParam, std::this_thread::get_id()});
        }
        return answer(msg, wParam, lParam);
    }
    std::vector<Received> received()
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    std::mutex mutex_;
    std::vector<Received> received_;
};

// A thread that owns one window and runs the built-in loop until told to quit.
class OwnerThread {
public:
    explicit OwnerThread(Recorder& handler)
    {
        std::promise<HWND> made;
        auto madeFuture = made.get_future();
        thread_ = std::thread([&, made = std::move(made)]() mutable {
            HWND h = CreateWindowHandle(&handler, L"TestClass", L"TestTitle");
            made.set_value(h);
            exitCode_ = RunMessageLoop();
            DestroyWindowHandle(h);
        });
        hwnd = madeFuture.get();
    }
    ~OwnerThread() { quit(); }
    void quit()
    {
        if (thread_.joinable()) {
            PostMessageW(hwnd, kQuitRequest, 0, 0);
            thread_.join();
        }
    }
    static constexpr UINT kQuitRequest = WM_APP + 99;
    HWND hwnd = nullptr;
    int exitCode_ = -1;

private:
    std::thread thread_;
};

// Turns kQuitRequest into PostQuitMessage on the owner thread.
class QuittingRecorder : public Recorder {
public:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == OwnerThread::kQuitRequest) {
            PostQuitMessage(7);
            return 0;
        }
        return Recorder::HandleMessage(hwnd, msg, wParam, lParam);
    }
};

TEST(WinMsg, SendOnOwnerThreadCallsHandlerDirectly)
{
    Recorder r;
    HWND h = CreateWindowHandle(&r);
    EXPECT_EQ(SendMessageW(h, WM_USER, 2, 3), 5);
    ASSERT_EQ(r.received().size(), 1u);
    EXPECT_EQ(r.received()[0].thread, std::this_thread::get_id());
    DestroyWindowHandle(h);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessageW(h, WM_USER, 2, 3), 0);
    EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
}

TEST(WinMsg, CrossThreadSendRunsOnOwnerAndReturnsResult)
{
    QuittingRecorder r;
    OwnerThread owner(r);
    EXPECT_EQ(SendMessageW(owner.hwnd, WM_USER + 1, 40, 2), 42);
    ASSERT_EQ(r.received().size(), 1u);
    EXPECT_NE(r.received()[0].thread, std::this_thread::get_id());
    owner.quit();
    EXPECT_EQ(owner.exitCode_, 7);
}

TEST(WinMsg, PostedMessagesKeepTheirOrder)
{
    QuittingRecorder r;
    OwnerThread owner(r);
    for (WPARAM i = 0; i < 50; ++i) {
        ASSERT_TRUE(PostMessageW(owner.hwnd, WM_USER, i, 0));
    }
    SendMessageW(owner.hwnd, WM_NULL, 0, 0); // handled after the posts were queued
    std::this_thread::sleep_for(20ms);
    owner.quit();
    std::vector<WPARAM> order;
    for (const Received& m : r.received()) {
        if (m.msg == WM_USER) {
            order.push_back(m.wParam);
        }
    }
    ASSERT_EQ(order.size(), 50u);
    for (WPARAM i = 0; i < 50; ++i) {
        EXPECT_EQ(order[i], i);
    }
}

// The owner thread is busy elsewhere (as the UI thread is while it joins workers) when the
// window starts closing or is destroyed; a worker already waiting on a send to it must come
// back with 0 at once.
TEST(WinMsg, WaitingSenderIsReleasedWhenWindowClosesOrIsDestroyed)
{
    struct Case {
        const char* what;
        void (*end)(HWND);
    };
    const Case cases[] = {
        {"closing", [](HWND h) { SetWindowClosing(h); }},
        {"destroyed", [](HWND h) { DestroyWindowHandle(h); }},
    };
    for (const Case& c : cases) {
        Recorder r;
        HWND h = CreateWindowHandle(&r);
        std::promise<LRESULT> pendingResult;
        auto pending = pendingResult.get_future();
        std::thread worker([&] { pendingResult.set_value(SendMessageW(h, WM_USER, 1, 1)); });
        std::this_thread::sleep_for(30ms); // the worker is now waiting for this thread
        c.end(h);
        ASSERT_EQ(pending.wait_for(500ms), std::future_status::ready) << c.what;
        EXPECT_EQ(pending.get(), 0) << c.what;
        worker.join();
        EXPECT_TRUE(r.received().empty()) << c.what;
        DestroyWindowHandle(h);
    }
}

TEST(WinMsg, ClosingWindowRefusesOtherThreadsButNotItsOwner)
{
    Recorder r;
    HWND h = CreateWindowHandle(&r);
    SetWindowClosing(h);
    const auto start = Clock::now();
    std::thread late([&] {
        EXPECT_EQ(SendMessageW(h, WM_USER, 1, 1), 0);
        EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
    });
    late.join();
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_TRUE(r.received().empty());
    EXPECT_EQ(SendMessageW(h, WM_USER, 1, 2), 3) << "the owner thread itself still reaches it";
    DestroyWindowHandle(h);
}

TEST(WinMsg, OwnerThreadEndingReleasesSenders)
{
    Recorder r;
    HWND h = nullptr;
    std::thread owner([&] { h = CreateWindowHandle(&r); });
    owner.join(); // the thread ended without destroying its window
    EXPECT_EQ(SendMessageW(h, WM_USER, 1, 1), 0);
    EXPECT_FALSE(PostMessageW(h, WM_USER, 1, 1));
}

// Two threads that send to each other's windows must not deadlock.
TEST(WinMsg, MutualSendsDoNotDeadlock)
{
    QuittingRecorder remote;
    OwnerThread owner(remote);
    Recorder local;
    HWND mine = CreateWindowHandle(&local);
    remote.answer = [&](UINT, WPARAM, LPARAM) { return SendMessageW(mine, WM_USER, 10, 1) + 100; };
    EXPECT_EQ(SendMessageW(owner.hwnd, WM_USER, 0, 0), 111);
    EXPECT_EQ(local.received().size(), 1u);
    owner.quit();
    DestroyWindowHandle(mine);
}

TEST(WinMsg, TimersFireRestartAndStop)
{
    Recorder r;
    HWND h = CreateWindowHandle(&r);
    auto timerCount = [&](UINT_PTR id) {
        int n = 0;
        for (const Received& m : r.received()) {
            n += (m.msg == WM_TIMER && m.wParam == id) ? 1 : 0;
        }
        return n;
    };
    EXPECT_EQ(SetTimer(h, 1002, 20), 1002u);
    EXPECT_EQ(SetTimer(h, 1011, 1000), 1011u);
    const auto until = Clock::now() + 150ms;
    while (Clock::now() < until) {
        PumpMessages(10);
    }
    const int fired = timerCount(1002);
    EXPECT_GE(fired, 3);
    EXPECT_LE(fired, 8);
    EXPECT_EQ(timerCount(1011), 0);

    // Setting the id again restarts it with the new period.
    SetTimer(h, 1011, 30);
    const auto start = Clock::now();
    while (timerCount(1011) == 0 && Clock::now() - start < 500ms) {
        PumpMessages(5);
    }
    EXPECT_EQ(timerCount(1011), 1);
    EXPECT_GE(Clock::now() - start, 25ms);

    EXPECT_TRUE(KillTimer(h, 1002));
    EXPECT_FALSE(KillTimer(h, 1002));
    const int before = timerCount(1002);
    const auto later = Clock::now() + 60ms;
    while (Clock::now() < later) {
        PumpMessages(10);
    }
    EXPECT_EQ(timerCount(1002), before);
    DestroyWindowHandle(h);
    EXPECT_EQ(SetTimer(h, 1, 10), 0u);
}

TEST(WinMsg, QuitEndsPumpWithExitCode)
{
    Recorder r;
    HWND h = CreateWindowHandle(&r);
    PostMessageW(h, WM_USER, 1, 0);
    PostQuitMessage(3);
    EXPECT_FALSE(PumpMessages(0));
    EXPECT_EQ(winmsg::QuitExitCode(), 3);
    EXPECT_TRUE(PumpMessages(0)) << "the quit was taken";
    EXPECT_EQ(r.received().size(), 1u) << "the queued message stays for the next pump";
    PostQuitMessage(4);
    EXPECT_EQ(RunMessageLoop(), 4);
    DestroyWindowHandle(h);
}

TEST(WinMsg, RegisteredMessageNumbers)
{
    const UINT a = RegisterWindowMessageW(L"VARNO Orvel 80");
    const UINT b = RegisterWindowMessageW(L"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_GE(b, 0xC000u);
    EXPECT_LE(b, 0xFFFFu);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessageW(L"VARNO Orvel 80"), a);
    std::thread other([&] { EXPECT_EQ(RegisterWindowMessageW(L"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"), b); });
    other.join();
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
}

TEST(WinMsg, FindLocalWindowByClassAndTitle)
{
    Recorder r;
    HWND a = CreateWindowHandle(&r, L"SetWnd", L"");
    HWND b = CreateWindowHandle(&r, L"Other", L"WorkTool");
    EXPECT_EQ(winmsg::FindLocalWindow(L"SetWnd", L""), a);
    EXPECT_EQ(winmsg::FindLocalWindow(L"", L"WorkTool"), b);
    EXPECT_EQ(winmsg::FindLocalWindow(L"Other", L"Nope"), nullptr);
    EXPECT_EQ(winmsg::ClassName(b), L"Other");
    winmsg::SetTitle(b, L"Renamed");
    EXPECT_EQ(winmsg::Title(b), L"Renamed");
    SetWindowClosing(a);
    EXPECT_EQ(winmsg::FindLocalWindow(L"SetWnd", L""), nullptr);
    DestroyWindowHandle(a);
    DestroyWindowHandle(b);
}

TEST(WinMsg, WakerIsCalledForMessagesFromOtherThreads)
{
    Recorder r;
    HWND h = CreateWindowHandle(&r);
    std::atomic<int> wakes{0};
    winmsg::SetThreadWaker([&] { ++wakes; });
    std::thread poster([&] { PostMessageW(h, WM_USER, 1, 0); });
    poster.join();
    EXPECT_GE(wakes.load(), 1);
    EXPECT_TRUE(PumpMessages(0));
    EXPECT_EQ(r.received().size(), 1u);
    winmsg::SetThreadWaker({});
    DestroyWindowHandle(h);
}

} // namespace
} // namespace orvel
