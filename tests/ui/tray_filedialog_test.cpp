// The tray reports button releases, and file-dialog filters are read as the windows write
// them.

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

using uitest::MainWnd;
using uitest::Spin;

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
