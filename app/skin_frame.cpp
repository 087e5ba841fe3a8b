// Layouts: skin.xml

#include "app/skin_frame.h"

#include "platform/debuglog.h"

namespace orvel::app {

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CSkinFrame, CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"skin_image_btn", CSkinFrame::OnImage)
DUI_ON_CLICK_CTRNAME(L"skin_color_btn", CSkinFrame::OnColour)
DUI_ON_CLICK_CTRNAME(L"skin_color", CSkinFrame::OnPage)
DUI_ON_CLICK_CTRNAME(L"skin_image", CSkinFrame::OnPage)
DUI_ON_CLICK_CTRNAME(L"skin_reset", CSkinFrame::OnReset)
DUI_ON_CLICK_CTRNAME(L"skin_Custom", CSkinFrame::OnCustom)
DUI_END_MESSAGE_MAP()

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
    const SIZE size = m_pm.GetInitSize();
    MoveWindow(anchor_.right - size.cx, anchor_.bottom, size.cx, size.cy);
}

void CSkinFrame::OnImage(TNotifyUI& msg)
{
    const std::wstring image = msg.pSender->GetUserData().str();
    subject_.Notify(SkinChangedParam{false, 0, image});
    if (!WriteSkinImage(settingsFile_, true, image))
        debuglog::Write("main.ini not written");
}

void CSkinFrame::OnColour(TNotifyUI& msg)
{
    subject_.Notify(SkinChangedParam{true, msg.pSender->GetBkColor(), L""});
}

void CSkinFrame::OnPage(TNotifyUI& msg)
{
    if (auto* tab = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"skin_tab")))
        tab->SelectItem(msg.pSender->GetName() == L"skin_color" ? 1 : 0);
}

void CSkinFrame::OnReset(TNotifyUI&)
{
    subject_.Notify(SkinChangedParam{false, 0, kDefaultBackground});
    if (!WriteSkinImage(settingsFile_, false, kDefaultBackground))
        debuglog::Write("main.ini not written");
}

void CSkinFrame::OnCustom(TNotifyUI&)
{
    pickingPicture_ = true;
    const CDuiString file = ChooseCustomPicture()(GetHWND());
    pickingPicture_ = false;
    // A cancelled dialog changes nothing.
    if (!file.IsEmpty())
        subject_.Notify(SkinChangedParam{false, 0, file.str()});
}

LRESULT CSkinFrame::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    // Losing the focus closes the popup (but not while its own file dialog has it).
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

} // namespace orvel::app
