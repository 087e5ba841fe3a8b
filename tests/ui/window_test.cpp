// Windows built from layouts: creation, notification maps and virtual windows, title-bar
// buttons, the modal loop and its result, and messages through the message layer.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

class Panel : public CNotifyPump {
public:
    DUI_DECLARE_MESSAGE_MAP()
public:
    void OnPanelClick(TNotifyUI& msg) { clicks.push_back(msg.pSender->GetName().str()); }
    std::vector<std::wstring> clicks;
};

DUI_BEGIN_MESSAGE_MAP(Panel, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, Panel::OnPanelClick)
DUI_END_MESSAGE_MAP()

class TestWnd : public WindowImplBase {
public:
    explicit TestWnd(std::wstring xml) : m_xml(std::move(xml)) {}
    DUI_DECLARE_MESSAGE_MAP()
public:
    void OnOk(TNotifyUI&) { Close(7); }
    void OnAnyClick(TNotifyUI& msg) {
        clicks.push_back(msg.pSender->GetName().str());
        WindowImplBase::OnClick(msg);
    }

    void InitWindow() override {
        initialised = true;
        AddVirtualWnd(L"page", &panel);
    }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled) override {
        if (uMsg == orvel::WM_USER + 100) {
            custom.push_back(wParam);
            bHandled = TRUE;
            return 5;
        }
        bHandled = FALSE;
        return 0;
    }
    void OnFinalMessage(HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        finished = true;
    }

    bool initialised = false;
    bool finished = false;
    std::vector<std::wstring> clicks;
    std::vector<WPARAM> custom;
    Panel panel;

protected:
    CDuiString GetSkinFile() override { return m_xml; }
    LPCTSTR GetWindowClassName() const override { return L"TestWnd"; }

private:
    std::wstring m_xml;
};

DUI_BEGIN_MESSAGE_MAP(TestWnd, WindowImplBase)
DUI_ON_CLICK_CTRNAME(L"okbtn", TestWnd::OnOk)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, TestWnd::OnAnyClick)
DUI_END_MESSAGE_MAP()

const wchar_t* kLayout =
    L"<Window size='300,200' caption='0,0,0,30'><VerticalLayout><HorizontalLayout height='30'>"
    L"<Button name='okbtn' width='40'/><Button name='other' width='40'/><Button name='minbtn' width='40'/>"
    L"<Button name='maxbtn' width='40'/><Button name='restorebtn' width='40' visible='false'/></HorizontalLayout>"
    L"<HorizontalLayout virtualwnd='page'><Button name='inpage'/></HorizontalLayout></VerticalLayout></Window>";

void Click(TestWnd& w, const wchar_t* name) {
    CControlUI* c = w.GetPaintManager().FindControl(name);
    ASSERT_NE(c, nullptr);
    RECT r = c->GetPos();
    QPointF p((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.GetWidget(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, p, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.GetWidget(), &release);
}

TEST(WindowTest, BuildsItsLayoutAndRoutesClicksThroughTheMaps) {
    uitest::App();
    TestWnd w(kLayout);
    ASSERT_NE(w.Create(nullptr, L"test", UI_WNDSTYLE_FRAME, 0), nullptr);
    EXPECT_TRUE(w.initialised);
    EXPECT_EQ(w.GetWidget()->width(), 300) << "the layout's size";
    w.GetPaintManager().UpdateLayout();
    Click(w, L"other");
    Click(w, L"inpage");
    EXPECT_EQ(w.clicks, std::vector<std::wstring>{L"other"}) << "a map entry by type takes what no named entry takes";
    EXPECT_EQ(w.panel.clicks, std::vector<std::wstring>{L"inpage"}) << "the virtual window's map comes first";
    EXPECT_EQ(w.SendMessage(orvel::WM_USER + 100, 9, 0), 5);
    EXPECT_EQ(w.custom, std::vector<WPARAM>{9});
    EXPECT_TRUE(orvel::PostMessageW(w.GetHWND(), orvel::WM_USER + 100, 11, 0));
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(w.custom, (std::vector<WPARAM>{9, 11})) << "posted messages arrive from Qt's loop";
    Click(w, L"maxbtn");
    EXPECT_TRUE(w.IsMaximized());
    EXPECT_FALSE(w.GetPaintManager().FindControl(L"maxbtn")->IsVisible());
    EXPECT_TRUE(w.GetPaintManager().FindControl(L"restorebtn")->IsVisible());
}

TEST(WindowTest, WindowRectanglesAreTheClientAreaWithoutTheShadow) {
    uitest::App();
    TestWnd w(L"<Window size='300,200' showshadow='true' shadowsharpness='10'><Control/></Window>");
    ASSERT_NE(w.Create(nullptr, L"shadowed", UI_WNDSTYLE_DIALOG, 0), nullptr);
    EXPECT_TRUE(w.GetWidget()->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(w.GetWidget()->size(), QSize(320, 220)) << "the layout's size plus the shadow";
    w.MoveWindow(50, 60, 200, 100);
    EXPECT_EQ(w.GetWindowRect(), (RECT{50, 60, 250, 160}));
    EXPECT_EQ(w.GetWidget()->geometry(), QRect(40, 50, 220, 120));
    w.ResizeClient(120, 90);
    EXPECT_EQ(w.GetPaintManager().GetClientSize().cx, 120);
    EXPECT_EQ(w.GetPaintManager().GetClientSize().cy, 90);

    TestWnd plain(L"<Window size='300,200'><Control/></Window>");
    ASSERT_NE(plain.Create(nullptr, L"plain", UI_WNDSTYLE_DIALOG, 0), nullptr);
    EXPECT_FALSE(plain.GetWidget()->testAttribute(Qt::WA_TranslucentBackground)) << "opaque unless layered or shadowed";
    EXPECT_EQ(plain.GetWidget()->size(), QSize(300, 200));
}

TEST(WindowTest, ModalLoopReturnsTheCodeGivenToClose) {
    uitest::App();
    TestWnd w(kLayout);
    ASSERT_NE(w.Create(nullptr, L"modal", UI_WNDSTYLE_DIALOG, 0), nullptr);
    w.GetPaintManager().UpdateLayout();
    QTimer::singleShot(20, [&w] { Click(w, L"okbtn"); });
    UINT result = w.ShowModal();
    EXPECT_EQ(result, 7u);
    EXPECT_TRUE(w.finished);
    EXPECT_EQ(w.GetHWND(), nullptr);
}

TEST(WindowTest, EscapeClosesWithCancel) {
    uitest::App();
    TestWnd w(kLayout);
    ASSERT_NE(w.Create(nullptr, L"esc", UI_WNDSTYLE_DIALOG, 0), nullptr);
    QTimer::singleShot(20, [&w] {
        LRESULT result = 0;
        w.GetPaintManager().PreMessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, result);
    });
    EXPECT_EQ(w.ShowModal(), IDCANCEL);
}

// A window that owns itself, as message boxes do: it is deleted after its last message.
class SelfOwnedWnd : public TestWnd {
public:
    SelfOwnedWnd(std::wstring xml, bool* deleted) : TestWnd(std::move(xml)), m_deleted(deleted) {}
    // What is left in its memory afterwards is not its answer.
    ~SelfOwnedWnd() override {
        m_nModalResult = 0xDEAD;
        *m_deleted = true;
    }
    void OnFinalMessage(HWND hWnd) override {
        TestWnd::OnFinalMessage(hWnd);
        delete this;
    }

private:
    bool* m_deleted;
};

TEST(WindowTest, AWindowThatDeletesItselfStillAnswersTheModalLoop) {
    uitest::App();
    bool deleted = false;
    auto* w = new SelfOwnedWnd(kLayout, &deleted);
    ASSERT_NE(w->Create(nullptr, L"owned", UI_WNDSTYLE_DIALOG, 0), nullptr);
    w->GetPaintManager().UpdateLayout();
    QTimer::singleShot(20, [w] { Click(*w, L"okbtn"); });
    EXPECT_EQ(w->ShowModal(), 7u);
    EXPECT_TRUE(deleted);
}

TEST(WindowTest, AWindowCreatedVisibleBecomesModal) {
    uitest::App();
    TestWnd w(kLayout);
    ASSERT_NE(w.Create(nullptr, L"shown", UI_WNDSTYLE_DIALOG, 0), nullptr);
    ASSERT_TRUE(w.IsWindowVisible()) << "the dialog style shows the window at once";
    QWidget* widget = w.GetWidget();
    QWidget* modal = nullptr;
    QTimer::singleShot(20, [&] {
        modal = QApplication::activeModalWidget();
        Click(w, L"okbtn");
    });
    EXPECT_EQ(w.ShowModal(), 7u);
    EXPECT_EQ(modal, widget);
}

TEST(WindowTest, AWindowWhoseLayoutCannotBeBuiltIsNotCreated) {
    uitest::App();
    const auto windows = QApplication::topLevelWidgets().size();
    TestWnd w(L"<Window><VerticalLayout>");
    EXPECT_EQ(w.Create(nullptr, L"broken", UI_WNDSTYLE_DIALOG, 0), nullptr);
    EXPECT_EQ(w.GetHWND(), nullptr);
    EXPECT_EQ(w.GetWidget(), nullptr);
    EXPECT_FALSE(w.initialised);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "nothing of the window is left";
}

// The title bar's close button, taken over in the three ways a window can: its own handling
// before the toolkit's (a message box answering 0), a map entry (the main window hiding to the
// tray), an OnClick of its own.
class PlainWnd : public uitest::LayoutWnd {
public:
    PlainWnd() : LayoutWnd(L"<Window size='200,100'><HorizontalLayout><Button name='closebtn'/></HorizontalLayout></Window>") {}
};

class MessageBoxWnd : public PlainWnd {
public:
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender->GetName() == L"closebtn") Close(0);
        PlainWnd::Notify(msg);
    }
};

class TrayWnd : public PlainWnd {
    DUI_DECLARE_MESSAGE_MAP()
public:
    void OnCloseBtn(TNotifyUI&) { ShowWindow(false); }
};

DUI_BEGIN_MESSAGE_MAP(TrayWnd, WindowImplBase)
DUI_ON_CLICK_CTRNAME(L"closebtn", TrayWnd::OnCloseBtn)
DUI_END_MESSAGE_MAP()

class OwnClickWnd : public PlainWnd {
public:
    void OnClick(TNotifyUI& msg) override {
        if (msg.pSender->GetName() == L"closebtn") ShowWindow(false);
        else PlainWnd::OnClick(msg);
    }
};

void ClickCloseButton(PlainWnd& w) {
    CControlUI* c = w.GetPaintManager().FindControl(L"closebtn");
    ASSERT_NE(c, nullptr);
    RECT r = c->GetPos();
    QPointF p((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.GetWidget(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, p, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.GetWidget(), &release);
}

TEST(WindowTest, TheCloseButtonCanBeTakenOver) {
    uitest::App();
    MessageBoxWnd box;
    ASSERT_NE(box.Create(nullptr, L"box", UI_WNDSTYLE_DIALOG, 0), nullptr);
    box.GetPaintManager().UpdateLayout();
    QTimer::singleShot(20, [&box] { ClickCloseButton(box); });
    EXPECT_EQ(box.ShowModal(), 0u) << "the window's own answer stands";

    TrayWnd tray;
    OwnClickWnd own;
    for (PlainWnd* w : {static_cast<PlainWnd*>(&tray), static_cast<PlainWnd*>(&own)}) {
        ASSERT_NE(w->Create(nullptr, L"kept", UI_WNDSTYLE_DIALOG, 0), nullptr);
        w->GetPaintManager().UpdateLayout();
        ClickCloseButton(*w);
        uitest::Spin(20);
        EXPECT_NE(w->GetHWND(), nullptr) << "the window stays";
        EXPECT_FALSE(w->IsWindowVisible()) << "hidden by its own handling";
        EXPECT_FALSE(w->finished);
    }
}

} // namespace
