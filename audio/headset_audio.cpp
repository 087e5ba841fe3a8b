#include "audio/headset_audio.h"

#include "audio/eq_presets.h"
#include "audio/property_text.h"
#include "platform/text.h"
#include "profiles/profilelist.h"

#include <algorithm>

namespace orvel::audio {

namespace {

using Outcome = AudioChange::Outcome;

constexpr const char* kNameTakenMessage = "message_text_5";
// The status an operation carries when the library refused a write.
constexpr int kNotWritten = 0;

AudioChange With(Outcome outcome)
{
    AudioChange change;
    change.outcome = outcome;
    return change;
}

void TakeWrite(AudioChange& change, bool written)
{
    if (!written) {
        change.result.Take(kNotWritten);
        change.outcome = Outcome::NotWritten;
    }
}

std::wstring_view Trimmed(std::wstring_view text)
{
    const auto space = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == 0x3000; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

profiles::EqBands BandsOf(const std::vector<int>& list)
{
    profiles::EqBands bands{};
    std::copy_n(list.begin(), std::min(list.size(), bands.size()), bands.begin());
    return bands;
}

} // namespace

CHeadsetAudioCore::CHeadsetAudioCore(devices::CHeadsetCore& headset, CAudioSdk& sdk) : headset_(headset), sdk_(sdk)
{
}

template <class Change>
void CHeadsetAudioCore::Edit(Change change)
{
    profiles::HeadsetSettings settings = headset_.AudioSettings();
    change(settings);
    headset_.SetAudioSettings(settings);
}

void CHeadsetAudioCore::Show()
{
    ReadFromLibrary();
    Rebuild();
}

void CHeadsetAudioCore::PageShown()
{
    sdk_.Refresh();
    Show();
}

void CHeadsetAudioCore::ReadFromLibrary()
{
    const auto recording = AudioFlow::Recording;
    const auto readSwitch = [&](std::string_view property, std::int32_t& on) {
        if (!sdk_.Available(property))
            return;
        if (const std::optional<std::int32_t> muted = sdk_.ReadInt(recording, property))
            on = *muted == 0 ? 1 : 0;
    };
    const auto readLevel = [&](std::string_view property, const PropertyParameter& channel, std::int32_t& level) {
        if (!sdk_.Available(property))
            return;
        if (const std::optional<double> scalar = sdk_.ReadFraction(recording, property, &channel))
            level = LevelFromScalar(*scalar);
    };
    Edit([&](profiles::HeadsetSettings& s) {
        readSwitch(prop::kMute, s.micInSelect);
        readLevel(prop::kVolumeScalar, kMicrophoneParameter, s.micInValue);
        monitorPresent_ = sdk_.ReadFraction(recording, prop::kMonitorMaxVol).has_value();
        if (monitorPresent_) {
            readSwitch(prop::kMonitorMute, s.micMoniterSelect);
            readLevel(prop::kMonitorVolumeScalar, kMonitorParameter, s.micMoniterValue);
        }
        if (sdk_.VoiceEffectOffered()) {
            if (const std::optional<std::int32_t> on = sdk_.ReadInt(recording, prop::kMagicVoice))
                s.magicEnable = *on;
            const std::optional<std::int32_t> voice = sdk_.ReadInt(recording, prop::kMagicVoiceSelection);
            if (voice && *voice >= 0 && *voice <= 3)
                s.magicType = *voice + 1;
        }
    });
}

void CHeadsetAudioCore::Rebuild()
{
    const profiles::HeadsetSettings& s = headset_.AudioSettings();
    view_.eqType = s.eqType >= 1 && s.eqType <= kCustomEqType ? s.eqType : 0;
    view_.customEnabled = s.eqType == kCustomEqType;
    view_.customNames = headset_.CustomEqNames();
    const bool selectable = s.customEqSeletIndex >= 0 &&
                            static_cast<std::size_t>(s.customEqSeletIndex) < view_.customNames.size();
    view_.customIndex = selectable ? s.customEqSeletIndex : -1;
    view_.bands = BandsOf(headset_.EqBands());
    view_.equaliserApplied = sdk_.Available(prop::kEqualiser);

    view_.micOn = s.micInSelect != 0;
    view_.micLevel = std::clamp(s.micInValue, 0, 100);
    view_.micMuteAvailable = sdk_.Available(prop::kMute);
    view_.micLevelAvailable = sdk_.Available(prop::kVolumeScalar);
    view_.monitorOn = s.micMoniterSelect != 0;
    view_.monitorLevel = std::clamp(s.micMoniterValue, 0, 100);
    view_.monitorMuteAvailable = monitorPresent_ && sdk_.Available(prop::kMonitorMute);
    view_.monitorLevelAvailable = monitorPresent_ && sdk_.Available(prop::kMonitorVolumeScalar);

    view_.voiceEffectsOffered = sdk_.VoiceEffectOffered() && sdk_.Available(prop::kMagicVoice);
    view_.magicEnabled = s.magicEnable != 0;
    view_.magicType = s.magicType >= 1 && s.magicType <= 4 ? s.magicType : 0;
}

bool CHeadsetAudioCore::WriteBands(const profiles::EqBands& bands)
{
    if (!view_.equaliserApplied)
        return true;
    bool written = sdk_.WriteInt(AudioFlow::Playback, prop::kEqualiser, 1);
    for (std::size_t i = 0; i < bands.size(); ++i)
        written = sdk_.WriteInt(AudioFlow::Playback, kEqSliderNames[i], bands[i]) && written;
    return written;
}

void CHeadsetAudioCore::ShowBands(const std::vector<int>& bands)
{
    view_.bands = BandsOf(bands);
    headset_.SetEqBands(view_.bands);
}

void CHeadsetAudioCore::Store(AudioChange& change)
{
    change.result.TakeSave(headset_.SaveAudioSettings(headset_.AudioSettings()));
}

AudioChange CHeadsetAudioCore::SelectPreset(int eqType)
{
    if (eqType == kCustomEqType) {
        Edit([](profiles::HeadsetSettings& s) { s.eqType = kCustomEqType; });
        view_.eqType = kCustomEqType;
        view_.customEnabled = true;
        if (view_.customIndex >= 0)
            return SelectCustom(view_.customIndex);
        AudioChange change;
        change.result.TakeSave(headset_.SaveProfile());
        return change;
    }
    const profiles::EqBands* preset = PresetBands(eqType);
    if (preset == nullptr)
        return With(Outcome::Ignored);
    AudioChange change;
    const bool written = WriteBands(*preset);
    ShowBands({preset->begin(), preset->end()});
    Edit([&](profiles::HeadsetSettings& s) { s.eqType = eqType; });
    view_.eqType = eqType;
    view_.customEnabled = false;
    headset_.HeadsetProfile().SetEqPreset(eqType, *preset);
    TakeWrite(change, written);
    Store(change);
    return change;
}

AudioChange CHeadsetAudioCore::ChangeBand(int band, int value)
{
    if (band < 0 || band >= kEqBandCount)
        return With(Outcome::Ignored);
    value = std::clamp(value, kLowestBand, kHighestBand);
    if (headset_.AudioSettings().eqType != kCustomEqType) {
        Edit([](profiles::HeadsetSettings& s) { s.eqType = kCustomEqType; });
        view_.eqType = kCustomEqType;
        view_.customIndex = -1;
        view_.customEnabled = true;
    }
    view_.bands[static_cast<std::size_t>(band)] = value;
    AudioChange change;
    if (view_.equaliserApplied)
        TakeWrite(change, sdk_.WriteInt(AudioFlow::Playback, kEqSliderNames[static_cast<std::size_t>(band)], value));
    return change;
}

AudioChange CHeadsetAudioCore::SelectCustom(int index)
{
    if (!view_.customEnabled || index < 0 || static_cast<std::size_t>(index) >= view_.customNames.size())
        return With(Outcome::Ignored);
    AudioChange change;
    ShowBands(headset_.HeadsetProfile().GetCustomEq(index));
    const bool written = WriteBands(view_.bands);
    Edit([&](profiles::HeadsetSettings& s) { s.customEqSeletIndex = index; });
    view_.customIndex = index;
    TakeWrite(change, written);
    Store(change);
    return change;
}

AudioChange CHeadsetAudioCore::SaveCustom(std::wstring_view typed)
{
    if (!view_.customEnabled)
        return With(Outcome::Ignored);
    const std::wstring name(Trimmed(typed));
    profiles::CHs6533Profiledata& profile = headset_.HeadsetProfile();
    AudioChange change;
    if (name.empty()) {
        if (view_.customIndex < 0)
            return With(Outcome::Ignored);
        headset_.SetEqBands(view_.bands);
        Edit([&](profiles::HeadsetSettings& s) { s.customEqSeletIndex = view_.customIndex; });
        profile.SetCustomEq(view_.customIndex, view_.bands);
        Store(change);
        return change;
    }
    std::vector<std::wstring> names = view_.customNames;
    if (names.size() >= static_cast<std::size_t>(kMostCustomEqualisers))
        return With(Outcome::ListFull);
    const std::string utf8 = text::ToUtf8(name);
    const bool taken = std::any_of(names.begin(), names.end(), [&](const std::wstring& existing) {
        return profiles::SameNameIgnoringCase(text::ToUtf8(existing), utf8);
    });
    if (taken) {
        change = With(Outcome::NameTaken);
        change.result.messages.push_back({kNameTakenMessage});
        return change;
    }
    names.push_back(name);
    const int index = static_cast<int>(names.size()) - 1;
    headset_.SetEqBands(view_.bands);
    headset_.SetCustomEqNames(names);
    Edit([&](profiles::HeadsetSettings& s) { s.customEqSeletIndex = index; });
    view_.customNames = names;
    view_.customIndex = index;
    change.clearNameEdit = true;
    profile.SetCustomEq(index, view_.bands);
    profile.SetCustomEqNames(names);
    Store(change);
    return change;
}

AudioChange CHeadsetAudioCore::DeleteCustom()
{
    const int index = view_.customIndex;
    if (!view_.customEnabled || index < 0 || static_cast<std::size_t>(index) >= view_.customNames.size())
        return With(Outcome::Ignored);
    profiles::CHs6533Profiledata& profile = headset_.HeadsetProfile();
    std::vector<std::wstring> names = view_.customNames;
    names.erase(names.begin() + index);
    profile.RemoveCustomEq(index);
    profile.SetCustomEqNames(names);
    headset_.SetCustomEqNames(names);
    view_.customNames = names;
    AudioChange change;
    if (names.empty()) {
        Edit([](profiles::HeadsetSettings& s) { s.eqType = 1; });
        view_.eqType = 1;
        view_.customIndex = -1;
        view_.customEnabled = false;
        ShowBands(profile.GetEqPreset(1));
    } else {
        Edit([](profiles::HeadsetSettings& s) { s.customEqSeletIndex = 0; });
        view_.customIndex = 0;
        change.clearNameEdit = true;
        ShowBands(profile.GetCustomEq(0));
    }
    const bool written = WriteBands(view_.bands);
    TakeWrite(change, written);
    Store(change);
    return change;
}

AudioChange CHeadsetAudioCore::Switch(bool on, bool available, std::string_view property, SettingsField stored,
                                      bool HeadsetAudioView::*shown)
{
    if (!available)
        return With(Outcome::Unavailable);
    view_.*shown = on;
    AudioChange change;
    TakeWrite(change, sdk_.WriteInt(AudioFlow::Recording, property, on ? 0 : 1));
    if (change.outcome == Outcome::Done) {
        Edit([&](profiles::HeadsetSettings& s) { s.*stored = on ? 1 : 0; });
        Store(change);
    }
    return change;
}

AudioChange CHeadsetAudioCore::Level(int level, bool available, std::string_view property,
                                     const PropertyParameter& channel, SettingsField stored,
                                     int HeadsetAudioView::*shown)
{
    if (!available)
        return With(Outcome::Unavailable);
    level = std::clamp(level, 0, 100);
    view_.*shown = level;
    AudioChange change;
    TakeWrite(change, sdk_.WriteScalar(AudioFlow::Recording, property, static_cast<float>(level) / 100.0f, &channel));
    if (change.outcome == Outcome::Done) {
        Edit([&](profiles::HeadsetSettings& s) { s.*stored = level; });
        Store(change);
    }
    return change;
}

AudioChange CHeadsetAudioCore::SetMicOn(bool on)
{
    return Switch(on, view_.micMuteAvailable, prop::kMute, &profiles::HeadsetSettings::micInSelect,
                  &HeadsetAudioView::micOn);
}

AudioChange CHeadsetAudioCore::SetMicLevel(int level)
{
    return Level(level, view_.micLevelAvailable, prop::kVolumeScalar, kMicrophoneParameter,
                 &profiles::HeadsetSettings::micInValue, &HeadsetAudioView::micLevel);
}

AudioChange CHeadsetAudioCore::SetMonitorOn(bool on)
{
    return Switch(on, view_.monitorMuteAvailable, prop::kMonitorMute, &profiles::HeadsetSettings::micMoniterSelect,
                  &HeadsetAudioView::monitorOn);
}

AudioChange CHeadsetAudioCore::SetMonitorLevel(int level)
{
    return Level(level, view_.monitorLevelAvailable, prop::kMonitorVolumeScalar, kMonitorParameter,
                 &profiles::HeadsetSettings::micMoniterValue, &HeadsetAudioView::monitorLevel);
}

AudioChange CHeadsetAudioCore::SetVoiceEffect(bool on)
{
    if (!view_.voiceEffectsOffered)
        return With(Outcome::Unavailable);
    AudioChange change;
    bool written = sdk_.WriteInt(AudioFlow::Recording, prop::kMagicVoice, on ? 1 : 0);
    if (on)
        written = sdk_.WriteInt(AudioFlow::Recording, prop::kMicEcho, 0) && written;
    Edit([&](profiles::HeadsetSettings& s) { s.magicEnable = on ? 1 : 0; });
    view_.magicEnabled = on;
    TakeWrite(change, written);
    Store(change);
    return change;
}

AudioChange CHeadsetAudioCore::SelectVoice(int voice)
{
    if (voice < 1 || voice > 4)
        return With(Outcome::Ignored);
    if (!view_.voiceEffectsOffered)
        return With(Outcome::Unavailable);
    AudioChange change;
    const bool written = sdk_.WriteInt(AudioFlow::Recording, prop::kMagicVoiceSelection, voice - 1);
    Edit([&](profiles::HeadsetSettings& s) { s.magicType = voice; });
    view_.magicType = voice;
    TakeWrite(change, written);
    Store(change);
    return change;
}

} // namespace orvel::audio
