#include "app/app_messages.h"
#include "app/instance.h"
#include "app/window_rules.h"
#include "devices/qt/device_option.h"
#include "devices/qt/device_power.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "tests/support/peer_window.h"
#include "tests/app/window_bench.h"
#include "tests/support/file_text.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace orvel::app::testing {
namespace {

using pages::CQuorsineUSBDevice;

constexpr int kMouse = 0, kKeyboard = 1, kPad = 2, kHeadset = 3;

// A panel of a page, as the later panels register: a prefix route.
class RecordingPanel : public pages::CRoutedPump {
public:
    std::vector<int> keys;
    void OnKey(DuiLib::TNotifyUI&, int n) { keys.push_back(n); }
    ORVEL_DECLARE_ROUTES()
};
ORVEL_BEGIN_PREFIX_ROUTES(RecordingPanel)
ORVEL_ON_PREFIX(DuiLib::DUI_MSGTYPE_CLICK, L"key_", RecordingPanel::OnKey)
ORVEL_END_PREFIX_ROUTES()
ORVEL_BEGIN_MESSAGE_ROUTES(RecordingPanel)
ORVEL_END_MESSAGE_ROUTES()

// What a control with resource text shows for a text the code sets.
DuiLib::CDuiString Text(const wchar_t* id)
{
    return DuiLib::CResourceManager::GetInstance()->GetText(id);
}

bool AnyLedColoured(const CQuorsineUSBDevice& page)
{
    for (DuiLib::CDeviceKeyButtonUI* b : page.LightButtons()) {
        if (b != nullptr && b->GetLightColor() != 0xFFFFFFFF)
            return true;
    }
    return false;
}

TEST(MainWindow, FourDevicesShowTheirPagesAndLighting)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Mouse);
    bench.Serve(sim::DeviceKind::Keyboard);
    bench.Serve(sim::DeviceKind::MousePad);
    bench.Serve(sim::DeviceKind::Headset);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse, kKeyboard, kPad, kHeadset}); }, 8000ms));
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_FALSE(bench.Find(L"No_device_Link")->IsVisible());

    auto* deviceSwitch = static_cast<DuiLib::CTabLayoutUI*>(bench.Find(L"device_switch"));
    auto* powerSwitch = static_cast<DuiLib::CTabLayoutUI*>(bench.Find(L"device_power_switch"));
    for (int row : {kKeyboard, kPad, kHeadset, kMouse}) {
        SCOPED_TRACE(row);
        window.SelectKindRow(row);
        CQuorsineUSBDevice* page = window.PageOfKindRow(row);
        EXPECT_EQ(window.SelectedPage(), page);
        EXPECT_EQ(deviceSwitch->GetItemAt(deviceSwitch->GetCurSel()), page);
        EXPECT_EQ(powerSwitch->GetItemAt(powerSwitch->GetCurSel()), page->PowerDisplay());
        EXPECT_TRUE(page->OnScreen());
        // The light loop animates the page's LED buttons.
        EXPECT_TRUE(SpinUntil([&] { return AnyLedColoured(*page); })) << "no LED painted";
        for (int other : {kMouse, kKeyboard, kPad, kHeadset}) {
            if (other != row) {
                EXPECT_FALSE(window.PageOfKindRow(other)->OnScreen());
            }
        }
    }
    // The last visible item has no next one.
    auto items = bench.Find(L"device_select_layout");
    ASSERT_NE(items, nullptr);
    window.SelectKindRow(kHeadset);
    const int before = deviceSwitch->GetCurSel();
    bench.Send(bench.Find(L"device_select_next"), DuiLib::DUI_MSGTYPE_CLICK);
    bench.Send(bench.Find(L"device_select_next"), DuiLib::DUI_MSGTYPE_CLICK);
    bench.Send(bench.Find(L"device_select_next"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_NE(deviceSwitch->GetCurSel(), before);
    const int last = deviceSwitch->GetCurSel();
    bench.Send(bench.Find(L"device_select_next"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(deviceSwitch->GetCurSel(), last);
}

TEST(MainWindow, UnpluggedDevicesLeaveTheirPagesForTheirReturn)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    sim::ServedDevice& pad = bench.Serve(sim::DeviceKind::MousePad);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kKeyboard, kPad}); }, 8000ms));
    CQuorsineUSBDevice* keyboardPage = window.PageOfKindRow(kKeyboard);
    window.SelectKindRow(kKeyboard);

    keyboard.Unplug(sim::Path::Cable);
    ASSERT_TRUE(SpinUntil([&] { return !window.ItemVisible(kKeyboard); }));
    EXPECT_EQ(window.SelectedPage(), window.PageOfKindRow(kPad)); // the next visible item
    EXPECT_FALSE(bench.Find(L"No_device_Link")->IsVisible());

    pad.Unplug(sim::Path::Cable);
    ASSERT_TRUE(SpinUntil([&] { return !window.ItemVisible(kPad); }));
    EXPECT_TRUE(bench.Find(L"No_device_Link")->IsVisible());
    EXPECT_EQ(static_cast<DuiLib::CTabLayoutUI*>(bench.Find(L"device_switch"))->GetCurSel(), 0);
    EXPECT_EQ(window.SelectedPage(), nullptr);

    ASSERT_TRUE(keyboard.Plug(sim::Path::Cable));
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kKeyboard}); }, 8000ms));
    EXPECT_EQ(window.PageOfKindRow(kKeyboard), keyboardPage); // the same page
    EXPECT_EQ(window.SelectedPage(), keyboardPage);
    EXPECT_FALSE(bench.Find(L"No_device_Link")->IsVisible());
}

TEST(MainWindow, TheMouseMovesBetweenCableAndReceiverOnTheSamePage)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, true);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse}); }, 8000ms));
    CQuorsineUSBDevice* page = window.PageOfKindRow(kMouse);
    EXPECT_FALSE(page->Model().ViaReceiver());
    page->SetFunctionTab(5);

    mouse.Unplug(sim::Path::Cable);
    ASSERT_TRUE(SpinUntil([&] { return page->Model().ViaReceiver() && page->Model().LinkOpen(); }));
    // Reached through the receiver, the item stays (or comes back) and the page keeps its state.
    EXPECT_TRUE(SpinUntil([&] { return window.ItemVisible(kMouse); }));
    EXPECT_EQ(window.PageOfKindRow(kMouse), page);
    EXPECT_EQ(page->GetFunctionTab(), 5);
    EXPECT_EQ(page->Model().Core().Kind(), kKindMouseReceiver);

    ASSERT_TRUE(mouse.Plug(sim::Path::Cable));
    ASSERT_TRUE(SpinUntil([&] { return !page->Model().ViaReceiver() && page->Model().LinkOpen(); }));
    EXPECT_TRUE(window.ItemVisible(kMouse));
    EXPECT_EQ(window.SelectedPage(), page);
    EXPECT_EQ(page->Model().Core().Kind(), kKindMouse);
}

TEST(MainWindow, LightControlIsToggledAndAskedForByOtherPrograms)
{
    WindowBench bench;
    const UINT owner = RegisterProgramMessages().lightOwner;
    orvel::testing::PeerWindow other(L"Other", L"other program");
    CMainWnd& window = bench.Start();
    ASSERT_EQ(other.Received(owner).size(), 1u); // the program claims the lighting at start
    DuiLib::CControlUI* status = bench.Find(L"control_light_status");

    bench.Send(status, DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_FALSE(window.LightControl());
    EXPECT_EQ(status->GetText(), Text(L"不控制灯光"));
    bench.Send(status, DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(window.LightControl());
    EXPECT_EQ(status->GetText(), Text(L"控制灯光"));
    const auto got = other.Received(owner, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(std::make_pair(got[1].wParam, got[1].lParam), std::make_pair(WPARAM(1), LPARAM(0)));
    EXPECT_EQ(std::make_pair(got[2].wParam, got[2].lParam), std::make_pair(WPARAM(1), LPARAM(1)));

    // Asked by another program: the same change, nothing broadcast.
    window.SendMessage(RegisterProgramMessages().lightControl, 1, 0);
    EXPECT_FALSE(window.LightControl());
    EXPECT_EQ(status->GetText(), Text(L"不控制灯光"));
    uitest::Spin(50);
    EXPECT_EQ(other.Received(owner, 4, 0ms).size(), 3u);
}

TEST(MainWindow, TheWorkToolGetsTheKindTable)
{
    WindowBench bench;
    orvel::testing::PeerWindow tool(L"ToolWnd", L"WorkTool");
    // A WorkTool slow to take its answer does not hold the window up.
    tool.SetAnswer([](UINT, WPARAM, LPARAM) {
        std::this_thread::sleep_for(1500ms);
        return 0;
    });
    CMainWnd& window = bench.Start();
    const auto before = std::chrono::steady_clock::now();
    window.SendMessage(RegisterProgramMessages().workToolQuery, 0, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 300ms);
    const auto got = tool.Received(WM_COPYDATA);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].dataId, kWorkToolDataId);
    const auto expected = BuildWorkToolAnswer();
    EXPECT_EQ(got[0].data, std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST(MainWindow, OtherProgramsReachOnlyTheMessagesMeantForThem)
{
    WindowBench bench;
    CMainWnd& window = bench.Start();
    const auto self = ipc::FindWindowW(L"MainWnd", L"VARNO Orvel 80");
    ASSERT_TRUE(self);
    struct Case {
        const wchar_t* name;
        ipc::SendStatus expected;
        ipc::SendStatus got = ipc::SendStatus::NoPeer;
    };
    Case cases[] = {
        {L"Game_Start", ipc::SendStatus::Ok},
        {L"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", ipc::SendStatus::Ok},
        // Their lParam points at a record of this process.
        {L"WM_HOOK_KEY_SINGLEKEY_MSG", ipc::SendStatus::Refused},
        {L"WM_HOOK_KEY_KBMACRO_MSG", ipc::SendStatus::Refused},
        {L"UWM_MOUSEMOVE_USER_MSG", ipc::SendStatus::Refused},
        // Only ever sent by the window, to the capture program.
        {L"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", ipc::SendStatus::Refused},
    };
    // Sent from another thread, as the window's own loop must run to take them.
    std::atomic<bool> done{false};
    std::thread other([&] {
        for (Case& c : cases)
            c.got = ipc::SendMessageTimeoutW(*self, RegisterWindowMessageW(c.name), 9, 0x1000, 2000).status;
        done = true;
    });
    EXPECT_TRUE(SpinUntil([&] { return done.load(); }, 8000ms));
    other.join();
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << orvel::text::ToUtf8(c.name);
    EXPECT_TRUE(window.LightControl()) << "light control with wParam 9 is not a request";
}

TEST(MainWindow, TheTrayHidesAndRestoresAndASecondStartBringsItBack)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kKeyboard}); }, 8000ms));
    CQuorsineUSBDevice* page = window.PageOfKindRow(kKeyboard);
    ASSERT_TRUE(window.IsWindowVisible());

    window.SendMessage(WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP);
    EXPECT_FALSE(window.IsWindowVisible());
    EXPECT_FALSE(page->OnScreen()); // nothing is painted while hidden
    EXPECT_TRUE(page->Model().Core().WindowHidden());
    window.SendMessage(WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP);
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_TRUE(page->OnScreen());
    EXPECT_FALSE(page->Model().Core().WindowHidden());

    window.SendMessage(WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP);
    ASSERT_FALSE(window.IsWindowVisible());
    EXPECT_GE(BringRunningInstanceForward(), 1); // what a second start does
    EXPECT_TRUE(SpinUntil([&] { return window.IsWindowVisible(); }));
    EXPECT_TRUE(page->OnScreen());
}

TEST(MainWindow, NotificationsAndMessagesReachTheSelectedPagesPanels)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Mouse);
    bench.Serve(sim::DeviceKind::Keyboard);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse, kKeyboard}); }, 8000ms));
    CQuorsineUSBDevice* keyboard = window.PageOfKindRow(kKeyboard);
    CQuorsineUSBDevice* mouse = window.PageOfKindRow(kMouse);
    RecordingPanel panel;
    keyboard->AddPanel(&panel);
    window.SelectKindRow(kKeyboard);

    ASSERT_NE(keyboard->KeyButtons()[5], nullptr);
    bench.Send(keyboard->KeyButtons()[5], DuiLib::DUI_MSGTYPE_CLICK);
    bench.Send(mouse->KeyButtons()[3], DuiLib::DUI_MSGTYPE_CLICK); // not a control of the shown page
    EXPECT_EQ(panel.keys, std::vector<int>{5});

    // Game messages wait for the system to be awake (they light the shown page); devices do not.
    const UINT game = RegisterWindowMessageW(L"Game_Start");
    const auto mode = [&] { return keyboard->Model().Core().CurrentLight().selectItem; };
    const int before = mode();
    const int gameMode = before == 3 ? 4 : 3;
    window.SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    window.SendMessage(game, 1, gameMode);
    EXPECT_EQ(mode(), before);
    bench.Serve(sim::DeviceKind::MousePad);
    EXPECT_TRUE(SpinUntil([&] { return bench.Ready({kPad}); }, 8000ms)) << "an attach while suspended";
    window.SelectKindRow(kKeyboard);
    window.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    window.SendMessage(game, 1, gameMode);
    EXPECT_EQ(mode(), gameMode);
    keyboard->RemovePanel(&panel);

    // The function tabs of the profile panel switch the page's tabs.
    if (auto* tab = static_cast<DuiLib::COptionUI*>(window.GetPaintManager().FindSubControlByName(keyboard, L"macro_Op_tab"))) {
        tab->Selected(true);
        EXPECT_EQ(keyboard->GetFunctionTab(), 3);
    }
}

TEST(MainWindow, ExitWithDevicesAttachedIsQuickAndStopsEveryWorker)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Mouse, true);
    bench.Serve(sim::DeviceKind::Keyboard, true);
    bench.Serve(sim::DeviceKind::MousePad);
    bench.Serve(sim::DeviceKind::Headset);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse, kKeyboard, kPad, kHeadset}); }, 8000ms));
    const auto before = std::chrono::steady_clock::now();
    window.ExitProgram();
    ASSERT_TRUE(SpinUntil([&] { return window.GetHWND() == nullptr; }, 2000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1000ms);
    for (int row : {kMouse, kKeyboard, kPad, kHeadset})
        EXPECT_FALSE(window.PageOfKindRow(row)->Model().LinkOpen());
}

TEST(MainWindow, ADeviceThatAnswersGarbageLeavesTheWindowWorking)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    bench.Serve(sim::DeviceKind::MousePad);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kKeyboard, kPad}); }, 8000ms));
    window.SelectKindRow(kKeyboard);
    sim::FaultRule rule;
    rule.action = sim::FaultAction::BadChecksumStatus;
    rule.times = 1000;
    keyboard.Device().AddFault(rule);
    // A notification makes the keyboard page read the broken device.
    ASSERT_TRUE(keyboard.Notify(sim::notify::kSettingsChanged));
    uitest::Spin(300);
    window.SelectKindRow(kPad);
    EXPECT_EQ(window.SelectedPage(), window.PageOfKindRow(kPad));
    window.SelectKindRow(kKeyboard);
    EXPECT_EQ(window.SelectedPage(), window.PageOfKindRow(kKeyboard));
    keyboard.Unplug(sim::Path::Cable);
    EXPECT_TRUE(SpinUntil([&] { return !window.ItemVisible(kKeyboard); }));
    EXPECT_EQ(window.SelectedPage(), window.PageOfKindRow(kPad));
}

TEST(MainWindow, WithoutATrayTheCloseButtonEndsTheProgram)
{
    WindowBench bench;
    CMainWnd& window = bench.Start();
    ASSERT_FALSE(DuiLib::CTrayIcon::IsTrayAvailable()); // the offscreen platform has none
    bench.Send(bench.Find(L"closebtn"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(SpinUntil([&] { return window.GetHWND() == nullptr; }, 2000ms));
}

TEST(MainWindow, TheSystemTabOpensTheDesktopsMouseSettings)
{
    WindowBench bench;
    const auto ran = bench.temp / "ran.txt";
    const auto program = bench.temp / "bin" / "gnome-control-center";
    std::filesystem::create_directories(program.parent_path());
    orvel::testing::WriteText(program, "#!/bin/sh\necho \"$*\" > '" + ran.string() + "'\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    bench.temp.setEnv("PATH", program.parent_path().string());
    bench.Serve(sim::DeviceKind::Mouse);
    CMainWnd& window = bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse}); }, 8000ms));
    DuiLib::CControlUI* button = window.GetPaintManager().FindSubControlByName(window.PageOfKindRow(kMouse), L"windowdeviceset_1");
    ASSERT_NE(button, nullptr);
    bench.Send(button, DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(SpinUntil([&] { return orvel::testing::FileText(ran) == "mouse\n"; }, 3000ms));
}

} // namespace
} // namespace orvel::app::testing
