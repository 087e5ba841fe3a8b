// Pop-up menus and their sub-menus, driven by synthetic pointer and key input: the chosen
// leaf reaches the main window once by name, levels open and close as a chain.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::MainWnd;
using uitest::Spin;

const wchar_t* kMenu = L"<Window><Menu><MenuElement name='open' text='Open'/><MenuElement linetype='true'/>"
                       L"<MenuElement name='mute' text='Mute' checkitem='true'/><MenuElement name='exit' text='Exit'/></Menu></Window>";

// "insert" holds a sub-menu with a disabled item and a deeper sub-menu; "dead" is a disabled
// sub-menu.
const wchar_t* kNested =
    L"<Window><Menu inset='2,2,2,2' bkcolor='#FFFFFFFF'>"
    L"<MenuElement name='open' text='Open'/>"
    L"<MenuElement name='insert' text='Insert'>"
    L"  <MenuElement name='left_down' text='Left down'/>"
    L"  <MenuElement name='off' text='Disabled' enabled='false'/>"
    L"  <MenuElement name='more' text='More'><MenuElement name='deep' text='Deep' checkitem='true'/></MenuElement>"
    L"  <MenuElement name='mic' text='Microphone' checkitem='true'/>"
    L"</MenuElement>"
    L"<MenuElement name='dead' text='Dead' enabled='false'><MenuElement name='never' text='Never'/></MenuElement>"
    L"<MenuElement linetype='true'/>"
    L"<MenuElement name='exit' text='Exit'/>"
    L"</Menu></Window>";

CMenuElementUI* Item(CMenuWnd* menu, const wchar_t* name) {
    CMenuUI* m = menu->GetMenuUI();
    for (int i = 0; i < m->GetCount(); ++i) {
        if (m->GetItemAt(i)->GetName() == name) return static_cast<CMenuElementUI*>(m->GetItemAt(i));
    }
    return nullptr;
}

QPointF Center(CControlUI* c) {
    c->GetManager()->UpdateLayout();
    RECT r = c->GetPos();
    return QPointF((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
}

void Mouse(QWidget* w, QEvent::Type type, QPointF local, QPointF global) {
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(Qt::LeftButton) : Qt::MouseButtons();
    QMouseEvent e(type, local, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Hover(CMenuWnd* menu, CControlUI* item) {
    QPointF p = Center(item);
    Mouse(menu->GetWidget(), QEvent::MouseMove, p, menu->GetWidget()->mapToGlobal(p));
}

void Click(CMenuWnd* menu, CControlUI* item) {
    QWidget* w = menu->GetWidget();
    QPointF p = Center(item);
    Mouse(w, QEvent::MouseMove, p, w->mapToGlobal(p));
    Mouse(w, QEvent::MouseButtonPress, p, w->mapToGlobal(p));
    Mouse(w, QEvent::MouseButtonRelease, p, w->mapToGlobal(p));
}

void Key(CMenuWnd* menu, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(menu->GetWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(menu->GetWidget(), &release);
}

// The offscreen platform activates every window it shows through queued events; they arrive
// before a person could press the next key. A stale one for a closed pop-up would look like
// the application losing the focus, which closes every pop-up.
void Settle() { Spin(20); }

CDuiString Selected(CMenuWnd* menu) {
    CControlUI* c = menu->GetMenuUI()->GetItemAt(menu->GetMenuUI()->GetCurSel());
    return c ? c->GetName() : CDuiString();
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::App();
        ASSERT_NE(main.Create(nullptr, L"main", UI_WNDSTYLE_FRAME, 0), nullptr);
    }
    CMenuWnd* Open(const wchar_t* xml, POINT at = POINT{100, 100}) {
        CMenuWnd* m = CMenuWnd::CreateMenu(nullptr, xml, at, &main.GetPaintManager(), &checks);
        if (m) widget = m->GetWidget();
        Settle();
        return m;
    }
    // The first menu is gone (its window deletes its widget).
    bool Closed() const { return widget.isNull(); }
    // Exactly one menu command arrived, for this item with this check state, and every
    // level of the menu is closed.
    void ExpectChosen(const wchar_t* name, bool checked) {
        ASSERT_EQ(main.got.size(), 1u) << "one command however often an item is hit before the menu closes";
        EXPECT_EQ(main.got[0].msg, 1145u);
        EXPECT_EQ(main.got[0].lParam, 0) << "no pointer to an element that goes with the menu";
        EXPECT_EQ(main.got[0].name, name);
        EXPECT_EQ(main.got[0].checked, checked);
        EXPECT_TRUE(Closed());
    }

    MainWnd main;
    MenuCheckInfo checks;
    QPointer<QWidget> widget;
};

TEST_F(MenuTest, ChosenItemReachesTheMainWindowByName) {
    CMenuWnd* menu = Open(kMenu);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetMenuUI()->GetCount(), 4);
    Click(menu, Item(menu, L"mute"));
    Spin(50);
    ExpectChosen(L"mute", true);
    EXPECT_TRUE(checks[L"mute"]) << "the check state is kept by name";

    CMenuWnd* again = Open(kMenu);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(Item(again, L"mute")->GetChecked());
    again->ChooseItem(Item(again, L"mute"));
    Spin(50);
    ASSERT_EQ(main.got.size(), 2u);
    EXPECT_FALSE(main.got[1].checked) << "choosing a check item flips it";
}

TEST_F(MenuTest, HoverOpensTheSubMenuBesideItsItemAndTheLeafIsReportedOnce) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    CMenuElementUI* insert = Item(menu, L"insert");
    EXPECT_EQ(insert->GetSubItemCount(), 4);
    Hover(menu, insert);
    EXPECT_EQ(menu->GetSubMenu(), nullptr) << "a sub-menu waits for the pointer to rest";
    Spin(CMenuWnd::kSubMenuDelayMs + 250);
    CMenuWnd* sub = menu->GetSubMenu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetOwner(), insert);
    EXPECT_EQ(sub->GetParentMenu(), menu);
    ASSERT_EQ(sub->GetMenuUI()->GetCount(), 4);
    EXPECT_EQ(sub->GetMenuUI()->GetItemAt(0)->GetName(), L"left_down");
    // Beside the item: its left edge at the menu's right edge, its first item level with "insert".
    RECT outer = menu->GetWindowRect(), inner = sub->GetWindowRect();
    QPoint insertTop = menu->GetWidget()->mapToGlobal(QPoint(insert->GetPos().left, insert->GetPos().top));
    EXPECT_EQ(inner.left, outer.right);
    Item(sub, L"left_down")->GetManager()->UpdateLayout();
    EXPECT_EQ(inner.top + Item(sub, L"left_down")->GetPos().top, insertTop.y());

    QPointer<QWidget> subWidget = sub->GetWidget();
    Click(sub, Item(sub, L"left_down"));
    Click(sub, Item(sub, L"left_down"));
    Spin(50);
    ExpectChosen(L"left_down", false);
    EXPECT_TRUE(subWidget.isNull()) << "every level closes";
}

TEST_F(MenuTest, KeyboardWalksTheLevelsAndEscapeClosesOnlyTheInnerOne) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    Key(menu, Qt::Key_Down);
    EXPECT_EQ(Selected(menu), L"open");
    Key(menu, Qt::Key_Down);
    EXPECT_EQ(Selected(menu), L"insert");
    Key(menu, Qt::Key_Down);
    EXPECT_EQ(Selected(menu), L"exit") << "disabled items and lines are skipped";
    Key(menu, Qt::Key_Down);
    EXPECT_EQ(Selected(menu), L"open") << "the selection wraps";
    Key(menu, Qt::Key_End);
    EXPECT_EQ(Selected(menu), L"exit");
    Key(menu, Qt::Key_Home);
    EXPECT_EQ(Selected(menu), L"open");
    Key(menu, Qt::Key_Up);
    Key(menu, Qt::Key_Up);
    EXPECT_EQ(Selected(menu), L"insert");

    Key(menu, Qt::Key_Right);
    Settle();
    CMenuWnd* sub = menu->GetSubMenu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Selected(sub), L"left_down") << "a sub-menu opened by key selects its first item";
    Key(sub, Qt::Key_Down);
    EXPECT_EQ(Selected(sub), L"more");
    Key(sub, Qt::Key_Right);
    Settle();
    CMenuWnd* deep = sub->GetSubMenu();
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(Selected(deep), L"deep");

    Key(deep, Qt::Key_Escape);
    Spin(50);
    EXPECT_EQ(sub->GetSubMenu(), nullptr);
    ASSERT_EQ(menu->GetSubMenu(), sub) << "Esc closes only the innermost level";
    EXPECT_FALSE(Closed());
    EXPECT_EQ(Item(sub, L"more")->GetSubItemCount(), 1) << "the closed level gave its items back";

    Key(sub, Qt::Key_Left);
    Spin(50);
    EXPECT_EQ(menu->GetSubMenu(), nullptr);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(Item(menu, L"insert")->GetSubItemCount(), 4);
    EXPECT_TRUE(main.got.empty());

    Key(menu, Qt::Key_Return);
    sub = menu->GetSubMenu();
    ASSERT_NE(sub, nullptr) << "Enter on an item with sub-items opens them again";
    ASSERT_EQ(sub->GetMenuUI()->GetCount(), 4);
    Key(sub, Qt::Key_Up);
    EXPECT_EQ(Selected(sub), L"mic");
    Key(sub, Qt::Key_Return);
    Spin(50);
    ExpectChosen(L"mic", true);
    EXPECT_TRUE(checks[L"mic"]);
}

TEST_F(MenuTest, KeysSentToAnOuterLevelGoToTheInnermost) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    Key(menu, Qt::Key_Down);
    EXPECT_EQ(Selected(sub), L"left_down");
    Key(menu, Qt::Key_Escape);
    Spin(50);
    EXPECT_EQ(menu->GetSubMenu(), nullptr);
    EXPECT_FALSE(Closed());
    Key(menu, Qt::Key_Escape);
    Spin(50);
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(main.got.empty());
}

TEST_F(MenuTest, ClickOutsideClosesEveryLevelAndReportsNothing) {
    CMenuWnd* menu = Open(kNested, POINT{200, 150});
    ASSERT_NE(menu, nullptr);
    Click(menu, Item(menu, L"insert"));
    CMenuWnd* sub = menu->GetSubMenu();
    ASSERT_NE(sub, nullptr) << "a click on an item with sub-items opens them at once";
    Click(menu, Item(menu, L"insert"));
    EXPECT_EQ(menu->GetSubMenu(), sub) << "a second click keeps it open";
    EXPECT_TRUE(main.got.empty()) << "an item with sub-items is never reported";
    QPointer<QWidget> subWidget = sub->GetWidget();
    // The open pop-up gets the pointer everywhere; this press is left of both menus.
    QPointF outside = QPointF(menu->GetWindowRect().left - 40, menu->GetWindowRect().top + 5);
    Mouse(sub->GetWidget(), QEvent::MouseButtonPress, sub->GetWidget()->mapFromGlobal(outside), outside);
    Spin(50);
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(subWidget.isNull());
    EXPECT_TRUE(main.got.empty());
}

TEST_F(MenuTest, PointerOverTheOuterLevelReachesItAndSwitchesTheSubMenu) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    QPointF open = Center(Item(menu, L"open"));
    QPointF global = menu->GetWidget()->mapToGlobal(open);
    Mouse(sub->GetWidget(), QEvent::MouseMove, sub->GetWidget()->mapFromGlobal(global), global);
    Spin(CMenuWnd::kSubMenuDelayMs + 250);
    EXPECT_EQ(menu->GetSubMenu(), nullptr) << "resting on another item closes the sub-menu";
    EXPECT_EQ(Selected(menu), L"open");
    EXPECT_FALSE(Closed());

    sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    QPointF exit = Center(Item(menu, L"exit"));
    global = menu->GetWidget()->mapToGlobal(exit);
    QPointF local = sub->GetWidget()->mapFromGlobal(global);
    Mouse(sub->GetWidget(), QEvent::MouseMove, local, global);
    Mouse(sub->GetWidget(), QEvent::MouseButtonPress, local, global);
    Mouse(sub->GetWidget(), QEvent::MouseButtonRelease, local, global);
    Spin(50);
    ExpectChosen(L"exit", false); // a click on the outer level chooses there
}

TEST_F(MenuTest, ReachingTheSubMenuKeepsItOpen) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    ASSERT_NE(sub, nullptr);
    Settle();
    // On the way to the sub-menu the pointer crosses another item of the outer level.
    Hover(menu, Item(menu, L"open"));
    Hover(sub, Item(sub, L"mic"));
    Spin(CMenuWnd::kSubMenuDelayMs + 250);
    EXPECT_EQ(menu->GetSubMenu(), sub);
    EXPECT_EQ(Selected(menu), L"insert") << "the item leading to the open sub-menu stays marked";
    EXPECT_EQ(Selected(sub), L"mic");
}

TEST_F(MenuTest, DisabledItemsDoNothing) {
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    Click(menu, Item(menu, L"dead"));
    Hover(menu, Item(menu, L"dead"));
    Spin(CMenuWnd::kSubMenuDelayMs + 250);
    EXPECT_EQ(menu->GetSubMenu(), nullptr) << "a disabled item does not open its sub-menu";
    EXPECT_EQ(menu->OpenSubMenu(Item(menu, L"dead")), nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    Click(sub, Item(sub, L"off"));
    sub->ChooseItem(Item(sub, L"off"));
    Spin(50);
    EXPECT_TRUE(main.got.empty());
    EXPECT_EQ(menu->GetSubMenu(), sub) << "the menu stays open";
    EXPECT_FALSE(Closed());
    Key(sub, Qt::Key_Escape);
    Spin(50);
    Key(menu, Qt::Key_Escape);
    Spin(50);
    EXPECT_TRUE(Closed());
}

TEST_F(MenuTest, CheckItemsInsideSubMenusKeepTheirStateByName) {
    checks[L"deep"] = true;
    CMenuWnd* menu = Open(kNested);
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    CMenuWnd* deep = sub->OpenSubMenu(Item(sub, L"more"), true);
    ASSERT_NE(deep, nullptr);
    EXPECT_TRUE(Item(deep, L"deep")->GetChecked());
    EXPECT_FALSE(Item(sub, L"mic")->GetChecked());
    Key(deep, Qt::Key_Return);
    Spin(50);
    ExpectChosen(L"deep", false);
    EXPECT_FALSE(checks[L"deep"]);
}

TEST_F(MenuTest, SubMenuStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Opened near the bottom-right corner: the sub-menu goes to the left and moves up.
    CMenuWnd* menu = Open(kNested, POINT{screen.right() - 10, screen.bottom() - 10});
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    Settle();
    ASSERT_NE(sub, nullptr);
    CMenuWnd* deep = sub->OpenSubMenu(Item(sub, L"more"));
    ASSERT_NE(deep, nullptr);
    RECT outer = menu->GetWindowRect(), inner = sub->GetWindowRect(), deepest = deep->GetWindowRect();
    EXPECT_LE(outer.right, screen.right() + 1);
    EXPECT_EQ(inner.right, outer.left) << "flipped to the left of its item";
    EXPECT_EQ(deepest.right, inner.left);
    EXPECT_LE(inner.bottom, screen.bottom() + 1);
    EXPECT_LE(deepest.bottom, screen.bottom() + 1);
    EXPECT_GE(inner.top, screen.top());
}

TEST_F(MenuTest, SubMenuArrowIsTheSkinsImageOrADrawnOne) {
    const CDuiString old = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(std::string(UI_FIXTURE_DIR) + "/html"));
    for (bool skinIcon : {true, false}) {
        SCOPED_TRACE(skinIcon ? "ExplandIcon" : "drawn");
        std::wstring xml = L"<Window>";
        if (skinIcon) xml += L"<Default name='ExplandIcon' value=\"file='img/dot.svg'\"/>";
        xml += L"<Menu bkcolor='#FFFFFFFF'><MenuElement name='plain' text='Plain'/><MenuElement name='more' text='More' expland='true'/></Menu></Window>";
        CMenuWnd* menu = Open(xml.c_str());
        ASSERT_NE(menu, nullptr);
        CPaintManagerUI* pm = Item(menu, L"more")->GetManager();
        QImage img;
        ASSERT_TRUE(pm->RenderToImage(&img, SIZE{menu->GetWidget()->width(), menu->GetWidget()->height()}));
        RECT more = Item(menu, L"more")->GetPos(), plain = Item(menu, L"plain")->GetPos();
        // The arrow sits by the right edge, in the row's middle; rows without sub-items have none.
        auto arrowAt = [&](const RECT& r) {
            const int cy = (r.top + r.bottom) / 2;
            for (int x = r.right - 20; x < r.right - 5; ++x) {
                const QRgb c = img.pixel(x, cy);
                if (skinIcon ? c == 0xFFFF00FF : qGray(c) < 128) return true;
            }
            return false;
        };
        EXPECT_TRUE(arrowAt(more));
        EXPECT_FALSE(arrowAt(plain));
        EXPECT_EQ(menu->OpenSubMenu(Item(menu, L"more")), nullptr) << "the arrow alone opens nothing";
        menu->Close(IDCANCEL);
        Spin(50);
        EXPECT_TRUE(Closed());
    }
    CPaintManagerUI::SetResourcePath(old);
}

TEST_F(MenuTest, AMenuWhoseLayoutCannotBeBuiltIsNotOpened) {
    const auto windows = QApplication::topLevelWidgets().size();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CMenuWnd::CreateMenu(nullptr, L"<Window><Menu>", POINT{10, 10}, &main.GetPaintManager(), &checks), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "no hidden menu is left behind";
}

TEST_F(MenuTest, AnOpenMenuGoesWithTheWindowItReportsTo) {
    auto owner = std::make_unique<MainWnd>();
    ASSERT_NE(owner->Create(nullptr, L"owner", UI_WNDSTYLE_FRAME, 0), nullptr);
    CMenuWnd* menu = CMenuWnd::CreateMenu(nullptr, kNested, POINT{100, 100}, &owner->GetPaintManager(), &checks);
    ASSERT_NE(menu, nullptr);
    Settle();
    CMenuWnd* sub = menu->OpenSubMenu(Item(menu, L"insert"));
    ASSERT_NE(sub, nullptr);
    const HWND menuHandle = menu->GetHWND(), subHandle = sub->GetHWND();
    owner.reset();
    EXPECT_EQ(CWindowWnd::FromHandle(menuHandle), nullptr) << "the menu closed with its window";
    EXPECT_EQ(CWindowWnd::FromHandle(subHandle), nullptr);
}

} // namespace
