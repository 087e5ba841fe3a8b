// Game events switch the lighting of the device shown for a while and then restore it, on the
// device they changed.

#include "input/game_lighting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace orvel;
using namespace orvel::input;

class FakeDevice final : public GameLightDevice {
public:
    explicit FakeDevice(std::uint8_t mode, std::uint8_t old = 0)
    {
        record.selectItem = mode;
        record.oldLedmode = old;
    }
    profiles::LightRecord CurrentLight() const override { return record; }
    int ModeCount() const override { return 10; }
    void ChangeLighting(const profiles::LightRecord& r) override
    {
        record = r;
        changes.push_back(r.selectItem);
    }
    profiles::LightRecord record;
    std::vector<int> changes;
};

class TimerWindow final : public IMessageHandler {
public:
    TimerWindow() : hwnd(CreateWindowHandle(this)) {}
    ~TimerWindow() override { DestroyWindowHandle(hwnd); }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM) override
    {
        if (msg == WM_TIMER && lighting != nullptr) {
            lighting->OnTimer(wParam);
        }
        return 0;
    }
    HWND hwnd;
    GameLighting* lighting = nullptr;
};

constexpr UINT kDelay = 60;

class GameEvents : public ::testing::Test {
protected:
    GameEvents() { window.lighting = &lighting; }
    // Pumps until the restore ran (or a second has passed).
    void WaitForRestore()
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (lighting.RestorePending() && std::chrono::steady_clock::now() < until) {
            PumpMessages(10);
        }
        EXPECT_FALSE(lighting.RestorePending());
    }
    TimerWindow window;
    GameLighting lighting {window.hwnd, 7, kDelay};
};

TEST_F(GameEvents, TheModeShowsForAWhileAndTheOneBeforeComesBack)
{
    const struct {
        const char* what;
        std::uint8_t mode;
        std::uint8_t old;
        WPARAM w;
        LPARAM e;
        bool acts;
        std::uint8_t oldAfterEvent;
        std::vector<int> changes;
    } cases[] = {
        {"w 0 remembers the mode", 2, 7, 0, 5, true, 2, {5, 2}},
        {"w 0 from mode 0 returns to 0", 0, 7, 0, 5, true, 0, {5, 0}},
        {"w 1 keeps OldLedmode", 2, 7, 1, 5, true, 7, {5, 7}},
        {"w 2 keeps OldLedmode", 2, 7, 2, 4, true, 7, {4, 7}},
        {"w 3 does nothing", 2, 7, 3, 5, false, 7, {}},
        {"a mode beyond the list", 2, 7, 0, 10, false, 7, {}},
        {"a negative mode", 2, 7, 0, -1, false, 7, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDevice device(c.mode, c.old);
        EXPECT_EQ(lighting.OnGameMessage(&device, c.w, c.e), c.acts);
        EXPECT_EQ(lighting.RestorePending(), c.acts) << "no timer without a change";
        EXPECT_EQ(device.record.oldLedmode, c.oldAfterEvent);
        WaitForRestore();
        EXPECT_EQ(device.changes, c.changes);
    }
    EXPECT_FALSE(lighting.OnGameMessage(nullptr, 0, 1));
}

TEST_F(GameEvents, ASecondEventRestartsTheTimerAndKeepsTheModeOfBefore)
{
    FakeDevice device(2);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(lighting.OnGameMessage(&device, 0, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(kDelay / 2));
    ASSERT_TRUE(lighting.OnGameMessage(&device, 0, 6));
    const auto second = std::chrono::steady_clock::now();
    EXPECT_EQ(device.record.oldLedmode, 2) << "the game's first mode is not the one to return to";
    WaitForRestore();
    EXPECT_GE(std::chrono::steady_clock::now() - second, std::chrono::milliseconds(kDelay));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kDelay * 3 / 2));
    EXPECT_EQ(device.changes, (std::vector<int> {5, 6, 2}));
}

TEST_F(GameEvents, TheRestoreGoesToTheDevicesChangedNotTheOneShown)
{
    FakeDevice keyboard(2);
    FakeDevice mouse(3);
    FakeDevice gone(4);
    ASSERT_TRUE(lighting.OnGameMessage(&keyboard, 0, 5));
    ASSERT_TRUE(lighting.OnGameMessage(&mouse, 0, 6));
    ASSERT_TRUE(lighting.OnGameMessage(&gone, 0, 7));
    lighting.Forget(&gone);
    WaitForRestore();
    EXPECT_EQ(keyboard.changes, (std::vector<int> {5, 2}));
    EXPECT_EQ(mouse.changes, (std::vector<int> {6, 3}));
    EXPECT_EQ(gone.changes, (std::vector<int> {7}));
    EXPECT_FALSE(lighting.OnTimer(8)) << "another timer of the window";
}

} // namespace
