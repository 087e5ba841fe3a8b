#pragma once
// The blocks the capture program sends to the main window, and what reaches the keyboard.
//
// A spectrum block (500 values) is compared with the one before: each of the 25 bands adds the
// changes of its first four values to its old value and keeps a quarter of the sum, so a band
// follows how much the music changes and fades to a quarter per block when it stops changing.
// Every third spectrum the 25 bands go to the first keyboard. A colour input block (6 values)
// goes to it at once. A block of any other size or kind is refused and changes nothing: it
// comes from another process.

#include "lighting/audio_record_protocol.h"

#include <array>
#include <cstdint>
#include <span>

namespace orvel::lighting {

inline constexpr std::size_t kAudioBands = 25;

// Where the audio inputs go: the first keyboard's lighting.
class AudioInputSink {
public:
    virtual ~AudioInputSink() = default;
    virtual void SpectrumInput(std::span<const std::int32_t> values) = 0;
    virtual void ColourInput(std::span<const std::int32_t> values) = 0;
};

class AudioSpectrumInput {
public:
    enum class Result { Refused, Taken, Delivered };

    // A WM_COPYDATA block; keyboard is null when no keyboard is there.
    Result OnBlock(ULONG_PTR id, std::span<const std::uint8_t> bytes, AudioInputSink* keyboard);

    const std::array<std::int32_t, kAudioBands>& Bands() const { return bands_; }
    const std::array<std::int32_t, kColourInputCount>& ColourInput() const { return colourInput_; }
    int Counter() const { return counter_; }

private:
    Result OnSpectrum(std::span<const std::uint8_t> bytes, AudioInputSink* keyboard);

    std::array<std::int32_t, kSpectrumValueCount> previous_{};
    std::array<std::int32_t, kAudioBands> bands_{};
    std::array<std::int32_t, kColourInputCount> colourInput_{};
    int counter_ = 0;
};

} // namespace orvel::lighting
