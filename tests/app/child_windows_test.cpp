#include "app/msg_wnd.h"
#include "devices/qt/page_controls.h"
#include "app/skin_frame.h"
#include "platform/settings.h"
#include "tests/support/file_text.h"
#include "tests/app/window_bench.h"
#include "tests/skin/skin_reader.h"

#include <QTimer>

namespace orvel::app::testing {
namespace {

// The window of a class, while it is open (the windows of this process).
DuiLib::WindowImplBase* OpenWindow(const wchar_t* className)
{
    const HWND hwnd = winmsg::FindLocalWindow(className, L"");
    return dynamic_cast<DuiLib::WindowImplBase*>(DuiLib::CWindowWnd::FromHandle(hwnd));
}

TEST(MessageBox, TheButtonsAnswerAndAnOddDpiFallsBackTo96)
{
    WindowBench bench;
    CMainWnd& main = bench.Start();
    uitest::Spin(300); // the first layout sets the scale of every window; it is done by now
    struct Case {
        int buttons;
        int dpi;
        const wchar_t* click;
        int result;
        bool cancelShown;
        int dpiUsed;
    };
    const Case cases[] = {
        {1, 96, L"confirm_btn", 1, true, 96},  {1, 144, L"cancel_btn", 0, true, 144},
        {1, 96, L"closebtn", 0, true, 96},     {0, 130, L"confirm_btn", 1, false, 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.click).toStdString());
        bool cancelShown = false;
        int dpiUsed = 0;
        QTimer::singleShot(50, [&] {
            DuiLib::WindowImplBase* box = OpenWindow(L"MsgWnd");
            ASSERT_NE(box, nullptr);
            DuiLib::CPaintManagerUI& pm = box->GetPaintManager();
            cancelShown = pm.FindControl(L"cancel_btn")->IsVisible();
            dpiUsed = pm.GetDPI();
            EXPECT_EQ(pm.FindControl(L"MessageText")->GetText(), L"The text");
            pm.SendNotify(pm.FindControl(c.click), DuiLib::DUI_MSGTYPE_CLICK);
        });
        EXPECT_EQ(CMainWnd::MessageBox(main.GetHWND(), L"Title", L"The text", c.dpi, false, c.buttons), c.result);
        EXPECT_EQ(cancelShown, c.cancelShown);
        EXPECT_EQ(dpiUsed, c.dpiUsed);
    }
}

class SkinPopup : public ::testing::Test {
protected:
    DuiLib::WindowImplBase* Open()
    {
        bench.Send(bench.Find(L"skinbtn"), DuiLib::DUI_MSGTYPE_CLICK);
        DuiLib::WindowImplBase* popup = nullptr;
        SpinUntil([&] { return (popup = OpenWindow(L"UISkinFrame")) != nullptr; }, 2000ms);
        return popup;
    }
    void Click(DuiLib::WindowImplBase* popup, const wchar_t* name, int nth = 0)
    {
        DuiLib::CPaintManagerUI& pm = popup->GetPaintManager();
        // Several buttons share the name: the nth in the tree.
        std::vector<DuiLib::CControlUI*> named;
        std::pair<const wchar_t*, std::vector<DuiLib::CControlUI*>*> wanted(name, &named);
        pm.GetRoot()->FindControl(
            [](DuiLib::CControlUI* c, DuiLib::LPVOID data) -> DuiLib::CControlUI* {
                auto* found = static_cast<std::pair<const wchar_t*, std::vector<DuiLib::CControlUI*>*>*>(data);
                if (c->GetName() == found->first)
                    found->second->push_back(c);
                return nullptr;
            },
            &wanted, DuiLib::UIFIND_ALL);
        ASSERT_GT(named.size(), static_cast<std::size_t>(nth)) << QString::fromWCharArray(name).toStdString();
        pm.SendNotify(named[static_cast<std::size_t>(nth)], DuiLib::DUI_MSGTYPE_CLICK);
    }
    std::filesystem::path MainIni() const { return bench.temp / "data" / "VARNO Orvel 80" / "main.ini"; }

    WindowBench bench;
};

TEST_F(SkinPopup, ImagesAreKeptColoursAndACancelledPictureAreNot)
{
    CMainWnd& main = bench.Start();
    (void)main;
    DuiLib::CControlUI* root = bench.Find(L"root");
    DuiLib::WindowImplBase* popup = Open();
    ASSERT_NE(popup, nullptr);

    Click(popup, L"skin_image_btn", 1);
    const std::wstring image = std::wstring(root->GetBkImage());
    EXPECT_FALSE(image.empty());
    EXPECT_EQ(root->GetBkColor(), 0u);
    EXPECT_NE(orvel::testing::FileText(MainIni()).find("FLAGS=1"), std::string::npos);
    const std::string kept = orvel::testing::FileText(MainIni());

    Click(popup, L"skin_color_btn", 2);
    EXPECT_NE(root->GetBkColor(), 0u);
    EXPECT_TRUE(std::wstring(root->GetBkImage()).empty());
    EXPECT_EQ(orvel::testing::FileText(MainIni()), kept); // a colour is not written

    CSkinFrame::ChooseCustomPicture() = [](HWND) { return DuiLib::CDuiString(); };
    const DuiLib::DWORD colour = root->GetBkColor();
    Click(popup, L"skin_Custom");
    EXPECT_EQ(root->GetBkColor(), colour); // cancelled: nothing changes
    EXPECT_TRUE(std::wstring(root->GetBkImage()).empty());
    const std::wstring picture = (bench.temp / "mine.png").wstring();
    CSkinFrame::ChooseCustomPicture() = [&](HWND) { return DuiLib::CDuiString(picture); };
    Click(popup, L"skin_Custom");
    EXPECT_EQ(std::wstring(root->GetBkImage()), picture);

    Click(popup, L"skin_reset");
    EXPECT_EQ(std::wstring(root->GetBkImage()), kDefaultBackground);
    EXPECT_NE(orvel::testing::FileText(MainIni()).find("FLAGS=0"), std::string::npos);
    CSkinFrame::ChooseCustomPicture() = nullptr;
}

TEST_F(SkinPopup, TheShippedImageChosenLastTimeIsShownAtStart)
{
    ASSERT_TRUE(WriteSkinImage(MainIni(), true, L"bg/dusk.svg"));
    bench.Start();
    EXPECT_EQ(std::wstring(bench.Find(L"root")->GetBkImage()), L"bg/dusk.svg");
}

TEST(MainWindowLook, LanguageSwitchesAreKeptAndAMissingKeyShowsAsTheKey)
{
    WindowBench bench;
    CMainWnd& window = bench.Start();
    ASSERT_GE(window.Languages().size(), 2u);
    EXPECT_EQ(window.LanguageIndex(), 0); // nothing stored yet: the first entry
    DuiLib::CResourceManager::GetInstance()->AddText(L"only_in_the_old_file", L"Old text");
    window.SwitchLanguage(1);
    EXPECT_EQ(window.LanguageIndex(), 1);
    EXPECT_EQ(DuiLib::CResourceManager::GetInstance()->GetText(L"only_in_the_old_file"), L"only_in_the_old_file");
    const auto key = settings::RegistryKey::OpenForReading(settings::kProductKey);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->QueryDword(settings::kLanguageValue), static_cast<std::uint32_t>(window.Languages()[1].id));
}

TEST(MainWindowLook, TheLayoutScaleSizesTheWindow)
{
    WindowBench bench;
    CMainWnd& window = bench.Start();
    window.RunLayoutStep(144);
    EXPECT_EQ(window.Dpi(), 144);
    EXPECT_EQ(window.GetWidget()->size(), QSize(1500, 960));
    window.RunLayoutStep(96);
    EXPECT_EQ(window.GetWidget()->size(), QSize(1000, 640));
    window.RunLayoutStep(130); // not a scale the toolkit takes
    EXPECT_EQ(window.Dpi(), 96);
}

TEST(AboutBox, OpensFromTheTrayMenuWithTheVersionAndCloses)
{
    WindowBench bench;
    CMainWnd& main = bench.Start();
    uitest::Spin(300);
    main.SendMessage(WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP); // hidden in the tray
    bool shown = false;
    std::wstring version;
    QTimer::singleShot(100, [&] {
        DuiLib::WindowImplBase* about = OpenWindow(L"AboutWnd");
        ASSERT_NE(about, nullptr);
        shown = about->IsWindowVisible();
        version = about->GetPaintManager().FindControl(L"about_version")->GetText().str();
        about->GetPaintManager().SendNotify(about->GetPaintManager().FindControl(L"closebtn"), DuiLib::DUI_MSGTYPE_CLICK);
    });
    auto* command = new DuiLib::MenuCmd;
    command->szName = L"about_menu";
    main.SendMessage(DuiLib::WM_MENU_COMMAND, reinterpret_cast<WPARAM>(command), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(version, L"V1.0.0.0");
    EXPECT_EQ(OpenWindow(L"AboutWnd"), nullptr);
}

TEST(PageControls, TheSubLayoutTableIsTheOneTheSkinCheckReads)
{
    for (const auto& [tag, file] : skincheck::SubLayoutFiles()) {
        const DuiLib::LPCTSTR built = pages::SubLayoutOf(DuiLib::CDuiString::FromUtf8(tag));
        ASSERT_NE(built, nullptr) << tag;
        EXPECT_EQ(DuiLib::CDuiString(built).ToUtf8(), file) << tag;
    }
    EXPECT_EQ(pages::SubLayoutOf(L"DeviceProfile"), nullptr); // a panel class, not a sub-layout tag
}

} // namespace
} // namespace orvel::app::testing
