#pragma once
// The program's side of the audio library: it loads "SDK/libosConfLib.so" once per process,
// starts it, picks the headset's playback and recording devices, learns by reading every
// property which ones the library offers, and exchanges property values in one buffer size.
//
// A failed read never leads to a write: a property whose probe read failed is unavailable
// until the next probe, and nothing writes a default in its place. The library's failures are
// written to the debug log, each once, and never shown as message boxes; the callers decide
// what the user sees.
//
// Every call runs on the owner (UI) thread and returns within the library's bound.

#include "audio/audio_devices.h"
#include "audio/audio_library.h"
#include "audio/audio_properties.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace orvel::audio {

class CAudioSdk {
public:
    explicit CAudioSdk(std::chrono::milliseconds budget = CAudioLibrary::kDefaultBudget);
    // Stops the library when it was started.
    ~CAudioSdk();
    CAudioSdk(const CAudioSdk&) = delete;
    CAudioSdk& operator=(const CAudioSdk&) = delete;

    // Where the library lives: "SDK" in the program folder; for an installed program, whose
    // program folder is <prefix>/share/varno-orvel-80, <prefix>/lib/varno-orvel-80/SDK.
    static std::filesystem::path SdkFolder();
    static std::filesystem::path SdkFolderOf(const std::filesystem::path& programFolder);

    // The headset's first attach: loads the library, starts it (ConfLibInit, CreateDeviceList),
    // selects the devices and probes them. Later calls change nothing and return the first
    // answer: whether the library is in use.
    bool Start(const std::filesystem::path& sdkFolder = SdkFolder());
    bool InUse() const { return library_.Loaded(); }
    // Why the library is not in use (empty when it is, or Start has not run).
    const std::string& LoadError() const { return loadError_; }
    const CAudioLibrary& Library() const { return library_; }

    // The page is shown again: the library's device list is taken anew, the devices selected
    // and probed again, so a headset plugged in since, or a sound server restarted, shows.
    void Refresh();

    const AudioDevice& Playback() const { return playback_; }
    const AudioDevice& Recording() const { return recording_; }
    const AudioDevice& Device(AudioFlow flow) const { return flow == AudioFlow::Playback ? playback_ : recording_; }
    // The voice effects: bit 0x20000 of the recording device's first feature word.
    bool VoiceEffectOffered() const { return (recording_.features[0] & kVoiceEffectFeature) != 0; }
    // Whether the last probe read the property.
    bool Available(std::string_view name) const;

    // One property call: the name as UTF-16, the value buffer as given, the parameter words in
    // a cleared buffer of their own (none when parameter is null). 0 on success.
    std::int32_t Property(const AudioDevice& device, std::string_view name, PropertyBuffer& value,
                          const PropertyParameter* parameter, bool write);

    std::optional<std::int32_t> ReadInt(AudioFlow flow, std::string_view name,
                                        const PropertyParameter* parameter = nullptr);
    std::optional<double> ReadFraction(AudioFlow flow, std::string_view name,
                                       const PropertyParameter* parameter = nullptr);
    bool WriteInt(AudioFlow flow, std::string_view name, std::int32_t value,
                  const PropertyParameter* parameter = nullptr);
    bool WriteScalar(AudioFlow flow, std::string_view name, float value, const PropertyParameter* parameter = nullptr);

private:
    bool LoadAudioLibrary(const std::filesystem::path& sdkFolder);
    void SelectAudioDevices();
    void ReadFeatures(AudioDevice& device);
    void ProbeProperties();
    // The device count of flow 0 decides whether the devices are selected and probed at all.
    void SelectAndProbe();
    std::optional<std::string> ReadText(AudioFlow flow, std::string_view name, const PropertyParameter* parameter);
    void LogOnce(const std::string& key, const std::string& line);

    CAudioLibrary library_;
    bool startRan_ = false;
    bool initialised_ = false;
    std::string loadError_;
    AudioDevice playback_;
    AudioDevice recording_;
    std::map<std::string, bool, std::less<>> probed_;
    std::set<std::string> logged_;
};

} // namespace orvel::audio
