#include "lighting/qt/dialog_window.h"

#include "platform/debuglog.h"

namespace orvel::lighting {

using namespace DuiLib;

int DialogDpi(int dpi)
{
    if (CPaintManagerUI::IsAcceptedDPI(dpi)) return dpi;
    debuglog::Write("SET_WND DPI SET ERROR");
    return 96;
}

bool DialogSysCommand(WindowImplBase& window, CPaintManagerUI& pm, WPARAM command)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE:
        // A small dialog's system close (Alt+F4, the title bar) is its cancel, not the program's end.
        window.Close(0);
        return true;
    case SC_MAXIMIZE:
    case SC_RESTORE: {
        const bool zoomed = (command & 0xFFF0) == SC_MAXIMIZE;
        if (CControlUI* max = pm.FindControl(L"maxbtn")) max->SetVisible(!zoomed);
        if (CControlUI* restore = pm.FindControl(L"restorebtn")) restore->SetVisible(zoomed);
        return false;
    }
    default: return false;
    }
}

void DialogDpiChanged(WindowImplBase& window, CPaintManagerUI& pm, WPARAM wParam, LPARAM lParam)
{
    pm.SetDPI(DialogDpi(int(wParam & 0xFFFF)));
    pm.ResetDPIAssets();
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        window.MoveWindow(suggested->left, suggested->top, suggested->right - suggested->left, suggested->bottom - suggested->top);
    pm.NeedUpdate();
}

} // namespace orvel::lighting
