#pragma once
// The rules of the headset's two audio panels, without any UI: the equaliser (twelve presets,
// the band sliders, up to twenty named custom equalisers), the microphone and its monitor,
// and the voice effects. The panels are thin shells: each control's notification calls one
// operation here and the panel then shows View(); orvelctl calls the same operations on the
// same profile.
//
// What reaches the sound server goes through the audio library; what is stored goes into the
// headset's profile through the headset core ("SystemSetStages" and the equaliser lists).
// A control whose property the library does not offer is shown unavailable and changes
// nothing; the equaliser is the exception: presets and custom equalisers are kept in the
// profile even where the library applies none, and the view says so.

#include "audio/audio_sdk.h"
#include "devices/headset_device.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvel::audio {

// What the two panels show.
struct HeadsetAudioView {
    // "Voice6533ControlItem"
    int eqType = 0;                        // the selected "6533_eq_option_" N (1..13); 0 none
    profiles::EqBands bands{};             // "6533_eq_hz_slider_" 0..9
    bool customEnabled = false;            // "custom_eq_option_layout" (the custom equaliser is chosen)
    std::vector<std::wstring> customNames; // the items of "custom_eq_name_combo"
    int customIndex = -1;                  // its selection; -1 none
    bool equaliserApplied = false;         // the library takes the bands; else they live in the profile only
    bool micOn = false;                    // "6533_MicIn_option" (not muted)
    int micLevel = 0;                      // "6533_MicIn_slider" 0..100
    bool micMuteAvailable = false;
    bool micLevelAvailable = false;
    bool monitorOn = false;                // "6533_MicMoniter_option"
    int monitorLevel = 0;                  // "6533_MicMoniter_slider" 0..100
    bool monitorMuteAvailable = false;
    bool monitorLevelAvailable = false;
    // "MagicControlItem": hidden or disabled unless offered.
    bool voiceEffectsOffered = false;
    bool magicEnabled = false;             // "magic_enable_option"; "magic_option_layout" is enabled with it
    int magicType = 0;                     // the selected "magic_option_" N (1..4); 0 none
};

// The outcome of one panel operation.
struct AudioChange {
    enum class Outcome {
        Done,        // applied (and stored, where the operation stores)
        Ignored,     // nothing to do: an index out of range, no custom equaliser selected
        Unavailable, // the library does not offer the control; nothing changed
        NameTaken,   // a custom equaliser of that name (ignoring case) exists; nothing saved
        ListFull,    // twenty custom equalisers exist; nothing saved
        NotWritten,  // the library refused a write: a microphone or monitor setting keeps its
                     // stored value, any other change is stored all the same
    };
    Outcome outcome = Outcome::Done;
    // Status and the messages to show, in order: "message_text_5" for a name taken, the
    // not-updated message when a write failed, the not-saved message when the profile was not
    // written.
    devices::SequenceResult result;
    bool clearNameEdit = false;            // "custom_eq_name_edit" is emptied
};

class CHeadsetAudioCore {
public:
    CHeadsetAudioCore(devices::CHeadsetCore& headset, CAudioSdk& sdk);

    // After the headset's profile was loaded or switched: the microphone and monitor are read
    // from the sound server, everything else is taken from the profile.
    void Show();
    // The headset page is shown again: the library looks for the devices anew, then Show, so
    // changes made in another mixer show.
    void PageShown();
    const HeadsetAudioView& View() const { return view_; }

    // "6533_eq_option_" N: preset 1..12 or, for 13, the custom equaliser selected in the combo.
    AudioChange SelectPreset(int eqType);
    // "6533_eq_hz_slider_" band (0..9) moved to value: a preset becomes the custom equaliser
    // with none selected; only that band is written, nothing is stored.
    AudioChange ChangeBand(int band, int value);
    // "custom_eq_name_combo" item index selected.
    AudioChange SelectCustom(int index);
    // "hs_EQ_btn_save" with the text of "custom_eq_name_edit": an empty name stores the shown
    // bands into the selected custom equaliser, another adds a custom equaliser of that name.
    AudioChange SaveCustom(std::wstring_view name);
    // "hs_EQ_btn_delete": the selected custom equaliser goes, with its bands; the bands now
    // shown are written.
    AudioChange DeleteCustom();
    // "6533_MicIn_option" (selected = on = not muted) and "6533_MicIn_slider".
    AudioChange SetMicOn(bool on);
    AudioChange SetMicLevel(int level);
    // "6533_MicMoniter_option" and "6533_MicMoniter_slider".
    AudioChange SetMonitorOn(bool on);
    AudioChange SetMonitorLevel(int level);
    // "magic_enable_option" and "magic_option_" N (1..4).
    AudioChange SetVoiceEffect(bool on);
    AudioChange SelectVoice(int voice);

private:
    void ReadFromLibrary();
    void Rebuild();
    // The bands to the library, when it applies them; false when a write failed.
    bool WriteBands(const profiles::EqBands& bands);
    void ShowBands(const std::vector<int>& bands);
    // The settings into the profile, which is saved; the change's save status.
    void Store(AudioChange& change);
    // The working copy of the eight settings changed in memory.
    template <class Change>
    void Edit(Change change);
    using SettingsField = std::int32_t profiles::HeadsetSettings::*;
    AudioChange Switch(bool on, bool available, std::string_view property, SettingsField stored,
                       bool HeadsetAudioView::*shown);
    AudioChange Level(int level, bool available, std::string_view property, const PropertyParameter& channel,
                      SettingsField stored, int HeadsetAudioView::*shown);

    devices::CHeadsetCore& headset_;
    CAudioSdk& sdk_;
    HeadsetAudioView view_;
    bool monitorPresent_ = false;
};

} // namespace orvel::audio
