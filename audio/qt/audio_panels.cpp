// Layouts: XML\DeviceXml\hs6533device.xml

#include "audio/qt/audio_panels.h"

#include "audio/qt/magic_control.h"
#include "audio/qt/voice_control.h"
#include "devices/qt/user_messages.h"

namespace orvel::audio {
namespace {

using namespace DuiLib;

std::unique_ptr<CAudioSdk>& ProcessSdk()
{
    static std::unique_ptr<CAudioSdk> sdk;
    return sdk;
}

constexpr UINT kShownTimer = 1;

} // namespace

void CAudioPanelUI::SetVisible(bool visible)
{
    const bool was = IsVisible();
    CHorizontalLayoutUI::SetVisible(visible);
    ComingIntoView(was);
}

void CAudioPanelUI::SetInternVisible(bool visible)
{
    const bool was = IsVisible();
    CHorizontalLayoutUI::SetInternVisible(visible);
    ComingIntoView(was);
}

void CAudioPanelUI::ComingIntoView(bool wasVisible)
{
    if (panels_ && !wasVisible && IsVisible())
        SetTimer(kShownTimer, 1);
}

void CAudioPanelUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_TIMER && event.wParam == kShownTimer) {
        KillTimer(kShownTimer);
        if (panels_ && IsVisible())
            panels_->PageShown();
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

CControlUI* CAudioPanelUI::Child(const wchar_t* name) const
{
    return m_pManager != nullptr ? m_pManager->FindSubControlByName(const_cast<CAudioPanelUI*>(this), name) : nullptr;
}

void CAudioPanelUI::Apply(const AudioChange& change)
{
    panels_->Apply(change, m_pManager != nullptr ? m_pManager->GetPaintWindow() : nullptr);
}

CHeadsetAudioPanels::CHeadsetAudioPanels(devices::CHeadsetCore& headset, CAudioSdk& sdk) : core_(headset, sdk)
{
}

void CHeadsetAudioPanels::Show()
{
    core_.Show();
    Render();
}

void CHeadsetAudioPanels::PageShown()
{
    core_.PageShown();
    Render();
}

void CHeadsetAudioPanels::Apply(const AudioChange& change, HWND owner)
{
    if (change.clearNameEdit && voice != nullptr)
        voice->SetCustomName(L"");
    for (const devices::UserMessage& message : change.result.messages)
        pages::ShowMessage(owner, message.key);
    Render();
}

void CHeadsetAudioPanels::Render()
{
    if (voice != nullptr)
        voice->Show(core_.View());
    if (magic != nullptr)
        magic->Show(core_.View());
    ShowHint(surround, SurroundText(core_.View()));
}

void ShowHint(CControlUI* line, const char* key)
{
    if (line == nullptr)
        return;
    line->SetVisible(key != nullptr);
    if (key != nullptr)
        line->SetText(CDuiString::FromUtf8(key));
}

CAudioSdk& ProcessAudioSdk()
{
    if (!ProcessSdk())
        ProcessSdk() = std::make_unique<CAudioSdk>();
    return *ProcessSdk();
}

void StopProcessAudioSdk()
{
    ProcessSdk().reset();
}

std::vector<pages::CRoutedPump*> BindHeadsetAudio(CControlUI* page, devices::CHeadsetCore& headset, CAudioSdk& sdk)
{
    CPaintManagerUI* pm = page != nullptr ? page->GetManager() : nullptr;
    if (pm == nullptr)
        return {};
    CControlUI* voice = pm->FindSubControlByName(page, L"Voice6533ControlItem");
    CControlUI* magic = pm->FindSubControlByName(page, L"MagicControlItem");
    auto* voicePanel = voice != nullptr ? static_cast<CVoice6533ControlUI*>(voice->GetInterface(L"Voice6533Control"))
                                        : nullptr;
    auto* magicPanel = magic != nullptr ? static_cast<CMagicControlUI*>(magic->GetInterface(L"MagicControl")) : nullptr;
    if (voicePanel == nullptr)
        return {};
    sdk.Start();
    auto panels = std::make_shared<CHeadsetAudioPanels>(headset, sdk);
    panels->surround = pm->FindSubControlByName(page, L"surround_state_text");
    voicePanel->Bind(panels);
    std::vector<pages::CRoutedPump*> bound{voicePanel};
    if (magicPanel != nullptr) {
        magicPanel->Bind(panels);
        bound.push_back(magicPanel);
    }
    // Held weakly: once both panels are gone a profile load shows nothing.
    headset.onAudioLoaded = [weak = std::weak_ptr<CHeadsetAudioPanels>(panels)] {
        if (auto shown = weak.lock())
            shown->Show();
    };
    panels->Show();
    return bound;
}

} // namespace orvel::audio
