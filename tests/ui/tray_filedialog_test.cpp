// Pop-up menus report the chosen item to the main window, the tray reports button releases,
// and file-dialog filters are read as the windows write them.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A main window that records the messages it gets.
class MainWnd : public WindowImplBase {
public:
    struct Got {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        std::wstring name;
        bool checked;
    };
    std::vector<Got> got;

protected:
    CDuiString GetSkinFile() override { return L"<Window size='200,100'><Control/></Window>"; }
    LPCTSTR GetWindowClassName() const override { return L"MainWnd"; }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        if (uMsg == WM_MENU_COMMAND) {
            auto* cmd = reinterpret_cast<MenuCmd*>(wParam);
            got.push_back(Got{uMsg, wParam, lParam, cmd->szName.str(), cmd->bChecked});
            delete cmd;
            bHandled = TRUE;
            return 0;
        }
        if (uMsg == UIMSG_TRAYICON) {
            got.push_back(Got{uMsg, wParam, lParam, L"", false});
            bHandled = TRUE;
            return 0;
        }
        bHandled = FALSE;
        return 0;
    }
};

const wchar_t* kMenu = L"<Window><Menu><MenuElement name='open' text='Open'/><MenuElement linetype='true'/>"
                       L"<MenuElement name='mute' text='Mute' checkitem='true'/><MenuElement name='exit' text='Exit'/></Menu></Window>";

TEST(MenuTest, ChosenItemReachesTheMainWindowByName) {
    uitest::App();
    MainWnd main;
    ASSERT_NE(main.Create(nullptr, L"main", UI_WNDSTYLE_FRAME, 0), nullptr);
    MenuCheckInfo checks;
    CMenuWnd* menu = CMenuWnd::CreateMenu(nullptr, kMenu, POINT{100, 100}, &main.GetPaintManager(), &checks);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->GetMenuUI(), nullptr);
    ASSERT_EQ(menu->GetMenuUI()->GetCount(), 4);
    CControlUI* item = menu->GetMenuUI()->GetItemAt(2);
    CPaintManagerUI* pm = item->GetManager();
    pm->UpdateLayout();
    RECT r = item->GetPos();
    QWidget* w = pm->GetHostWidget();
    QPointF p((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    Spin(50);
    ASSERT_EQ(main.got.size(), 1u);
    EXPECT_EQ(main.got[0].msg, 1145u);
    EXPECT_EQ(main.got[0].name, L"mute");
    EXPECT_TRUE(main.got[0].checked);
    EXPECT_TRUE(checks[L"mute"]) << "the check state is kept by name";

    CMenuWnd* again = CMenuWnd::CreateMenu(nullptr, kMenu, POINT{100, 100}, &main.GetPaintManager(), &checks);
    ASSERT_NE(again, nullptr);
    again->ChooseItem(static_cast<CMenuElementUI*>(again->GetMenuUI()->GetItemAt(2)));
    Spin(50);
    ASSERT_EQ(main.got.size(), 2u);
    EXPECT_FALSE(main.got[1].checked) << "choosing a check item flips it";
}

TEST(TrayTest, ButtonReleasesArriveAsTheTrayMessage) {
    uitest::App();
    MainWnd main;
    ASSERT_NE(main.Create(nullptr, L"main", UI_WNDSTYLE_FRAME, 0), nullptr);
    CTrayIcon tray;
    tray.CreateTrayIcon(main.GetHWND(), 107, L"tip");
    EXPECT_TRUE(tray.Enabled()) << "a desktop without a tray is not an error";
    EXPECT_EQ(tray.GetTooltipText(), L"tip");
    tray.OnActivated(false);
    tray.OnActivated(true);
    Spin(50);
    ASSERT_EQ(main.got.size(), 2u);
    EXPECT_EQ(main.got[0].msg, 1025u);
    EXPECT_EQ(main.got[0].lParam, LPARAM(WM_LBUTTONUP));
    EXPECT_EQ(main.got[1].lParam, LPARAM(WM_RBUTTONUP));
    tray.DeleteTrayIcon();
    tray.OnActivated(false);
    Spin(20);
    EXPECT_EQ(main.got.size(), 2u) << "a deleted icon reports nothing";
}

TEST(FileDialogTest, FiltersAreReadFromBothForms) {
    auto f = ParseFileFilter(L"(*.png) | *.png |(*.*)|*.*||");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, L"(*.png)");
    EXPECT_EQ(f[0].patterns, L"*.png");
    EXPECT_EQ(ToDialogFilter(f), L"(*.png) (*.png);;(*.*) (*.*)");
    EXPECT_EQ(ToDialogFilter({{L"Profile Files(*.json)", L"*.json;"}}), L"Profile Files(*.json) (*.json)");
    EXPECT_EQ(ToDialogFilter({{L"Images", L"*.png;*.jpg"}}), L"Images (*.png *.jpg)");
}

} // namespace
