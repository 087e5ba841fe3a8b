#pragma once
// CMagicControlUI: the headset page's voice-effect panel ("MagicControlItem", layout
// MagicControl.xml): the effect switch and its four voices. Where the audio library offers no
// voice effects the panel says so and its controls stay disabled, never shown as working.

#include "audio/qt/audio_panels.h"

#include <array>
#include <memory>

namespace orvel::audio {

class CMagicControlUI : public CAudioPanelUI {
public:
    static constexpr int kVoiceCount = 4;

    // For the page builder's tag.
    static DuiLib::CControlUI* Create() { return new CMagicControlUI; }
    ~CMagicControlUI() override;
    DuiLib::LPCTSTR GetClass() const override { return L"MagicControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void Bind(std::shared_ptr<CHeadsetAudioPanels> panels);
    void Show(const HeadsetAudioView& view);

    bool IsMagicEnabled() const;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()

private:
    void OnEffectSwitch(DuiLib::TNotifyUI& msg);
    void OnVoice(DuiLib::TNotifyUI& msg, int voice);

    DuiLib::COptionUI* effectSwitch_ = nullptr;
    DuiLib::CControlUI* voiceLayout_ = nullptr;
    std::array<DuiLib::COptionUI*, kVoiceCount> voices_{};
    DuiLib::CControlUI* unavailable_ = nullptr;
};

} // namespace orvel::audio
