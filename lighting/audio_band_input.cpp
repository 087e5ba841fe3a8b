#include "lighting/audio_band_input.h"

#include "platform/debuglog.h"

#include <cstdlib>
#include <cstring>

namespace orvel::lighting {

AudioSpectrumInput::Result AudioSpectrumInput::OnBlock(ULONG_PTR id, std::span<const std::uint8_t> bytes,
                                                       AudioInputSink* keyboard)
{
    if (id == kSpectrumBlock && bytes.size() == kSpectrumBlockBytes) return OnSpectrum(bytes, keyboard);
    if (id == kColourInputBlock && bytes.size() == kColourInputBlockBytes) {
        std::memcpy(colourInput_.data(), bytes.data(), bytes.size());
        if (keyboard == nullptr) return Result::Taken;
        keyboard->ColourInput(colourInput_);
        return Result::Delivered;
    }
    if (!bytes.empty()) debuglog::Writef("audio capture: a block %lu of %zu bytes was refused", (unsigned long)id, bytes.size());
    return Result::Refused;
}

AudioSpectrumInput::Result AudioSpectrumInput::OnSpectrum(std::span<const std::uint8_t> bytes, AudioInputSink* keyboard)
{
    std::array<std::int32_t, kSpectrumValueCount> current;
    std::memcpy(current.data(), bytes.data(), bytes.size());
    ++counter_;
    for (std::size_t j = 0; j < kAudioBands; ++j) {
        // 64 bits: the values come from another process and may be anything.
        std::int64_t sum = bands_[j];
        for (std::size_t i = 5 * j; i < 5 * j + 4; ++i) sum += std::llabs(std::int64_t(current[i]) - previous_[i]);
        bands_[j] = std::int32_t(std::clamp<std::int64_t>(sum / 4, INT32_MIN, INT32_MAX));
    }
    previous_ = current;
    if (counter_ < 3) return Result::Taken;
    counter_ = 0;
    if (keyboard == nullptr) return Result::Taken;
    keyboard->SpectrumInput(bands_);
    return Result::Delivered;
}

} // namespace orvel::lighting
