#include "app/child_windows.h"

#include "platform/debuglog.h"

#include <QWidget>

namespace orvel::app {

using namespace DuiLib;

// ---------------------------------------------------------------- CMsgWnd

CMsgWnd::CMsgWnd(CDuiString title, CDuiString text, bool textIsRich, int buttons, int dpi)
    : title_(std::move(title)), text_(std::move(text)), rich_(textIsRich), buttons_(buttons), dpi_(dpi)
{
}

void CMsgWnd::InitWindow()
{
    if (!title_.IsEmpty()) {
        if (CControlUI* title = m_pm.FindControl(L"MessageTitle")) {
            title->SetResourceText(false);
            title->SetText(title_);
        }
    }
    if (!text_.IsEmpty()) {
        if (CControlUI* text = m_pm.FindControl(L"MessageText")) {
            if (auto* label = static_cast<CLabelUI*>(text->GetInterface(DUI_CTR_LABEL)))
                label->SetShowHtml(rich_);
            text->SetText(text_);
        }
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

void CMsgWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"confirm_btn")
        Close(1);
    else if (name == L"cancel_btn" || name == L"closebtn")
        Close(0);
}

// ---------------------------------------------------------------- CAboutWnd

void CAboutWnd::InitWindow()
{
    if (CControlUI* version = m_pm.FindControl(L"about_version"))
        version->SetText(version_);
}

void CAboutWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closebtn") {
        Close(0);
    } else if (name == L"minbtn" || name == L"maxbtn" || name == L"restorebtn") {
        OnClick(msg);
    }
}

LRESULT CAboutWnd::HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (uMsg == 0x0C11) { // WM_LANGUAGE_CHANGED
        m_pm.NeedUpdate();
        bHandled = TRUE;
    }
    return 0;
}

// ---------------------------------------------------------------- CSkinFrame

CSkinFrame::CSkinFrame(SkinObserver& subject, std::filesystem::path settingsFile, RECT anchor)
    : subject_(subject), settingsFile_(std::move(settingsFile)), anchor_(anchor)
{
}

std::function<CDuiString(HWND)>& CSkinFrame::ChooseCustomPicture()
{
    static std::function<CDuiString(HWND)> choose = [](HWND owner) {
        return ShowOpenFileDialog(owner, ParseFileFilter(L"(*.png) | *.png |(*.*)|*.*||"), nullptr, L"png");
    };
    return choose;
}

void CSkinFrame::InitWindow()
{
    // Its right edge at the button's right edge, its top at the button's bottom.
    const SIZE size = m_pm.GetInitSize();
    MoveWindow(anchor_.right - size.cx, anchor_.bottom, size.cx, size.cy);
}

void CSkinFrame::Apply(const SkinChangedParam& param)
{
    subject_.Notify(param);
}

void CSkinFrame::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"skin_image_btn") {
        const std::wstring image = msg.pSender->GetUserData().str();
        Apply(SkinChangedParam{false, 0, image});
        if (!WriteSkinImage(settingsFile_, true, image))
            debuglog::Write("main.ini not written");
    } else if (name == L"skin_color_btn") {
        Apply(SkinChangedParam{true, msg.pSender->GetBkColor(), L""});
    } else if (name == L"skin_color" || name == L"skin_image") {
        if (auto* tab = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"skin_tab")))
            tab->SelectItem(name == L"skin_color" ? 1 : 0);
    } else if (name == L"skin_reset") {
        Apply(SkinChangedParam{false, 0, kDefaultBackground});
        if (!WriteSkinImage(settingsFile_, false, kDefaultBackground))
            debuglog::Write("main.ini not written");
    } else if (name == L"skin_Custom") {
        // A cancelled dialog changes nothing.
        pickingPicture_ = true;
        const CDuiString file = ChooseCustomPicture()(GetHWND());
        pickingPicture_ = false;
        if (!file.IsEmpty())
            Apply(SkinChangedParam{false, 0, file.str()});
    }
}

LRESULT CSkinFrame::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    // Losing the focus closes the popup (the custom picture's dialog takes it for a while).
    if (uMsg == orvel::WM_ACTIVATE && wParam == WA_INACTIVE && !pickingPicture_) {
        Close(0);
        bHandled = TRUE;
    }
    return 0;
}

void CSkinFrame::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

// ---------------------------------------------------------------- CMainPage

DUI_BEGIN_MESSAGE_MAP(CMainPage, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CMainPage::OnNothing)
DUI_ON_MSGTYPE(DUI_MSGTYPE_SELECTCHANGED, CMainPage::OnNothing)
DUI_ON_MSGTYPE(DUI_MSGTYPE_ITEMCLICK, CMainPage::OnNothing)
DUI_END_MESSAGE_MAP()

} // namespace orvel::app
