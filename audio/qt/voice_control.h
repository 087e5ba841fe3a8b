#pragma once
// CVoice6533ControlUI: the headset page's sound panel ("Voice6533ControlItem", layout
// Voice6533Control.xml): the twelve equaliser presets and the custom equaliser, the ten band
// sliders, the custom equalisers' names, the microphone and its monitor. Each notification of
// its controls calls one operation of the shared CHeadsetAudioCore; the panel then shows the
// core's view without sending notifications of its own.

#include "audio/eq_presets.h"
#include "audio/qt/audio_panels.h"

#include <array>
#include <memory>

namespace orvel::audio {

class CVoice6533ControlUI : public CAudioPanelUI {
public:
    // For the page builder's tag.
    static DuiLib::CControlUI* Create() { return new CVoice6533ControlUI; }
    ~CVoice6533ControlUI() override;
    DuiLib::LPCTSTR GetClass() const override { return L"Voice6533ControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    // Takes the shared core and looks the panel's controls up (its layout is built by now).
    void Bind(std::shared_ptr<CHeadsetAudioPanels> panels);
    // The core's view, without notifications.
    void Show(const HeadsetAudioView& view);

    // What the user set, as the controls have it.
    int GetBand(int band) const;
    int GetCustomIndex() const;
    DuiLib::CDuiString GetCustomName() const;
    void SetCustomName(DuiLib::LPCTSTR name);

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()

private:
    void OnPreset(DuiLib::TNotifyUI& msg, int eqType);
    void OnBand(DuiLib::TNotifyUI& msg, int band);
    void OnCustomSelect(DuiLib::TNotifyUI& msg);
    void OnCustomSave(DuiLib::TNotifyUI& msg);
    void OnCustomDelete(DuiLib::TNotifyUI& msg);
    void OnMicSwitch(DuiLib::TNotifyUI& msg);
    void OnMicLevel(DuiLib::TNotifyUI& msg);
    void OnMonitorSwitch(DuiLib::TNotifyUI& msg);
    void OnMonitorLevel(DuiLib::TNotifyUI& msg);
    void ShowCustomNames(const std::vector<std::wstring>& names, int selected);

    std::array<DuiLib::COptionUI*, kCustomEqType> presets_{};
    std::array<DuiLib::CSliderUI*, kEqBandCount> bands_{};
    DuiLib::CControlUI* customLayout_ = nullptr;
    DuiLib::CComboUI* customNames_ = nullptr;
    DuiLib::CEditUI* customName_ = nullptr;
    DuiLib::CControlUI* customDelete_ = nullptr;
    DuiLib::CControlUI* micRow_ = nullptr;
    DuiLib::CControlUI* monitorRow_ = nullptr;
    DuiLib::COptionUI* micSwitch_ = nullptr;
    DuiLib::CSliderUI* micLevel_ = nullptr;
    DuiLib::COptionUI* monitorSwitch_ = nullptr;
    DuiLib::CSliderUI* monitorLevel_ = nullptr;
    DuiLib::CControlUI* eqHint_ = nullptr;
    DuiLib::CControlUI* micHint_ = nullptr;
    std::vector<std::wstring> shownNames_;
};

} // namespace orvel::audio
