// The headset page of the program's window, with the emulated headset, our audio library of
// the build and a real PulseAudio server of the test's own: the sound panel shows and sets
// what the server has, and follows another mixer when it comes into view again.

#include "audio/qt/audio_panels.h"
#include "devices/qt/user_messages.h"
#include "tests/app/window_bench.h"
#include "tests/support/pictures.h"
#include "tests/support/private_pulse_server.h"

namespace orvel::audio {
namespace {

using namespace DuiLib;
using namespace std::chrono_literals;
using app::testing::SpinUntil;
using orvel::testing::PrivatePulseServer;

constexpr int kHeadset = 3;
const std::string kMicrophone = PrivatePulseServer::kMicrophone;

class HeadsetPageAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program folder of the build: its skin, its DefaultData and its SDK/libosConfLib.so.
        bench.temp.setEnv("ORVEL_PROGRAM_DIR", ORVEL_BIN_DIR);
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        pages::SetMessageBox([this](HWND, const CDuiString& text) { shown.push_back(text.ToUtf8()); });
        bench.Serve(sim::DeviceKind::Headset);
        window = &bench.Start();
        ASSERT_TRUE(SpinUntil([&] { return bench.Ready({kHeadset}); }, 8000ms));
        window->SelectKindRow(kHeadset);
        page = window->PageOfKindRow(kHeadset);
    }
    void TearDown() override { pages::SetMessageBox(nullptr); }

    CControlUI* OnPage(const wchar_t* name) { return window->GetPaintManager().FindSubControlByName(page, name); }
    CSliderUI* MicLevel() { return static_cast<CSliderUI*>(OnPage(L"6533_MicIn_slider")); }
    // A function tab of the page's profile panel, the others left as that panel leaves them.
    void Tab(const wchar_t* name)
    {
        for (const wchar_t* tab : {L"6533_voice_Op_tab", L"magic_Op_tab", L"Virtual7.1_Op_tab"})
            static_cast<COptionUI*>(OnPage(tab))->Selected(false);
        static_cast<COptionUI*>(OnPage(name))->Selected(true);
    }
    std::string Pactl(const std::string& arguments) { return server.Pactl(arguments); }
    std::string MicVolume() { return Pactl("get-source-volume " + kMicrophone); }

    app::testing::WindowBench bench;
    PrivatePulseServer server{bench.temp};
    app::CMainWnd* window = nullptr;
    pages::CQuorsineUSBDevice* page = nullptr;
    std::vector<std::string> shown;
};

TEST_F(HeadsetPageAudio, TheSoundPanelSetsTheServersMicrophoneAndFollowsAnotherMixer)
{
    Pactl("set-source-volume " + kMicrophone + " 42%");
    Tab(L"6533_voice_Op_tab");
    ASSERT_TRUE(OnPage(L"Voice6533ControlItem")->IsVisible());
    EXPECT_TRUE(SpinUntil([&] { return MicLevel()->GetValue() == 42; }, 3000ms)) << "shown as the server has it";
    EXPECT_TRUE(MicLevel()->IsEnabled());

    MicLevel()->SetValue(50);
    bench.Send(MicLevel(), DUI_MSGTYPE_VALUECHANGED);
    EXPECT_NE(MicVolume().find(" 50%"), std::string::npos) << MicVolume();
    static_cast<COptionUI*>(OnPage(L"6533_MicIn_option"))->Selected(false);
    EXPECT_NE(Pactl("get-source-mute " + kMicrophone).find("yes"), std::string::npos);
    EXPECT_TRUE(shown.empty());

    // What our library has no control for says so, and is never shown as working.
    EXPECT_FALSE(OnPage(L"6533_MicMoniter_slider")->IsEnabled());
    EXPECT_TRUE(OnPage(L"hs_mic_hint")->IsVisible());
    EXPECT_TRUE(OnPage(L"hs_eq_hint")->IsVisible());
    const std::pair<const char*, int> looks[] = {{"en", 96}, {"cn", 96}, {"en", 144}, {"cn", 144}};
    for (const auto& [language, dpi] : looks) {
        window->SwitchLanguage(language[0] == 'e' ? 0 : 1);
        window->RunLayoutStep(dpi);
        const std::string name = std::string("headset-") + language + "-" + std::to_string(dpi);
        Tab(L"6533_voice_Op_tab");
        uitest::Spin(50);
        orvel::testing::SavePicture(window->GetWidget(), name + "-sound");
        Tab(L"magic_Op_tab");
        uitest::Spin(50);
        EXPECT_FALSE(OnPage(L"magic_enable_option")->IsEnabled());
        EXPECT_TRUE(OnPage(L"MagicControlItem")->IsVisible());
        EXPECT_TRUE(OnPage(L"magic_unavailable_hint")->IsVisible());
        orvel::testing::SavePicture(window->GetWidget(), name + "-voice-effects");
        Tab(L"Virtual7.1_Op_tab");
        uitest::Spin(50);
        orvel::testing::SavePicture(window->GetWidget(), name + "-surround");
    }
    EXPECT_EQ(OnPage(L"surround_state_text")->GetText(),
              CResourceManager::GetInstance()->GetText(L"surround_missing_text"));

    // Another mixer turns the microphone down and on while the page shows something else.
    Pactl("set-source-volume " + kMicrophone + " 30%");
    Pactl("set-source-mute " + kMicrophone + " 0");
    Tab(L"6533_voice_Op_tab");
    EXPECT_TRUE(SpinUntil([&] { return MicLevel()->GetValue() == 30; }, 3000ms));
    EXPECT_TRUE(static_cast<COptionUI*>(OnPage(L"6533_MicIn_option"))->IsSelected());
}

} // namespace
} // namespace orvel::audio
