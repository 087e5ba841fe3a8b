// The device pages driven by control name against the emulators: what each change sends, what
// the device and the profile hold afterwards, what the page shows after the program starts
// again, and what a device that sleeps, is unplugged or presses its own buttons leaves behind.

#include "devices/kind_models.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "sim/devices/command_frame.h"
#include "sim/devices/factory_tables.h"
#include "tests/app/window_bench.h"

#include <algorithm>
#include <array>
#include <functional>

namespace orvel::app::testing {
namespace {

using pages::CQuorsineUSBDevice;
namespace cmd = sim::cmd;

constexpr int kMouse = 0, kKeyboard = 1, kPad = 2, kHeadset = 3;

// A control of one page (several pages share names).
template <typename T = DuiLib::CControlUI>
T* On(CQuorsineUSBDevice* page, const std::wstring& name)
{
    auto* control = page->GetManager()->FindSubControlByName(page, name.c_str());
    EXPECT_NE(control, nullptr) << QString::fromStdWString(name).toStdString();
    return static_cast<T*>(control);
}

// The commands the device received since the last call, but what comes at any time: the light
// frames the frame output streams on its own, the light control and the heartbeat's small reads.
std::vector<int> Received(sim::ServedDevice& device)
{
    std::vector<int> commands;
    for (const sim::ReceivedFrame& frame : device.Device().TakeReceived()) {
        const int command = frame.request[3];
        if (command != cmd::kWriteLightStream && command != cmd::kSetHostLightControl && command != cmd::kReadSmall)
            commands.push_back(command);
    }
    return commands;
}

std::vector<int> Without(std::vector<int> commands, int command)
{
    commands.erase(std::remove(commands.begin(), commands.end(), command), commands.end());
    return commands;
}

const std::vector<int> kOneBlockWrite66 = {cmd::kBeginConfig, cmd::kWriteBlock, cmd::kWriteBlock, cmd::kEndConfig};
const std::vector<int> kOneBlockWrite = {cmd::kBeginConfig, cmd::kWriteBlock, cmd::kEndConfig};

Json::Value ProfileEntry(CQuorsineUSBDevice* page)
{
    return profiles::LoadJsonFile(page->Model().Core().Folders().Profile(page->Model().Core().ProfileIdentifier()))
        ["Device"][0];
}

// The toolkit's notification of a control whose state the user just changed.
void Select(WindowBench& bench, DuiLib::COptionUI* option, bool on)
{
    option->Selected(on, false);
    bench.Send(option, DuiLib::DUI_MSGTYPE_SELECTCHANGED);
}

void Slide(WindowBench& bench, DuiLib::CSliderUI* slider, int value, const wchar_t* type = DuiLib::DUI_MSGTYPE_VALUECHANGED)
{
    slider->SetValue(value);
    bench.Send(slider, type);
}

CQuorsineUSBDevice* Shown(WindowBench& bench, int row)
{
    EXPECT_TRUE(SpinUntil([&] { return bench.Ready({row}); }, 8000ms));
    bench.window->SelectKindRow(row);
    return bench.window->PageOfKindRow(row);
}

TEST(MousePage, StageAndPollingChangesReachTheMouseAndAreShownAfterARestart)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kMouse);
    auto block = [&] { return mouse.Device().Snapshot().block; };
    Received(mouse);

    Slide(bench, On<DuiLib::CSliderUI>(page, L"DPI_slider_2"), 40);
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(block()[14 + 18 + 2], 40);

    // Dragging only shows the DPI of the position.
    Slide(bench, On<DuiLib::CSliderUI>(page, L"DPI_slider_1"), 49, DuiLib::DUI_MSGTYPE_MOVEVALUECHANGED);
    EXPECT_EQ(On(page, L"DPI_edit_1")->GetText(), L"5100");
    EXPECT_TRUE(Received(mouse).empty());

    auto* edit = On(page, L"DPI_edit_3");
    edit->SetText(L"5100");
    bench.Send(edit, DuiLib::DUI_MSGTYPE_KILLFOCUS);
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(block()[14 + 27 + 2], 49);
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"DPI_slider_3")->GetValue(), 49);

    Select(bench, On<DuiLib::COptionUI>(page, L"DPI_enable_check_0"), false);
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(block()[14], 0);
    EXPECT_FALSE(On(page, L"DPI_layout_0")->IsEnabled());

    // A new current stage takes every slider's level in one write.
    Slide(bench, On<DuiLib::CSliderUI>(page, L"DPI_slider_4"), 70, DuiLib::DUI_MSGTYPE_MOVEVALUECHANGED);
    Select(bench, On<DuiLib::COptionUI>(page, L"DPI_select_check_4"), true);
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(block()[12], 4);
    EXPECT_EQ(block()[14 + 36 + 2], 70);
    EXPECT_FALSE(On(page, L"DPI_enable_check_4")->IsEnabled()) << "the current stage stays on";
    EXPECT_FALSE(On<DuiLib::COptionUI>(page, L"DPI_select_check_1")->IsSelected());

    Select(bench, On<DuiLib::COptionUI>(page, L"polling_rate_option_1"), true);
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(block()[11], 1);

    // The pointer settings stay in the profile.
    Slide(bench, On<DuiLib::CSliderUI>(page, L"pointer_speed_slider"), 15);
    Slide(bench, On<DuiLib::CSliderUI>(page, L"double_click_slider"), 700);
    Select(bench, On<DuiLib::COptionUI>(page, L"scrolls_page_check"), true);
    EXPECT_TRUE(Received(mouse).empty());
    EXPECT_EQ(profiles::JsonInt(ProfileEntry(page)["SystemStages"], "MouseSpeed"), 15);
    const auto before = block();

    bench.Restart();
    page = Shown(bench, kMouse);
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"DPI_slider_2")->GetValue(), 40);
    EXPECT_EQ(On(page, L"DPI_edit_3")->GetText(), L"5100");
    EXPECT_FALSE(On<DuiLib::COptionUI>(page, L"DPI_enable_check_0")->IsSelected());
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"DPI_select_check_4")->IsSelected());
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"polling_rate_option_1")->IsSelected());
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"pointer_speed_slider")->GetValue(), 15);
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"double_click_slider")->GetValue(), 700);
    EXPECT_EQ(On(page, L"double_click_value")->GetText(), L"700 ms");
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"scrolls_page_check")->IsSelected());
    EXPECT_EQ(block(), before) << "starting again wrote nothing";
    // The button list shows one line per on-screen button.
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"device_setkeyinfo_list")->GetCount(), devices::kMouseButtons);
}

TEST(MousePage, TheDpiReferenceRowFollowsItselfAndWritesNothing)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kMouse);
    Received(mouse);
    auto* slider = On<DuiLib::CSliderUI>(page, L"zenta_DPI_slider_0");
    auto* edit = On(page, L"zenta_DPI_edit_0");

    Slide(bench, slider, 4000, DuiLib::DUI_MSGTYPE_MOVEVALUECHANGED);
    EXPECT_EQ(edit->GetText(), L"4000");

    const struct {
        const wchar_t* typed;
        int value;
    } cases[] = {{L"3200", 3200}, {L"99999", 6500}, {L"12", 200}, {L"", 200}, {L"1200x", 1200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.typed).toStdString());
        edit->SetText(c.typed);
        bench.Send(edit, DuiLib::DUI_MSGTYPE_KILLFOCUS);
        EXPECT_EQ(edit->GetText(), std::to_wstring(c.value));
        EXPECT_EQ(slider->GetValue(), c.value);
    }
    EXPECT_TRUE(Received(mouse).empty());
}

TEST(MousePage, AStageColourComesFromTheColourPickerAndACancelChangesNothing)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kMouse);
    auto* swatch = On(page, L"DPI_color_option_2");
    // Stage 2's colour: in the mouse's block, in the profile.
    auto onMouse = [&] {
        const auto block = mouse.Device().Snapshot().block;
        return std::array<int, 3>{block[14 + 18 + 6], block[14 + 18 + 7], block[14 + 18 + 8]};
    };
    auto inProfile = [&] {
        const Json::Value stage = ProfileEntry(page)["DPIStages"]["StageDPIs"][2];
        return std::array<int, 3>{stage["StageColorR"].asInt(), stage["StageColorG"].asInt(), stage["StageColorB"].asInt()};
    };
    const std::uint32_t shown = swatch->GetBkColor();
    const auto before = onMouse();
    ASSERT_EQ(inProfile(), before);
    Received(mouse);

    const bool opened = InColourPicker([&] { bench.Send(swatch, DuiLib::DUI_MSGTYPE_CLICK); },
                                       [&](DuiLib::CPaintManagerUI& pm) {
        EXPECT_EQ(pm.FindControl(L"color_show_btn")->GetBkColor(), shown) << "the picker starts at the stage's colour";
        EXPECT_FALSE(pm.FindControl(L"7color_layout")->IsVisible());
        TypeInPicker(pm, L"color_edit_r", L"1");
        pm.SendNotify(pm.FindControl(L"laterbtn"), DuiLib::DUI_MSGTYPE_CLICK);
    });
    ASSERT_TRUE(opened);
    EXPECT_TRUE(Received(mouse).empty());
    EXPECT_EQ(onMouse(), before);
    EXPECT_EQ(inProfile(), before);
    EXPECT_EQ(swatch->GetBkColor(), shown);

    ASSERT_TRUE(InColourPicker([&] { bench.Send(swatch, DuiLib::DUI_MSGTYPE_CLICK); }, [&](DuiLib::CPaintManagerUI& pm) {
        TypeInPicker(pm, L"color_edit_r", L"18");
        TypeInPicker(pm, L"color_edit_g", L"52");
        TypeInPicker(pm, L"color_edit_b", L"86");
        pm.SendNotify(pm.FindControl(L"okbtn"), DuiLib::DUI_MSGTYPE_CLICK);
    }));
    EXPECT_EQ(Received(mouse), kOneBlockWrite66);
    EXPECT_EQ(onMouse(), (std::array<int, 3>{0x12, 0x34, 0x56}));
    EXPECT_EQ(inProfile(), (std::array<int, 3>{0x12, 0x34, 0x56}));
    EXPECT_EQ(swatch->GetBkColor(), 0xFF123456u);

    bench.Restart();
    page = Shown(bench, kMouse);
    EXPECT_EQ(On(page, L"DPI_color_option_2")->GetBkColor(), 0xFF123456u);
    EXPECT_EQ(onMouse(), (std::array<int, 3>{0x12, 0x34, 0x56}));
}

TEST(MousePage, TheMousesOwnButtonsUpdateThePage)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kMouse);
    // The factory's current stage is 1; the DPI button moves the mouse to stage 2.
    ASSERT_TRUE(On<DuiLib::COptionUI>(page, L"DPI_select_check_1")->IsSelected());
    const auto usages = mouse.Press(sim::OnBoardKey::Dpi);
    ASSERT_EQ(usages.size(), 1u);
    EXPECT_TRUE(SpinUntil([&] { return On<DuiLib::COptionUI>(page, L"DPI_select_check_2")->IsSelected(); }));
    EXPECT_FALSE(On<DuiLib::COptionUI>(page, L"DPI_select_check_1")->IsSelected());
    EXPECT_EQ(profiles::JsonInt(ProfileEntry(page)["DPIStages"], "StageActive"), 2);
}

TEST(DevicePower, TheBatteryShowsOnlyWhatTheDeviceReported)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    bench.Start();
    // From the page's creation on: a keyboard on its cable has no battery to show, not even
    // for the moment before its first power report.
    DuiLib::CControlUI* battery = nullptr;
    ASSERT_TRUE(SpinUntil([&] { return (battery = bench.Find(L"device_power_Layout")) != nullptr; }, 8000ms));
    bool everShown = false;
    SpinUntil([&] {
        everShown = everShown || battery->IsVisible();
        return bench.Ready({kKeyboard});
    }, 8000ms);
    EXPECT_TRUE(bench.Ready({kKeyboard}));
    EXPECT_FALSE(everShown);
    EXPECT_FALSE(battery->IsVisible());
}

TEST(MousePage, AChangeWhileTheMouseSleepsIsToldKeptAndSentWhenItWakes)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, true, false);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kMouse);
    MessageBoxes boxes(L"confirm_btn");
    mouse.Device().SetWireless(sim::WirelessState::Asleep);
    Received(mouse);

    Slide(bench, On<DuiLib::CSliderUI>(page, L"DPI_slider_0"), 33);
    ASSERT_TRUE(SpinUntil([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{page->LanguageText("message_device_not_updated")});
    EXPECT_EQ(Without(Received(mouse), cmd::kQueryWirelessLink), std::vector<int>{}) << "nothing but the link query";
    EXPECT_NE(mouse.Device().Snapshot().block[14 + 2], 33);
    EXPECT_EQ(ProfileEntry(page)["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 33);
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"DPI_slider_0")->GetValue(), 33);

    // Awake again, the mouse gets what it missed.
    mouse.Device().SetWireless(sim::WirelessState::Awake);
    EXPECT_TRUE(SpinUntil([&] { return mouse.Device().Snapshot().block[14 + 2] == 33; }, 8000ms));
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST(KeyboardPage, OptionsReachTheKeyboardAndAreShownAfterARestart)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    auto block = [&] { return keyboard.Device().Snapshot().block; };
    Received(keyboard);

    Select(bench, On<DuiLib::COptionUI>(page, L"winlockflag_option"), true);
    EXPECT_EQ(Received(keyboard), kOneBlockWrite);
    EXPECT_EQ(block()[21], 1);
    Select(bench, On<DuiLib::COptionUI>(page, L"polling_rate_option_2"), true);
    EXPECT_EQ(block()[22], 2);
    Select(bench, On<DuiLib::COptionUI>(page, L"6flag_option"), true);
    EXPECT_EQ(block()[20], 1);
    Received(keyboard);

    // Repeat settings stay in the profile; the label follows the delay.
    Select(bench, On<DuiLib::COptionUI>(page, L"repeat_delay_check_3"), true);
    EXPECT_EQ(On(page, L"repeat_delay_time_label1")->GetText(), page->LanguageText("Repeat_Delay_Time") + L"1000ms");
    Slide(bench, On<DuiLib::CSliderUI>(page, L"repeat_rate_slider"), 17);
    EXPECT_TRUE(Received(keyboard).empty());
    EXPECT_EQ(profiles::JsonInt(ProfileEntry(page)["SystemStages"], "Repeat"), 17);
    const auto before = block();

    bench.Restart();
    page = Shown(bench, kKeyboard);
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"winlockflag_option")->IsSelected());
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"polling_rate_option_2")->IsSelected());
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"6flag_option")->IsSelected());
    EXPECT_TRUE(On<DuiLib::COptionUI>(page, L"repeat_delay_check_3")->IsSelected());
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"repeat_rate_slider")->GetValue(), 17);
    EXPECT_EQ(block(), before);

    // The reset takes the default profile's repeat settings.
    bench.Send(On(page, L"reset_repeat_btn"), DuiLib::DUI_MSGTYPE_CLICK);
    const Json::Value defaults =
        profiles::LoadJsonFile(page->Model().Core().Folders().DefaultProfile())["Device"][0]["SystemStages"];
    EXPECT_EQ(On<DuiLib::CSliderUI>(page, L"repeat_rate_slider")->GetValue(), profiles::JsonInt(defaults, "Repeat"));
}

TEST(KeyboardPage, KeysShowTheirAssignmentsAndTheKeysTabShowsNoLighting)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    CMainWnd& window = bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    DuiLib::CDeviceKeyButtonUI* esc = page->KeyButtons()[0];
    ASSERT_NE(esc, nullptr);
    const std::wstring name = page->LanguageText("keyboard_key_Esc");
    EXPECT_EQ(esc->GetText(), name);
    EXPECT_EQ(esc->GetToolTip(), name + page->LanguageText("Key_Set") + name);
    EXPECT_TRUE(esc->IsHideKeySetImage());
    (void)window;

    ASSERT_TRUE(SpinUntil([&] {
        for (auto* light : page->LightButtons())
            if (light != nullptr && (light->GetLightColor() & 0x00FFFFFF) != 0)
                return true;
        return false;
    }));
    page->SetFunctionTab(2);
    for (auto* light : page->LightButtons()) {
        if (light != nullptr) {
            EXPECT_EQ(light->GetLightColor() & 0x00FFFFFF, 0u);
        }
    }
    EXPECT_FALSE(page->KeyButtons()[110]->IsSelect());
    page->SetFunctionTab(1);
    EXPECT_TRUE(page->KeyButtons()[110]->IsSelect());
}

TEST(KeyboardPage, AKeyClickedInTheCustomModePaintsItsGroup)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    auto& model = static_cast<devices::KeyboardModel&>(page->Model());
    profiles::LightRecord record = model.Keyboard().Light();
    record.selectItem = devices::kCustomColourMode;
    record.red = 0x20;
    record.green = 0x40;
    record.blue = 0x60;
    ASSERT_EQ(model.ChangeLighting(record).status, kLinkOk);
    ASSERT_EQ(model.SetCustomGroup(1).status, kLinkOk);
    page->SetFunctionTab(1);
    Received(keyboard);

    const int position = sim::KeyboardKeyPositions()[30];
    bench.Send(page->KeyButtons()[static_cast<std::size_t>(position)], DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(Received(keyboard).front(), cmd::kWriteLightFrame);
    const std::size_t led = 3 * std::size_t(sim::KeyboardLedTable()[30]);
    const auto groups = keyboard.Device().Snapshot().lightGroups;
    EXPECT_EQ(groups[512 + led], 0x20);
    EXPECT_EQ(groups[512 + led + 2], 0x60);
    const Json::Value stored = ProfileEntry(page)["CustomLightMode"]["LightColorInfo"][1][position];
    EXPECT_EQ(profiles::JsonInt(stored, "Green"), 0x40);
    EXPECT_TRUE(SpinUntil([&] {
        return (page->LightButtons()[static_cast<std::size_t>(position)]->GetLightColor() & 0x00FFFFFF) != 0;
    }));
}

TEST(KeyboardPage, TheKeyboardsProfileButtonShowsItsNewProfile)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    // The keyboard's second profile has Win lock on.
    Json::Value memory = keyboard.Device().MemoryToJson();
    std::string hex = memory["block"].asString();
    hex.replace(2 * (30 + 21), 2, "01");
    memory["block"] = hex;
    ASSERT_TRUE(keyboard.Device().MemoryFromJson(memory));
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ASSERT_FALSE(On<DuiLib::COptionUI>(page, L"winlockflag_option")->IsSelected());

    keyboard.Press(sim::OnBoardKey::Profile); // 0x0402, then 0x1001
    EXPECT_TRUE(SpinUntil([&] { return On<DuiLib::COptionUI>(page, L"winlockflag_option")->IsSelected(); }));
    EXPECT_EQ(static_cast<devices::KeyboardModel&>(page->Model()).Keyboard().Settings().activeProfile, 1);
    EXPECT_EQ(profiles::JsonInt(ProfileEntry(page)["SystemStages"], "WinFlag"), 1);
}

TEST(DevicePages, ADeviceUnpluggedDuringAChangeGetsItWhenItIsBack)
{
    // The change a user makes on the page, where the device's block keeps it, what the profile
    // and the page show of it.
    struct Case {
        sim::DeviceKind kind;
        int row;
        std::function<void(WindowBench&, CQuorsineUSBDevice*)> change;
        std::size_t blockByte;
        int value;
        std::function<int(CQuorsineUSBDevice*)> stored;
        std::function<int(CQuorsineUSBDevice*)> shown;
    };
    auto winLock = [](WindowBench& bench, CQuorsineUSBDevice* page) {
        Select(bench, On<DuiLib::COptionUI>(page, L"winlockflag_option"), true);
    };
    auto storedWinLock = [](CQuorsineUSBDevice* page) { return profiles::JsonInt(ProfileEntry(page)["SystemStages"], "WinFlag"); };
    auto shownWinLock = [](CQuorsineUSBDevice* page) { return int(On<DuiLib::COptionUI>(page, L"winlockflag_option")->IsSelected()); };
    // Brightness 1: the ring devices start at 4.
    auto dim = [](WindowBench& bench, CQuorsineUSBDevice* page) { Slide(bench, On<DuiLib::CSliderUI>(page, L"deng_light_slider"), 1); };
    auto storedBrightness = [](CQuorsineUSBDevice* page) { return profiles::JsonInt(ProfileEntry(page)["LightInfo"], "Light"); };
    auto shownBrightness = [](CQuorsineUSBDevice* page) { return On<DuiLib::CSliderUI>(page, L"deng_light_slider")->GetValue(); };
    const Case cases[] = {
        {sim::DeviceKind::Keyboard, kKeyboard, winLock, 21, 1, storedWinLock, shownWinLock},
        {sim::DeviceKind::MousePad, kPad, dim, 2, 1, storedBrightness, shownBrightness},
        {sim::DeviceKind::Headset, kHeadset, dim, 2, 1, storedBrightness, shownBrightness},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        WindowBench bench;
        sim::ServedDevice& device = bench.Serve(c.kind);
        bench.Start();
        CQuorsineUSBDevice* page = Shown(bench, c.row);
        const int before = device.Device().Snapshot().block[c.blockByte];
        ASSERT_NE(before, c.value);
        MessageBoxes boxes(L"confirm_btn");
        sim::FaultRule unplug;
        unplug.command = cmd::kWriteBlock;
        unplug.action = sim::FaultAction::Unplug;
        device.Device().AddFault(unplug);

        c.change(bench, page);
        ASSERT_TRUE(SpinUntil([&] { return !boxes.Texts().empty(); }));
        EXPECT_EQ(boxes.Texts().front(), page->LanguageText("message_device_not_updated"));
        EXPECT_EQ(device.Device().Snapshot().block[c.blockByte], before);
        EXPECT_EQ(c.stored(page), c.value) << "the change stays in the profile";
        EXPECT_EQ(c.shown(page), c.value) << "and on the page";
        ASSERT_TRUE(SpinUntil([&] { return !bench.window->ItemVisible(c.row); }));

        ASSERT_TRUE(device.Plug(sim::Path::Cable));
        page = Shown(bench, c.row);
        EXPECT_TRUE(SpinUntil([&] { return device.Device().Snapshot().block[c.blockByte] == c.value; }));
        EXPECT_EQ(c.shown(page), c.value);
        EXPECT_EQ(c.stored(page), c.value);
        EXPECT_EQ(boxes.Texts().size(), 1u);
    }
}

TEST(RingPages, LightingAndDefaultsReachTheDeviceAndAreShownAfterARestart)
{
    for (const auto& [kind, row] : {std::pair(sim::DeviceKind::MousePad, kPad), std::pair(sim::DeviceKind::Headset, kHeadset)}) {
        SCOPED_TRACE(row);
        WindowBench bench;
        sim::ServedDevice& device = bench.Serve(kind);
        bench.Start();
        CQuorsineUSBDevice* page = Shown(bench, row);
        auto bank0 = [&] {
            const auto block = device.Device().Snapshot().block;
            return std::vector<std::uint8_t>(block.begin(), block.begin() + 21);
        };
        profiles::LightRecord record = page->Model().Core().CurrentLight();
        record.selectItem = 3; // static
        record.multiColor = 0;
        record.light = 4;
        record.red = 0x12;
        record.green = 0x34;
        record.blue = 0x56;
        ASSERT_EQ(page->Model().ChangeLighting(record).status, kLinkOk);
        EXPECT_EQ(bank0()[6], 0x12);
        auto showsColour = [&](CQuorsineUSBDevice* p) {
            return SpinUntil([&] {
                return p->LightButtons()[3]->GetLightColor() != 0xFFFFFFFF &&
                       p->Model().Lighting().Leds().GetLedColor(3) == lighting::PackLed({0x12, 0x34, 0x56}, 255);
            });
        };
        EXPECT_TRUE(showsColour(page));
        const auto written = bank0();

        bench.Restart();
        page = Shown(bench, row);
        EXPECT_TRUE(showsColour(page));
        EXPECT_EQ(bank0(), written);

        // "default_btn" asks first: cancelled, nothing is sent; confirmed, the defaults go out.
        Received(device);
        {
            MessageBoxes no(L"cancel_btn");
            bench.Send(On(page, L"default_btn"), DuiLib::DUI_MSGTYPE_CLICK);
            EXPECT_EQ(no.Texts(), std::vector<std::wstring>{page->LanguageText("message_text_22")});
        }
        EXPECT_TRUE(Received(device).empty());
        MessageBoxes yes(L"confirm_btn");
        bench.Send(On(page, L"default_btn"), DuiLib::DUI_MSGTYPE_CLICK);
        EXPECT_EQ(Received(device), kOneBlockWrite);
        const Json::Value defaults = profiles::LoadJsonFile(page->Model().Core().Folders().DefaultProfile())["Device"][0];
        EXPECT_EQ(bank0()[6], profiles::JsonInt(defaults["LightInfo"], "Red"));
        EXPECT_EQ(profiles::JsonInt(ProfileEntry(page)["LightInfo"], "Red"), profiles::JsonInt(defaults["LightInfo"], "Red"));
    }
}

} // namespace
} // namespace orvel::app::testing
