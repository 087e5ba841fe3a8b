#pragma once
// The headset page's two audio panels over one CHeadsetAudioCore. A notification of either
// panel's controls calls one core operation; its messages are shown in the program's message
// box and both panels then show the core's view. The panels show the profile when the page
// binds them and whenever the headset takes another profile, and ask the sound server anew
// each time one of them comes into view, so changes made in another mixer show.

#include "audio/headset_audio.h"
#include "devices/qt/routed_pump.h"
#include "ui/UIlib.h"

#include <memory>
#include <vector>

namespace orvel::audio {

class CVoice6533ControlUI;
class CMagicControlUI;
class CHeadsetAudioPanels;

// What both panels do alike: they share one CHeadsetAudioPanels, show an operation's outcome,
// and ask the sound server anew when they come into view (once the layout has settled).
class CAudioPanelUI : public DuiLib::CHorizontalLayoutUI, public pages::CRoutedPump {
public:
    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;
    void DoEvent(DuiLib::TEventUI& event) override;

protected:
    // The operation's messages, then the view in both panels.
    void Apply(const AudioChange& change);
    // A control of the panel's layout by name, and as the class it must be (null when missing
    // or of another class).
    DuiLib::CControlUI* Child(const wchar_t* name) const;
    template <class T>
    static T* As(DuiLib::CControlUI* control)
    {
        return dynamic_cast<T*>(control);
    }

    std::shared_ptr<CHeadsetAudioPanels> panels_;

private:
    void ComingIntoView(bool wasVisible);
};

// A line of a panel that says what the sound system lacks: shown with the key's text, or hidden
// for null.
void ShowHint(DuiLib::CControlUI* line, const char* key);

class CHeadsetAudioPanels {
public:
    CHeadsetAudioPanels(devices::CHeadsetCore& headset, CAudioSdk& sdk);

    CHeadsetAudioCore& Core() { return core_; }
    // The profile, and what the sound server says of the microphone and the monitor.
    void Show();
    // A panel came into view: the library looks for the devices anew, then Show.
    void PageShown();
    // An operation's messages over owner, one after the other; then both panels show the view.
    void Apply(const AudioChange& change, HWND owner);
    void Render();

    // What shows the view: the panels (each clears itself when it goes) and the 7.1 page's
    // line, which goes with the page after them.
    CVoice6533ControlUI* voice = nullptr;
    CMagicControlUI* magic = nullptr;
    DuiLib::CControlUI* surround = nullptr;

private:
    CHeadsetAudioCore core_;
};

// The process's audio library: started at the first headset page's binding, stopped by
// StopProcessAudioSdk once the main window is gone (or at exit).
CAudioSdk& ProcessAudioSdk();
void StopProcessAudioSdk();

// Binds the panels of the headset page (the controls "Voice6533ControlItem" and
// "MagicControlItem" below page, and the 7.1 page's state line) to the headset and the library
// (started here when it was not), and shows the profile. The panels to add to the page; none
// when the page has no sound panel.
std::vector<pages::CRoutedPump*> BindHeadsetAudio(DuiLib::CControlUI* page, devices::CHeadsetCore& headset,
                                                   CAudioSdk& sdk);

} // namespace orvel::audio
