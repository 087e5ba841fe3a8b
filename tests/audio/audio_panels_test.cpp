// The headset page's sound and voice-effect panels, built from the shipped layouts in a window
// of their own and bound to a headset profile over the test audio library; driven by control
// name as the toolkit sends the notifications.

#include "app/program.h"
#include "audio/qt/audio_panels.h"
#include "audio/qt/magic_control.h"
#include "audio/qt/voice_control.h"
#include "devices/qt/page_controls.h"
#include "devices/qt/user_messages.h"
#include "tests/audio/scripted_headset.h"
#include "tests/support/pictures.h"
#include "tests/ui/ui_test_support.h"

#include <gtest/gtest.h>

namespace orvel::audio {
namespace {

using namespace DuiLib;
using Strings = std::vector<std::string>;

using testing::kHeadphones;
using testing::kMicrophone;

// The three parts of the headset page that show audio, as the page's layout nests them.
class PanelWindow : public WindowImplBase {
public:
    std::vector<pages::CRoutedPump*> pumps;

protected:
    CDuiString GetSkinFile() override
    {
        return L"<Window size='1000,640'><Include source='XML\\theme.xml'/><VerticalLayout name='page' bkcolor='#FF121419'"
               L" inset='16,16,16,16' childpadding='16'><Voice6533SetControlUI name='Voice6533ControlItem' height='260'/>"
               L"<MagicSetControlUI name='MagicControlItem' height='200'/><VirtualSetControlUI height='120'/>"
               L"</VerticalLayout></Window>";
    }
    LPCTSTR GetWindowClassName() const override { return L"AudioPanels"; }
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        if (LPCTSTR file = pages::SubLayoutOf(pstrClass)) {
            CDialogBuilder builder;
            return builder.Create(file, nullptr, this, &m_pm);
        }
        return pages::CreatePageControl(pstrClass);
    }
    void Notify(TNotifyUI& msg) override
    {
        for (pages::CRoutedPump* pump : pumps) {
            if (pump->RouteNotify(msg))
                return;
        }
    }
};

// The panels of one headset over the test library, which offers everything until told not to.
class PanelBench : public testing::ScriptedHeadset {
public:
    PanelBench()
    {
        uitest::App();
        EXPECT_EQ(app::SetUpToolkit((orvel::testing::SourceFolder() / "skin").string() + "/"), "");
        CResourceManager::GetInstance()->LoadLanguage(L"lan_en.xml");
        pages::SetMessageBox([this](HWND, const CDuiString& text) { shown.push_back(text.ToUtf8()); });
    }
    ~PanelBench()
    {
        pages::SetMessageBox(nullptr);
        if (window.GetHWND() != nullptr)
            window.Close();
        uitest::Spin(20);
    }

    // The headset's profile loaded and the panels bound, as the page does at the attach.
    void Bind()
    {
        headset.SetProfileIdentifier("h1");
        ASSERT_EQ(headset.LoadProfile(), 1);
        ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
        ASSERT_NE(window.Create(nullptr, L"audio", WS_POPUP, 0, 0, 0, 1000, 640), nullptr);
        window.pumps = BindHeadsetAudio(window.GetPaintManager().FindControl(L"page"), headset, sdk);
        ASSERT_EQ(window.pumps.size(), 2u);
        mark = library.CallCount();
    }

    CControlUI* Find(const wchar_t* name) { return window.GetPaintManager().FindControl(name); }
    COptionUI* Option(const wchar_t* name) { return static_cast<COptionUI*>(Find(name)); }
    CSliderUI* Slider(const wchar_t* name) { return static_cast<CSliderUI*>(Find(name)); }
    std::wstring Numbered(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }
    std::vector<int> Bands()
    {
        std::vector<int> bands;
        for (int i = 0; i < kEqBandCount; ++i)
            bands.push_back(Slider(Numbered(L"6533_eq_hz_slider_", i).c_str())->GetValue());
        return bands;
    }
    // The user's hand on a control: the option's new state, or the slider's new value.
    void Click(const wchar_t* name) { window.GetPaintManager().SendNotify(Find(name), DUI_MSGTYPE_CLICK); }
    void Choose(const std::wstring& name, bool on = true) { Option(name.c_str())->Selected(on); }
    void Move(const std::wstring& name, int value)
    {
        CSliderUI* slider = Slider(name.c_str());
        slider->SetValue(value);
        window.GetPaintManager().SendNotify(slider, DUI_MSGTYPE_VALUECHANGED);
    }
    void SaveCustom(const wchar_t* name)
    {
        Find(L"custom_eq_name_edit")->SetText(name);
        Click(L"hs_EQ_btn_save");
    }
    std::vector<std::wstring> ComboNames()
    {
        auto* combo = static_cast<CComboUI*>(Find(L"custom_eq_name_combo"));
        std::vector<std::wstring> names;
        for (int i = 0; i < combo->GetCount(); ++i)
            names.push_back(combo->GetItemAt(i)->GetText().str());
        return names;
    }
    int SelectedPreset()
    {
        int selected = 0;
        for (int n = 1; n <= kCustomEqType; ++n) {
            if (Option(Numbered(L"6533_eq_option_", n).c_str())->IsSelected())
                selected = selected == 0 ? n : -1;
        }
        return selected;
    }
    std::string Text(const char* key) { return CResourceManager::GetInstance()->GetText(CDuiString::FromUtf8(key)).ToUtf8(); }
    PanelWindow window;
    std::vector<std::string> shown;
};

class AudioPanels : public ::testing::Test, public PanelBench {};

TEST_F(AudioPanels, ShowTheProfileAndWhatTheSoundServerSays)
{
    Bind();
    // The default profile's flat preset; the levels are the server's, not the profile's.
    EXPECT_EQ(SelectedPreset(), 5);
    EXPECT_EQ(Bands(), std::vector<int>(kEqBandCount, 0));
    EXPECT_FALSE(Find(L"custom_eq_option_layout")->IsEnabled());
    EXPECT_TRUE(Option(L"6533_MicIn_option")->IsSelected());
    EXPECT_EQ(Slider(L"6533_MicIn_slider")->GetValue(), 37);
    EXPECT_FALSE(Option(L"6533_MicMoniter_option")->IsSelected());
    EXPECT_EQ(Slider(L"6533_MicMoniter_slider")->GetValue(), 25);
    EXPECT_TRUE(Option(L"magic_enable_option")->IsEnabled());
    EXPECT_FALSE(Find(L"magic_option_layout")->IsEnabled());
    EXPECT_TRUE(Option(L"magic_option_2")->IsSelected());
    for (const wchar_t* hint : {L"hs_eq_hint", L"hs_mic_hint", L"magic_unavailable_hint"})
        EXPECT_FALSE(Find(hint)->IsVisible()) << QString::fromWCharArray(hint).toStdString();
    EXPECT_TRUE(Writes().empty()) << "showing writes nothing";
    orvel::testing::SavePicture(window.GetWidget(), "audio-panels-en-all-offered");
}

TEST_F(AudioPanels, PresetsBandsAndTheCustomOption)
{
    Bind();
    Choose(L"6533_eq_option_3");
    EXPECT_EQ(SelectedPreset(), 3);
    EXPECT_EQ(Bands(), (std::vector<int>{10, 4, 0, -3, -4, -3, -2, -1, 0, 0}));
    EXPECT_EQ(Writes().size(), 11u) << "the switch and ten bands";
    EXPECT_EQ(Stored()->AudioSettings().eqType, 3);

    // Clicking the chosen preset again keeps it and sends nothing.
    mark = library.CallCount();
    Choose(L"6533_eq_option_3", false);
    EXPECT_EQ(SelectedPreset(), 3);
    EXPECT_TRUE(Writes().empty());

    // A band moved under a preset: the custom option, nothing selected in its list, one write.
    Move(L"6533_eq_hz_slider_2", 7);
    EXPECT_EQ(SelectedPreset(), kCustomEqType);
    EXPECT_TRUE(Find(L"custom_eq_option_layout")->IsEnabled());
    EXPECT_EQ(static_cast<CComboUI*>(Find(L"custom_eq_name_combo"))->GetCurSel(), -1);
    EXPECT_FALSE(Find(L"hs_EQ_btn_delete")->IsEnabled());
    EXPECT_EQ(Writes(), (Strings{"EQ_Slider3=7"}));
    EXPECT_EQ(Bands()[2], 7);
}

TEST_F(AudioPanels, CustomEqualisersAreNamedListedAndDeleted)
{
    Bind();
    Move(L"6533_eq_hz_slider_0", 5);
    SaveCustom(L"Bass");
    Move(L"6533_eq_hz_slider_0", -6);
    SaveCustom(L"Voices");
    EXPECT_EQ(ComboNames(), (std::vector<std::wstring>{L"Bass", L"Voices"}));
    EXPECT_EQ(static_cast<CComboUI*>(Find(L"custom_eq_name_combo"))->GetCurSel(), 1);
    EXPECT_EQ(Find(L"custom_eq_name_edit")->GetText(), L"") << "the edit is cleared after a save";
    EXPECT_TRUE(shown.empty());

    SaveCustom(L"bass");
    EXPECT_EQ(shown, (Strings{Text("message_text_5")})) << "a name that differs only in case";
    EXPECT_EQ(Find(L"custom_eq_name_edit")->GetText(), L"bass") << "kept, to be mended";
    EXPECT_EQ(ComboNames().size(), 2u);

    // Picking the first in the list applies its bands; deleting it leaves the second, with its own.
    static_cast<CComboUI*>(Find(L"custom_eq_name_combo"))->SelectItem(0);
    EXPECT_EQ(Bands()[0], 5);
    mark = library.CallCount();
    Click(L"hs_EQ_btn_delete");
    EXPECT_EQ(ComboNames(), (std::vector<std::wstring>{L"Voices"}));
    EXPECT_EQ(Bands()[0], -6);
    EXPECT_EQ(Writes().at(1), "EQ_Slider1=-6") << "the bands now shown reach the headset";

    shown.clear();
    for (int i = 2; i <= kMostCustomEqualisers; ++i)
        SaveCustom((L"eq " + std::to_wstring(i)).c_str());
    SaveCustom(L"one more");
    EXPECT_EQ(ComboNames().size(), static_cast<std::size_t>(kMostCustomEqualisers));
    EXPECT_EQ(shown, (Strings{Text(kEqListFullMessage)}));
}

TEST_F(AudioPanels, MicrophoneAndMonitorAndTheOneMessageOfARefusedWrite)
{
    Bind();
    Choose(L"6533_MicIn_option", false);
    Move(L"6533_MicIn_slider", 64);
    Choose(L"6533_MicMoniter_option");
    Move(L"6533_MicMoniter_slider", 40);
    EXPECT_EQ(Writes(), (Strings{"MuteControl=1", "VolumeScalarControl=0.64", "AAMuteControl=0", "AAVolumeScalarControl=0.40"}));
    EXPECT_TRUE(shown.empty());
    auto stored = Stored();
    EXPECT_EQ(stored->AudioSettings().micInSelect, 0);
    EXPECT_EQ(stored->AudioSettings().micInValue, 64);
    EXPECT_EQ(stored->AudioSettings().micMoniterValue, 40);

    library.SetProperty(kMicrophone.id, "VolumeScalarControl", "0.640000", OSCONF_OK, OSCONF_REFUSED);
    Move(L"6533_MicIn_slider", 10);
    EXPECT_EQ(shown, (Strings{Text(kAudioNotChangedMessage)}));
    EXPECT_EQ(Stored()->AudioSettings().micInValue, 64) << "a refused level is not stored";
}

TEST_F(AudioPanels, VoiceEffects)
{
    Bind();
    Choose(L"magic_enable_option");
    EXPECT_TRUE(Find(L"magic_option_layout")->IsEnabled());
    Choose(L"magic_option_4");
    EXPECT_FALSE(Option(L"magic_option_2")->IsSelected());
    EXPECT_EQ(Writes(), (Strings{"Enable_MAGICVOICE=1", "Enable_MICECHO=0", "MagicVoice_Selection=3"}));
    EXPECT_EQ(Stored()->AudioSettings().magicType, 4);
}

TEST_F(AudioPanels, AProfileSwitchAndThePanelComingIntoViewShowWhatChanged)
{
    Bind();
    // Another mixer turns the microphone down while the sound panel is out of view.
    Find(L"Voice6533ControlItem")->SetVisible(false);
    library.SetProperty(kMicrophone.id, "VolumeScalarControl", "0.600000");
    uitest::Spin(20);
    EXPECT_EQ(Slider(L"6533_MicIn_slider")->GetValue(), 37);
    Find(L"Voice6533ControlItem")->SetVisible(true);
    for (int i = 0; i < 200 && Slider(L"6533_MicIn_slider")->GetValue() != 60; ++i)
        uitest::Spin(10);
    EXPECT_EQ(Slider(L"6533_MicIn_slider")->GetValue(), 60) << "asked anew once in view";

    // Another profile loaded by the headset (as a profile switch does; no headset answers here).
    Choose(L"6533_eq_option_9");
    headset.SetProfileIdentifier("h2");
    ASSERT_EQ(headset.LoadProfile(), 1);
    EXPECT_EQ(SelectedPreset(), 5) << "the new profile's preset";
    EXPECT_EQ(Slider(L"6533_MicIn_slider")->GetValue(), 60) << "the level is still the server's";
}

TEST(AudioPanelsLacking, WhatTheSoundSystemLacksIsDisabledAndSaid)
{
    struct Case {
        const char* name;
        std::vector<std::pair<OsConfDevice, const char*>> missing;
        const char* micHint;  // null: hidden
        bool eqHint, micEnabled, monitorEnabled, effectsOffered;
    };
    const Case cases[] = {
        {"no monitor", {{kMicrophone, "GetAAMaxVol"}}, "hs_monitor_missing_hint", false, true, false, true},
        {"no microphone", {{kMicrophone, "MuteControl"}, {kMicrophone, "VolumeScalarControl"}, {kMicrophone, "GetAAMaxVol"}},
         "hs_mic_missing_hint", false, false, false, true},
        {"no equaliser", {{kHeadphones, "Enable_EQ_GFX"}}, nullptr, true, true, true, true},
        {"no voice effects", {{kMicrophone, "Enable_MAGICVOICE"}}, nullptr, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelBench bench;
        bench.library.SetProperty(kMicrophone.id, "Enable_MAGICVOICE", "1");
        for (const auto& [device, property] : c.missing)
            bench.library.SetProperty(device.id, property, "", OSCONF_UNSUPPORTED);
        // The effect is on in the profile (and in the library, where it has one): it must not
        // show as working where the library has none.
        bench.Bind();
        profiles::HeadsetSettings settings = bench.headset.AudioSettings();
        settings.magicEnable = 1;
        ASSERT_TRUE(bench.headset.SaveAudioSettings(settings));
        bench.headset.SetProfileIdentifier("h1");
        ASSERT_EQ(bench.headset.LoadProfile(), 1);

        EXPECT_EQ(bench.Find(L"hs_mic_hint")->IsVisible(), c.micHint != nullptr);
        if (c.micHint != nullptr) {
            EXPECT_EQ(bench.Find(L"hs_mic_hint")->GetText().ToUtf8(), bench.Text(c.micHint));
        }
        EXPECT_EQ(bench.Find(L"hs_eq_hint")->IsVisible(), c.eqHint);
        EXPECT_EQ(bench.Slider(L"6533_MicIn_slider")->IsEnabled(), c.micEnabled);
        EXPECT_EQ(bench.Slider(L"6533_MicMoniter_slider")->IsEnabled(), c.monitorEnabled);
        EXPECT_EQ(bench.Option(L"magic_enable_option")->IsEnabled(), c.effectsOffered);
        EXPECT_EQ(bench.Option(L"magic_enable_option")->IsSelected(), c.effectsOffered);
        EXPECT_EQ(bench.Find(L"magic_unavailable_hint")->IsVisible(), !c.effectsOffered);

        // A control the library does not offer changes nothing, however it is reached.
        bench.mark = bench.library.CallCount();
        bench.Move(L"6533_MicMoniter_slider", 77);
        bench.Choose(L"magic_option_3");
        const bool monitorWritten = !bench.Writes().empty() && bench.Writes().front().rfind("AAVolume", 0) == 0;
        EXPECT_EQ(monitorWritten, c.monitorEnabled);
        EXPECT_TRUE(bench.shown.empty());
        orvel::testing::SavePicture(bench.window.GetWidget(), std::string("audio-panels-en-") + c.name);
    }
}

} // namespace
} // namespace orvel::audio
