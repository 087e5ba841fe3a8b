// Layouts: AboutWnd.xml

#include "app/about_wnd.h"

#include "app/app_messages.h"

namespace orvel::app {

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CAboutWnd, CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"closebtn", CAboutWnd::OnCloseButton)
DUI_ON_CLICK_CTRNAME(L"minbtn", CAboutWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"maxbtn", CAboutWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"restorebtn", CAboutWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"homepage_btn", CAboutWnd::OnNothing)
DUI_ON_CLICK_CTRNAME(L"menubtn", CAboutWnd::OnNothing)
DUI_END_MESSAGE_MAP()

void CAboutWnd::InitWindow()
{
    if (CControlUI* version = m_pm.FindControl(L"about_version"))
        version->SetText(version_);
}

LRESULT CAboutWnd::HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (uMsg == WM_LANGUAGE_CHANGED) {
        m_pm.NeedUpdate();
        bHandled = TRUE;
    }
    return 0;
}

} // namespace orvel::app
