#pragma once
// Synchronised lighting: one common effect (breathing, static, blink, spectrum cycle or off)
// rendered as one colour per frame by a single thread and written into every LED of every device
// that follows it. The translation table maps each kind's mode index to the common code and back.

#include "lighting/led_buffer.h"
#include "lighting/light_loop.h"
#include "lighting/settings.h"

#include <mutex>
#include <optional>
#include <vector>

namespace orvel::lighting {

struct DeviceFlags;

enum class DeviceKind { Keyboard, Mouse, MousePad, Headset };

// Device kind numbers: 1 and 9 keyboard, 2 and 6 mouse, 3 mouse pad, 7 (and 4) headset.
std::optional<DeviceKind> KindOfNumber(int kindNumber);

enum CommonCode { kSyncBreathing = 0, kSyncStatic = 1, kSyncBlink = 2, kSyncSpectrum = 3, kSyncOff = 4 };

// The common code of a kind's mode index; nullopt when the mode has none (same mode does nothing).
std::optional<int> CommonCodeOf(DeviceKind kind, int modeIndex);
// The kind's mode index of a common code 0..4; nullopt for any other code.
std::optional<int> ModeIndexOf(DeviceKind kind, int commonCode);

// The common effect: its code and the source record's brightness, speed, direction, seven-colour
// flag and colour.
struct SyncEffect {
    int code = kSyncOff;
    LightSettings settings;
};

// One colour per frame of the common effect.
class SyncRenderer {
public:
    void Start(const SyncEffect& effect);
    const SyncEffect& Effect() const { return effect_; }
    // The next frame, packed as an LED entry.
    uint32_t Frame(uint64_t nowMs);
    // Until when the frames stay the same (Schedule::sameUntilMs).
    uint64_t SameUntilMs() const;

private:
    SyncEffect effect_;
    uint8_t phase_ = 0;
    uint8_t position_ = 0;
    bool on_ = false;
    uint64_t lastToggleMs_ = 0;
};

// The main window's sync thread as a light source: it runs while any device with an open link
// has its sync flag set, and writes each frame into all of them.
class SyncLighting : public LightSource {
public:
    // The main window counts changes of the clock by more than 1 ms, and looks again after 1 s
    // while no device follows.
    static constexpr LoopTiming kTiming{2, 1, 1000};
    // A frame that does not change is written again this often, for devices that begin to follow.
    static constexpr uint64_t kLookForFollowersMs = 1000;

    void AddDevice(LedBuffer& leds, const DeviceFlags& flags);
    void Start(const SyncEffect& effect);
    SyncEffect Effect() const;

    bool LinkOpen() const override; // some device follows
    bool SyncFlag() const override { return false; }
    Schedule CurrentSchedule() override;
    void RenderFrame(uint64_t nowMs) override;
    void PlayerPass(uint64_t, uint32_t) override {}
    uint32_t PlayerPassesUntilDue() override { return 0; }
    uint64_t PlayerStepEndsAfterMs() override { return UINT64_MAX; }
    void ApplyPerLed(uint64_t, uint32_t) override {}
    std::optional<uint32_t> PerLedPassesUntilDue() override { return std::nullopt; }
    std::optional<uint64_t> PerLedNextBlinkMs() override { return std::nullopt; }

private:
    struct Target {
        LedBuffer* leds;
        const DeviceFlags* flags;
    };
    uint64_t FollowersLocked() const;

    mutable std::mutex lock_;
    std::vector<Target> targets_;
    SyncRenderer renderer_;
    uint64_t renderedFollowers_ = 0;
    uint64_t lastFrameMs_ = 0;
};

} // namespace orvel::lighting
