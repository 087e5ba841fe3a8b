#pragma once
// The audio library's property names, which device each belongs to, and how the program
// exchanges its values: the channel parameters and the start-up probe list.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvel::audio {

namespace prop {
inline constexpr std::string_view kSupportFeature = "GetSupportFeature";
inline constexpr std::string_view kMaxVol = "GetMaxVol";
inline constexpr std::string_view kMinVol = "GetMinVol";
inline constexpr std::string_view kVolStep = "GetVolStep";
inline constexpr std::string_view kVolume = "VolumeControl";
inline constexpr std::string_view kVolumeScalar = "VolumeScalarControl";
inline constexpr std::string_view kMute = "MuteControl";
inline constexpr std::string_view kMonitorMaxVol = "GetAAMaxVol";
inline constexpr std::string_view kMonitorMinVol = "GetAAMinVol";
inline constexpr std::string_view kMonitorVolStep = "GetAAVolStep";
inline constexpr std::string_view kMonitorVolume = "AAVolumeControl";
inline constexpr std::string_view kMonitorVolumeScalar = "AAVolumeScalarControl";
inline constexpr std::string_view kMonitorMute = "AAMuteControl";
inline constexpr std::string_view kMagicVoice = "Enable_MAGICVOICE";
inline constexpr std::string_view kMagicVoiceSelection = "MagicVoice_Selection";
inline constexpr std::string_view kMicEcho = "Enable_MICECHO";
inline constexpr std::string_view kNoiseCancelling = "Enable_ENC_LFX";
inline constexpr std::string_view kEqualiser = "Enable_EQ_GFX";
inline constexpr std::string_view kRoomEffect = "Enable_RFX_GFX";
inline constexpr std::string_view kRoomEnvironment = "RFX_ENVIRONMENT";
inline constexpr std::string_view kRoomSize = "RFX_ROOMSIZE";
inline constexpr std::string_view kSurround = "VirtualSurroundEffectControl";
} // namespace prop

inline constexpr int kEqBandCount = 10;
// The band properties in band order: band i is "EQ_Slider" + (i + 1).
inline constexpr std::array<std::string_view, kEqBandCount> kEqSliderNames = {
    "EQ_Slider1", "EQ_Slider2", "EQ_Slider3", "EQ_Slider4", "EQ_Slider5",
    "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10"};

// The recording device's first feature word offers the voice effects with this bit.
inline constexpr std::int32_t kVoiceEffectFeature = 0x20000;

enum class AudioFlow { Playback, Recording };

// What goes into the parameter buffer of a call: nothing (no buffer), or up to three 32-bit
// words at its start.
struct PropertyParameter {
    std::array<std::int32_t, 3> words{};
    int count = 0;

    static PropertyParameter Channel(std::int32_t channel) { return {{channel, 0, 0}, 1}; }
    // A parameter buffer that stays zero.
    static PropertyParameter Cleared() { return {{0, 0, 0}, 0}; }
};

inline constexpr std::int32_t kMicrophoneChannel = -1;
inline constexpr std::int32_t kMonitorChannel = 0;
inline const PropertyParameter kMicrophoneParameter = PropertyParameter::Channel(kMicrophoneChannel);
inline const PropertyParameter kMonitorParameter = PropertyParameter::Channel(kMonitorChannel);
inline const PropertyParameter kSurroundParameter{{4, -1, 0}, 3};

// One property read at start-up to learn whether the library offers it.
struct ProbedProperty {
    std::string_view name;
    AudioFlow flow;
    const PropertyParameter* parameter; // null: no parameter buffer
};

// Every property the start-up probe reads, in order.
std::span<const ProbedProperty> ProbeList();

} // namespace orvel::audio
