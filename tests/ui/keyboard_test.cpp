// A window used without a mouse: Tab order through nested layouts and pages, every kind of
// control operated from the keyboard, the focus ring, Escape and Alt+F4.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>


#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

std::wstring FixtureLayout() { return uitest::FixtureText("a11y/window.xml"); }

// Keys go where the user's would: to an open editor, else to the window.
void Press(Host& host, int key, Qt::KeyboardModifiers mods = {}) {
    QWidget* target = host.widget.get();
    if (auto* edit = static_cast<CEditUI*>(host.pm.GetFocus() ? host.pm.GetFocus()->GetInterface(DUI_CTR_EDIT) : nullptr)) {
        if (edit->GetNativeEdit()) target = edit->GetNativeEdit();
    }
    QKeyEvent press(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(target, &release);
}

std::wstring Focused(Host& host) { return host.pm.GetFocus() ? host.pm.GetFocus()->GetName().str() : L""; }

const std::vector<std::wstring> kOrder = {L"okbtn",     L"iconbtn",  L"nobtn", L"mode_a", L"mode_b", L"sync",    L"bright", L"mode_combo",
                                          L"name_edit", L"dpi_edit", L"list",  L"tab_0",  L"tab_1",  L"key_btn", L"menubtn", L"tree"};

TEST(KeyboardTest, TabWalksTheEnabledShownControlsInReadingOrder) {
    Host host(FixtureLayout(), 480, 480);
    std::vector<std::wstring> forward;
    for (size_t i = 0; i < kOrder.size(); ++i) {
        Press(host, Qt::Key_Tab);
        forward.push_back(Focused(host));
    }
    EXPECT_EQ(forward, kOrder) << "disabled, hidden and other pages' controls are left out";
    Press(host, Qt::Key_Tab);
    EXPECT_EQ(Focused(host), kOrder.front()) << "it wraps";
    std::vector<std::wstring> back;
    for (size_t i = 0; i < kOrder.size(); ++i) {
        Press(host, Qt::Key_Backtab, Qt::ShiftModifier);
        back.push_back(Focused(host));
    }
    EXPECT_EQ(back, std::vector<std::wstring>(kOrder.rbegin(), kOrder.rend())) << "Shift+Tab goes back the same way";
}

TEST(KeyboardTest, EveryKindOfControlWorksWithoutAMouse) {
    Host host(FixtureLayout(), 480, 480);
    auto focus = [&](const wchar_t* name) { host.pm.SetFocus(host.Find(name)); };
    focus(L"okbtn");
    Press(host, Qt::Key_Space);
    Press(host, Qt::Key_Return);
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_CLICK).size(), 2u) << "Space and Enter press a button";
    focus(L"sync");
    Press(host, Qt::Key_Space);
    EXPECT_TRUE(host.Find<CCheckBoxUI>(L"sync")->GetCheck());
    Press(host, Qt::Key_Space);
    EXPECT_FALSE(host.Find<CCheckBoxUI>(L"sync")->GetCheck());
    focus(L"mode_b");
    Press(host, Qt::Key_Return);
    EXPECT_TRUE(host.Find<COptionUI>(L"mode_b")->IsSelected());
    focus(L"tab_1");
    Press(host, Qt::Key_Space);
    EXPECT_EQ(host.Find<CTabLayoutUI>(L"pages")->GetCurSel(), 1) << "a tab shows its page";

    struct SliderKey {
        int key;
        int value;
    };
    auto* slider = host.Find<CSliderUI>(L"bright");
    focus(L"bright");
    for (const SliderKey& k : {SliderKey{Qt::Key_Right, 45}, SliderKey{Qt::Key_Up, 50}, SliderKey{Qt::Key_Left, 45}, SliderKey{Qt::Key_Down, 40},
                               SliderKey{Qt::Key_PageUp, 50}, SliderKey{Qt::Key_PageDown, 40}, SliderKey{Qt::Key_End, 100},
                               SliderKey{Qt::Key_Right, 100}, SliderKey{Qt::Key_Home, 0}, SliderKey{Qt::Key_Left, 0}}) {
        Press(host, k.key);
        EXPECT_EQ(slider->GetValue(), k.value) << "key " << k.key;
    }
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_VALUECHANGED).size(), 8u) << "each move that changes the value is reported once";

    // Arrows change a combo's item and move in a list, from where the last keys left them.
    struct Walk {
        const wchar_t* name;
        std::vector<int> keys;
        int selected;
    };
    for (const Walk& w : {Walk{L"mode_combo", {Qt::Key_Down, Qt::Key_Down}, 1}, Walk{L"mode_combo", {Qt::Key_Up}, 0},
                          Walk{L"list", {Qt::Key_Down, Qt::Key_Down}, 1}, Walk{L"list", {Qt::Key_End}, 2}}) {
        focus(w.name);
        for (int key : w.keys) Press(host, key);
        auto* owner = static_cast<IListOwnerUI*>(host.Find(w.name)->GetInterface(DUI_CTR_ILISTOWNER));
        EXPECT_EQ(owner->GetCurSel(), w.selected) << QString::fromWCharArray(w.name).toStdString();
    }
    Press(host, Qt::Key_Return);
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_ITEMACTIVATE).back().sender, L"r2");

    // Typing goes to the editor; Tab leaves it for the next control.
    focus(L"name_edit");
    auto* edit = host.Find<CEditUI>(L"name_edit");
    ASSERT_NE(edit->GetNativeEdit(), nullptr);
    edit->GetNativeEdit()->selectAll();
    for (QChar ch : QStringLiteral("Desk")) {
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit->GetNativeEdit(), &typed);
    }
    Press(host, Qt::Key_Tab);
    EXPECT_EQ(Focused(host), L"dpi_edit");
    EXPECT_EQ(edit->GetText(), L"Desk");
}

TEST(KeyboardTest, TheFocusRingShowsWhileTheKeyboardIsUsed) {
    Host host(FixtureLayout(), 480, 480);
    auto ringAt = [&](const wchar_t* name) {
        QImage image;
        EXPECT_TRUE(host.pm.RenderToImage(&image, SIZE{480, 480}));
        const RECT r = host.Find(name)->GetPos();
        // One pixel outside the left edge, half-way down.
        return image.pixel(r.left - 1, (r.top + r.bottom) / 2) == 0xFF19B8FFu;
    };
    EXPECT_FALSE(ringAt(L"okbtn"));
    Press(host, Qt::Key_Tab);
    ASSERT_EQ(Focused(host), L"okbtn");
    EXPECT_TRUE(host.pm.IsFocusRingShown());
    EXPECT_TRUE(ringAt(L"okbtn")) << "a ring in the skin's accent outside the control";
    Press(host, Qt::Key_Tab);
    EXPECT_FALSE(ringAt(L"okbtn"));
    EXPECT_TRUE(ringAt(L"iconbtn"));
    host.Click(host.Center(L"mode_b"));
    EXPECT_FALSE(host.pm.IsFocusRingShown()) << "a click hides it";
    EXPECT_FALSE(ringAt(L"mode_b"));
}

const wchar_t* kDialog = L"<Window size='200,100'><HorizontalLayout><Button name='okbtn' text='OK'/></HorizontalLayout></Window>";

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

TEST(KeyboardTest, EscapeCancelsADialogAndAltF4IsTheSystemClose) {
    uitest::App();
    uitest::LayoutWnd owner(kDialog);
    ASSERT_NE(owner.Create(nullptr, L"owner", UI_WNDSTYLE_FRAME, 0), nullptr);
    uitest::LayoutWnd dialog(kDialog);
    ASSERT_NE(dialog.Create(owner.GetHWND(), L"dialog", UI_WNDSTYLE_DIALOG, 0), nullptr);
    QTimer::singleShot(20, [&dialog] { Key(dialog.GetWidget(), Qt::Key_Escape); });
    EXPECT_EQ(dialog.ShowModal(), IDCANCEL);

    Key(owner.GetWidget(), Qt::Key_Escape);
    uitest::Spin(20);
    EXPECT_FALSE(owner.finished) << "Escape does not close a main window";
    Key(owner.GetWidget(), Qt::Key_F4, Qt::AltModifier);
    uitest::Spin(20);
    EXPECT_TRUE(owner.finished);
}

} // namespace
