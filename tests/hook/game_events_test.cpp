// Game events from another program reach the main window by their registered names and switch
// the emulated keyboard's lighting for a while: the settings block the keyboard receives and
// the profile show the game's mode, then the mode of before.

#include "devices/keyboard_core.h"
#include "input/game_lighting.h"
#include "input/hook/hook_messages.h"
#include "platform/ipc.h"
#include "profiles/jsonfile.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

#include <thread>

namespace orvel::input {
namespace {

using devices::KeyboardCore;

// The main window's part: the keyboard core as the device whose lighting game events change.
class KeyboardLight final : public GameLightDevice {
public:
    explicit KeyboardLight(KeyboardCore& core) : core_(core) {}
    profiles::LightRecord CurrentLight() const override { return core_.CurrentLight(); }
    int ModeCount() const override { return core_.Modes().Size(); }
    void ChangeLighting(const profiles::LightRecord& record) override { results.push_back(core_.ChangeLighting(record)); }
    std::vector<devices::SequenceResult> results;

private:
    KeyboardCore& core_;
};

constexpr UINT_PTR kRestoreTimer = 40;
constexpr UINT kRestoreMs = 250;

class MainWindow final : public IMessageHandler {
public:
    explicit MainWindow(GameLightDevice& shown)
        : hwnd_(CreateWindowHandle(this, L"MainWnd", L"VARNO Orvel 80")), shown_(shown), lighting_(hwnd_, kRestoreTimer, kRestoreMs)
    {
        RegisterHookMessages();
        endpoint_ = ipc::Endpoint::Create(hwnd_);
    }
    ~MainWindow() override
    {
        endpoint_.reset();
        DestroyWindowHandle(hwnd_);
    }
    bool Reachable() const { return endpoint_ != nullptr; }
    bool RestorePending() const { return lighting_.RestorePending(); }

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_TIMER) {
            lighting_.OnTimer(wParam);
        } else if (RouteHookMessage(msg).target == HookTarget::GameLighting) {
            lighting_.OnGameMessage(&shown_, wParam, lParam);
        }
        return 0;
    }

private:
    HWND hwnd_;
    GameLightDevice& shown_;
    GameLighting lighting_;
    std::unique_ptr<ipc::Endpoint> endpoint_;
};

TEST(GameEventsOnTheKeyboard, AnotherProgramsEventShowsItsModeForAWhile)
{
    devices::testing::EmulatedDevice dev(sim::DeviceKind::Keyboard);
    dev.temp.setEnv("XDG_RUNTIME_DIR", (dev.temp / "runtime").string());
    std::filesystem::create_directories(dev.temp / "runtime");
    std::filesystem::permissions(dev.temp / "runtime", std::filesystem::perms::owner_all);
    devices::testing::WriteProfile(dev.profileFolder, "profile1", "keyboard", [](Json::Value&) {});
    KeyboardCore core(*dev.link, dev.Folders("keyboard"));
    core.SetProfileIdentifier("profile1");
    dev.Attach(sim::Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    profiles::LightRecord before = core.CurrentLight();
    before.selectItem = 2;
    ASSERT_EQ(core.ChangeLighting(before).status, 1);

    KeyboardLight light(core);
    MainWindow window(light);
    ASSERT_TRUE(window.Reachable());
    const auto modeOnTheKeyboard = [&] { return dev.Memory().block[1]; };
    const auto savedMode = [&](const char* key) {
        return profiles::LoadJsonFile(dev.profileFolder / "profile1.Json")["Device"][0]["LightInfo"][key].asInt();
    };

    // Another program: finds the window by its class and title, sends by name.
    std::thread([] {
        const auto target = ipc::FindWindowW(L"MainWnd", L"VARNO Orvel 80");
        ASSERT_TRUE(target);
        EXPECT_TRUE(ipc::PostMessageW(*target, RegisterWindowMessageW(L"Game_Kill"), 9, 4)); // w 9: nothing
        EXPECT_TRUE(ipc::PostMessageW(*target, RegisterWindowMessageW(L"Game_Start"), 0, 200)); // no such mode
        EXPECT_TRUE(ipc::PostMessageW(*target, RegisterWindowMessageW(L"Game_Start"), 0, 6));
    }).join();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (light.results.empty() && std::chrono::steady_clock::now() < until) {
        PumpMessages(10);
    }
    ASSERT_EQ(light.results.size(), 1u) << "only the valid event changed anything";
    EXPECT_EQ(light.results[0].status, 1);
    EXPECT_EQ(modeOnTheKeyboard(), 6); // the keyboard's mode codes are its mode indexes
    EXPECT_EQ(savedMode("SelectItem"), 6);
    EXPECT_EQ(savedMode("OldLedmode"), 2);

    while (window.RestorePending() && std::chrono::steady_clock::now() < until) {
        PumpMessages(10);
    }
    ASSERT_EQ(light.results.size(), 2u);
    EXPECT_EQ(modeOnTheKeyboard(), 2);
    EXPECT_EQ(savedMode("SelectItem"), 2);
    EXPECT_EQ(core.CurrentLight().selectItem, 2);
}

} // namespace
} // namespace orvel::input
