#include "platform/qt/winmsgpump.h"

#include "platform/winmsg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace orvel {
namespace {

class GuiWindow : public IMessageHandler {
public:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (std::this_thread::get_id() != guiThread) {
            wrongThread = true;
        }
        if (msg == WM_TIMER && wParam == 1032) {
            if (++timerTicks == 3) {
                KillTimer(hwnd, 1032);
                PostQuitMessage(5);
            }
            return 0;
        }
        if (msg == WM_USER) {
            ++sends;
            return static_cast<LRESULT>(wParam) * 2 + lParam;
        }
        if (msg == WM_APP) {
            // A timer armed from a handler must be picked up by the Qt timer too.
            SetTimer(hwnd, 1032, 15);
        }
        return 0;
    }
    std::thread::id guiThread = std::this_thread::get_id();
    std::atomic<bool> wrongThread{false};
    std::atomic<int> timerTicks{0};
    std::atomic<int> sends{0};
};

TEST(WinMsgPump, QtLoopServesCrossThreadSendsPostsAndTimers)
{
    int argc = 1;
    char name[] = "winmsgpump_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    qtglue::WinMsgPump pump;
    GuiWindow window;
    HWND hwnd = CreateWindowHandle(&window, L"MainWnd", L"VARNO Orvel 80");

    std::atomic<LRESULT> sendResult{-1};
    std::thread worker([&] {
        sendResult = SendMessageW(hwnd, WM_USER, 20, 2);
        PostMessageW(hwnd, WM_APP, 0, 0);
    });
    QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(-1); }); // never hang the suite
    const auto start = std::chrono::steady_clock::now();
    const int code = app.exec();
    worker.join();

    EXPECT_EQ(code, 5) << "PostQuitMessage ends the Qt loop with its code";
    EXPECT_EQ(sendResult.load(), 42);
    EXPECT_EQ(window.sends.load(), 1);
    EXPECT_EQ(window.timerTicks.load(), 3);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    EXPECT_FALSE(window.wrongThread.load());
    DestroyWindowHandle(hwnd);
}

} // namespace
} // namespace orvel
