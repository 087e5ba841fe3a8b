// A toolkit window with one of every kind of control, for tests that drive it from another
// process over the accessibility bus. What the window hears is shown in its "title" label
// ("click okbtn", "valuechanged bright 70"), which the test reads back. "menubtn" opens a
// menu. On standard input it answers "path NAME" with the path of the control's object on
// the bus (any open window), and "quit" ends it.

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdio>
#include <iostream>
#include <string>

#include "ui/UIlib.h"
#include "ui/accessible.h"

namespace {

using namespace DuiLib;

class FixtureWnd : public WindowImplBase {
public:
    explicit FixtureWnd(std::wstring folder) : m_folder(std::move(folder)) {}
    void Notify(TNotifyUI& msg) override {
        if (msg.pSender && msg.pSender->GetName() == L"menubtn" && msg.sType == DUI_MSGTYPE_CLICK) {
            RECT r = msg.pSender->GetPos();
            const QPoint at = GetWidget()->mapToGlobal(QPoint(r.left, r.bottom));
            CMenuWnd::CreateMenu(nullptr, L"menu.xml", POINT{at.x(), at.y()}, &m_pm, &m_checks);
        }
        static const LPCTSTR shown[] = {DUI_MSGTYPE_CLICK, DUI_MSGTYPE_SELECTCHANGED, DUI_MSGTYPE_VALUECHANGED, DUI_MSGTYPE_ITEMSELECT,
                                        DUI_MSGTYPE_TEXTCHANGED};
        for (LPCTSTR type : shown) {
            if (msg.sType != type || !msg.pSender) continue;
            CDuiString what = msg.sType + L" " + msg.pSender->GetName();
            if (msg.sType == DUI_MSGTYPE_VALUECHANGED) {
                CDuiString n;
                n.Format(L" %d", static_cast<CSliderUI*>(msg.pSender)->GetValue());
                what += n;
            } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT) {
                CDuiString n;
                n.Format(L" %d", int(msg.wParam));
                what += n;
            }
            if (CControlUI* title = m_pm.FindControl(L"title")) title->SetText(what);
        }
        WindowImplBase::Notify(msg);
    }

protected:
    CDuiString GetSkinFile() override { return L"window.xml"; }
    LPCTSTR GetWindowClassName() const override { return L"A11yFixture"; }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled) override {
        if (uMsg == WM_MENU_COMMAND) {
            auto* cmd = reinterpret_cast<MenuCmd*>(wParam);
            if (CControlUI* title = m_pm.FindControl(L"title")) title->SetText(CDuiString(L"menu ") + cmd->szName);
            delete cmd;
            bHandled = TRUE;
            return 0;
        }
        bHandled = FALSE;
        return 0;
    }

private:
    std::wstring m_folder;
    MenuCheckInfo m_checks;
};

CControlUI* FindAnywhere(const std::wstring& name) {
    for (CPaintManagerUI* pm : CPaintManagerUI::GetPaintManagers()) {
        if (CControlUI* c = pm->FindControl(name.c_str())) return c;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FIXTURE_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(argv[1]));
    FixtureWnd window(CDuiString::FromUtf8(argv[1]).str());
    if (!window.Create(nullptr, L"Accessibility fixture", UI_WNDSTYLE_FRAME, 0)) return 1;
    window.CenterWindow();
    window.ShowWindow(true);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        if (line.rfind("path ", 0) == 0) {
            CControlUI* c = FindAnywhere(CDuiString::FromUtf8(line.substr(5)).str());
            std::cout << (c ? a11y::ObjectPath(c) : std::string("none")) << std::endl;
        }
    });
    std::cout << "ready" << std::endl;
    return app.exec();
}
