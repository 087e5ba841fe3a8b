// The profile panel of a page, driven by control name in the program's window against the
// emulators: the profile list and its files, what the device is given, and the file dialogs
// answered as a user does.

#include "lighting/audio_styles.h"
#include "lighting/qt/music_lighting.h"
#include "profiles/jsonfile.h"
#include "tests/app/file_dialog_answer.h"
#include "tests/app/panel_bench.h"
#include "tests/support/file_text.h"

#include <QAbstractButton>
#include <QApplication>

#include <fstream>

namespace orvel::app::testing {
namespace {

profiles::DeviceProfileList& ListOf(WindowBench& bench, int row)
{
    return bench.window->PageOfKindRow(row)->Model().Profiles();
}

devices::DeviceCore& CoreOf(WindowBench& bench, int row)
{
    return bench.window->PageOfKindRow(row)->Model().Core();
}

DuiLib::CComboUI* Combo(WindowBench& bench, int row)
{
    return OnPage<DuiLib::CComboUI>(bench, row, L"device_profile_combo");
}

std::vector<std::wstring> Items(DuiLib::CComboUI* combo)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < combo->GetCount(); ++i)
        items.push_back(combo->GetItemAt(i)->GetText().str());
    return items;
}

void Click(WindowBench& bench, int row, const wchar_t* name)
{
    bench.Send(OnPage(bench, row, name), DuiLib::DUI_MSGTYPE_CLICK);
}

class ProfilePanel : public ::testing::Test {
protected:
    void Start(sim::DeviceKind kind, int row)
    {
        device = &bench.Serve(kind);
        bench.Start();
        ASSERT_TRUE(SpinUntil([&] { return bench.Ready({row}); }, 8000ms));
        bench.window->SelectKindRow(row);
        Received(*device);
    }
    // The device's brightness, from its settings block in memory.
    int DeviceBrightness() { return device->Device().Snapshot().block[2]; }

    WindowBench bench;
    sim::ServedDevice* device = nullptr;
};

TEST_F(ProfilePanel, ANewProfileAndADeletedOneKeepPageDeviceAndFilesInStep)
{
    Start(sim::DeviceKind::Mouse, kMouse);
    Release(bench, OnPage(bench, kMouse, L"deng_light_slider"), 1);
    const std::string first = ListOf(bench, kMouse).GetSelectedIdentifier();

    Click(bench, kMouse, L"device_add_btn");
    EXPECT_EQ(Items(Combo(bench, kMouse)), (std::vector<std::wstring>{L"profile1", L"profile2"}));
    EXPECT_EQ(Combo(bench, kMouse)->GetCurSel(), 1);
    EXPECT_EQ(OnPage(bench, kMouse, L"device_profile_name_edit")->GetText().str(), L"profile2");
    const std::string second = ListOf(bench, kMouse).GetSelectedIdentifier();
    EXPECT_NE(second, first);
    EXPECT_EQ(CoreOf(bench, kMouse).ProfileIdentifier(), second);
    EXPECT_EQ(DeviceBrightness(), 4); // the defaults
    EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, kMouse, L"deng_light_slider")->GetValue(), 4);
    EXPECT_TRUE(OnPage(bench, kMouse, L"device_sub_btn")->IsEnabled());

    Click(bench, kMouse, L"device_sub_btn");
    EXPECT_EQ(Items(Combo(bench, kMouse)), std::vector<std::wstring>{L"profile1"});
    EXPECT_EQ(Combo(bench, kMouse)->GetCurSel(), 0);
    EXPECT_EQ(CoreOf(bench, kMouse).ProfileIdentifier(), first);
    EXPECT_EQ(DeviceBrightness(), 1);
    EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, kMouse, L"deng_light_slider")->GetValue(), 1);
    EXPECT_FALSE(std::filesystem::exists(CoreOf(bench, kMouse).Folders().Profile(second)));
    // The last profile cannot go.
    EXPECT_FALSE(OnPage(bench, kMouse, L"device_sub_btn")->IsEnabled());

    // After a restart the same profile is selected, shown and on the device.
    bench.Stop();
    bench.Start();
    ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kMouse}); }, 8000ms));
    EXPECT_EQ(CoreOf(bench, kMouse).ProfileIdentifier(), first);
    EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, kMouse, L"deng_light_slider")->GetValue(), 1);
}

TEST_F(ProfilePanel, TheSwitchWaitsUntilTheUserHasStoppedPicking)
{
    Start(sim::DeviceKind::Keyboard, kKeyboard);
    Click(bench, kKeyboard, L"device_add_btn");
    Click(bench, kKeyboard, L"device_add_btn");
    const std::string third = ListOf(bench, kKeyboard).GetSelectedIdentifier();
    Received(*device);
    for (int index : {0, 2, 1}) {
        Pick(Combo(bench, kKeyboard), index);
        uitest::Spin(150);
    }
    EXPECT_EQ(CoreOf(bench, kKeyboard).ProfileIdentifier(), third); // nothing switched yet
    EXPECT_TRUE(Received(*device).empty());
    ASSERT_TRUE(SpinUntil([&] { return CoreOf(bench, kKeyboard).ProfileIdentifier() != third; }, 2000ms));
    // One switch, to the last pick.
    uitest::Spin(500);
    int settingsWrites = 0;
    for (const sim::Frame& f : Received(*device))
        settingsWrites += f[3] == sim::cmd::kWriteBlock ? 1 : 0;
    EXPECT_EQ(settingsWrites, 1);
    EXPECT_EQ(ListOf(bench, kKeyboard).GetSelectedIndex(), 1);
    EXPECT_EQ(CoreOf(bench, kKeyboard).ProfileIdentifier(), ListOf(bench, kKeyboard).GetSelectedIdentifier());
}

TEST_F(ProfilePanel, CopiesAndNamesAndWhatIsSaidAboutAName)
{
    Start(sim::DeviceKind::MousePad, kPad);
    Click(bench, kPad, L"device_copy_btn");
    Click(bench, kPad, L"device_copy_btn");
    EXPECT_EQ(Items(Combo(bench, kPad)), (std::vector<std::wstring>{L"profile1", L"profile1 copy", L"profile1 copy copy"}));
    EXPECT_EQ(Combo(bench, kPad)->GetCurSel(), 0);

    MessageBoxes boxes(L"confirm_btn");
    DuiLib::CControlUI* edit = OnPage(bench, kPad, L"device_profile_name_edit");
    struct Case {
        const wchar_t* typed;
        const wchar_t* message; // null: renamed
    };
    const Case cases[] = {{L"PROFILE1 COPY", L"message_text_5"}, {L"   ", L"message_text_25"}, {L"PROFILE1", nullptr},
                          {L"  Work  ", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.typed).toStdString());
        boxes.Clear();
        edit->SetText(c.typed);
        Click(bench, kPad, L"device_profile_edit_save_btn");
        if (c.message != nullptr) {
            ASSERT_TRUE(SpinUntil([&] { return !boxes.Texts().empty(); }));
            EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Text(c.message)});
            EXPECT_EQ(edit->GetText().str(), c.typed); // kept, to be corrected
        } else {
            uitest::Spin(100);
            EXPECT_TRUE(boxes.Texts().empty());
        }
    }
    EXPECT_EQ(Items(Combo(bench, kPad))[0], L"Work");
    EXPECT_EQ(edit->GetText().str(), L"Work");
    const Json::Value list = profiles::LoadJsonFile(CoreOf(bench, kPad).Folders().profileFolder / "ProfileList.ini");
    EXPECT_EQ(list["profilelist"][0]["profilename"].asString(), "Work");
}

TEST_F(ProfilePanel, ProfilesAreImportedAndExportedThroughTheFileDialogs)
{
    Start(sim::DeviceKind::Mouse, kMouse);
    Release(bench, OnPage(bench, kMouse, L"deng_light_slider"), 2);
    // A file whose extension is written in capitals is a profile all the same.
    const auto imported = bench.temp / "Game.JSON";
    Json::Value document = profiles::LoadJsonFile(CoreOf(bench, kMouse).Folders().DefaultProfile());
    document["profilename"] = "elsewhere";
    document["profileUUID"] = "2020_01_01_00_00_00_000";
    document["Device"][0]["LightInfo"]["Light"] = 3;
    ASSERT_TRUE(profiles::SaveJsonFile(imported, document));
    const DialogAnswer in = AnswerFileDialog([&] { Click(bench, kMouse, L"device_import_btn"); }, imported, false);
    EXPECT_TRUE(in.dialog);
    EXPECT_TRUE(in.listed);
    EXPECT_EQ(Items(Combo(bench, kMouse)), (std::vector<std::wstring>{L"profile1", L"Game"}));
    const auto& list = ListOf(bench, kMouse);
    EXPECT_EQ(profiles::LoadJsonFile(list.GetProfilePath(1))["Device"][0]["LightInfo"]["Light"].asInt(), 3);

    const auto target = bench.temp / "mine.json";
    std::ofstream(target) << "keep";
    const DialogAnswer no = AnswerFileDialog([&] { Click(bench, kMouse, L"device_export_btn"); }, target, false, true);
    EXPECT_TRUE(no.asked);
    EXPECT_EQ(orvel::testing::FileText(target), "keep");
    const DialogAnswer yes = AnswerFileDialog([&] { Click(bench, kMouse, L"device_export_btn"); }, target, true, true);
    EXPECT_TRUE(yes.asked);
    const Json::Value exported = profiles::LoadJsonFile(target);
    EXPECT_EQ(exported["profileUUID"].asString(), ListOf(bench, kMouse).GetSelectedIdentifier());
    EXPECT_EQ(exported["Device"][0]["LightInfo"]["Light"].asInt(), 2);
}

TEST_F(ProfilePanel, AResetAsksFirstAndGivesTheDeviceAndTheMusicStylesTheDefaults)
{
    // The user has renamed a music style.
    const auto audioFile = bench.temp / "data" / "VARNO Orvel 80" / lighting::kAudioFileName;
    const Json::Value defaultStyles = profiles::LoadJsonFile(orvel::testing::SourceDefaultData() / lighting::kAudioFileName);
    Json::Value renamed = defaultStyles;
    lighting::AudioStyleSettings styles = lighting::ReadAudioStyles(renamed["Device"]);
    styles.names[0] = "Mine";
    lighting::StoreAudioStyles(renamed["Device"], styles);
    std::filesystem::create_directories(audioFile.parent_path());
    ASSERT_TRUE(profiles::SaveJsonFile(audioFile, renamed));
    Start(sim::DeviceKind::Keyboard, kKeyboard);
    ASSERT_EQ(bench.window->MusicLighting()->Audio().Settings().names[0], "Mine");
    Release(bench, OnPage(bench, kKeyboard, L"deng_light_slider"), 1);
    {
        MessageBoxes cancelled(L"cancel_btn");
        Click(bench, kKeyboard, L"device_reset_btn");
        EXPECT_EQ(cancelled.Texts(), std::vector<std::wstring>{Text(L"message_text_22")});
        EXPECT_EQ(DeviceBrightness(), 1);
        EXPECT_EQ(profiles::LoadJsonFile(audioFile), renamed);
    }
    MessageBoxes boxes(L"confirm_btn");
    Received(*device);
    Click(bench, kKeyboard, L"device_reset_btn");
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Text(L"message_text_22")});
    EXPECT_EQ(DeviceBrightness(), 4);
    EXPECT_EQ(profiles::LoadJsonFile(audioFile), defaultStyles);
    EXPECT_EQ(bench.window->MusicLighting()->Audio().Settings().names[0], "第一组");
    EXPECT_EQ(OnPage<DuiLib::CSliderUI>(bench, kKeyboard, L"deng_light_slider")->GetValue(), 4);
    EXPECT_EQ(Items(Combo(bench, kKeyboard)), std::vector<std::wstring>{L"profile1"});
    // The keys went to the keyboard as well.
    bool keys = false;
    for (const sim::Frame& f : Received(*device))
        keys = keys || f[3] == sim::cmd::kWriteKeyTable;
    EXPECT_TRUE(keys);
}

TEST_F(ProfilePanel, TheFunctionTabsShowOneAndKeepItWhenClickedAgain)
{
    Start(sim::DeviceKind::Mouse, kMouse);
    auto* lighting = OnPage<DuiLib::COptionUI>(bench, kMouse, L"deng_Op_tab");
    auto* keys = OnPage<DuiLib::COptionUI>(bench, kMouse, L"key_Op_tab");
    EXPECT_TRUE(lighting->IsSelected());
    keys->Selected(true);
    EXPECT_FALSE(lighting->IsSelected());
    EXPECT_EQ(bench.window->PageOfKindRow(kMouse)->GetFunctionTab(), 2);
    keys->Selected(false); // a click on the tab shown
    EXPECT_TRUE(keys->IsSelected());
    EXPECT_EQ(bench.window->PageOfKindRow(kMouse)->GetFunctionTab(), 2);
    bench.Send(OnPage(bench, kMouse, L"profile_fun_spread_btn"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(OnPage(bench, kMouse, L"profile_menu_layout")->IsVisible());
}

} // namespace
} // namespace orvel::app::testing
