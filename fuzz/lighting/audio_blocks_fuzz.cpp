// The blocks the main window receives from the capture program come from another process: any
// sequence of blocks of any kind and size must be refused or taken without reading or writing
// past a buffer, and what is taken must render on the keyboard inside its matrix.
//
// Input: byte 0 audio style; then blocks of {1 byte kind, 2 bytes size (little-endian), that
// many bytes}, the last one cut where the input ends.

#include "lighting/audio_band_input.h"
#include "lighting/keyboard_lighting.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace orvel::lighting;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    KeyboardLighting keyboard;
    LightSettings l;
    l.mode = 29;
    keyboard.SetSettings(l);
    AudioLightSettings audio;
    audio.style = data[0] % 7;
    keyboard.SetAudioSettings(audio);
    AudioSpectrumInput input;
    std::size_t at = 1;
    uint64_t now = 0;
    while (at + 3 <= size) {
        const orvel::ULONG_PTR kind = data[at];
        std::size_t length = std::size_t(data[at + 1]) | std::size_t(data[at + 2]) << 8;
        at += 3;
        length = std::min(length, size - at);
        // A block of its own, so a read past its end is seen by the sanitizers.
        const std::vector<uint8_t> block(data + at, data + at + length);
        at += length;
        if (input.OnBlock(kind, block, &keyboard) == AudioSpectrumInput::Result::Delivered) {
            keyboard.RenderFrame(now += 4);
        }
    }
    return 0;
}
