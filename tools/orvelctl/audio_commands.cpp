// "audio" and "set HD mic|monitor|eq": the headset's audio as the headset page shows and
// changes it, through the same audio library and on the same profile.

#include "tools/orvelctl/commands.h"

#include "audio/eq_presets.h"
#include "audio/headset_audio.h"
#include "devicelink/device_tables.h"
#include "platform/text.h"
#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"

#include <memory>

namespace orvel::ctl {

namespace {

using audio::AudioChange;
using audio::HeadsetAudioView;
using Outcome = AudioChange::Outcome;

// The headset's selected profile loaded and its audio read, as the page has them when shown.
class AudioSession {
public:
    explicit AudioSession(Context& context) : context_(context) {}

    // code is set when it returns false.
    bool Open(const std::string& argument, int& code)
    {
        const std::optional<DeviceName> named = DeviceArgument(context_, argument, code);
        if (!named)
            return false;
        if (KindNumber(named->kindRow) != kKindHeadset) {
            code = context_.Fail(kExitUsage, "audio settings belong to the headset (HD)");
            return false;
        }
        const std::optional<FoundDevice> found = FindNamedDevice(context_, argument, code);
        if (!found || !DefaultProfilePresent(context_, found->name.kindRow, code))
            return false;
        name_ = DeviceNameText(found->name);
        const std::string folderName(KindName(found->name.kindRow));
        const devices::DeviceFolders folders{profiles::ProfileFolder(folderName), profiles::DefaultDataFolder(),
                                             folderName};
        list_.SetDeviceKind(kKindHeadset);
        list_.SetPaths(folders.profileFolder, folders.DefaultProfile());
        if (folders.profileFolder.empty() || !list_.InitProfiles().ok()) {
            code = Refuse("the profile list could not be read");
            return false;
        }
        // The audio goes through the sound server; the headset's command link stays closed.
        headset_ = std::make_unique<devices::CHeadsetCore>(link_, folders);
        headset_->SetProfileIdentifier(list_.GetSelectedIdentifier());
        if (headset_->LoadProfile() != kLinkOk) {
            code = Refuse("the selected profile could not be read");
            return false;
        }
        sdk_.Start();
        audio_ = std::make_unique<audio::CHeadsetAudioCore>(*headset_, sdk_);
        audio_->Show();
        return true;
    }

    int Refuse(const std::string& text) { return context_.Fail(kExitFailed, name_ + ": " + text); }

    const std::string& Name() const { return name_; }
    std::string ProfileName() const
    {
        return list_.Names()[static_cast<std::size_t>(list_.GetSelectedIndex())];
    }
    audio::CAudioSdk& Sdk() { return sdk_; }
    audio::CHeadsetAudioCore& Audio() { return *audio_; }

private:
    Context& context_;
    std::string name_;
    profiles::DeviceProfileList list_;
    CDeviceLink link_;
    std::unique_ptr<devices::CHeadsetCore> headset_;
    audio::CAudioSdk sdk_;
    std::unique_ptr<audio::CHeadsetAudioCore> audio_;
};

Json::Value LevelJson(bool levelAvailable, int level, bool muteAvailable, bool on)
{
    Json::Value value(Json::objectValue);
    value["level"] = levelAvailable ? Json::Value(level) : Json::Value(Json::nullValue);
    value["muted"] = muteAvailable ? Json::Value(!on) : Json::Value(Json::nullValue);
    return value;
}

std::string LevelText(bool levelAvailable, int level, bool muteAvailable, bool on)
{
    if (!levelAvailable && !muteAvailable)
        return "unavailable";
    std::string text = levelAvailable ? std::to_string(level) + " %" : "level unavailable";
    text += muteAvailable ? (on ? ", on" : ", muted") : ", mute unavailable";
    return text;
}

std::string CustomName(const HeadsetAudioView& view)
{
    if (view.customIndex < 0)
        return {};
    return text::ToUtf8(view.customNames[static_cast<std::size_t>(view.customIndex)]);
}

std::string EqualiserText(const HeadsetAudioView& view)
{
    std::string text;
    if (view.eqType == audio::kCustomEqType)
        text = view.customIndex >= 0 ? "custom '" + CustomName(view) + "'" : "custom (none selected)";
    else
        text = "preset " + std::to_string(view.eqType);
    if (!view.equaliserApplied)
        text += " (kept in the profile; the sound server applies no equaliser)";
    return text;
}

std::string DeviceText(const audio::AudioDevice& device)
{
    return device.Present() ? "found (type " + std::to_string(device.record.type) + ")" : "none";
}

Json::Value DeviceJson(const audio::AudioDevice& device)
{
    if (!device.Present())
        return Json::Value(Json::nullValue);
    Json::Value value(Json::objectValue);
    value["type"] = device.record.type;
    value["state"] = device.record.state;
    Json::Value features(Json::arrayValue);
    for (const std::int32_t word : device.features)
        features.append(word);
    value["features"] = features;
    return value;
}

// What "set HD mic|monitor|eq" was asked to do.
struct AudioRequest {
    enum class What { MicLevel, MicMute, MonitorLevel, MonitorMute, Preset, Custom } what = What::MicLevel;
    int value = 0;
    std::string name;
};

std::optional<AudioRequest> ParseAudioSet(const ParsedArgs& args, Context& context, int& code)
{
    const auto& pos = args.positional;
    const std::string& what = pos[1];
    const auto usage = [&](const std::string& text) {
        code = context.Fail(kExitUsage, "set: " + text + " (see 'orvelctl set --help')");
        return std::nullopt;
    };
    AudioRequest request;
    long number = 0;
    if (what == "mic" || what == "monitor") {
        const bool mic = what == "mic";
        if (pos.size() == 3 && ParseNumber(pos[2], 0, 100, number)) {
            request.what = mic ? AudioRequest::What::MicLevel : AudioRequest::What::MonitorLevel;
            request.value = static_cast<int>(number);
            return request;
        }
        if (pos.size() == 4 && pos[2] == "mute" && (pos[3] == "on" || pos[3] == "off")) {
            request.what = mic ? AudioRequest::What::MicMute : AudioRequest::What::MonitorMute;
            request.value = pos[3] == "on" ? 1 : 0;
            return request;
        }
        return usage("use '" + what + " LEVEL' with a level from 0 to 100, or '" + what + " mute on|off'");
    }
    if (pos.size() == 3 && ParseNumber(pos[2], 1, audio::kPresetCount, number)) {
        request.what = AudioRequest::What::Preset;
        request.value = static_cast<int>(number);
        return request;
    }
    if (pos.size() == 4 && pos[2] == "custom") {
        request.what = AudioRequest::What::Custom;
        request.name = pos[3];
        return request;
    }
    return usage("use 'eq PRESET' with a preset from 1 to 12, or 'eq custom NAME'");
}

// The custom equaliser named name (ignoring case), or -1.
int CustomIndex(const HeadsetAudioView& view, const std::string& name)
{
    for (std::size_t i = 0; i < view.customNames.size(); ++i) {
        if (profiles::SameNameIgnoringCase(text::ToUtf8(view.customNames[i]), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string NamesText(const HeadsetAudioView& view)
{
    if (view.customNames.empty())
        return "the profile has none";
    std::string text = "the profile has ";
    for (std::size_t i = 0; i < view.customNames.size(); ++i)
        text += (i == 0 ? "'" : ", '") + text::ToUtf8(view.customNames[i]) + "'";
    return text;
}

bool ProfileNotSaved(const AudioChange& change)
{
    for (const devices::UserMessage& message : change.result.messages) {
        if (message.key == devices::kProfileNotSavedMessage)
            return true;
    }
    return false;
}

std::string WhatText(const AudioRequest& request)
{
    switch (request.what) {
    case AudioRequest::What::MicLevel:
        return "microphone level";
    case AudioRequest::What::MicMute:
        return "microphone mute";
    case AudioRequest::What::MonitorLevel:
        return "monitor level";
    case AudioRequest::What::MonitorMute:
        return "monitor mute";
    default:
        return "equaliser";
    }
}

} // namespace

bool IsAudioSetting(const std::string& what)
{
    return what == "mic" || what == "monitor" || what == "eq";
}

int AudioCommand(const ParsedArgs& args, Context& context)
{
    AudioSession session(context);
    int code = kExitOk;
    if (!session.Open(args.positional[0], code))
        return code;
    audio::CAudioSdk& sdk = session.Sdk();
    if (!sdk.InUse())
        return session.Refuse("the audio library " + audio::CAudioSdk::SdkFolder().string() +
                              "/" OSCONF_LIBRARY_FILE " could not be loaded: " + sdk.LoadError());
    const HeadsetAudioView& view = session.Audio().View();
    Json::Value unavailable(Json::arrayValue);
    std::string unavailableText;
    for (const audio::ProbedProperty& property : audio::ProbeList()) {
        if (sdk.Available(property.name))
            continue;
        unavailable.append(std::string(property.name));
        unavailableText += (unavailableText.empty() ? "" : ", ") + std::string(property.name);
    }
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["device"] = session.Name();
        document["profile"] = session.ProfileName();
        document["library"] = sdk.Library().File().string();
        document["playback"] = DeviceJson(sdk.Playback());
        document["recording"] = DeviceJson(sdk.Recording());
        document["microphone"] = LevelJson(view.micLevelAvailable, view.micLevel, view.micMuteAvailable, view.micOn);
        document["monitor"] =
            LevelJson(view.monitorLevelAvailable, view.monitorLevel, view.monitorMuteAvailable, view.monitorOn);
        Json::Value eq(Json::objectValue);
        eq["eqType"] = view.eqType;
        eq["custom"] = view.customIndex >= 0 ? Json::Value(CustomName(view)) : Json::Value(Json::nullValue);
        eq["applied"] = view.equaliserApplied;
        Json::Value bands(Json::arrayValue);
        for (const int band : view.bands)
            bands.append(band);
        eq["bands"] = bands;
        document["equaliser"] = eq;
        Json::Value voice(Json::nullValue);
        if (view.voiceEffectsOffered) {
            voice = Json::Value(Json::objectValue);
            voice["enabled"] = view.magicEnabled;
            voice["voice"] = view.magicType;
        }
        document["voiceEffects"] = voice;
        document["unavailable"] = unavailable;
        context.PrintJson(document);
        return kExitOk;
    }
    std::ostream& out = context.out;
    out << session.Name() << ": audio library " << sdk.Library().File().string() << ", profile '"
        << session.ProfileName() << "'\n"
        << "playback device:  " << DeviceText(sdk.Playback()) << "\n"
        << "recording device: " << DeviceText(sdk.Recording()) << "\n"
        << "microphone:       " << LevelText(view.micLevelAvailable, view.micLevel, view.micMuteAvailable, view.micOn)
        << "\n"
        << "monitor:          "
        << LevelText(view.monitorLevelAvailable, view.monitorLevel, view.monitorMuteAvailable, view.monitorOn) << "\n"
        << "equaliser:        " << EqualiserText(view) << "\n"
        << "voice effects:    "
        << (view.voiceEffectsOffered ? (view.magicEnabled ? "on, voice " + std::to_string(view.magicType) : "off")
                                     : "unavailable")
        << "\n";
    if (!unavailableText.empty())
        out << "unavailable:      " << unavailableText << "\n";
    return kExitOk;
}

int SetAudioCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<AudioRequest> request = ParseAudioSet(args, context, code);
    if (!request)
        return code;
    AudioSession session(context);
    if (!session.Open(args.positional[0], code))
        return code;
    audio::CHeadsetAudioCore& core = session.Audio();
    AudioChange change;
    switch (request->what) {
    case AudioRequest::What::MicLevel:
        change = core.SetMicLevel(request->value);
        break;
    case AudioRequest::What::MicMute:
        change = core.SetMicOn(request->value == 0);
        break;
    case AudioRequest::What::MonitorLevel:
        change = core.SetMonitorLevel(request->value);
        break;
    case AudioRequest::What::MonitorMute:
        change = core.SetMonitorOn(request->value == 0);
        break;
    case AudioRequest::What::Preset:
        change = core.SelectPreset(request->value);
        break;
    case AudioRequest::What::Custom: {
        const int index = CustomIndex(core.View(), request->name);
        if (index < 0)
            return session.Refuse("no custom equaliser named '" + request->name + "' (" + NamesText(core.View()) +
                                  ")");
        // The page's two steps: the custom option, then the name in its list.
        change = core.SelectPreset(audio::kCustomEqType);
        if (change.outcome == Outcome::Done && core.View().customIndex != index)
            change = core.SelectCustom(index);
        break;
    }
    }
    const std::string what = WhatText(*request);
    switch (change.outcome) {
    case Outcome::Unavailable: {
        if (!session.Sdk().InUse())
            return session.Refuse("the " + what + " is unavailable: the audio library could not be loaded (" +
                                  session.Sdk().LoadError() + "); nothing was changed");
        const bool monitor =
            request->what == AudioRequest::What::MonitorLevel || request->what == AudioRequest::What::MonitorMute;
        return session.Refuse("the " + what + " is unavailable: " +
                              (monitor ? "the headset's sound card has no monitor (sidetone) control"
                                       : "the sound server lists no microphone of the headset") +
                              " (see 'orvelctl audio HD'); nothing was changed");
    }
    case Outcome::NotWritten:
        if (request->what == AudioRequest::What::Preset || request->what == AudioRequest::What::Custom)
            return session.Refuse("the equaliser is stored in the profile, but the sound server did not take it");
        return session.Refuse("the sound server did not take the " + what + "; nothing was stored");
    case Outcome::Done:
        break;
    default:
        return session.Refuse("the " + what + " was not changed");
    }
    if (ProfileNotSaved(change))
        return session.Refuse("the " + what + " was changed, but the profile could not be saved");
    const HeadsetAudioView& view = core.View();
    context.out << session.Name() << ": ";
    switch (request->what) {
    case AudioRequest::What::MicLevel:
    case AudioRequest::What::MonitorLevel:
        context.out << what << " " << request->value << " %";
        break;
    case AudioRequest::What::MicMute:
    case AudioRequest::What::MonitorMute:
        context.out << (request->what == AudioRequest::What::MicMute ? "microphone " : "monitor ")
                    << (request->value != 0 ? "muted" : "on");
        break;
    default:
        context.out << "equaliser " << EqualiserText(view);
        break;
    }
    context.out << ", stored in profile '" << session.ProfileName() << "'\n";
    return kExitOk;
}

} // namespace orvel::ctl
