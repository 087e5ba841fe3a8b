// The keyboard's audio inputs come from another process: any spectrum or colour input, of any
// length and any values, must render inside the matrix and the colour buffer.
//
// Input: byte 0 audio style, byte 1 brightness, byte 2 flags (bit 0 direction, bit 1 seven
// colours), then 32-bit values handed out in turns as spectrum and colour inputs, each input as
// long as the next byte says (in values).

#include "lighting/keyboard_lighting.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace orvel::lighting;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) {
        return 0;
    }
    KeyboardLighting k;
    LightSettings l;
    l.mode = 29;
    l.brightness = data[1] % 6;
    l.direction = data[2] & 1;
    l.multicolor = data[2] & 2;
    k.SetSettings(l);
    AudioLightSettings audio;
    audio.style = data[0] % 8;
    audio.multicolor = data[2] & 4;
    k.SetAudioSettings(audio);
    std::size_t at = 3;
    uint64_t now = 0;
    bool spectrum = true;
    while (at < size) {
        const std::size_t count = data[at++];
        std::vector<int32_t> values;
        for (std::size_t i = 0; i < count && at + 4 <= size; ++i, at += 4) {
            int32_t v;
            std::memcpy(&v, data + at, 4);
            values.push_back(v);
        }
        if (spectrum) {
            k.SpectrumInput(values);
            k.RenderFrame(now += 4);
        } else {
            k.ColourInput(values);
            l.mode = 30;
            k.SetSettings(l);
            k.RenderFrame(now += 4);
            l.mode = 29;
            k.SetSettings(l);
        }
        spectrum = !spectrum;
    }
    return 0;
}
