// Layouts: PalletDialog.xml

#include "lighting/qt/colour_select_wnd.h"

#include "app/app_messages.h"
#include "lighting/qt/dialog_window.h"
#include "platform/text.h"

#include <string>

namespace orvel::lighting {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kSevenColourImage = L"common/base1.png";

CColorSelectWnd* g_open = nullptr;

std::wstring Numbered(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }

} // namespace

std::optional<PickedColour> PickColour(HWND owner, uint32_t colour, const PickOptions& options)
{
    if (g_open != nullptr) return std::nullopt;
    CColorSelectWnd dialog;
    if (dialog.Create(owner, L"PalletDialog", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, CColorSelectWnd::kWidth,
                      CColorSelectWnd::kHeight) == nullptr)
        return std::nullopt;
    dialog.SetDpi(options.dpi);
    dialog.SetColour(colour);
    dialog.SetSevenColour(options.offerSevenColour && options.sevenColour);
    dialog.ShowSevenColour(options.offerSevenColour);
    dialog.CenterWindow();
    g_open = &dialog;
    const UINT result = dialog.ShowModal();
    g_open = nullptr;
    if (result != 1) return std::nullopt;
    return PickedColour{dialog.GetColour(), dialog.GetSevenColour()};
}

bool ColourPickerOpen()
{
    return g_open != nullptr;
}

void CloseColourPicker()
{
    if (g_open != nullptr) g_open->Close(0);
}

DUI_BEGIN_MESSAGE_MAP(CColorSelectWnd, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_WINDOWINIT, CColorSelectWnd::OnWindowInit)
DUI_ON_CLICK_CTRNAME(L"closebtn", CColorSelectWnd::OnCancel)
DUI_ON_CLICK_CTRNAME(L"laterbtn", CColorSelectWnd::OnCancel)
DUI_ON_CLICK_CTRNAME(L"okbtn", CColorSelectWnd::OnOk)
DUI_ON_CLICK_CTRNAME(L"minbtn", CColorSelectWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"maxbtn", CColorSelectWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"restorebtn", CColorSelectWnd::OnSystemButton)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_CHECKCLICK, L"7color", CColorSelectWnd::OnSevenColour)
DUI_ON_KILLFOCUS_CTRNAME(L"color_edit_r", CColorSelectWnd::OnEditLeft)
DUI_ON_KILLFOCUS_CTRNAME(L"color_edit_g", CColorSelectWnd::OnEditLeft)
DUI_ON_KILLFOCUS_CTRNAME(L"color_edit_b", CColorSelectWnd::OnEditLeft)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_COLORCHANGED, L"Pallet", CColorSelectWnd::OnPalette)
DUI_ON_MSGTYPE(DUI_MSGTYPE_SELECTCHANGED, CColorSelectWnd::OnSwatch)
DUI_END_MESSAGE_MAP()

CColorSelectWnd::CColorSelectWnd() = default;
CColorSelectWnd::~CColorSelectWnd() = default;

void CColorSelectWnd::InitWindow()
{
    palette_ = static_cast<CColorPaletteUI*>(m_pm.FindControl(L"Pallet"));
    preview_ = m_pm.FindControl(L"color_show_btn");
    edits_ = {m_pm.FindControl(L"color_edit_r"), m_pm.FindControl(L"color_edit_g"), m_pm.FindControl(L"color_edit_b")};
    seven_ = static_cast<CCheckBoxUI*>(m_pm.FindControl(L"7color"));
    sevenLayout_ = m_pm.FindControl(L"7color_layout");
    ColourPicker::Presets presets;
    ColourPicker::Collected collected;
    for (int i = 0; i < kPickerSwatches; ++i) {
        if (CControlUI* preset = m_pm.FindControl(Numbered(L"color_option_", i).c_str())) presets[i] = preset->GetBkColor();
        collected_[i] = static_cast<COptionUI*>(m_pm.FindControl(Numbered(L"collect_color_option_", i).c_str()));
        if (COptionUI* swatch = collected_[i]) {
            collected[i] = CollectedSwatch{swatch->GetBkColor(), swatch->GetUserData().ToUtf8(), swatch->GetBorderSize() == 0};
            emptyLook_[i] = swatch->GetBkColor();
        }
    }
    picker_ = std::make_unique<ColourPicker>(ColourPicker::Standard(presets, collected));
}

void CColorSelectWnd::SetDpi(int dpi)
{
    dpi_ = DialogDpi(dpi);
    m_pm.SetDPI(dpi_);
}

void CColorSelectWnd::SetColour(uint32_t colour)
{
    picker_->SetColour(colour);
    Show();
}

void CColorSelectWnd::SetSevenColour(bool on)
{
    picker_->SetSevenColour(on);
    Show();
}

void CColorSelectWnd::ShowSevenColour(bool show)
{
    if (seven_ != nullptr) {
        seven_->SetEnabled(show);
        if (!show) seven_->SetCheck(false, false);
    }
    if (sevenLayout_ != nullptr) sevenLayout_->SetVisible(show);
}

uint32_t CColorSelectWnd::GetColour() const
{
    return picker_->GetColour();
}

bool CColorSelectWnd::GetSevenColour() const
{
    return picker_->GetSevenColour();
}

void CColorSelectWnd::Notify(TNotifyUI& msg)
{
    LoopDispatch(msg);
}

void CColorSelectWnd::OnWindowInit(TNotifyUI&)
{
    picker_->Start();
    Show();
}

void CColorSelectWnd::OnOk(TNotifyUI&)
{
    // Without its palette the dialog cannot have shown a colour to confirm.
    Close(palette_ != nullptr ? 1 : 2);
}

void CColorSelectWnd::OnSystemButton(TNotifyUI& msg)
{
    const CDuiString name = msg.pSender->GetName();
    SendMessage(WM_SYSCOMMAND, name == L"minbtn" ? SC_MINIMIZE : name == L"maxbtn" ? SC_MAXIMIZE : SC_RESTORE, 0);
}

void CColorSelectWnd::OnSwatch(TNotifyUI& msg)
{
    const auto swatch = ParseSwatchName(msg.pSender->GetName().str());
    // A swatch its group deselected notifies too; only the one chosen counts.
    if (!swatch || !static_cast<COptionUI*>(msg.pSender)->IsSelected()) return;
    if (swatch->kind == SwatchName::Preset) {
        picker_->OnPresetSelected(swatch->number);
    } else {
        picker_->OnCollectedSelected(swatch->number);
    }
    Show();
}

void CColorSelectWnd::OnSevenColour(TNotifyUI&)
{
    picker_->OnSevenColourClicked(seven_ != nullptr && seven_->GetCheck());
    Show();
}

void CColorSelectWnd::OnEditLeft(TNotifyUI&)
{
    auto text = [this](int i) { return edits_[i] != nullptr ? edits_[i]->GetText().str() : std::wstring(); };
    picker_->OnEditsLeft(text(0), text(1), text(2));
    Show();
}

void CColorSelectWnd::OnPalette(TNotifyUI&)
{
    if (palette_ != nullptr) picker_->OnPaletteChanged(palette_->GetSelectColor());
    Show();
}

void CColorSelectWnd::Show()
{
    const ColourPicker::View& view = picker_->GetView();
    if (preview_ != nullptr) {
        preview_->SetBkColor(view.preview);
        preview_->SetBkImage(view.previewImage ? kSevenColourImage : L"");
    }
    if (palette_ != nullptr) palette_->SetSelectColor(view.palette);
    for (int i = 0; i < 3; ++i) {
        if (edits_[i] != nullptr) edits_[i]->SetText(view.edits[i].c_str());
    }
    if (seven_ != nullptr) seven_->SetCheck(view.sevenColour, false);
    for (int i = 0; i < kPickerSwatches; ++i) {
        COptionUI* swatch = collected_[i];
        if (swatch == nullptr || !view.collected[i]) continue;
        const CollectedSwatch& shown = *view.collected[i];
        const uint32_t colour = shown.Filled() ? shown.colour : emptyLook_[i];
        swatch->SetBkColor(colour);
        swatch->SetSelectedBkColor(colour);
        swatch->SetUserData(text::FromUtf8(shown.userData).c_str());
        if (shown.borderless) swatch->SetBorderSize(0);
    }
}

LRESULT CColorSelectWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = DialogSysCommand(*this, m_pm, wParam) ? TRUE : FALSE;
    return 0;
}

LRESULT CColorSelectWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (uMsg == WM_DPICHANGED) {
        DialogDpiChanged(*this, m_pm, wParam, lParam);
        return 0;
    }
    if (uMsg == app::WM_LANGUAGE_CHANGED) {
        m_pm.NeedUpdate();
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

} // namespace orvel::lighting
