// Layouts: XML\CustomControlXML\MagicControl.xml

#include "audio/qt/magic_control.h"

#include <string>

namespace orvel::audio {

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CMagicControlUI, CNotifyPump)
DUI_ON_SELECTCHANGED_CTRNAME(L"magic_enable_option", CMagicControlUI::OnEffectSwitch)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CMagicControlUI)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"magic_option_", CMagicControlUI::OnVoice)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CMagicControlUI)
ORVEL_END_MESSAGE_ROUTES()

CMagicControlUI::~CMagicControlUI()
{
    if (panels_ && panels_->magic == this)
        panels_->magic = nullptr;
}

LPVOID CMagicControlUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"MagicControl")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

void CMagicControlUI::Bind(std::shared_ptr<CHeadsetAudioPanels> panels)
{
    panels_ = std::move(panels);
    panels_->magic = this;
    effectSwitch_ = As<COptionUI>(Child(L"magic_enable_option"));
    voiceLayout_ = Child(L"magic_option_layout");
    for (int n = 1; n <= kVoiceCount; ++n)
        voices_[static_cast<std::size_t>(n - 1)] = As<COptionUI>(Child((L"magic_option_" + std::to_wstring(n)).c_str()));
    unavailable_ = Child(L"magic_unavailable_hint");
}

void CMagicControlUI::Show(const HeadsetAudioView& view)
{
    // Without the library's voice effects nothing shows as switched on.
    const bool offered = view.voiceEffectsOffered;
    const bool on = offered && view.magicEnabled;
    if (effectSwitch_ != nullptr) {
        if (effectSwitch_->IsSelected() != on)
            effectSwitch_->Selected(on, false);
        effectSwitch_->SetEnabled(offered);
    }
    if (voiceLayout_ != nullptr)
        voiceLayout_->SetEnabled(on);
    for (int n = 1; n <= kVoiceCount; ++n) {
        COptionUI* voice = voices_[static_cast<std::size_t>(n - 1)];
        const bool chosen = offered && n == view.magicType;
        if (voice != nullptr && voice->IsSelected() != chosen)
            voice->Selected(chosen, false);
    }
    ShowHint(unavailable_, VoiceEffectHint(view));
}

bool CMagicControlUI::IsMagicEnabled() const
{
    return effectSwitch_ != nullptr && effectSwitch_->IsSelected();
}

void CMagicControlUI::OnEffectSwitch(TNotifyUI&)
{
    if (panels_)
        Apply(panels_->Core().SetVoiceEffect(IsMagicEnabled()));
}

void CMagicControlUI::OnVoice(TNotifyUI& msg, int voice)
{
    if (!panels_)
        return;
    // The voices are one choice: the one clicked again stays chosen.
    if (!static_cast<COptionUI*>(msg.pSender)->IsSelected()) {
        panels_->Render();
        return;
    }
    Apply(panels_->Core().SelectVoice(voice));
}

} // namespace orvel::audio
