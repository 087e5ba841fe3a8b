#include "ui/menu.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "platform/debuglog.h"

namespace DuiLib {

CMenuWnd* CMenuWnd::CreateMenu(CMenuElementUI*, LPCTSTR xml, POINT point, CPaintManagerUI* pMainPaintManager, MenuCheckInfo* pMenuCheckInfo,
                               DWORD dwAlignment) {
    auto* wnd = new CMenuWnd;
    wnd->m_sXml = xml ? xml : L"";
    wnd->m_ptBase = point;
    wnd->m_dwAlignment = dwAlignment;
    wnd->m_pMainManager = pMainPaintManager;
    wnd->m_pCheckInfo = pMenuCheckInfo;
    HWND owner = pMainPaintManager ? pMainPaintManager->GetPaintWindow() : nullptr;
    if (!wnd->Create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
        delete wnd;
        return nullptr;
    }
    return wnd;
}

void CMenuWnd::InitWindow() {
    CControlUI* root = m_pm.GetRoot();
    m_pMenu = root ? static_cast<CMenuUI*>(root->GetInterface(DUI_CTR_MENU)) : nullptr;
    if (!m_pMenu) m_pMenu = static_cast<CMenuUI*>(m_pm.FindSubControlByClass(root, L"MenuUI"));
    if (m_pMenu && m_pCheckInfo) {
        for (int i = 0; i < m_pMenu->GetCount(); ++i) {
            auto* item = static_cast<CMenuElementUI*>(m_pMenu->GetItemAt(i)->GetInterface(DUI_CTR_MENUELEMENT));
            if (!item || !item->IsCheckItem()) continue;
            auto it = m_pCheckInfo->find(item->GetName().str());
            if (it != m_pCheckInfo->end()) item->SetChecked(it->second);
        }
    }
    QWidget* w = GetWidget();
    if (!w) return;
    SIZE size = m_pm.GetInitSize();
    if (m_pMenu) {
        SIZE est = m_pMenu->EstimateSize(SIZE{0, 0});
        if (size.cx <= 0) size.cx = std::max(est.cx, m_pm.GetDPIObj()->Scale(120));
        size.cy = est.cy;
    }
    int x = m_ptBase.x, y = m_ptBase.y;
    if (m_dwAlignment & eMenuAlignment_Right) x -= size.cx;
    if (m_dwAlignment & eMenuAlignment_Bottom) y -= size.cy;
    // Keep the menu on the screen of the point.
    if (QScreen* s = QGuiApplication::screenAt(QPoint(m_ptBase.x, m_ptBase.y))) {
        QRect a = s->availableGeometry();
        x = std::clamp(x, a.left(), std::max(a.left(), a.right() - size.cx));
        y = std::clamp(y, a.top(), std::max(a.top(), a.bottom() - size.cy));
    }
    w->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    w->setGeometry(x, y, size.cx, size.cy);
    w->show();
    w->activateWindow();
}

void CMenuWnd::ChooseItem(CMenuElementUI* pItem) {
    if (!pItem || m_bChosen || pItem->IsLine() || !pItem->IsEnabled()) return;
    m_bChosen = true;
    bool checked = pItem->GetChecked();
    if (pItem->IsCheckItem()) {
        checked = !checked;
        pItem->SetChecked(checked);
        if (m_pCheckInfo) (*m_pCheckInfo)[pItem->GetName().str()] = checked;
    }
    auto* cmd = new MenuCmd{pItem->GetName(), pItem->GetUserData(), pItem->GetText(), checked};
    HWND target = m_pMainManager ? m_pMainManager->GetPaintWindow() : nullptr;
    if (!target || !orvel::PostMessageW(target, WM_MENU_COMMAND, WPARAM(cmd), LPARAM(pItem))) {
        orvel::debuglog::Write("menu command not delivered: " + cmd->szName.ToUtf8());
        delete cmd;
    }
    Close();
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_ITEMCLICK || msg.sType == DUI_MSGTYPE_ITEMACTIVATE) {
        if (msg.pSender && msg.pSender->GetInterface(DUI_CTR_MENUELEMENT)) ChooseItem(static_cast<CMenuElementUI*>(msg.pSender));
        return;
    }
    // Clicks and value changes of other controls inside the menu go to the main window.
    if (m_pMainManager && (msg.sType == DUI_MSGTYPE_CLICK || msg.sType == DUI_MSGTYPE_VALUECHANGED)) m_pMainManager->SendNotify(msg, false);
}

LRESULT CMenuWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled) {
    // A pop-up hidden by a click outside closes the menu.
    if (uMsg == orvel::WM_SHOWWINDOW && wParam == 0 && GetHWND()) {
        Close(IDCANCEL);
        bHandled = TRUE;
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

void CMenuWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

} // namespace DuiLib
