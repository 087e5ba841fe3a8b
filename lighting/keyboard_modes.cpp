// The keyboard's mode steps: each fills the colour buffer for the positions it names; positions
// it does not touch keep their last values.

#include "lighting/keyboard_lighting.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

using namespace keyboard;

void KeyboardLighting::StepWaveColumns(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    if (l.multicolor) {
        s_.pos = Step(l.direction, 192, s_.pos, 1);
    } else {
        s_.pos = Step(l.direction, 96, s_.pos, 1);
    }
    for (int c = 0; c < kColumns; ++c) {
        const uint32_t e = l.multicolor ? PackLed(kWheel[(s_.pos + 1 + 7 * c) % 192], bright)
                                        : PackLed(l.colour, Mul8(bright, kCurve96[(s_.pos + 1 + 7 * c) % 96]));
        for (uint8_t p : kMatrix[c]) {
            if (p < kPositions) leds_.SetLedColor(p, e);
        }
    }
}

void KeyboardLighting::StepWaveColumns2(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.pos = Step(l.direction, l.multicolor ? 192 : 128, s_.pos, 1);
    for (int c = 0; c < kColumns; ++c) {
        const uint32_t e = l.multicolor ? PackLed(kWheel[(s_.pos + 2 * c) % 192], bright)
                                        : PackLed(l.colour, Mul8(bright, kPulse[(s_.pos + 7 * c) % 128]));
        for (uint8_t p : kMatrix[c]) {
            if (p < kPositions) leds_.SetLedColor(p, e);
        }
    }
}

void KeyboardLighting::StepSweep(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.pos = Step(l.direction, l.multicolor ? 192 : 96, s_.pos, 1);
    for (int k = 0; k < int(kSweep.size()); ++k) {
        if (l.multicolor) {
            Put(kSweep[k], kWheel[(s_.pos + 5 * k) % 192], bright);
        } else {
            Put(kSweep[k], l.colour, Mul8(bright, kCurve96[(s_.pos + 5 * k) % 96]));
        }
    }
}

void KeyboardLighting::StepBreathing(const LightSettings& l)
{
    s_.pos = s_.pos + 1 >= 128 ? 0 : uint8_t(s_.pos + 1);
    const uint8_t level = Mul8(Intensity(l.brightness), kBreathing[s_.pos]);
    for (int c = 0; c < kColumns; ++c) {
        for (uint8_t p : kMatrix[c]) {
            if (p < kPositions) Put(p, ColourOf(l, uint8_t(7 * c)), level);
        }
    }
}

void KeyboardLighting::StepStatic(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    if (!l.multicolor) {
        leds_.Fill(PackLed(l.colour, bright));
        return;
    }
    for (int r = 0; r < int(kRings.size()); ++r) {
        for (uint8_t p : kRings[r]) {
            if (p < kPositions && InSweep(p)) Put(p, kWheel[138 - 12 * r], bright);
        }
    }
}

void KeyboardLighting::StepHeld(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    for (int p = 0; p < kPositions; ++p) {
        if (s_.held[p] == 1) {
            s_.level[p] = uint8_t(std::min(s_.level[p] + 15, 255));
        } else if (s_.held[p] == 2) {
            s_.level[p] = uint8_t(std::max(s_.level[p] - 5, 0));
        }
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

void KeyboardLighting::StepReactive(const LightSettings& l, bool spread)
{
    const uint8_t bright = Intensity(l.brightness);
    MarkPlanes(l);
    if (spread) {
        SpreadPlanes();
    } else {
        MovePlanes();
    }
    for (int p = 0; p < kPositions; ++p) {
        Decay(p, l.mode);
        if (spread) s_.hue[p] = Step(true, 192, s_.hue[p], 7);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

void KeyboardLighting::StepRandomKeys(const LightSettings& l)
{
    for (int i = 0; i < 6; ++i) {
        const uint8_t p = kSelection[kPickTable[random_.Below(uint32_t(kPickTable.size()))]];
        if (p < kPositions) {
            s_.hue[p] = uint8_t(random_.Below(192));
            s_.level[p] = 255;
        }
    }
    DecayAndPaint(l, 10);
}

void KeyboardLighting::StepHueCycle(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    for (int p = 0; p < kPositions; ++p) {
        s_.hue[p] = s_.hue[p] + 1 >= 192 ? 0 : uint8_t(s_.hue[p] + 1);
        Put(p, kWheel[s_.hue[p]], bright);
    }
}

void KeyboardLighting::StepWaveRows(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.pos = Step(l.direction, 192, s_.pos, 1);
    for (int r = 0; r < kRows; ++r) {
        const Rgb colour = kWheel[(s_.pos + 1 + 24 * r) % 192];
        for (int c = 0; c < kColumns; ++c) Put(PositionAt(c, r), colour, bright);
    }
}

void KeyboardLighting::StepCentreRipple(const LightSettings& l)
{
    constexpr int kCentre = 9;
    const uint8_t bits = PlaneBits(kCentre);
    if (bits == 0x01) SetPlaneBit(kCentre, 0);
    if (bits == 0x40) SetPlaneBit(kCentre, 6);
    if (s_.counter > 1) {
        s_.counter = 0;
        MarkPlanes(l);
        SpreadPlanes();
    }
    ++s_.counter;
    DecayAndPaint(l, l.mode);
}

void KeyboardLighting::StepShow(const LightSettings& l)
{
    auto light = [&](uint8_t p) {
        if (p >= kPositions) return;
        s_.level[p] = 255;
        if (l.multicolor) s_.hue[p] = uint8_t(random_.Below(192));
    };
    switch (s_.counter) {
    case 0:
        for (uint8_t p : kShowGroups[s_.pos % kShowGroups.size()]) light(p);
        if (++s_.pos >= kShowGroups.size()) {
            s_.pos = 0;
            s_.counter = 1;
        }
        break;
    case 1:
        if (s_.pos <= 30) {
            for (uint8_t p : kShowPairs[s_.pos % 16]) light(p);
            ++s_.pos;
        } else if (s_.level[72] == 0) {
            s_.pos = 0;
            s_.counter = 2;
        }
        break;
    case 2:
        ReactivePress(69, 1);
        s_.counter = 3;
        break;
    case 3:
        MarkPlanes(l);
        SpreadPlanes();
        if (s_.level[131] != 0) s_.counter = 4;
        break;
    default:
        if (s_.level[131] == 0) {
            s_.counter = 0;
            s_.pos = 0;
        }
        break;
    }
    DecayAndPaint(l, l.mode);
}

void KeyboardLighting::StepPulseSweep(const LightSettings& l, std::array<uint8_t, kPositions>& counter,
                                      uint8_t increment)
{
    const uint8_t bright = Intensity(l.brightness);
    for (uint8_t p : kSweep) {
        const int next = counter[p] + increment;
        if (next >= 192) {
            counter[p] = 0;
            s_.hue[p] = uint8_t(random_.Below(192));
        } else {
            counter[p] = uint8_t(next);
        }
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, kPulse[counter[p]]));
    }
}

void KeyboardLighting::StepCornerRipple(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    if (PlaneBits(1) == 0x01) SetPlaneBit(1, 0);
    if (PlaneBits(22) == 0x40) SetPlaneBit(22, 6);
    MarkPlanes(l);
    SpreadPlanes();
    for (uint8_t p : kSweep) {
        Decay(p, l.mode);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

void KeyboardLighting::StepFxColour(const LightSettings& l)
{
    int entry = 174;
    switch (l.fx) {
    case 1: entry = 25; break;
    case 2: entry = 70; break;
    case 3: entry = 95; break;
    default: break;
    }
    leds_.Fill(PackLed(kWheel[entry], Intensity(l.brightness)));
}

void KeyboardLighting::StepRings(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.pos = Step(l.direction, 192, s_.pos, 1);
    int h = s_.pos;
    for (const auto& ring : kRings) {
        h = (h + 7) % 192;
        for (uint8_t p : ring) {
            if (p < kPositions && InSweep(p)) Put(p, kWheel[h], bright);
        }
    }
}

void KeyboardLighting::StepCustom(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    for (int p = 0; p < kPositions; ++p) {
        Put(p, lighting::ColourOf(leds_.GetLedColor(p)), bright);
    }
}

void KeyboardLighting::StepSnake(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    auto lightStep = [&](int step) {
        // Steps beyond the path (170 and above) name no position.
        if (step < kPositions && kSnake[step] < kPositions) s_.level[kSnake[step]] = 254;
    };
    if (l.direction) {
        if (s_.pos > 169) {
            s_.pos = 0;
        } else {
            lightStep(s_.pos);
            ++s_.pos;
        }
    } else {
        if (s_.pos == 0) {
            s_.pos = 170;
        } else {
            lightStep(s_.pos);
            --s_.pos;
        }
    }
    for (uint8_t p : kSweep) {
        Decay(p, 21);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

void KeyboardLighting::StepRain(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s_.pos = Step(l.direction, 52, s_.pos, 1);
    for (uint8_t p : kRain[s_.pos]) {
        if (p < kPositions) {
            s_.level[p] = 255;
            s_.hue[p] = 0;
        }
    }
    for (int p = 0; p < kPositions; ++p) {
        if (s_.level[p] != 0) s_.level[p] = uint8_t(std::max(s_.level[p] - 5, 0));
        if (s_.hue[p] != 255) s_.hue[p] = uint8_t(std::min(s_.hue[p] + 3, 255));
        if (l.multicolor) {
            Put(p, kWheel[s_.hue[p]], bright);
        } else {
            Put(p, l.colour, Mul8(bright, s_.level[p]));
        }
    }
}

void KeyboardLighting::StepColourInput(const LightSettings& l)
{
    std::array<int32_t, kColourInputs> input;
    {
        std::lock_guard guard(inputLock_);
        input = colourInput_;
    }
    auto component = [](int32_t v) { return uint8_t(std::clamp(v, 0, 255)); };
    leds_.Fill(PackLed({component(input[0]), component(input[1]), component(input[2])}, Intensity(l.brightness)));
}

void KeyboardLighting::DecayAndPaint(const LightSettings& l, int mode)
{
    const uint8_t bright = Intensity(l.brightness);
    for (int p = 0; p < kPositions; ++p) {
        Decay(p, mode);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

} // namespace orvel::lighting
