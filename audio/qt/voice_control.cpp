// Layouts: XML\CustomControlXML\Voice6533Control.xml

#include "audio/qt/voice_control.h"

#include <string>

namespace orvel::audio {

using namespace DuiLib;

namespace {

constexpr int kCustomItemHeight = 30;

void EnableControl(CControlUI* control, bool on)
{
    if (control != nullptr)
        control->SetEnabled(on);
}

void SelectQuietly(COptionUI* option, bool on)
{
    if (option != nullptr && option->IsSelected() != on)
        option->Selected(on, false);
}

void ShowControl(CControlUI* control, bool visible)
{
    if (control != nullptr)
        control->SetVisible(visible);
}

void ShowValue(CSliderUI* slider, int value)
{
    if (slider != nullptr)
        slider->SetValue(value);
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CVoice6533ControlUI, CNotifyPump)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"custom_eq_name_combo", CVoice6533ControlUI::OnCustomSelect)
DUI_ON_CLICK_CTRNAME(L"hs_EQ_btn_save", CVoice6533ControlUI::OnCustomSave)
DUI_ON_CLICK_CTRNAME(L"hs_EQ_btn_delete", CVoice6533ControlUI::OnCustomDelete)
DUI_ON_SELECTCHANGED_CTRNAME(L"6533_MicIn_option", CVoice6533ControlUI::OnMicSwitch)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"6533_MicIn_slider", CVoice6533ControlUI::OnMicLevel)
DUI_ON_SELECTCHANGED_CTRNAME(L"6533_MicMoniter_option", CVoice6533ControlUI::OnMonitorSwitch)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"6533_MicMoniter_slider", CVoice6533ControlUI::OnMonitorLevel)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CVoice6533ControlUI)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"6533_eq_option_", CVoice6533ControlUI::OnPreset)
ORVEL_ON_PREFIX(DUI_MSGTYPE_VALUECHANGED, L"6533_eq_hz_slider_", CVoice6533ControlUI::OnBand)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CVoice6533ControlUI)
ORVEL_END_MESSAGE_ROUTES()

CVoice6533ControlUI::~CVoice6533ControlUI()
{
    if (panels_ && panels_->voice == this)
        panels_->voice = nullptr;
}

LPVOID CVoice6533ControlUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"Voice6533Control")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

void CVoice6533ControlUI::Bind(std::shared_ptr<CHeadsetAudioPanels> panels)
{
    panels_ = std::move(panels);
    panels_->voice = this;
    for (int n = 1; n <= kCustomEqType; ++n)
        presets_[static_cast<std::size_t>(n - 1)] = As<COptionUI>(Child((L"6533_eq_option_" + std::to_wstring(n)).c_str()));
    for (int i = 0; i < kEqBandCount; ++i)
        bands_[static_cast<std::size_t>(i)] = As<CSliderUI>(Child((L"6533_eq_hz_slider_" + std::to_wstring(i)).c_str()));
    customLayout_ = Child(L"custom_eq_option_layout");
    customNames_ = As<CComboUI>(Child(L"custom_eq_name_combo"));
    customName_ = As<CEditUI>(Child(L"custom_eq_name_edit"));
    customDelete_ = Child(L"hs_EQ_btn_delete");
    micRow_ = Child(L"hs_mic_row");
    monitorRow_ = Child(L"hs_monitor_row");
    micSwitch_ = As<COptionUI>(Child(L"6533_MicIn_option"));
    micLevel_ = As<CSliderUI>(Child(L"6533_MicIn_slider"));
    monitorSwitch_ = As<COptionUI>(Child(L"6533_MicMoniter_option"));
    monitorLevel_ = As<CSliderUI>(Child(L"6533_MicMoniter_slider"));
    eqHint_ = Child(L"hs_eq_hint");
    micHint_ = Child(L"hs_mic_hint");
}

void CVoice6533ControlUI::Show(const HeadsetAudioView& view)
{
    for (int n = 1; n <= kCustomEqType; ++n)
        SelectQuietly(presets_[static_cast<std::size_t>(n - 1)], n == view.eqType);
    for (std::size_t i = 0; i < bands_.size(); ++i)
        ShowValue(bands_[i], view.bands[i]);
    EnableControl(customLayout_, view.customEnabled);
    ShowCustomNames(view.customNames, view.customIndex);
    EnableControl(customDelete_, view.customIndex >= 0);
    ShowHint(eqHint_, EqualiserHint(view));

    SelectQuietly(micSwitch_, view.micOn);
    ShowValue(micLevel_, view.micLevel);
    EnableControl(micSwitch_, view.micMuteAvailable);
    EnableControl(micLevel_, view.micLevelAvailable);
    SelectQuietly(monitorSwitch_, view.monitorOn);
    ShowValue(monitorLevel_, view.monitorLevel);
    EnableControl(monitorSwitch_, view.monitorMuteAvailable);
    EnableControl(monitorLevel_, view.monitorLevelAvailable);
    // A row the sound system has nothing for goes; the line under them says why.
    ShowControl(micRow_, view.micMuteAvailable || view.micLevelAvailable);
    ShowControl(monitorRow_, view.monitorMuteAvailable || view.monitorLevelAvailable);
    ShowHint(micHint_, MicrophoneHint(view));
}

void CVoice6533ControlUI::ShowCustomNames(const std::vector<std::wstring>& names, int selected)
{
    if (customNames_ == nullptr)
        return;
    if (names != shownNames_) {
        customNames_->SelectItem(-1, false, false);
        customNames_->RemoveAll();
        for (const std::wstring& name : names) {
            auto* item = new CListLabelElementUI;
            item->SetText(name.c_str());
            item->SetUserData(name.c_str());
            item->SetFixedHeight(kCustomItemHeight);
            customNames_->Add(item);
        }
        shownNames_ = names;
    }
    customNames_->SelectItem(selected, false, false);
}

int CVoice6533ControlUI::GetBand(int band) const
{
    if (band < 0 || band >= kEqBandCount || bands_[static_cast<std::size_t>(band)] == nullptr)
        return -1;
    return bands_[static_cast<std::size_t>(band)]->GetValue();
}

int CVoice6533ControlUI::GetCustomIndex() const
{
    return customNames_ != nullptr ? customNames_->GetCurSel() : -1;
}

CDuiString CVoice6533ControlUI::GetCustomName() const
{
    return customName_ != nullptr ? customName_->GetText() : CDuiString();
}

void CVoice6533ControlUI::SetCustomName(LPCTSTR name)
{
    if (customName_ != nullptr)
        customName_->SetText(name);
}

void CVoice6533ControlUI::OnPreset(TNotifyUI& msg, int eqType)
{
    if (!panels_)
        return;
    // The presets are one choice: the one clicked again stays chosen.
    if (!static_cast<COptionUI*>(msg.pSender)->IsSelected()) {
        panels_->Render();
        return;
    }
    Apply(panels_->Core().SelectPreset(eqType));
}

void CVoice6533ControlUI::OnBand(TNotifyUI&, int band)
{
    if (panels_)
        Apply(panels_->Core().ChangeBand(band, GetBand(band)));
}

void CVoice6533ControlUI::OnCustomSelect(TNotifyUI&)
{
    if (panels_)
        Apply(panels_->Core().SelectCustom(GetCustomIndex()));
}

void CVoice6533ControlUI::OnCustomSave(TNotifyUI&)
{
    if (panels_)
        Apply(panels_->Core().SaveCustom(GetCustomName().str()));
}

void CVoice6533ControlUI::OnCustomDelete(TNotifyUI&)
{
    if (panels_)
        Apply(panels_->Core().DeleteCustom());
}

void CVoice6533ControlUI::OnMicSwitch(TNotifyUI& msg)
{
    if (panels_)
        Apply(panels_->Core().SetMicOn(static_cast<COptionUI*>(msg.pSender)->IsSelected()));
}

void CVoice6533ControlUI::OnMicLevel(TNotifyUI&)
{
    if (panels_ && micLevel_ != nullptr)
        Apply(panels_->Core().SetMicLevel(micLevel_->GetValue()));
}

void CVoice6533ControlUI::OnMonitorSwitch(TNotifyUI& msg)
{
    if (panels_)
        Apply(panels_->Core().SetMonitorOn(static_cast<COptionUI*>(msg.pSender)->IsSelected()));
}

void CVoice6533ControlUI::OnMonitorLevel(TNotifyUI&)
{
    if (panels_ && monitorLevel_ != nullptr)
        Apply(panels_->Core().SetMonitorLevel(monitorLevel_->GetValue()));
}

} // namespace orvel::audio
