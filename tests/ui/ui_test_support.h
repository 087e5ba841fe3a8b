#pragma once
// Helpers for toolkit tests: one QApplication for the test program, a host widget with its
// paint manager built from layout text, synthetic mouse and key input, and a notification
// recorder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QMouseEvent>
#include <QWheelEvent>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ui/UIlib.h"
#include "ui/host_widget.h"

namespace DuiLib {
inline void PrintTo(const RECT& r, std::ostream* os) { *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}"; }
} // namespace DuiLib

namespace uitest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? static_cast<QApplication*>(QApplication::instance()) : new QApplication(argc, argv);
    return *app;
}

// Runs the event loop for a while (queued calls, posted messages, timers).
inline void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A main window that records the menu commands and tray messages it gets.
class MainWnd : public DuiLib::WindowImplBase {
public:
    struct Got {
        DuiLib::UINT msg;
        DuiLib::WPARAM wParam;
        DuiLib::LPARAM lParam;
        std::wstring name;
        bool checked;
    };
    std::vector<Got> got;

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"<Window size='200,100'><Control/></Window>"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"MainWnd"; }
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT uMsg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, DuiLib::BOOL& bHandled) override {
        if (uMsg == DuiLib::WM_MENU_COMMAND) {
            auto* cmd = reinterpret_cast<DuiLib::MenuCmd*>(wParam);
            got.push_back(Got{uMsg, wParam, lParam, cmd->szName.str(), cmd->bChecked});
            delete cmd;
            bHandled = DuiLib::TRUE;
            return 0;
        }
        if (uMsg == DuiLib::UIMSG_TRAYICON) {
            got.push_back(Got{uMsg, wParam, lParam, L"", false});
            bHandled = DuiLib::TRUE;
            return 0;
        }
        bHandled = DuiLib::FALSE;
        return 0;
    }
};

// A window built from layout text that notes when it has ended.
class LayoutWnd : public DuiLib::WindowImplBase {
public:
    explicit LayoutWnd(std::wstring xml) : m_xml(std::move(xml)) {}
    void OnFinalMessage(DuiLib::HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        finished = true;
    }
    bool finished = false;

protected:
    DuiLib::CDuiString GetSkinFile() override { return m_xml; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"LayoutWnd"; }

private:
    std::wstring m_xml;
};

#ifdef UI_FIXTURE_DIR
// A file of the toolkit's test fixtures, as layout text.
inline std::wstring FixtureText(const char* relative) {
    std::ifstream in(std::string(UI_FIXTURE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return DuiLib::CDuiString::FromUtf8(text.str()).str();
}
#endif

struct Note {
    std::wstring type;
    std::wstring sender;
    DuiLib::WPARAM wParam;
    DuiLib::LPARAM lParam;
};

// Records every notification of a window.
class Recorder : public DuiLib::INotifyUI {
public:
    void Notify(DuiLib::TNotifyUI& msg) override {
        notes.push_back(Note{msg.sType.str(), msg.pSender ? msg.pSender->GetName().str() : L"", msg.wParam, msg.lParam});
    }
    std::vector<Note> Of(const std::wstring& type) const {
        std::vector<Note> out;
        for (const auto& n : notes) {
            if (n.type == type) out.push_back(n);
        }
        return out;
    }
    std::vector<std::wstring> Types() const {
        std::vector<std::wstring> out;
        for (const auto& n : notes) out.push_back(n.type);
        return out;
    }
    std::vector<Note> notes;
};

// A layout hosted in an offscreen widget of the given client size.
class Host {
public:
    explicit Host(const std::wstring& xml, int cx = 400, int cy = 300, int dpi = 96, DuiLib::IDialogBuilderCallback* cb = nullptr) {
        App();
        widget = std::make_unique<DuiLib::CUIHostWidget>(&pm);
        if (dpi != 96) pm.SetDPI(dpi);
        DuiLib::CDialogBuilder builder;
        root = builder.Create(xml.c_str(), nullptr, cb, &pm);
        if (root) pm.AttachDialog(root);
        pm.AddNotifier(&rec);
        widget->resize(cx, cy);
        widget->show();
        pm.NeedUpdate();
        pm.UpdateLayout();
    }
    ~Host() { pm.RemoveNotifier(&rec); }

    template <typename T = DuiLib::CControlUI>
    T* Find(const wchar_t* name) {
        return static_cast<T*>(pm.FindControl(name));
    }
    void Layout() {
        pm.NeedUpdate();
        pm.UpdateLayout();
    }
    DuiLib::POINT Center(const wchar_t* name) {
        DuiLib::RECT r = pm.FindControl(name)->GetPos();
        return DuiLib::POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Mouse(QEvent::Type type, DuiLib::POINT pt, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        Qt::MouseButtons held = (type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) ? Qt::MouseButtons() : Qt::MouseButtons(button);
        if (type == QEvent::MouseMove && pressed) held = Qt::LeftButton;
        QPointF p(pt.x, pt.y);
        QMouseEvent e(type, p, widget->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : button, held, mods);
        QApplication::sendEvent(widget.get(), &e);
    }
    void Press(DuiLib::POINT pt, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        pressed = true;
        Mouse(QEvent::MouseButtonPress, pt, b, mods);
    }
    void Release(DuiLib::POINT pt, Qt::MouseButton b = Qt::LeftButton) {
        pressed = false;
        Mouse(QEvent::MouseButtonRelease, pt, b);
    }
    void Move(DuiLib::POINT pt) { Mouse(QEvent::MouseMove, pt, Qt::NoButton); }
    void Click(DuiLib::POINT pt, Qt::MouseButton b = Qt::LeftButton) {
        Move(pt);
        Press(pt, b);
        Release(pt, b);
    }
    void DoubleClick(DuiLib::POINT pt) {
        Press(pt);
        Release(pt);
        pressed = true;
        Mouse(QEvent::MouseButtonDblClick, pt);
        Release(pt);
    }
    void Wheel(DuiLib::POINT pt, int delta) {
        QPointF p(pt.x, pt.y);
        QWheelEvent e(p, widget->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget.get(), &e);
    }
    void Key(int key, const QString& text = {}, QWidget* target = nullptr) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target ? target : widget.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target ? target : widget.get(), &release);
    }

    DuiLib::CPaintManagerUI pm;
    std::unique_ptr<DuiLib::CUIHostWidget> widget;
    DuiLib::CControlUI* root = nullptr;
    Recorder rec;
    bool pressed = false;
};

inline DuiLib::RECT Rect(int l, int t, int r, int b) { return DuiLib::RECT{l, t, r, b}; }

// A small layout built in a host of the given size, and the rectangles its named controls must
// land on.
struct Placed {
    const wchar_t* name;
    DuiLib::RECT rc;
};

struct LayoutCase {
    const char* title;
    const wchar_t* xml;
    int cx, cy, dpi;
    std::vector<Placed> expect;
};

inline void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.title; }

inline void ExpectLayout(const LayoutCase& c) {
    Host host(std::wstring(L"<Window>") + c.xml + L"</Window>", c.cx, c.cy, c.dpi);
    ASSERT_NE(host.root, nullptr) << c.title;
    for (const auto& e : c.expect) {
        DuiLib::CControlUI* ctl = host.Find(e.name);
        ASSERT_NE(ctl, nullptr) << c.title;
        EXPECT_EQ(ctl->GetPos(), e.rc) << c.title << ": " << QString::fromWCharArray(e.name).toStdString();
    }
}

} // namespace uitest

