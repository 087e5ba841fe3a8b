#pragma once
// The keyboard's own lighting: the state of its effects (hue, held, phase and level per position,
// four reactive planes over the key matrix, counters), the thirty modes and the seven audio
// styles, rendered into the 170-position colour buffer by the keyboard's light loop.

#include "lighting/audio_band_input.h"
#include "lighting/device_lighting.h"
#include "lighting/keyboard_tables.h"
#include "lighting/light_loop.h"
#include "lighting/random.h"
#include "lighting/settings.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

namespace orvel::lighting {

// The audio-reactive record as the keyboard uses it.
struct AudioLightSettings {
    int style = 0;
    Rgb background;
    Rgb foreground;
    bool multicolor = false;
};

class KeyboardLighting : public DeviceLighting, public AudioInputSink {
public:
    static constexpr int kPositions = keyboard::kPositions;
    static constexpr int kSpectrumValues = 25;
    static constexpr int kColourInputs = 6;
    // Ticks are changes of the millisecond clock by 2 or more, passes wait 1 ms.
    static constexpr LoopTiming kTiming{2, 1, 100};

    explicit KeyboardLighting(uint32_t seed = 1);

    // The lighting part of loading a profile: the record (a new mode, and mode 19 set again,
    // clears the lighting state and sets the mode's start state), then for mode 24 every hue 0,
    // and the effect position 0.
    void LoadProfileState(const LightSettings& settings);
    void SetAudioSettings(const AudioLightSettings& audio);

    // Custom colours (mode 19): every position takes its colour (level kept); a position, all.
    void SetCustomColours(std::span<const Rgb> colours);
    void SetPositionColour(int position, Rgb colour);
    void FillCustomColours(Rgb colour);

    // Audio inputs from the capture program: the spectrum (at most 25 values are taken) and the
    // colour input (at most 6, the first three red, green, blue).
    void SpectrumInput(std::span<const int32_t> values) override;
    void ColourInput(std::span<const int32_t> values) override;

    // Key events: by physical key index through keyOfPosition, or by position (1 press, 2 release).
    void KeyEventByKey(int key, int type, std::span<const uint8_t> keyOfPosition);
    void KeyEvent(int position, int type);

    // The keyboard streams its frames to the device only in modes 29 and 30.
    static bool StreamsFrames(int mode) { return mode == 29 || mode == 30; }

    Schedule CurrentSchedule() override;

    // The lighting state, for tests and the device page.
    struct State {
        uint8_t pos = 0;        // effect position
        uint8_t counter = 0;    // step counter (mode 13's count, mode 14's phase)
        uint8_t offset = 0;     // audio band offset
        std::array<uint8_t, kPositions> hue{};
        std::array<uint8_t, kPositions> held{};
        std::array<uint8_t, kPositions> phase{};
        std::array<uint8_t, kPositions> level{};
        std::array<uint8_t, kPositions> pressed{};
        std::array<std::array<uint8_t, keyboard::kColumns>, 4> planes{};
    };
    State StateForTests() const;
    void SetStateForTests(const State& state);

protected:
    bool HasRenderer(int mode) const override { return mode >= 1 && mode <= 30 && mode != 20; }
    uint64_t SameUntilMs(const LightSettings& l) const override;
    void Render(const LightSettings& l, uint64_t nowMs) override;
    bool RestartsWhenSetAgain(int mode) const override { return mode == 19; }
    void StartEffect(int mode) override;

private:
    // The operations of the keyboard's lighting, in its own order.
    void ClearLightingState();                   // 49
    void MarkPlanes(const LightSettings& l);     // 50
    void SpreadPlanes();                         // 51
    void MovePlanes();                           // 52
    void ClearAudioState();                      // 75
    void ReactivePress(int position, int type);  // 86, 98
    void KeyEventHeld(int position, int type);   // 89
    void KeyEventSpread(int position, int type); // 91
    bool HasPressedNeighbour(int position) const; // 92

    // Mode steps (keyboard_modes.cpp).
    void StepWaveColumns(const LightSettings& l);   // 1
    void StepWaveColumns2(const LightSettings& l);  // 2
    void StepSweep(const LightSettings& l);         // 3
    void StepBreathing(const LightSettings& l);     // 5
    void StepStatic(const LightSettings& l);        // 6
    void StepHeld(const LightSettings& l);          // 7, 25
    void StepReactive(const LightSettings& l, bool spread); // 8, 9
    void StepRandomKeys(const LightSettings& l);    // 10
    void StepHueCycle(const LightSettings& l);      // 11
    void StepWaveRows(const LightSettings& l);      // 12
    void StepCentreRipple(const LightSettings& l);  // 13
    void StepShow(const LightSettings& l);          // 14
    void StepPulseSweep(const LightSettings& l, std::array<uint8_t, kPositions>& counter, uint8_t increment); // 15, 22
    void StepCornerRipple(const LightSettings& l);  // 16
    void StepFxColour(const LightSettings& l);      // 17
    void StepRings(const LightSettings& l);         // 18
    void StepCustom(const LightSettings& l);        // 19
    void StepSnake(const LightSettings& l);         // 21
    void StepRain(const LightSettings& l);          // 24
    void StepColourInput(const LightSettings& l);   // 30

    // Audio styles (keyboard_audio.cpp).
    void StepAudio(const LightSettings& l);                  // 29
    void AudioVertical(const LightSettings& l, bool dots);   // 0, 4
    void AudioHorizontalPairs(const LightSettings& l);       // 1
    void AudioRipple(const LightSettings& l);                // 2
    void AudioRings(const LightSettings& l);                 // 3
    void AudioBands(const LightSettings& l, bool fromLeft);  // 5, 6
    // An audio cell: in the bar colour while its level is above 9, else in the background colour.
    void PaintAudioCell(int position, Rgb bar, uint8_t bright);
    Rgb BarColour(uint8_t hue) const;

    uint8_t Decay(int position, int mode);
    Rgb ColourOf(const LightSettings& l, uint8_t hue) const;
    void Put(int position, Rgb colour, uint8_t level);
    // Every position decays by the mode's row and shows colour(hue) at bright x level.
    void DecayAndPaint(const LightSettings& l, int mode);
    void SetPlaneBit(int column, int row);
    uint8_t PlaneBits(int column) const;

    AudioLightSettings audio_;
    State s_;
    Random random_;

    std::mutex inputLock_; // the audio inputs, written by the main window
    std::array<int32_t, kSpectrumValues> spectrumInput_{};
    std::array<int32_t, kColourInputs> colourInput_{};
    std::array<int32_t, kSpectrumValues> spectrum_{};
    std::array<bool, keyboard::kColumns> columnFlag_{};
    int audioTotal_ = 0;
};

} // namespace orvel::lighting
