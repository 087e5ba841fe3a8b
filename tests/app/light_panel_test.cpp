// The lighting panel of each page, driven by control name in the program's window against the
// emulators: what the device receives and keeps, what the profile keeps, what the panel shows.

#include "devices/kind_models.h"
#include "profiles/jsonfile.h"
#include "tests/app/panel_bench.h"

#include <array>
#include <fstream>
#include <sstream>

namespace orvel::app::testing {
namespace {

using pages::CQuorsineUSBDevice;

devices::DeviceCore& CoreOf(WindowBench& bench, int row)
{
    return bench.window->PageOfKindRow(row)->Model().Core();
}

// The "LightInfo" of the selected profile's document.
Json::Value StoredLight(WindowBench& bench, int row)
{
    const auto path = CoreOf(bench, row).Folders().Profile(CoreOf(bench, row).ProfileIdentifier());
    return profiles::LoadJsonFile(path)["Device"][0]["LightInfo"];
}

WindowBench& Started(WindowBench& bench, std::initializer_list<int> rows)
{
    bench.Start();
    EXPECT_TRUE(SpinUntil([&] { return bench.Ready(rows); }, 8000ms));
    return bench;
}

// One device of the kind served, the window started and the device's page shown.
sim::ServedDevice& Shown(WindowBench& bench, sim::DeviceKind kind, int row)
{
    sim::ServedDevice& device = bench.Serve(kind);
    Started(bench, {row});
    bench.window->SelectKindRow(row);
    return device;
}

TEST(LightPanel, EachKindsChangeReachesTheDeviceAndSurvivesARestart)
{
    struct Case {
        sim::DeviceKind kind;
        int row;
        std::size_t blockBytes; // the settings block the kind writes
        int mode;
    };
    const Case cases[] = {{sim::DeviceKind::Mouse, kMouse, 66, 4},
                          {sim::DeviceKind::Keyboard, kKeyboard, 31, 16},
                          {sim::DeviceKind::MousePad, kPad, 21, 2},
                          {sim::DeviceKind::Headset, kHeadset, 21, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        WindowBench bench;
        sim::ServedDevice& device = Shown(bench, c.kind, c.row);
        Received(device);

        Pick(OnPage(bench, c.row, L"light_combo_modeSelect"), c.mode);
        Release(bench, OnPage(bench, c.row, L"deng_light_slider"), 1);
        Release(bench, OnPage(bench, c.row, L"deng_speed_slider"), 3);
        const std::vector<sim::Frame> frames = Received(device);
        const std::vector<std::uint8_t> block = device.Device().Snapshot().block;
        // Three writes of the settings; the last carries every change.
        const std::vector<sim::Frame> last = SettingsWrite(c.kind, sim::Path::Cable, std::span(block.data(), c.blockBytes));
        ASSERT_EQ(frames.size(), 3 * last.size()) << FramesText(frames);
        EXPECT_TRUE(std::equal(last.begin(), last.end(), frames.end() - static_cast<std::ptrdiff_t>(last.size())))
            << FramesText(frames);
        EXPECT_EQ(block[1], c.mode); // the shipped lists' codes are their indexes
        EXPECT_EQ(block[2], 1);
        EXPECT_EQ(block[3], 4 - 3);  // the device's speed runs the other way
        EXPECT_EQ(StoredLight(bench, c.row)["SelectItem"].asInt(), c.mode);

        bench.Stop();
        Started(bench, {c.row});
        EXPECT_EQ(OnPage<DuiLib::CComboUI>(bench, c.row, L"light_combo_modeSelect")->GetCurSel(), c.mode);
        EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, c.row, L"deng_light_slider")->GetValue(), 1);
        EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, c.row, L"deng_speed_slider")->GetValue(), 3);
        const std::vector<std::uint8_t> after = device.Device().Snapshot().block;
        EXPECT_TRUE(std::equal(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(c.blockBytes), after.begin()));
    }
}

TEST(LightPanel, TypedAndPickedColoursAreClampedAndEndTheColourCycle)
{
    WindowBench bench;
    Shown(bench, sim::DeviceKind::Keyboard, kKeyboard);
    Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), 5);
    auto* seven = OnPage<DuiLib::COptionUI>(bench, kKeyboard, L"deng_7color_check");
    seven->Selected(true);
    ASSERT_EQ(CoreOf(bench, kKeyboard).CurrentLight().multiColor, 1);

    struct Case {
        const wchar_t* edit;
        const wchar_t* typed;
        const wchar_t* shown;
    };
    const Case cases[] = {{L"deng_edit_G", L"300", L"255"}, {L"deng_edit_B", L"", L"0"}, {L"deng_edit_R", L"-4", L"0"}};
    for (const Case& c : cases) {
        DuiLib::CControlUI* edit = OnPage(bench, kKeyboard, c.edit);
        edit->SetText(c.typed);
        bench.Send(edit, DuiLib::DUI_MSGTYPE_KILLFOCUS);
        EXPECT_EQ(edit->GetText().str(), c.shown);
    }
    const profiles::LightRecord typed = CoreOf(bench, kKeyboard).CurrentLight();
    EXPECT_EQ(typed.multiColor, 0);
    EXPECT_EQ(typed.red, 0);
    EXPECT_EQ(typed.green, 255);
    EXPECT_EQ(typed.blue, 0);
    EXPECT_FALSE(seven->IsSelected());
    EXPECT_EQ(OnPage(bench, kKeyboard, L"deng_colordp_btn")->GetBkColor(), 0xFF00FF00u);
    EXPECT_EQ(StoredLight(bench, kKeyboard)["Green"].asInt(), 255);

    seven->Selected(true);
    bench.window->GetPaintManager().SendNotify(OnPage(bench, kKeyboard, L"deng_Color_Pallet"),
                                               DuiLib::DUI_MSGTYPE_COLORCHANGED, 0xFF102030, 0);
    const profiles::LightRecord picked = CoreOf(bench, kKeyboard).CurrentLight();
    EXPECT_EQ(picked.multiColor, 0);
    EXPECT_EQ((std::array<int, 3>{picked.red, picked.green, picked.blue}), (std::array<int, 3>{0x10, 0x20, 0x30}));
    EXPECT_FALSE(seven->IsSelected());
    EXPECT_EQ(OnPage(bench, kKeyboard, L"deng_edit_B")->GetText().str(), L"48");

    bench.Send(OnPage(bench, kKeyboard, L"color_option_5"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(CoreOf(bench, kKeyboard).CurrentLight().blue, 0xFF); // the swatch's #FF00B0FF
    EXPECT_EQ(CoreOf(bench, kKeyboard).CurrentLight().green, 0xB0);
}

TEST(LightPanel, TheColourSwatchOpensThePickerWhoseChoiceReachesTheDevice)
{
    struct Case {
        sim::DeviceKind kind;
        int row;
        int mode;
        bool offersSevenColours; // the mode has a colour cycle
    };
    const Case cases[] = {{sim::DeviceKind::Keyboard, kKeyboard, 5, true}, {sim::DeviceKind::Mouse, kMouse, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        WindowBench bench;
        sim::ServedDevice& device = Shown(bench, c.kind, c.row);
        Pick(OnPage(bench, c.row, L"light_combo_modeSelect"), c.mode);
        DuiLib::CControlUI* swatch = OnPage(bench, c.row, L"deng_colordp_btn");
        const profiles::LightRecord before = CoreOf(bench, c.row).CurrentLight();
        const std::uint32_t shown = 0xFF000000u | std::uint32_t(before.red) << 16 | std::uint32_t(before.green) << 8 | before.blue;
        Received(device);

        ASSERT_TRUE(InColourPicker([&] { bench.Send(swatch, DuiLib::DUI_MSGTYPE_CLICK); }, [&](DuiLib::CPaintManagerUI& pm) {
            EXPECT_EQ(pm.FindControl(L"color_show_btn")->GetBkColor(), shown);
            EXPECT_EQ(pm.FindControl(L"7color_layout")->IsVisible(), c.offersSevenColours);
            TypeInPicker(pm, L"color_edit_g", L"7");
            pm.SendNotify(pm.FindControl(L"closebtn"), DuiLib::DUI_MSGTYPE_CLICK);
        }));
        EXPECT_TRUE(Received(device).empty()) << "a cancel changes nothing";
        EXPECT_TRUE(CoreOf(bench, c.row).CurrentLight() == before);
        EXPECT_EQ(StoredLight(bench, c.row)["Green"].asInt(), before.green);
        EXPECT_EQ(swatch->GetBkColor(), shown);

        ASSERT_TRUE(InColourPicker([&] { bench.Send(swatch, DuiLib::DUI_MSGTYPE_CLICK); }, [&](DuiLib::CPaintManagerUI& pm) {
            TypeInPicker(pm, L"color_edit_r", L"18");
            TypeInPicker(pm, L"color_edit_g", L"52");
            TypeInPicker(pm, L"color_edit_b", L"86");
            if (c.offersSevenColours) {
                auto* seven = static_cast<DuiLib::CCheckBoxUI*>(pm.FindControl(L"7color"));
                seven->SetCheck(true, false);
                pm.SendNotify(seven, DuiLib::DUI_MSGTYPE_CHECKCLICK);
            }
            pm.SendNotify(pm.FindControl(L"okbtn"), DuiLib::DUI_MSGTYPE_CLICK);
        }));
        EXPECT_FALSE(Received(device).empty());
        const std::vector<std::uint8_t> block = device.Device().Snapshot().block;
        EXPECT_EQ((std::array<int, 4>{block[5], block[6], block[7], block[8]}),
                  (std::array<int, 4>{c.offersSevenColours ? 1 : 0, 0x12, 0x34, 0x56}));
        const Json::Value stored = StoredLight(bench, c.row);
        EXPECT_EQ(stored["Red"].asInt(), 0x12);
        EXPECT_EQ(stored["Blue"].asInt(), 0x56);
        EXPECT_EQ(stored["MultiColor"].asInt(), c.offersSevenColours ? 1 : 0);
        EXPECT_EQ(swatch->GetBkColor(), 0xFF123456u);
        EXPECT_EQ(OnPage(bench, c.row, L"deng_edit_G")->GetText().str(), L"52");
        EXPECT_EQ(OnPage<DuiLib::COptionUI>(bench, c.row, L"deng_7color_check")->IsSelected(), c.offersSevenColours);
    }
}

TEST(LightPanel, TheModeDecidesWhichGroupsAreUsable)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    bench.Serve(sim::DeviceKind::Mouse);
    Started(bench, {kKeyboard, kMouse});
    struct Case {
        int row;
        int mode;
        const wchar_t* name;
        bool enabled;
        bool visible;
    };
    const Case cases[] = {
        // A group inside an enabled one keeps its own state.
        {kKeyboard, 19, L"deng_7color_check", false, true},
        {kKeyboard, 19, L"deng_Color_Pallet", true, true},
        {kKeyboard, 19, L"lightcustom_layout", true, true},
        {kKeyboard, 19, L"deng_speed_layout", false, false},
        {kKeyboard, 17, L"light_combo_ZZCCmodeSelectLayout", true, true},
        {kKeyboard, 4, L"deng_edit_R", false, true},
        {kKeyboard, 29, L"light_combo_AudiomodeSelectLayout", true, true},
        {kMouse, 3, L"deng_7color_check", false, true},
        {kMouse, 3, L"deng_Color_Pallet", true, true},
        {kMouse, 9, L"deng_light_slider", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.row << " " << c.mode << " " << QString::fromWCharArray(c.name).toStdString());
        bench.window->SelectKindRow(c.row);
        Pick(OnPage(bench, c.row, L"light_combo_modeSelect"), c.mode);
        DuiLib::CControlUI* control = OnPage(bench, c.row, c.name);
        EXPECT_EQ(control->IsEnabled(), c.enabled);
        EXPECT_EQ(control->IsVisible(), c.visible);
    }
    bench.window->SelectKindRow(kKeyboard);
    Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), 29);
    EXPECT_EQ(OnPage<DuiLib::CTabLayoutUI>(bench, kKeyboard, L"light_color_tablayout")->GetCurSel(), 1);
    Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), 3);
    EXPECT_EQ(OnPage<DuiLib::CTabLayoutUI>(bench, kKeyboard, L"light_color_tablayout")->GetCurSel(), 0);
    EXPECT_EQ(OnPage(bench, kKeyboard, L"deng_FXL_check")->GetText().str(), Text(L"light_set_clockwise_text"));
}

TEST(LightPanel, SameModeIsOfferedWithTwoDevicesAndGivesThemTheEffect)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    Started(bench, {kKeyboard, kMouse});
    bench.window->SelectKindRow(kKeyboard);
    DuiLib::CControlUI* same = OnPage(bench, kKeyboard, L"deng_same_mode");
    for (int mode = 0; mode <= 30; ++mode) {
        Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), mode);
        const bool offered = mode == 4 || mode == 5 || mode == 6 || mode == 23 || mode == 28;
        EXPECT_EQ(same->IsVisible(), offered) << mode;
    }
    Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), 23);
    Received(mouse);
    bench.Send(same, DuiLib::DUI_MSGTYPE_CLICK);
    // The mouse blinks too; its panel shows it and its device and profile have it.
    EXPECT_EQ(OnPage<DuiLib::CComboUI>(bench, kMouse, L"light_combo_modeSelect")->GetCurSel(), 4);
    EXPECT_EQ(mouse.Device().Snapshot().block[1], 4);
    EXPECT_EQ(StoredLight(bench, kMouse)["SelectItem"].asInt(), 4);
    EXPECT_TRUE(CoreOf(bench, kMouse).SyncFlag());
    EXPECT_TRUE(CoreOf(bench, kKeyboard).SyncFlag());
    // Alone again: not offered, and each device follows its own lighting.
    mouse.Unplug(sim::Path::Cable);
    ASSERT_TRUE(SpinUntil([&] { return !bench.window->ItemVisible(kMouse); }));
    EXPECT_FALSE(same->IsVisible());
    EXPECT_FALSE(CoreOf(bench, kKeyboard).SyncFlag());
}

TEST(LightPanel, AWriteThatFailsIsShownAndTheChangeStaysInTheProfile)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, true, false);
    Started(bench, {kMouse});
    const std::uint8_t before = mouse.Device().Snapshot().block[2];
    // The mouse falls asleep: the receiver answers for it no more.
    mouse.Device().SetWireless(sim::WirelessState::Asleep);
    MessageBoxes boxes(L"confirm_btn");
    Release(bench, OnPage(bench, kMouse, L"deng_light_slider"), before == 2 ? 3 : 2);
    const int wanted = before == 2 ? 3 : 2;
    ASSERT_TRUE(SpinUntil([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Text(L"message_device_not_updated")});
    EXPECT_EQ(mouse.Device().Snapshot().block[2], before);
    EXPECT_EQ(StoredLight(bench, kMouse)["Light"].asInt(), wanted);
    EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, kMouse, L"deng_light_slider")->GetValue(), wanted);

    // Awake again, the next change carries both.
    mouse.Device().SetWireless(sim::WirelessState::Awake);
    Release(bench, OnPage(bench, kMouse, L"deng_speed_slider"), 0);
    EXPECT_EQ(mouse.Device().Snapshot().block[2], wanted);
    EXPECT_EQ(mouse.Device().Snapshot().block[3], 4);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST(LightPanel, APanelWithoutItsMusicControlsStillWorks)
{
    WindowBench bench;
    // The shipped skin without the music colour area.
    const auto skin = bench.temp / "skin";
    std::filesystem::copy(orvel::testing::SourceFolder() / "skin", skin, std::filesystem::copy_options::recursive);
    const auto layout = skin / "XML" / "CustomControlXML" / "LightControl.xml";
    std::stringstream text;
    text << std::ifstream(layout).rdbuf();
    std::string xml = text.str();
    const std::size_t from = xml.find("<VerticalLayout name=\"light_audiocolor_layout\"");
    const std::size_t to = xml.find("</TabLayout>");
    ASSERT_NE(from, std::string::npos);
    xml.erase(from, to - from);
    std::ofstream(layout) << xml;
    ASSERT_EQ(SetUpToolkit(skin.string() + "/"), "");

    Shown(bench, sim::DeviceKind::Keyboard, kKeyboard);
    Pick(OnPage(bench, kKeyboard, L"light_combo_modeSelect"), 29);
    Pick(OnPage(bench, kKeyboard, L"light_combo_audiomodeSelect"), 5);
    auto& keyboard = static_cast<devices::KeyboardModel&>(bench.window->PageOfKindRow(kKeyboard)->Model()).Keyboard();
    EXPECT_EQ(keyboard.AudioLight().audioMode, 5);
    EXPECT_EQ(CoreOf(bench, kKeyboard).CurrentLight().selectItem, 29);
}

} // namespace
} // namespace orvel::app::testing
