// The keyboard's audio-reactive styles and its spectrum input.

#include "lighting/keyboard_lighting.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

using namespace keyboard;

namespace {

// The height of a spectrum value: 600 - v x 600 / 2000, with the term taken as 500 where it passes
// 600 (in the styles that say so), and the result kept within 0..600.
int Height(int32_t v, bool capTerm)
{
    int64_t term = int64_t(v) * 600 / 2000;
    if (capTerm && term > 600) term = 500;
    return int(std::clamp<int64_t>(600 - term, 0, 600));
}

} // namespace

void KeyboardLighting::SpectrumInput(std::span<const int32_t> values)
{
    const std::size_t n = std::min<std::size_t>(values.size(), kSpectrumValues);
    LightSettings l;
    AudioLightSettings audio;
    {
        std::lock_guard guard(lock_);
        l = settings_;
        audio = audio_;
    }
    if (l.mode == 29 && audio.style == 2) {
        // The ripple style starts a ripple at the centre each time the running total of
        // loudness reaches 71.
        int sum = 0;
        for (std::size_t i = 0; i < kSpectrumValues; ++i) sum += Height(i < n ? values[i] : 0, true);
        const int average = sum / kSpectrumValues;
        std::lock_guard guard(lock_);
        audioTotal_ += 25 - average * 25 / 600;
        if (audioTotal_ >= 71) {
            audioTotal_ = 0;
            ReactivePress(51, 1);
        }
        return;
    }
    std::lock_guard guard(inputLock_);
    spectrumInput_.fill(0);
    std::copy_n(values.begin(), n, spectrumInput_.begin());
}

void KeyboardLighting::StepAudio(const LightSettings& l)
{
    if (audio_.style != 2) {
        std::lock_guard guard(inputLock_);
        spectrum_ = spectrumInput_;
        spectrumInput_.fill(0);
    }
    switch (audio_.style) {
    case 0: AudioVertical(l, false); break;
    case 1: AudioHorizontalPairs(l); break;
    case 2: AudioRipple(l); break;
    case 3: AudioRings(l); break;
    case 4: AudioVertical(l, true); break;
    case 5: AudioBands(l, true); break;
    case 6: AudioBands(l, false); break;
    default: break;
    }
}

Rgb KeyboardLighting::BarColour(uint8_t hue) const { return audio_.multicolor ? kWheel[hue] : audio_.foreground; }

void KeyboardLighting::PaintAudioCell(int position, Rgb bar, uint8_t bright)
{
    if (s_.level[position] > 9) {
        Put(position, bar, Mul8(bright, s_.level[position]));
    } else {
        Put(position, audio_.background, bright);
    }
}

void KeyboardLighting::AudioVertical(const LightSettings& l, bool dots)
{
    const uint8_t bright = Intensity(l.brightness);
    const uint8_t keepLevel = dots ? 5 : 10;
    if (!dots) s_.pos = Step(l.direction, 192, s_.pos, 1);
    for (int c = 0; c < kColumns; ++c) {
        const int value = dots ? spectrum_[(s_.offset + c + 1) % kSpectrumValues] : spectrum_[c];
        const int top = std::clamp((Height(value, false) + 100) * 6 / 600, 0, kRows);
        // A bar falls back from its tip: a cell decays once the cell above it is dark.
        for (int r = 0; r < kRows; ++r) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) continue;
            if (!dots) s_.hue[p] = uint8_t((s_.pos + 10 * (c + 1)) % 192);
            const uint8_t above = PositionAt(c, r - 1);
            const bool inside = !dots && r >= top;
            if (inside) {
                s_.level[p] = 255;
            } else if (r == 0 || above >= kPositions || s_.level[above] < keepLevel) {
                Decay(p, 29);
            }
        }
        if (dots) {
            const uint8_t bottom = kMatrix[c][kRows - 1];
            if (bottom >= kPositions || s_.level[bottom] < 10) columnFlag_[c] = false;
            if (!columnFlag_[c]) {
                for (int r = std::min(top, kRows - 1); r < kRows; ++r) {
                    const uint8_t p = kMatrix[c][r];
                    if (p < kPositions) {
                        s_.level[p] = 255;
                        columnFlag_[c] = true;
                        break;
                    }
                }
            }
        }
        for (int r = 0; r < kRows; ++r) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) continue;
            PaintAudioCell(p, BarColour(s_.hue[p]), bright);
        }
    }
}

void KeyboardLighting::AudioHorizontalPairs(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.offset = Step(l.direction, kSpectrumValues, s_.offset, 1);
    s_.pos = Step(l.direction, 192, s_.pos, 1);
    for (int r = 0; r < kRows; ++r) {
        const int left = std::clamp((Height(spectrum_[(s_.offset + 3 * (r + 1)) % kSpectrumValues], true) + 100) * 12 / 600, 0, 9);
        const int rightEnd = 21 - (Height(spectrum_[2 * r + 1], true) + 100) * 12 / 600;
        auto update = [&](int c, bool inside, int outer, bool alwaysDecays) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) return;
            s_.hue[p] = uint8_t((s_.pos + 7 * (c + 1)) % 192);
            const uint8_t q = PositionAt(outer, r);
            if (inside) {
                s_.level[p] = 255;
            } else if (alwaysDecays || q >= kPositions || s_.level[q] < 10) {
                Decay(p, 29);
            }
        };
        for (int c = 0; c <= 8; ++c) update(c, c >= left, c - 1, c == 0);
        for (int c = kColumns - 1; c >= 9; --c) update(c, c <= std::min(rightEnd, kColumns - 1), c + 1, c >= 21);
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) continue;
            PaintAudioCell(p, BarColour(s_.hue[p]), bright);
        }
    }
}

void KeyboardLighting::AudioRipple(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    MarkPlanes(l);
    SpreadPlanes();
    for (int c = 0; c < kColumns; ++c) {
        for (uint8_t p : kMatrix[c]) {
            if (p >= kPositions) continue;
            Decay(p, 29);
            s_.hue[p] = Step(true, 192, s_.hue[p], 9);
            PaintAudioCell(p, BarColour(s_.hue[p]), bright);
        }
    }
}

void KeyboardLighting::AudioRings(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    int sum = 0;
    for (int32_t v : spectrum_) sum += Height(v, true);
    const int loud = (sum / kSpectrumValues) * 20 / 600;
    s_.pos = Step(l.direction, 192, s_.pos, uint8_t(loud));
    for (int r = 0; r < int(kRings.size()); ++r) {
        for (uint8_t p : kRings[r]) {
            if (p >= kPositions || !InSweep(p)) continue;
            if (r < 20 - loud) {
                s_.level[p] = 255;
                Put(p, kWheel[(s_.pos + 9 * (r + 1)) % 192], bright);
            } else {
                Decay(p, 0);
                Put(p, lighting::ColourOf(leds_.GetLedColor(p)), Mul8(bright, s_.level[p]));
            }
        }
    }
}

void KeyboardLighting::AudioBands(const LightSettings& l, bool fromLeft)
{
    static constexpr int kStyle5Bands[kRows] = {2, 3, 3, 4, 5, 7};
    static constexpr int kStyle6Bands[kRows] = {2, 2, 3, 4, 5, 5};
    const int* sizes = fromLeft ? kStyle5Bands : kStyle6Bands;
    const uint8_t bright = Intensity(l.brightness);
    std::array<int32_t, kRows> band{};
    for (int b = 0, at = 0; b < kRows; ++b) {
        int64_t sum = 0; // values come from another process: the sum may pass 32 bits
        for (int i = 0; i < sizes[b]; ++i) sum += spectrum_[at++];
        band[b] = int32_t(std::clamp<int64_t>(sum / 3, INT32_MIN, INT32_MAX));
    }
    s_.pos = Step(l.direction, 192, s_.pos, 1);
    for (int r = 0; r < kRows; ++r) {
        const int h = Height(fromLeft ? band[kRows - 1 - r] : band[r], true);
        // Bars grow from column 0 (style 5, odd rows of style 6) or from column 22 (even rows of 6).
        const bool growsRight = fromLeft || r % 2 == 1;
        int first = 0;
        int last = kColumns - 1;
        if (fromLeft) {
            last = 23 - (h * 23 + 2300) / 600;
        } else if (growsRight) {
            last = 23 - h * 23 / 600;
        } else {
            first = h * 23 / 600;
        }
        last = std::min(last, kColumns - 1);
        auto update = [&](int c) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) return;
            if (fromLeft) s_.hue[p] = uint8_t((s_.pos + 3 * (c + 1)) % 192);
            const bool inside = c >= first && c <= last;
            const uint8_t q = PositionAt(growsRight ? c + 1 : c - 1, r);
            const bool alwaysDecays = growsRight ? c >= 21 : c <= 1;
            if (inside) {
                s_.level[p] = 255;
            } else if (alwaysDecays || q >= kPositions || s_.level[q] < 10) {
                Decay(p, 29);
            }
        };
        if (growsRight) {
            for (int c = kColumns - 1; c >= 0; --c) update(c);
        } else {
            for (int c = 0; c < kColumns; ++c) update(c);
        }
        uint8_t running = s_.pos;
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) continue;
            Rgb bar = BarColour(s_.hue[p]);
            if (!fromLeft && s_.level[p] > 9) {
                // the hue runs along the row, two places for each cell in the bar colour
                bar = audio_.multicolor ? kWheel[running] : audio_.foreground;
                running = uint8_t((running + 2) % 192);
            }
            PaintAudioCell(p, bar, bright);
        }
    }
}

} // namespace orvel::lighting
