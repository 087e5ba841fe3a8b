#pragma once
// The headset's microphone monitor (sidetone): a playback volume, and usually a switch, in the
// ALSA mixer of the headset's sound card. Cards without one have no monitor.

#include <cstdint>
#include <string>
#include <vector>

namespace orvel::osconf {

class SidetoneMixer {
public:
    virtual ~SidetoneMixer() = default;
    // Each answers an OSCONF_ code: OSCONF_UNSUPPORTED when the card has no sidetone control
    // (or, for the mute, no switch on it).
    virtual std::int32_t ReadVolume(int card, double& scalar, double& stepPercent) = 0;
    virtual std::int32_t WriteVolume(int card, double scalar) = 0;
    virtual std::int32_t ReadMuted(int card, bool& muted) = 0;
    virtual std::int32_t WriteMuted(int card, bool muted) = 0;
};

// One simple control of a card's mixer.
struct MixerElement {
    std::string name;
    bool playbackVolume = false;
    bool playbackSwitch = false;
};

// The sidetone control among a card's controls: the first with a playback volume named
// "Sidetone" (any case, also as part of a longer name), else the first named "Mic" with a
// playback volume (the microphone-to-headphone mix of a USB headset). -1 when there is none.
int ChooseSidetoneElement(const std::vector<MixerElement>& elements);

// A mixer value as 0..1 of its range, and back (rounded to the nearest step).
double ScalarOfRange(long value, long minimum, long maximum);
long ValueInRange(double scalar, long minimum, long maximum);

// The ALSA mixer of the card ("hw:N").
class AlsaSidetone final : public SidetoneMixer {
public:
    std::int32_t ReadVolume(int card, double& scalar, double& stepPercent) override;
    std::int32_t WriteVolume(int card, double scalar) override;
    std::int32_t ReadMuted(int card, bool& muted) override;
    std::int32_t WriteMuted(int card, bool muted) override;
};

} // namespace orvel::osconf
