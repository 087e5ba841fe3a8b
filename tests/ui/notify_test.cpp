// Notifications raised by synthetic input, with their parameters.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

using uitest::Spin;

TEST(NotifyTest, WindowInitComesOnceAfterTheFirstLayout) {
    Host host(L"<Window><Control name='root'/></Window>");
    host.Layout();
    host.Layout();
    EXPECT_EQ(host.rec.Of(L"windowinit").size(), 1u);
    CPaintManagerUI pm;
    uitest::Recorder rec;
    pm.AddNotifier(&rec);
    CDialogBuilder b;
    pm.AttachDialog(b.Create(L"<Window><Control name='r'/></Window>", nullptr, nullptr, &pm));
    QImage img;
    pm.RenderToImage(&img, SIZE{20, 20});
    pm.RenderToImage(&img, SIZE{20, 20});
    ASSERT_EQ(rec.Of(L"windowinit").size(), 1u);
    EXPECT_EQ(rec.Of(L"windowinit")[0].sender, L"r");
}

TEST(NotifyTest, ButtonClicksOnlyWhenReleasedInside) {
    Host host(L"<Window><HorizontalLayout><Button name='b' width='100'/><Button name='off' width='100' enabled='false'/><Control/></HorizontalLayout></Window>");
    host.Click(host.Center(L"b"));
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u);
    host.Press(host.Center(L"b"));
    host.Move(POINT{350, 150});
    host.Release(POINT{350, 150});
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u) << "released outside";
    host.Click(host.Center(L"off"));
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u) << "disabled";
    host.pm.SetFocus(host.Find(L"b"));
    host.Key(Qt::Key_Space, QStringLiteral(" "));
    ASSERT_EQ(host.rec.Of(L"click").size(), 2u);
    EXPECT_EQ(host.rec.Of(L"click")[1].sender, L"b");
}

TEST(NotifyTest, OptionGroupsKeepOneSelected) {
    Host host(L"<Window><HorizontalLayout><Option name='o1' group='g' selected='true'/><Option name='o2' group='g'/>"
              L"<Option name='free'/><CheckBox name='cb'/></HorizontalLayout></Window>");
    auto* o1 = host.Find<COptionUI>(L"o1");
    auto* o2 = host.Find<COptionUI>(L"o2");
    EXPECT_TRUE(o1->IsSelected());
    host.rec.notes.clear();
    host.Click(host.Center(L"o2"));
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_TRUE(o2->IsSelected());
    std::vector<std::wstring> order;
    for (const auto& n : host.rec.notes) {
        if (n.type != L"setfocus" && n.type != L"killfocus") order.push_back(n.type + L":" + n.sender);
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"click:o2", L"selectchanged:o1", L"selectchanged:o2"}));
    host.rec.notes.clear();
    host.Click(host.Center(L"o2"));
    EXPECT_TRUE(o2->IsSelected()) << "a click on the selected option of a group keeps it";
    EXPECT_TRUE(host.rec.Of(L"selectchanged").empty());
    host.Click(host.Center(L"free"));
    host.Click(host.Center(L"free"));
    EXPECT_FALSE(host.Find<COptionUI>(L"free")->IsSelected()) << "without a group the state toggles";
    host.rec.notes.clear();
    host.Click(host.Center(L"cb"));
    host.Click(host.Center(L"cb"));
    auto sc = host.rec.Of(L"selectchanged");
    ASSERT_EQ(sc.size(), 2u);
    EXPECT_EQ(sc[0].wParam, 1u);
    EXPECT_EQ(sc[1].wParam, 0u);
}

TEST(NotifyTest, AnAutoCheckBoxTogglesOnButtonDownAndSendsCheckClick) {
    Host host(L"<Window><HorizontalLayout><CheckBox name='auto' EnableAutoCheck='true'/><CheckBox name='plain'/>"
              L"<CheckBox name='off' EnableAutoCheck='true' enabled='false'/></HorizontalLayout></Window>");
    auto* box = host.Find<CCheckBoxUI>(L"auto");
    host.Layout();
    host.rec.notes.clear();
    host.Press(host.Center(L"auto"));
    EXPECT_TRUE(box->GetCheck()) << "toggled as the button goes down";
    host.Release(host.Center(L"auto"));
    std::vector<std::wstring> order;
    for (const auto& n : host.rec.notes) {
        if (n.type != L"setfocus" && n.type != L"killfocus") order.push_back(n.type + L":" + n.sender);
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"selectchanged:auto", L"checkclick:auto"}));
    host.Click(host.Center(L"auto"));
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(host.rec.Of(L"checkclick").size(), 2u);
    host.pm.SetFocus(box);
    host.Key(Qt::Key_Space, QStringLiteral(" "));
    EXPECT_TRUE(box->GetCheck());
    EXPECT_EQ(host.rec.Of(L"checkclick").size(), 3u) << "from the keyboard too";
    EXPECT_TRUE(host.rec.Of(L"click").empty());
    host.Click(host.Center(L"plain"));
    host.Click(host.Center(L"off"));
    EXPECT_EQ(host.rec.Of(L"checkclick").size(), 3u) << "only enabled boxes with the attribute";
    EXPECT_FALSE(host.Find<CCheckBoxUI>(L"off")->GetCheck());
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u);
    box->SetCheck(false, false);
    EXPECT_EQ(host.rec.Of(L"checkclick").size(), 3u) << "setting the state from code sends nothing";
}

TEST(NotifyTest, SliderDragSendsMovesThenOneValueChange) {
    Host host(L"<Window><VerticalLayout><Slider name='s' min='0' max='100' height='20' thumbsize='10,10' sendmove='true' step='5'/><Control/></VerticalLayout></Window>",
              110, 100);
    auto* s = host.Find<CSliderUI>(L"s");
    // Track: the thumb's left edge moves over 100 pixels; value = (x - 5) per pixel.
    host.Press(POINT{5, 10});
    EXPECT_EQ(s->GetValue(), 0);
    host.Move(POINT{30, 10});
    host.Move(POINT{55, 10});
    s->SetValue(90);
    EXPECT_EQ(s->GetValue(), 50) << "code cannot move the thumb while it is dragged";
    host.Release(POINT{55, 10});
    auto moves = host.rec.Of(L"movevaluechanged");
    EXPECT_EQ(moves.size(), 2u);
    EXPECT_EQ(host.rec.Of(L"valuechanged").size(), 1u);
    EXPECT_EQ(s->GetValue(), 50);
    host.Click(POINT{105, 10});
    EXPECT_EQ(s->GetValue(), 100) << "a click jumps to the point";
    EXPECT_EQ(host.rec.Of(L"valuechanged").size(), 2u);
    host.Wheel(POINT{50, 10}, -120);
    EXPECT_EQ(s->GetValue(), 95);
    EXPECT_EQ(host.rec.Of(L"valuechanged").size(), 3u);
    s->SetValue(1000);
    EXPECT_EQ(s->GetValue(), 100) << "values are kept inside the range";
}

TEST(NotifyTest, EditFocusTypingAndNumberLimits) {
    Host host(L"<Window><VerticalLayout><Edit name='e' numberonly='true' maxchar='4' minnumber='10' maxnumber='500'/>"
              L"<Button name='other'/><Control/></VerticalLayout></Window>");
    auto* e = host.Find<CEditUI>(L"e");
    host.Click(host.Center(L"e"));
    ASSERT_EQ(host.rec.Of(L"setfocus").size(), 1u);
    QLineEdit* native = e->GetNativeEdit();
    ASSERT_NE(native, nullptr);
    host.Key(Qt::Key_7, QStringLiteral("7"), native);
    host.Key(Qt::Key_A, QStringLiteral("a"), native);
    host.Key(Qt::Key_9, QStringLiteral("9"), native);
    host.Key(Qt::Key_9, QStringLiteral("9"), native);
    host.Key(Qt::Key_9, QStringLiteral("9"), native);
    host.Key(Qt::Key_9, QStringLiteral("9"), native);
    EXPECT_EQ(e->GetText(), L"7999") << "letters are refused and the length is capped";
    EXPECT_EQ(host.rec.Of(L"textchanged").size(), 4u);
    host.Key(Qt::Key_Return, QStringLiteral("\r"), native);
    EXPECT_EQ(host.rec.Of(L"return").size(), 1u);
    host.Click(host.Center(L"other"));
    EXPECT_EQ(host.rec.Of(L"killfocus").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"killfocus")[0].sender, L"e");
    EXPECT_EQ(e->GetText(), L"500") << "clamped to the maximum when the focus leaves";
    EXPECT_EQ(e->GetNativeEdit(), nullptr);
    e->SetText(L"3");
    host.pm.SetFocus(e);
    host.pm.SetFocus(nullptr);
    EXPECT_EQ(e->GetText(), L"10") << "clamped to the minimum";
}

// A window closed while an edit is being typed in takes the Qt editor with it; the control,
// destroyed afterwards with its manager, must not touch the editor again.
TEST(NotifyTest, AnOpenEditorMayGoWithTheWindowFirst) {
    for (const wchar_t* tag : {L"Edit", L"RichEdit"}) {
        SCOPED_TRACE(QString::fromWCharArray(tag).toStdString());
        Host host(std::wstring(L"<Window><VerticalLayout><") + tag + L" name='e' height='40'/></VerticalLayout></Window>");
        CControlUI* e = host.Find(L"e");
        host.pm.SetFocus(e);
        auto editor = [e]() -> QWidget* {
            if (auto* line = dynamic_cast<CEditUI*>(e)) return line->GetNativeEdit();
            return static_cast<CRichEditUI*>(e)->GetNativeEdit();
        };
        ASSERT_NE(editor(), nullptr);
        host.widget.reset();
        EXPECT_EQ(editor(), nullptr);
    }
}

TEST(NotifyTest, ComboOpensAPopupAndSelectsOnPress) {
    Host host(L"<Window><VerticalLayout><Combo name='c' height='24'><ListLabelElement name='i0' text='zero'/>"
              L"<ListLabelElement name='i1' text='one'/><ListLabelElement name='i2' text='two'/></Combo><Control/></VerticalLayout></Window>");
    auto* c = host.Find<CComboUI>(L"c");
    EXPECT_EQ(c->GetCurSel(), -1);
    host.Click(host.Center(L"c"));
    ASSERT_TRUE(c->IsDropped());
    EXPECT_EQ(host.rec.Types().back(), L"dropdown");
    EXPECT_EQ(host.rec.Of(L"predropdown").size(), 1u);
    QWidget* popup = c->GetDropDownWidget();
    ASSERT_NE(popup, nullptr);
    RECT r = c->GetItemAt(1)->GetPos();
    QPointF p((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, popup->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &press);
    auto sel = host.rec.Of(L"itemselect");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].sender, L"c");
    EXPECT_EQ(sel[0].wParam, 1u);
    EXPECT_EQ(sel[0].lParam, -1);
    QMouseEvent release(QEvent::MouseButtonRelease, p, popup->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &release);
    EXPECT_FALSE(c->IsDropped());
    EXPECT_EQ(c->GetText(), L"one");
    host.pm.SetFocus(c);
    host.Key(Qt::Key_Down);
    EXPECT_EQ(c->GetCurSel(), 2);
    sel = host.rec.Of(L"itemselect");
    ASSERT_EQ(sel.size(), 2u);
    EXPECT_EQ(sel[1].wParam, 2u);
    EXPECT_EQ(sel[1].lParam, 1);
}

TEST(NotifyTest, ListRowsSelectClickAndActivate) {
    Host host(L"<Window><List name='l'><ListLabelElement name='r0' text='a'/><ListLabelElement name='r1' text='b'/>"
              L"<ListContainerElement name='r2' height='30'><Label text='c'/></ListContainerElement></List></Window>");
    auto* l = host.Find<CListUI>(L"l");
    ASSERT_EQ(l->GetCount(), 3);
    host.Click(host.Center(L"r1"));
    EXPECT_EQ(l->GetCurSel(), 1);
    auto sel = host.rec.Of(L"itemselect");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].wParam, 1u);
    EXPECT_EQ(sel[0].lParam, -1);
    ASSERT_EQ(host.rec.Of(L"itemclick").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"itemclick")[0].sender, L"r1");
    host.DoubleClick(host.Center(L"r2"));
    EXPECT_EQ(l->GetCurSel(), 2);
    ASSERT_EQ(host.rec.Of(L"itemactivate").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"itemactivate")[0].sender, L"r2");
}

TEST(NotifyTest, ContextMenuHoverTimerAndPalette) {
    Host host(L"<Window><HorizontalLayout><Button name='m' menu='true' width='50'/><Button name='h' richevent='true' width='50'/>"
              L"<ColorPalette name='p' palletheight='100' barheight='10' width='120'/><Control/></HorizontalLayout></Window>");
    host.Click(host.Center(L"m"), Qt::RightButton);
    auto menu = host.rec.Of(L"menu");
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].lParam, LPARAM(host.Find(L"m")));
    host.Move(host.Center(L"h"));
    host.Move(POINT{390, 290});
    EXPECT_EQ(host.rec.Of(L"mouseenter").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"mouseleave").size(), 1u);

    RECT p = host.Find(L"p")->GetPos();
    host.Press(POINT{p.left, p.top});
    host.Release(POINT{p.left, p.top});
    auto colour = host.rec.Of(L"colorchanged");
    ASSERT_EQ(colour.size(), 1u);
    EXPECT_EQ(colour[0].wParam, 0xFFFF0000u) << "top left: hue 0 at full brightness";
    EXPECT_EQ(host.Find<CColorPaletteUI>(L"p")->GetSelectColor(), 0xFFFF0000u);

    host.Find(L"h")->SetTimer(7, 10);
    Spin(60);
    host.Find(L"h")->KillTimer(7);
    auto timers = host.rec.Of(L"timer");
    ASSERT_FALSE(timers.empty());
    EXPECT_EQ(timers[0].wParam, 7u);
    EXPECT_EQ(timers[0].sender, L"h");
}

// What the event loop deletes when control comes back to it (the tests run outside one).
void DeliverDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(NotifyTest, APickInTheComboPopupClosesItAfterTheEvent) {
    Host host(L"<Window><VerticalLayout><Combo name='c' height='24'><ListLabelElement name='i0' text='zero'/>"
              L"<ListLabelElement name='i1' text='one'/><ListLabelElement name='i2' text='two'/></Combo><Control/></VerticalLayout></Window>");
    auto* c = host.Find<CComboUI>(L"c");
    c->SelectItem(0, false, false);
    struct Case {
        const char* how;
        int key;
    };
    // Enter takes the item reached with Down; Escape goes back to the one selected before.
    for (const Case& k : {Case{"enter", Qt::Key_Return}, Case{"escape", Qt::Key_Escape}}) {
        const int before = c->GetCurSel();
        ASSERT_TRUE(c->Activate()) << k.how;
        QPointer<QWidget> popup = c->GetDropDownWidget();
        ASSERT_FALSE(popup.isNull()) << k.how;
        host.Key(Qt::Key_Down, {}, popup);
        host.Key(k.key, {}, popup);
        EXPECT_FALSE(c->IsDropped()) << k.how;
        EXPECT_EQ(c->GetCurSel(), k.key == Qt::Key_Escape ? before : std::min(before + 1, 2)) << k.how;
        DeliverDeferredDeletes();
        EXPECT_TRUE(popup.isNull()) << k.how << ": the pop-up goes once its event is over";
    }
    ASSERT_TRUE(c->Activate());
    QPointer<QWidget> popup = c->GetDropDownWidget();
    RECT r = c->GetItemAt(2)->GetPos();
    QPointF p((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, popup->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, popup->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &release);
    EXPECT_FALSE(c->IsDropped());
    EXPECT_EQ(c->GetText(), L"two");
    DeliverDeferredDeletes();
    EXPECT_TRUE(popup.isNull());
}

TEST(NotifyTest, AQueuedNotificationOfADestroyedControlIsDropped) {
    Host host(L"<Window><VerticalLayout name='box'><Button name='gone'/><Button name='kept'/></VerticalLayout></Window>");
    CControlUI* gone = host.Find(L"gone");
    host.pm.SendNotify(gone, DUI_MSGTYPE_CLICK, 0, 0, true);
    host.pm.SendNotify(host.Find(L"kept"), DUI_MSGTYPE_CLICK, 0, 0, true);
    ASSERT_TRUE(host.Find<CVerticalLayoutUI>(L"box")->Remove(gone));
    uitest::Spin(10);
    auto clicks = host.rec.Of(DUI_MSGTYPE_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].sender, L"kept");
}

} // namespace
