#include "audio/audio_properties.h"

namespace orvel::audio {

namespace {

const PropertyParameter kClearedParameter = PropertyParameter::Cleared();

const ProbedProperty kProbeList[] = {
    {prop::kSurround, AudioFlow::Playback, &kSurroundParameter},
    {prop::kNoiseCancelling, AudioFlow::Recording, &kClearedParameter},
    {prop::kVolume, AudioFlow::Recording, &kMicrophoneParameter},
    {prop::kEqualiser, AudioFlow::Playback, nullptr},
    {kEqSliderNames[0], AudioFlow::Playback, nullptr},
    {kEqSliderNames[1], AudioFlow::Playback, nullptr},
    {kEqSliderNames[2], AudioFlow::Playback, nullptr},
    {kEqSliderNames[3], AudioFlow::Playback, nullptr},
    {kEqSliderNames[4], AudioFlow::Playback, nullptr},
    {kEqSliderNames[5], AudioFlow::Playback, nullptr},
    {kEqSliderNames[6], AudioFlow::Playback, nullptr},
    {kEqSliderNames[7], AudioFlow::Playback, nullptr},
    {kEqSliderNames[8], AudioFlow::Playback, nullptr},
    {kEqSliderNames[9], AudioFlow::Playback, nullptr},
    {prop::kRoomEffect, AudioFlow::Playback, nullptr},
    {prop::kRoomEnvironment, AudioFlow::Playback, nullptr},
    {prop::kRoomSize, AudioFlow::Playback, nullptr},
    {prop::kMute, AudioFlow::Recording, nullptr},
    {prop::kVolumeScalar, AudioFlow::Recording, &kMicrophoneParameter},
    {prop::kMonitorVolume, AudioFlow::Recording, &kMonitorParameter},
    {prop::kMonitorMute, AudioFlow::Recording, nullptr},
    {prop::kMonitorVolumeScalar, AudioFlow::Recording, &kMonitorParameter},
    {prop::kMagicVoice, AudioFlow::Recording, nullptr},
    {prop::kMagicVoiceSelection, AudioFlow::Recording, nullptr},
};

} // namespace

std::span<const ProbedProperty> ProbeList()
{
    return kProbeList;
}

} // namespace orvel::audio
