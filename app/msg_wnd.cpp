// Layouts: XML_MSG

#include "app/msg_wnd.h"

#include "platform/debuglog.h"

namespace orvel::app {

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CMsgWnd, CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"confirm_btn", CMsgWnd::OnConfirm)
DUI_ON_CLICK_CTRNAME(L"cancel_btn", CMsgWnd::OnCancel)
DUI_ON_CLICK_CTRNAME(L"closebtn", CMsgWnd::OnCancel)
DUI_END_MESSAGE_MAP()

CMsgWnd::CMsgWnd(CDuiString title, CDuiString text, bool textIsRich, int buttons, int dpi)
    : title_(std::move(title)), text_(std::move(text)), rich_(textIsRich), buttons_(buttons), dpi_(dpi)
{
}

void CMsgWnd::InitWindow()
{
    if (CControlUI* title = m_pm.FindControl(L"MessageTitle"); title != nullptr && !title_.IsEmpty()) {
        title->SetResourceText(false);
        title->SetText(title_);
    }
    if (CControlUI* text = m_pm.FindControl(L"MessageText"); text != nullptr && !text_.IsEmpty()) {
        if (auto* label = static_cast<CLabelUI*>(text->GetInterface(DUI_CTR_LABEL)))
            label->SetShowHtml(rich_);
        text->SetText(text_);
    }
    if (CControlUI* cancel = m_pm.FindControl(L"cancel_btn"))
        cancel->SetVisible(buttons_ == 1);
    if (CControlUI* confirm = m_pm.FindControl(L"confirm_btn"))
        confirm->SetVisible(true);
    if (!CPaintManagerUI::IsAcceptedDPI(dpi_)) {
        debuglog::Write("MSG_WND DPI SET ERROR");
        dpi_ = 96;
    }
    m_pm.SetDPI(dpi_);
}

} // namespace orvel::app
