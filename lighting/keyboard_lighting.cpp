#include "lighting/keyboard_lighting.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

using namespace keyboard;

namespace {
constexpr std::array<uint8_t, 5> kStepThreshold = {10, 8, 5, 3, 1};
} // namespace

KeyboardLighting::KeyboardLighting(uint32_t seed) : DeviceLighting(kPositions, kTiming), random_(seed)
{
    columnFlag_.fill(true);
}

// ---- record and inputs -------------------------------------------------------------------------

void KeyboardLighting::LoadProfileState(const LightSettings& settings)
{
    SetSettings(settings);
    std::lock_guard guard(lock_);
    if (settings.mode == 24) {
        s_.hue.fill(0);
    }
    s_.pos = 0;
}

void KeyboardLighting::SetAudioSettings(const AudioLightSettings& audio)
{
    {
        std::lock_guard guard(lock_);
        audio_ = audio;
    }
    NotifyChanged();
}

void KeyboardLighting::SetCustomColours(std::span<const Rgb> colours)
{
    const int n = std::min<int>(int(colours.size()), kPositions);
    for (int p = 0; p < n; ++p) {
        leds_.SetLedColor(p, PackLed(colours[p], LevelOf(leds_.GetLedColor(p))));
    }
    NotifyChanged();
}

void KeyboardLighting::SetPositionColour(int position, Rgb colour)
{
    leds_.SetLedColor(position, PackLed(colour, LevelOf(leds_.GetLedColor(position))));
    NotifyChanged();
}

void KeyboardLighting::FillCustomColours(Rgb colour)
{
    for (int p = 0; p < kPositions; ++p) {
        leds_.SetLedColor(p, PackLed(colour, LevelOf(leds_.GetLedColor(p))));
    }
    NotifyChanged();
}

void KeyboardLighting::ColourInput(std::span<const int32_t> values)
{
    {
        std::lock_guard guard(inputLock_);
        const std::size_t n = std::min<std::size_t>(values.size(), kColourInputs);
        std::copy_n(values.begin(), n, colourInput_.begin());
    }
    NotifyChanged();
}

void KeyboardLighting::KeyEventByKey(int key, int type, std::span<const uint8_t> keyOfPosition)
{
    for (std::size_t p = 0; p < keyOfPosition.size() && p < std::size_t(kPositions); ++p) {
        if (keyOfPosition[p] != 255 && keyOfPosition[p] == key) {
            KeyEvent(int(p), type);
            return;
        }
    }
}

void KeyboardLighting::KeyEvent(int position, int type)
{
    if (position < 0 || position >= kPositions) {
        return;
    }
    std::lock_guard guard(lock_);
    switch (settings_.mode) {
    case 7: KeyEventHeld(position, type); break;
    case 8:
    case 9: ReactivePress(position, type); break;
    case 25: KeyEventSpread(position, type); break;
    default: break;
    }
}

KeyboardLighting::State KeyboardLighting::StateForTests() const
{
    std::lock_guard guard(lock_);
    return s_;
}

void KeyboardLighting::SetStateForTests(const State& state)
{
    std::lock_guard guard(lock_);
    s_ = state;
}

// ---- the loop ------------------------------------------------------------------------------------

Schedule KeyboardLighting::CurrentSchedule()
{
    std::lock_guard guard(lock_);
    const LightSettings& l = settings_;
    if (!HasRenderer(l.mode)) {
        return Schedule{Schedule::Kind::Player, 0, Schedule::kAlwaysChanges};
    }
    switch (l.mode) {
    case 16:
    case 18: return Schedule{Schedule::Kind::Ticks, 3, Schedule::kAlwaysChanges};
    case 29: return Schedule{Schedule::Kind::Ticks, 2, Schedule::kAlwaysChanges};
    // The colour input is shown as it comes: the frame changes only with the input or the record.
    case 30: return Schedule{Schedule::Kind::EveryPass, 0, Schedule::kNeverChanges};
    default: return Schedule{Schedule::Kind::Ticks, kStepThreshold[std::clamp(l.speed, 0, 4)], SameUntilMs(l)};
    }
}

uint64_t KeyboardLighting::SameUntilMs(const LightSettings& l) const
{
    switch (l.mode) {
    case 6:  // static
    case 17: // one wheel colour
    case 19: // custom colours
    case 28: // off
        return Schedule::kNeverChanges;
    case 23: // blink
    case 27: // four-colour blink
        return NextBlinkToggleMs(l);
    default:
        return Schedule::kAlwaysChanges;
    }
}

void KeyboardLighting::Render(const LightSettings& l, uint64_t nowMs)
{
    switch (l.mode) {
    case 1: StepWaveColumns(l); break;
    case 2: StepWaveColumns2(l); break;
    case 3: StepSweep(l); break;
    case 4: RenderSpectrum(leds_, state_, l); break;
    case 5: StepBreathing(l); break;
    case 6: StepStatic(l); break;
    case 7:
    case 25: StepHeld(l); break;
    case 8: StepReactive(l, true); break;
    case 9: StepReactive(l, false); break;
    case 10: StepRandomKeys(l); break;
    case 11: StepHueCycle(l); break;
    case 12: StepWaveRows(l); break;
    case 13: StepCentreRipple(l); break;
    case 14: StepShow(l); break;
    case 15: StepPulseSweep(l, s_.level, 2); break;
    case 16: StepCornerRipple(l); break;
    case 17: StepFxColour(l); break;
    case 18: StepRings(l); break;
    case 19: StepCustom(l); break;
    case 21: StepSnake(l); break;
    case 22: StepPulseSweep(l, s_.phase, 1); break;
    case 23: RenderBlink(leds_, state_, l, nowMs); break;
    case 24: StepRain(l); break;
    case 26: RenderBreathing4(leds_, state_, l); break;
    case 27: RenderBlink4(leds_, state_, l, nowMs); break;
    case 28: RenderOff(leds_); break;
    case 29: StepAudio(l); break;
    case 30: StepColourInput(l); break;
    default: break;
    }
}

// ---- helpers -------------------------------------------------------------------------------------

Rgb KeyboardLighting::ColourOf(const LightSettings& l, uint8_t hue) const
{
    return l.multicolor ? kWheel[hue] : l.colour;
}

void KeyboardLighting::Put(int position, Rgb colour, uint8_t level)
{
    if (position >= 0 && position < kPositions) {
        leds_.SetLedColor(position, PackLed(colour, level));
    }
}

uint8_t KeyboardLighting::Decay(int position, int mode)
{
    s_.level[position] = DecayIntensity(s_.level[position], mode);
    return s_.level[position];
}

uint8_t KeyboardLighting::PlaneBits(int column) const
{
    return uint8_t(s_.planes[0][column] | s_.planes[1][column] | s_.planes[2][column] | s_.planes[3][column]);
}

void KeyboardLighting::SetPlaneBit(int column, int row)
{
    for (auto& plane : s_.planes) plane[column] = uint8_t(plane[column] | (1u << row));
}

// ---- state operations ----------------------------------------------------------------------------

void KeyboardLighting::ClearLightingState()
{
    s_.pos = 0;
    s_.counter = 0;
    s_.hue.fill(0);
    s_.held.fill(0);
    s_.level.fill(0);
    s_.pressed.fill(0);
    for (auto& plane : s_.planes) plane.fill(0);
    state_ = RenderState{};
    ClearAudioState();
}

void KeyboardLighting::ClearAudioState()
{
    std::lock_guard guard(inputLock_);
    spectrumInput_.fill(0);
    spectrum_.fill(0);
    columnFlag_.fill(true);
    audioTotal_ = 0;
    s_.offset = 0;
}

void KeyboardLighting::StartEffect(int mode)
{
    ClearLightingState();
    switch (mode) {
    case 13: SetPlaneBit(9, 6); break;
    case 15:
        for (int c = 0; c < kColumns; ++c) {
            for (int r = 0; r <= kRows; ++r) {
                const uint8_t p = kStartGrid[c][r];
                if (p >= kPositions) continue;
                s_.level[p] = kStartPhases[std::min<int>(6 * c + r, int(kStartPhases.size()) - 1)];
                s_.hue[p] = uint8_t(7 * c);
            }
        }
        break;
    case 16: SetPlaneBit(1, 0); break;
    case 22:
        for (int c = 0; c < kColumns; ++c) {
            int a = 192 - 8 * c;
            for (int r = 0; r <= kRows; ++r) {
                const int b = a - 35 >= 0 ? a - 35 : uint8_t(a - 98);
                const uint8_t p = kStartGrid[c][r];
                if (p < kPositions) {
                    s_.phase[p] = uint8_t(b);
                    s_.hue[p] = uint8_t(7 * c);
                }
                a = b;
            }
        }
        break;
    default: {
        // Hue gradient: a running sum of 33 per position, back by 159 once it reaches 160.
        uint8_t sum = 0;
        for (int p = 0; p < kPositions; ++p) {
            sum = uint8_t(sum + (sum >= 160 ? 97 : 33));
            s_.hue[p] = sum;
        }
        break;
    }
    }
}

void KeyboardLighting::MarkPlanes(const LightSettings& l)
{
    for (int c = 0; c < kColumns; ++c) {
        const uint8_t bits = PlaneBits(c);
        for (int r = 0; r < kRows; ++r) {
            const uint8_t p = kMatrix[c][r];
            if ((bits >> r & 1) && p < kPositions) {
                s_.level[p] = 255;
                if (l.multicolor) s_.hue[p] = uint8_t(random_.Below(192));
            }
        }
    }
}

void KeyboardLighting::SpreadPlanes()
{
    const auto old = s_.planes;
    constexpr int last = kColumns - 1;
    for (int c = 0; c < kColumns; ++c) {
        s_.planes[0][c] = uint8_t((old[0][c] >> 1) | (c < last ? old[0][c + 1] : 0));
        s_.planes[3][c] = uint8_t((old[3][c] << 1) | (c < last ? old[3][c + 1] : 0));
        s_.planes[1][c] = uint8_t((old[1][c] >> 1) | (c > 0 ? old[1][c - 1] : 0));
        s_.planes[2][c] = uint8_t((old[2][c] << 1) | (c > 0 ? old[2][c - 1] : 0));
    }
}

void KeyboardLighting::MovePlanes()
{
    s_.planes[0].fill(0);
    s_.planes[2].fill(0);
    auto& right = s_.planes[1];
    std::rotate(right.rbegin(), right.rbegin() + 1, right.rend());
    right[0] = 0;
    auto& left = s_.planes[3];
    std::rotate(left.begin(), left.begin() + 1, left.end());
    left[kColumns - 1] = 0;
}

void KeyboardLighting::ReactivePress(int position, int type)
{
    if (type != 1 || position < 0 || position >= kPositions || CellOfPosition(position) < 0) {
        return;
    }
    SetPlaneBit(CellOfPosition(position) >> 8, CellOfPosition(position) & 0xFF);
}

void KeyboardLighting::KeyEventHeld(int position, int type)
{
    s_.held[position] = uint8_t(type);
    s_.level[position] = 255;
    s_.hue[position] = uint8_t(random_.Below(192));
}

namespace {
struct Neighbour {
    int dc, dr;
    bool direct;
};
constexpr Neighbour kNeighbours[] = {
    {-1, 0, true},  {1, 0, true},   {0, -1, true},  {0, 1, true},   {-2, 0, false}, {2, 0, false},
    {0, -2, false}, {0, 2, false},  {-1, -1, false}, {1, -1, false}, {-1, 1, false}, {1, 1, false},
};
} // namespace

void KeyboardLighting::KeyEventSpread(int position, int type)
{
    const int cell = CellOfPosition(position);
    if (type == 1) {
        s_.held[position] = 1;
        s_.pressed[position] = 1;
        s_.level[position] = 255;
    } else {
        s_.held[position] = 2;
        s_.pressed[position] = 0;
    }
    if (cell < 0) {
        return;
    }
    for (const Neighbour& n : kNeighbours) {
        const uint8_t q = PositionAt((cell >> 8) + n.dc, (cell & 0xFF) + n.dr);
        if (q >= kPositions) continue;
        const int amount = n.direct ? 15 : 90;
        if (type == 1) {
            s_.level[q] = uint8_t(std::max(int(s_.level[q]), 255 - amount));
        } else if (!HasPressedNeighbour(q)) {
            s_.level[q] = uint8_t(std::max(int(s_.level[q]) - amount, 0));
        }
    }
}

bool KeyboardLighting::HasPressedNeighbour(int position) const
{
    const int cell = CellOfPosition(position);
    if (cell < 0) return false;
    for (const Neighbour& n : kNeighbours) {
        if (!n.direct) continue;
        const uint8_t q = PositionAt((cell >> 8) + n.dc, (cell & 0xFF) + n.dr);
        if (q < kPositions && s_.pressed[q]) return true;
    }
    return false;
}

} // namespace orvel::lighting
