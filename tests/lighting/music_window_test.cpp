// The music lighting in the real main window, offscreen: its controls and the music settings
// window through their notifications, with a capture program of the test's own (holding the
// program's mutex, so the watchdog starts none) recording what the window sends it.

#include "app/app_messages.h"
#include "lighting/audio_record_protocol.h"
#include "lighting/qt/music_lighting.h"
#include "lighting/qt/music_wnd.h"
#include "platform/namedmutex.h"
#include "profiles/jsonfile.h"
#include "tests/app/window_bench.h"
#include "tests/support/file_text.h"
#include "tests/support/peer_window.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstring>

namespace orvel::app::testing {
namespace {

using namespace orvel::lighting;

DuiLib::WindowImplBase* OpenWindow(const wchar_t* className)
{
    return dynamic_cast<DuiLib::WindowImplBase*>(DuiLib::CWindowWnd::FromHandle(winmsg::FindLocalWindow(className, L"")));
}

// Whether the program's event loop still runs: a nested loop lasts its time (after a quit it
// would return at once).
bool EventLoopRuns()
{
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    return timer.elapsed() >= 90;
}

class MusicLightingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mutex_ = std::make_unique<ipc::NamedMutex>(ipc::NamedMutex::CreateMutexW(kAudioRecordMutex));
        ASSERT_TRUE(mutex_->owned());
        capture_ = std::make_unique<orvel::testing::PeerWindow>(std::wstring(kAudioRecordClass), std::wstring(kAudioRecordTitle));
        main_ = &bench_.Start();
        ASSERT_TRUE(SpinUntil([&] { return Commands().size() >= 3; }));
    }
    void TearDown() override
    {
        if (main_ != nullptr && main_->GetHWND() != nullptr) main_->ExitProgram();
        SpinUntil([&] { return main_->GetHWND() == nullptr; }, 3000ms);
    }

    std::vector<std::pair<WPARAM, LPARAM>> Commands()
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const auto& got : capture_->Received(RegisterProgramMessages().audioRecord, 0, 0ms)) out.emplace_back(got.wParam, got.lParam);
        return out;
    }
    std::vector<std::vector<std::uint8_t>> ColourBlocks()
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& got : capture_->Received(WM_COPYDATA, 0, 0ms)) {
            if (got.dataId == kColourBlock) out.push_back(got.data);
        }
        return out;
    }
    std::filesystem::path UserFile() const { return bench_.temp / "data" / "VARNO Orvel 80" / kAudioFileName; }

    // Opens the music window with the music button; inside runs while it is open.
    void WithMusicWindow(const std::function<void(MusicWnd&, DuiLib::CPaintManagerUI&)>& inside)
    {
        bool ran = false;
        QTimer::singleShot(50, [&] {
            auto* window = dynamic_cast<MusicWnd*>(OpenWindow(L"MusicWnd"));
            ASSERT_NE(window, nullptr);
            ran = true;
            inside(*window, window->GetPaintManager());
        });
        bench_.Send(bench_.Find(L"music_setting_btn"), DuiLib::DUI_MSGTYPE_CLICK);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(main_->MusicLighting()->MusicWindowOpen());
    }

    WindowBench bench_;
    std::unique_ptr<ipc::NamedMutex> mutex_;
    std::unique_ptr<orvel::testing::PeerWindow> capture_;
    CMainWnd* main_ = nullptr;
};

TEST_F(MusicLightingTest, TheWindowConnectsAtStartAndTheLevelSlidersSendTheirCommands)
{
    EXPECT_EQ(Commands(), (std::vector<std::pair<WPARAM, LPARAM>>{
                              {kRegister, reinterpret_cast<LPARAM>(main_->GetHWND())}, {kStartSending, 0}, {kStartCapture, 0}}));
    EXPECT_TRUE(ColourBlocks().empty()) << "at the first start the colour goes out only when the window confirms it";
    for (const auto& [slider, label, command, value, text] :
         {std::tuple{L"R_light_slider", L"R_light_label", kSetRed, 7, L"R 7"}, std::tuple{L"G_light_slider", L"G_light_label", kSetGreen, 0, L"G 0"},
          std::tuple{L"B_light_slider", L"B_light_label", kSetBlue, 9, L"B 9"}}) {
        auto* control = static_cast<DuiLib::CSliderUI*>(bench_.Find(slider));
        ASSERT_NE(control, nullptr);
        control->SetValue(value);
        bench_.Send(control, DuiLib::DUI_MSGTYPE_VALUECHANGED);
        EXPECT_TRUE(SpinUntil([&, command = command, value = value] {
            const auto c = Commands();
            return !c.empty() && c.back() == std::pair<WPARAM, LPARAM>(command, value);
        }));
        EXPECT_EQ(bench_.Find(label)->GetText(), text);
    }
}

TEST_F(MusicLightingTest, ConfirmingTheMusicWindowSendsTheColourAndKeepsTheStyles)
{
    WithMusicWindow([&](MusicWnd& window, DuiLib::CPaintManagerUI& pm) {
        EXPECT_EQ(pm.GetDPI(), main_->Dpi());
        auto* r = static_cast<DuiLib::CSliderUI*>(pm.FindControl(L"audio_r_slider"));
        EXPECT_EQ(r->GetMaxValue(), 9);
        EXPECT_TRUE(static_cast<DuiLib::COptionUI*>(pm.FindControl(L"audio_select_tab1"))->IsSelected());
        EXPECT_EQ(r->GetValue(), 9);
        EXPECT_EQ(pm.FindControl(L"audio_edit_name3")->GetText(), L"第三组");
        // A second click while it is open opens nothing (this would not return otherwise).
        bench_.Send(bench_.Find(L"music_setting_btn"), DuiLib::DUI_MSGTYPE_CLICK);
        static_cast<DuiLib::COptionUI*>(pm.FindControl(L"audio_select_tab3"))->Selected(true);
        EXPECT_EQ(static_cast<DuiLib::CSliderUI*>(pm.FindControl(L"audio_b_slider"))->GetValue(), 9) << "style 3 is (0, 0, 9)";
        auto* g = static_cast<DuiLib::CSliderUI*>(pm.FindControl(L"audio_g_slider"));
        g->SetValue(4);
        pm.SendNotify(g, DuiLib::DUI_MSGTYPE_VALUECHANGED);
        DuiLib::CControlUI* name = pm.FindControl(L"audio_edit_name2");
        name->SetText(L"");
        pm.SendNotify(name, DuiLib::DUI_MSGTYPE_KILLFOCUS);
        EXPECT_EQ(name->GetText(), L"第二组");
        pm.FindControl(L"audio_edit_name3")->SetText(L"Drums");
        pm.SendNotify(pm.FindControl(L"audio_edit_name3"), DuiLib::DUI_MSGTYPE_KILLFOCUS);
        EXPECT_EQ(window.Settings().style, 2);
        pm.SendNotify(pm.FindControl(L"okbtn"), DuiLib::DUI_MSGTYPE_CLICK);
    });
    const AudioStyleSettings kept = ReadAudioStyles(profiles::LoadJsonFile(UserFile())["Device"]);
    EXPECT_EQ(kept.style, 2);
    EXPECT_EQ(kept.names[2], "Drums");
    EXPECT_EQ(kept.levels[2], (std::array<std::uint8_t, 3>{0, 4, 9}));
    ASSERT_TRUE(SpinUntil([&] { return !ColourBlocks().empty(); }));
    std::int32_t rgb[3];
    std::memcpy(rgb, ColourBlocks().back().data(), sizeof rgb);
    EXPECT_EQ((std::array<std::int32_t, 3>{rgb[0], rgb[1], rgb[2]}), (std::array<std::int32_t, 3>{0, 4, 9}));
}

TEST_F(MusicLightingTest, EveryCancelLeavesTheFileAsItWasAndTheProgramRunning)
{
    const std::string before = orvel::testing::FileText(UserFile());
    ASSERT_FALSE(before.empty()) << "made from the default at start";
    using Cancel = std::function<void(MusicWnd&, DuiLib::CPaintManagerUI&)>;
    const std::pair<const char*, Cancel> cancels[] = {
        {"close button", [](MusicWnd&, DuiLib::CPaintManagerUI& pm) { pm.SendNotify(pm.FindControl(L"closebtn"), DuiLib::DUI_MSGTYPE_CLICK); }},
        {"system close", [](MusicWnd& w, DuiLib::CPaintManagerUI&) { w.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"window manager", [](MusicWnd& w, DuiLib::CPaintManagerUI&) { w.GetWidget()->close(); }},
    };
    for (const auto& [name, cancelOf] : cancels) {
        SCOPED_TRACE(name);
        const auto& cancel = cancelOf; // clang 14 cannot capture a structured binding
        WithMusicWindow([&](MusicWnd& window, DuiLib::CPaintManagerUI& pm) {
            auto* r = static_cast<DuiLib::CSliderUI*>(pm.FindControl(L"audio_r_slider"));
            r->SetValue(1);
            pm.SendNotify(r, DuiLib::DUI_MSGTYPE_VALUECHANGED);
            cancel(window, pm);
        });
        EXPECT_EQ(orvel::testing::FileText(UserFile()), before);
        EXPECT_TRUE(ColourBlocks().empty());
        EXPECT_NE(main_->GetHWND(), nullptr);
        EXPECT_TRUE(EventLoopRuns()) << "the program did not end";
    }
}

TEST_F(MusicLightingTest, AProfileResetPutsTheDefaultStylesBackAndExitStopsTheCaptureProgram)
{
    WithMusicWindow([&](MusicWnd&, DuiLib::CPaintManagerUI& pm) {
        pm.FindControl(L"audio_edit_name1")->SetText(L"Mine");
        pm.SendNotify(pm.FindControl(L"audio_edit_name1"), DuiLib::DUI_MSGTYPE_KILLFOCUS);
        pm.SendNotify(pm.FindControl(L"okbtn"), DuiLib::DUI_MSGTYPE_CLICK);
    });
    ASSERT_EQ(ReadAudioStyles(profiles::LoadJsonFile(UserFile())["Device"]).names[0], "Mine");
    orvel::SendMessageW(main_->GetHWND(), WM_RESET_AUDIO_FILE, 0, 0);
    EXPECT_EQ(profiles::LoadJsonFile(UserFile()),
              profiles::LoadJsonFile(orvel::testing::SourceDefaultData() / kAudioFileName));
    EXPECT_EQ(main_->MusicLighting()->Audio().Settings().names[0], "第一组");

    main_->ExitProgram();
    ASSERT_TRUE(SpinUntil([&] { return main_->GetHWND() == nullptr; }, 3000ms));
    const auto commands = Commands();
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(std::vector(commands.end() - 3, commands.end()),
              (std::vector<std::pair<WPARAM, LPARAM>>{{kStopSending, 0}, {kStopCapture, 0}, {kExit, 0}}));
}

} // namespace
} // namespace orvel::app::testing
