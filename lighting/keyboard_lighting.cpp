#include "lighting/keyboard_lighting.h"

#include "lighting/tables.h"

#include <algorithm>
#include <numeric>

namespace orvel::lighting {

using namespace keyboard;

namespace {

constexpr std::array<uint8_t, 5> kStepThreshold = {10, 8, 5, 3, 1};

// Matrix cell (column << 8 | row) of every position, -1 outside the matrix.
const std::array<int, kPositions> kCellOf = [] {
    std::array<int, kPositions> cells;
    for (int p = 0; p < kPositions; ++p) cells[p] = CellOfPosition(p);
    return cells;
}();

bool InSweep(int p) { return PositionFilter(p) != kNoKey; }

uint8_t Position(int c, int r)
{
    if (c < 0 || c >= kColumns || r < 0 || r >= kRows) return kNone;
    return kMatrix[c][r];
}

// The height of a spectrum value: 600 - v x 600 / 2000, with the term taken as 500 where it passes
// 600 (in the styles that say so), and the result kept within 0..600.
int Height(int32_t v, bool capTerm)
{
    int64_t term = int64_t(v) * 600 / 2000;
    if (capTerm && term > 600) term = 500;
    return int(std::clamp<int64_t>(600 - term, 0, 600));
}

} // namespace

KeyboardLighting::KeyboardLighting(uint32_t seed) : leds_(kPositions), random_(seed)
{
    columnFlag_.fill(true);
}

// ---- record and inputs -------------------------------------------------------------------------

void KeyboardLighting::SetSettings(const LightSettings& settings)
{
    {
        std::lock_guard guard(lock_);
        const bool restart = !settingsLoaded_ || settings.mode != settings_.mode || settings.mode == 19;
        settings_ = settings;
        settingsLoaded_ = true;
        if (restart) {
            StartState(settings.mode);
        }
    }
    NotifyChanged();
}

void KeyboardLighting::LoadProfileState(const LightSettings& settings)
{
    SetSettings(settings);
    std::lock_guard guard(lock_);
    if (settings.mode == 24) {
        s_.hue.fill(0);
    }
    s_.pos = 0;
}

LightSettings KeyboardLighting::Settings() const
{
    std::lock_guard guard(lock_);
    return settings_;
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
    const LightSettings l = Settings();
    const int speed = std::clamp(l.speed, 0, 4);
    if (l.mode <= 0 || l.mode == 20 || l.mode > 30) {
        return Schedule{Schedule::Kind::Player, 0, false};
    }
    switch (l.mode) {
    case 16:
    case 18: return Schedule{Schedule::Kind::Ticks, 3, false};
    case 29: return Schedule{Schedule::Kind::Ticks, 2, false};
    // The colour input is shown as it comes: the frame changes only with the input or the record.
    case 30: return Schedule{Schedule::Kind::EveryPass, 0, true};
    default: return Schedule{Schedule::Kind::Ticks, kStepThreshold[speed], false};
    }
}

void KeyboardLighting::RenderFrame(uint64_t nowMs)
{
    std::lock_guard guard(lock_);
    Render(settings_, nowMs);
}

void KeyboardLighting::PlayerPass(uint64_t nowMs, uint32_t passes)
{
    std::lock_guard guard(lock_);
    player_.Pass(leds_, base_, nowMs, passes);
}

void KeyboardLighting::Render(const LightSettings& l, uint64_t nowMs)
{
    switch (l.mode) {
    case 1: StepWaveColumns(l); break;
    case 2: StepWaveColumns2(l); break;
    case 3: StepSweep(l); break;
    case 4: RenderSpectrum(leds_, base_, l); break;
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
    case 23: RenderBlink(leds_, base_, l, nowMs); break;
    case 24: StepRain(l); break;
    case 26: RenderBreathing4(leds_, base_, l); break;
    case 27: RenderBlink4(leds_, base_, l, nowMs); break;
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
    base_ = RenderState{};
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

void KeyboardLighting::StartState(int mode)
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
        const uint8_t bits = s_.planes[0][c] | s_.planes[1][c] | s_.planes[2][c] | s_.planes[3][c];
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
    if (type != 1 || position < 0 || position >= kPositions || kCellOf[position] < 0) {
        return;
    }
    SetPlaneBit(kCellOf[position] >> 8, kCellOf[position] & 0xFF);
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
    const int cell = kCellOf[position];
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
        const uint8_t q = Position((cell >> 8) + n.dc, (cell & 0xFF) + n.dr);
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
    const int cell = kCellOf[position];
    if (cell < 0) return false;
    for (const Neighbour& n : kNeighbours) {
        if (!n.direct) continue;
        const uint8_t q = Position((cell >> 8) + n.dc, (cell & 0xFF) + n.dr);
        if (q < kPositions && s_.pressed[q]) return true;
    }
    return false;
}

// ---- mode steps ----------------------------------------------------------------------------------

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
    const uint8_t bright = Intensity(l.brightness);
    for (int i = 0; i < 6; ++i) {
        const uint8_t p = kSelection[kPickTable[random_.Below(uint32_t(kPickTable.size()))]];
        if (p < kPositions) {
            s_.hue[p] = uint8_t(random_.Below(192));
            s_.level[p] = 255;
        }
    }
    for (int p = 0; p < kPositions; ++p) {
        Decay(p, 10);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
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
        for (int c = 0; c < kColumns; ++c) Put(Position(c, r), colour, bright);
    }
}

void KeyboardLighting::StepCentreRipple(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    constexpr int kCentre = 9;
    const uint8_t bits = s_.planes[0][kCentre] | s_.planes[1][kCentre] | s_.planes[2][kCentre] | s_.planes[3][kCentre];
    if (bits == 0x01) SetPlaneBit(kCentre, 0);
    if (bits == 0x40) SetPlaneBit(kCentre, 6);
    if (s_.counter > 1) {
        s_.counter = 0;
        MarkPlanes(l);
        SpreadPlanes();
    }
    ++s_.counter;
    for (int p = 0; p < kPositions; ++p) {
        Decay(p, l.mode);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
}

void KeyboardLighting::StepShow(const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
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
    for (int p = 0; p < kPositions; ++p) {
        Decay(p, l.mode);
        Put(p, ColourOf(l, s_.hue[p]), Mul8(bright, s_.level[p]));
    }
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
    auto bitsOf = [&](int c) { return s_.planes[0][c] | s_.planes[1][c] | s_.planes[2][c] | s_.planes[3][c]; };
    if (bitsOf(1) == 0x01) SetPlaneBit(1, 0);
    if (bitsOf(22) == 0x40) SetPlaneBit(22, 6);
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

// ---- audio styles --------------------------------------------------------------------------------

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

namespace {
// How one audio cell is painted: inside a bar at full level in the bar colour; outside in the bar
// colour while its level is above 9, else in the background colour.
struct AudioPaint {
    uint8_t bright;
    const AudioLightSettings& audio;
    Rgb Bar(uint8_t hue) const { return audio.multicolor ? kWheel[hue] : audio.foreground; }
};
} // namespace

void KeyboardLighting::AudioVertical(const LightSettings& l, bool dots)
{
    const AudioPaint paint{Intensity(l.brightness), audio_};
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
            const uint8_t above = Position(c, r - 1);
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
            if (s_.level[p] > 9) {
                Put(p, paint.Bar(s_.hue[p]), Mul8(paint.bright, s_.level[p]));
            } else {
                Put(p, audio_.background, paint.bright);
            }
        }
    }
}

void KeyboardLighting::AudioHorizontalPairs(const LightSettings& l)
{
    const AudioPaint paint{Intensity(l.brightness), audio_};
    s_.offset = Step(l.direction, kSpectrumValues, s_.offset, 1);
    s_.pos = Step(l.direction, 192, s_.pos, 1);
    for (int r = 0; r < kRows; ++r) {
        const int left = std::clamp((Height(spectrum_[(s_.offset + 3 * (r + 1)) % kSpectrumValues], true) + 100) * 12 / 600, 0, 9);
        const int rightEnd = 21 - (Height(spectrum_[2 * r + 1], true) + 100) * 12 / 600;
        auto update = [&](int c, bool inside, int outer, bool alwaysDecays) {
            const uint8_t p = kMatrix[c][r];
            if (p >= kPositions) return;
            s_.hue[p] = uint8_t((s_.pos + 7 * (c + 1)) % 192);
            const uint8_t q = Position(outer, r);
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
            if (s_.level[p] > 9) {
                Put(p, paint.Bar(s_.hue[p]), Mul8(paint.bright, s_.level[p]));
            } else {
                Put(p, audio_.background, paint.bright);
            }
        }
    }
}

void KeyboardLighting::AudioRipple(const LightSettings& l)
{
    const AudioPaint paint{Intensity(l.brightness), audio_};
    MarkPlanes(l);
    SpreadPlanes();
    for (int c = 0; c < kColumns; ++c) {
        for (uint8_t p : kMatrix[c]) {
            if (p >= kPositions) continue;
            Decay(p, 29);
            s_.hue[p] = Step(true, 192, s_.hue[p], 9);
            if (s_.level[p] > 9) {
                Put(p, paint.Bar(s_.hue[p]), Mul8(paint.bright, s_.level[p]));
            } else {
                Put(p, audio_.background, paint.bright);
            }
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
    const AudioPaint paint{Intensity(l.brightness), audio_};
    std::array<int, kRows> band{};
    for (int b = 0, at = 0; b < kRows; ++b) {
        int sum = 0;
        for (int i = 0; i < sizes[b]; ++i) sum += spectrum_[at++];
        band[b] = sum / 3;
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
            const uint8_t q = Position(growsRight ? c + 1 : c - 1, r);
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
            if (s_.level[p] > 9) {
                Rgb bar = paint.Bar(s_.hue[p]);
                if (!fromLeft) {
                    bar = audio_.multicolor ? kWheel[running] : audio_.foreground;
                    running = uint8_t((running + 2) % 192);
                }
                Put(p, bar, Mul8(paint.bright, s_.level[p]));
            } else {
                Put(p, audio_.background, paint.bright);
            }
        }
    }
}

} // namespace orvel::lighting
