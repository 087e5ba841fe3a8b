// Layouts: music.xml

#include "lighting/qt/music_wnd.h"

#include "devices/qt/routed_pump.h"
#include "lighting/audio_record_protocol.h"
#include "lighting/qt/dialog_window.h"
#include "platform/text.h"

namespace orvel::lighting {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kTabPrefix = L"audio_select_tab";
constexpr const wchar_t* kNamePrefix = L"audio_edit_name";

} // namespace

DUI_BEGIN_MESSAGE_MAP(MusicWnd, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_WINDOWINIT, MusicWnd::OnWindowInit)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_select_tab1", MusicWnd::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_select_tab2", MusicWnd::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_select_tab3", MusicWnd::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_select_tab4", MusicWnd::OnTab)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"audio_r_slider", MusicWnd::OnSlider)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"audio_g_slider", MusicWnd::OnSlider)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"audio_b_slider", MusicWnd::OnSlider)
DUI_ON_KILLFOCUS_CTRNAME(L"audio_edit_name1", MusicWnd::OnNameLeft)
DUI_ON_KILLFOCUS_CTRNAME(L"audio_edit_name2", MusicWnd::OnNameLeft)
DUI_ON_KILLFOCUS_CTRNAME(L"audio_edit_name3", MusicWnd::OnNameLeft)
DUI_ON_KILLFOCUS_CTRNAME(L"audio_edit_name4", MusicWnd::OnNameLeft)
DUI_ON_CLICK_CTRNAME(L"okbtn", MusicWnd::OnOk)
DUI_ON_CLICK_CTRNAME(L"closebtn", MusicWnd::OnCancel)
DUI_END_MESSAGE_MAP()

MusicWnd::MusicWnd(const AudioStyleSettings& settings, int dpi) : settings_(settings), dpi_(DialogDpi(dpi)) {}

void MusicWnd::InitWindow()
{
    m_pm.SetDPI(dpi_);
    tabs_ = {static_cast<COptionUI*>(m_pm.FindControl(L"audio_select_tab1")),
             static_cast<COptionUI*>(m_pm.FindControl(L"audio_select_tab2")),
             static_cast<COptionUI*>(m_pm.FindControl(L"audio_select_tab3")),
             static_cast<COptionUI*>(m_pm.FindControl(L"audio_select_tab4"))};
    sliders_ = {static_cast<CSliderUI*>(m_pm.FindControl(L"audio_r_slider")),
                static_cast<CSliderUI*>(m_pm.FindControl(L"audio_g_slider")),
                static_cast<CSliderUI*>(m_pm.FindControl(L"audio_b_slider"))};
    names_ = {m_pm.FindControl(L"audio_edit_name1"), m_pm.FindControl(L"audio_edit_name2"),
              m_pm.FindControl(L"audio_edit_name3"), m_pm.FindControl(L"audio_edit_name4")};
}

void MusicWnd::Notify(TNotifyUI& msg)
{
    LoopDispatch(msg);
}

void MusicWnd::OnWindowInit(TNotifyUI&)
{
    for (CSliderUI* slider : sliders_) {
        if (slider == nullptr) continue;
        slider->SetMinValue(0);
        slider->SetMaxValue(kLevelTop);
    }
    if (COptionUI* tab = tabs_[settings_.style % kAudioStyles]) tab->Selected(true, false);
    ShowLevels();
    for (int n = 0; n < kAudioStyles; ++n) {
        if (names_[n] != nullptr) names_[n]->SetText(text::FromUtf8(settings_.names[n]).c_str());
    }
}

void MusicWnd::ShowLevels()
{
    for (int c = 0; c < 3; ++c) {
        if (sliders_[c] != nullptr) sliders_[c]->SetValue(settings_.levels[settings_.style % kAudioStyles][c]);
    }
}

void MusicWnd::OnTab(TNotifyUI& msg)
{
    if (!static_cast<COptionUI*>(msg.pSender)->IsSelected()) return;
    const int n = pages::NumberAfterPrefix(msg.pSender->GetName().str(), kTabPrefix);
    if (n < 1 || n > kAudioStyles) return;
    settings_.style = std::uint8_t(n - 1);
    ShowLevels();
}

void MusicWnd::OnSlider(TNotifyUI& msg)
{
    for (int c = 0; c < 3; ++c) {
        if (msg.pSender == sliders_[c]) settings_.SetLevel(c, sliders_[c]->GetValue());
    }
}

void MusicWnd::OnNameLeft(TNotifyUI& msg)
{
    const int n = pages::NumberAfterPrefix(msg.pSender->GetName().str(), kNamePrefix);
    if (n < 1 || n > kAudioStyles) return;
    const std::string& stands = settings_.SetName(n - 1, msg.pSender->GetText().ToUtf8());
    msg.pSender->SetText(text::FromUtf8(stands).c_str());
}

LRESULT MusicWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = DialogSysCommand(*this, m_pm, wParam) ? TRUE : FALSE;
    return 0;
}

LRESULT MusicWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (uMsg != WM_DPICHANGED) {
        bHandled = FALSE;
        return 0;
    }
    DialogDpiChanged(*this, m_pm, wParam, lParam);
    return 0;
}

} // namespace orvel::lighting
