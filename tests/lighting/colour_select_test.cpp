// The colour picker as its owners open it (PickColour over the real main window, offscreen),
// driven through its notifications.

#include "lighting/colour_picker.h"
#include "lighting/qt/colour_select_wnd.h"
#include "profiles/jsonfile.h"
#include "tests/app/window_bench.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace orvel::app::testing {
namespace {

using namespace orvel::lighting;

class ColourSelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        main_ = &bench_.Start();
        uitest::Spin(300);
    }

    // Opens the picker as an owner does; inside runs while it is open, with its paint manager.
    std::optional<PickedColour> Pick(uint32_t colour, const PickOptions& options,
                                     const std::function<void(CColorSelectWnd&, DuiLib::CPaintManagerUI&)>& inside)
    {
        bool ran = false;
        QTimer::singleShot(50, [&] {
            auto* dialog = dynamic_cast<CColorSelectWnd*>(
                DuiLib::CWindowWnd::FromHandle(winmsg::FindLocalWindow(L"ColorSelectWnd", L"")));
            ASSERT_NE(dialog, nullptr);
            ran = true;
            inside(*dialog, dialog->GetPaintManager());
        });
        auto picked = PickColour(main_->GetHWND(), colour, options);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(ColourPickerOpen());
        return picked;
    }
    static void Click(DuiLib::CPaintManagerUI& pm, const wchar_t* name)
    {
        pm.SendNotify(pm.FindControl(name), DuiLib::DUI_MSGTYPE_CLICK);
    }
    std::filesystem::path UserFile() const { return bench_.temp / "data" / "VARNO Orvel 80" / kColourFileName; }

    WindowBench bench_;
    CMainWnd* main_ = nullptr;
};

TEST_F(ColourSelectTest, TheMousePagesPickerShowsTheColourAndGivesBackTheEditedOne)
{
    const auto picked = Pick(0xFF102030, {.dpi = 144}, [&](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) {
        EXPECT_EQ(pm.GetDPI(), 144);
        EXPECT_EQ(pm.FindControl(L"color_edit_g")->GetText(), L"32");
        EXPECT_EQ(pm.FindControl(L"color_show_btn")->GetBkColor(), 0xFF102030u);
        EXPECT_FALSE(pm.FindControl(L"7color_layout")->IsVisible()) << "the mouse page hides the seven colours";
        EXPECT_FALSE(pm.FindControl(L"7color")->IsEnabled());
        EXPECT_FALSE(PickColour(main_->GetHWND(), 0xFF000000).has_value()) << "one picker at a time";
        TypeInPicker(pm, L"color_edit_r", L"300");
        EXPECT_EQ(pm.FindControl(L"color_edit_r")->GetText(), L"255");
        TypeInPicker(pm, L"color_edit_b", L"-4");
        EXPECT_EQ(pm.FindControl(L"color_edit_b")->GetText(), L"0");
        EXPECT_EQ(pm.FindControl(L"color_show_btn")->GetBkColor(), 0xFFFF2000u);
        Click(pm, L"okbtn");
    });
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(picked->colour, 0xFFFF2000u);
    EXPECT_FALSE(picked->sevenColour);
}

TEST_F(ColourSelectTest, SwatchesFillAndAreKeptForTheNextPicker)
{
    const auto picked = Pick(0xFF000000, {}, [&](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) {
        auto* swatch = static_cast<DuiLib::COptionUI*>(pm.FindControl(L"collect_color_option_2"));
        swatch->Selected(true);
        auto* preset = static_cast<DuiLib::COptionUI*>(pm.FindControl(L"color_option_6"));
        preset->Selected(true);
        EXPECT_EQ(swatch->GetBkColor(), preset->GetBkColor()) << "the chosen swatch takes the preset";
        EXPECT_EQ(swatch->GetUserData(), L"1");
        EXPECT_EQ(swatch->GetBorderSize(), 0);
        Click(pm, L"okbtn");
    });
    ASSERT_TRUE(picked.has_value());
    const uint32_t green = picked->colour;
    const Json::Value stored = profiles::LoadJsonFile(UserFile())["coloroptioninfo"];
    EXPECT_EQ(stored["palletDialogcoloroption_selectitem"], 6);
    EXPECT_EQ(stored["palletDialogcollectcoloroption"][2]["UserData"], "1");

    Pick(0xFF000000, {}, [&](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) {
        auto* swatch = static_cast<DuiLib::COptionUI*>(pm.FindControl(L"collect_color_option_2"));
        EXPECT_EQ(swatch->GetBkColor(), green) << "filled swatches come back";
        EXPECT_FALSE(swatch->IsSelected());
        EXPECT_EQ(pm.FindControl(L"collect_color_option_3")->GetBkColor(), 0xFF232733u)
            << "empty ones keep the layout's empty look, not the white the file keeps for them";
        Click(pm, L"laterbtn");
    });
}

TEST_F(ColourSelectTest, TheLightingPanelsPickerOffersTheSevenColours)
{
    const auto picked = Pick(0xFF0000FF, {.sevenColour = false, .offerSevenColour = true},
                             [&](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) {
        auto* seven = static_cast<DuiLib::CCheckBoxUI*>(pm.FindControl(L"7color"));
        EXPECT_TRUE(pm.FindControl(L"7color_layout")->IsVisible());
        EXPECT_TRUE(seven->IsEnabled());
        seven->SetCheck(true, false);
        pm.SendNotify(seven, DuiLib::DUI_MSGTYPE_CHECKCLICK);
        EXPECT_EQ(std::wstring(pm.FindControl(L"color_show_btn")->GetBkImage()), L"common/base1.png");
        Click(pm, L"okbtn");
    });
    ASSERT_TRUE(picked.has_value());
    EXPECT_TRUE(picked->sevenColour);
    EXPECT_EQ(picked->colour, 0xFF0000FFu);
}

TEST_F(ColourSelectTest, EveryCancelGivesNothingAndTheProgramRuns)
{
    using Cancel = std::function<void(CColorSelectWnd&, DuiLib::CPaintManagerUI&)>;
    const std::pair<const char*, Cancel> cancels[] = {
        {"close button", [](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) { Click(pm, L"closebtn"); }},
        {"later button", [](CColorSelectWnd&, DuiLib::CPaintManagerUI& pm) { Click(pm, L"laterbtn"); }},
        {"system close", [](CColorSelectWnd& w, DuiLib::CPaintManagerUI&) { w.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"window manager", [](CColorSelectWnd& w, DuiLib::CPaintManagerUI&) { w.GetWidget()->close(); }},
        {"its owner's windows closing", [](CColorSelectWnd&, DuiLib::CPaintManagerUI&) { CloseColourPicker(); }},
    };
    for (const auto& [name, cancelOf] : cancels) {
        SCOPED_TRACE(name);
        const Cancel& cancel = cancelOf; // clang 14 cannot capture a structured binding
        const auto picked = Pick(0xFF123456, {}, [&](CColorSelectWnd& w, DuiLib::CPaintManagerUI& pm) {
            TypeInPicker(pm, L"color_edit_r", L"1");
            cancel(w, pm);
        });
        EXPECT_FALSE(picked.has_value());
        EXPECT_NE(main_->GetHWND(), nullptr);
        QEventLoop loop;
        QElapsedTimer timer;
        timer.start();
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_GE(timer.elapsed(), 90) << "the program's event loop still runs";
    }
}

} // namespace
} // namespace orvel::app::testing
