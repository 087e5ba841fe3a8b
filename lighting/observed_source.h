#pragma once
// A light source seen through another, so that someone learns when its loop has been run: the
// frame output sends the buffer after every pass in which the loop did its work (a rendered
// frame, an effect-list step or the per-LED effects). Everything else is passed on unchanged.

#include "lighting/light_loop.h"

#include <functional>

namespace orvel::lighting {

class ObservedSource : public LightSource {
public:
    // passed is called on the light thread at the end of each pass that ran.
    ObservedSource(LightSource& inner, std::function<void()> passed) : inner_(inner), passed_(std::move(passed))
    {
        inner_.SetWakeHandler([this] { NotifyChanged(); });
    }
    ~ObservedSource() override { inner_.SetWakeHandler(nullptr); }
    ObservedSource(const ObservedSource&) = delete;
    ObservedSource& operator=(const ObservedSource&) = delete;

    bool LinkOpen() const override { return inner_.LinkOpen(); }
    bool SyncFlag() const override { return inner_.SyncFlag(); }
    Schedule CurrentSchedule() override { return inner_.CurrentSchedule(); }
    void RenderFrame(uint64_t nowMs) override { inner_.RenderFrame(nowMs); }
    void PlayerPass(uint64_t nowMs, uint32_t passes) override { inner_.PlayerPass(nowMs, passes); }
    uint32_t PlayerPassesUntilDue() override { return inner_.PlayerPassesUntilDue(); }
    uint64_t PlayerStepEndsAfterMs() override { return inner_.PlayerStepEndsAfterMs(); }
    // The loop applies the per-LED effects last in every pass it runs.
    void ApplyPerLed(uint64_t nowMs, uint32_t passes) override
    {
        inner_.ApplyPerLed(nowMs, passes);
        passed_();
    }
    std::optional<uint32_t> PerLedPassesUntilDue() override { return inner_.PerLedPassesUntilDue(); }
    std::optional<uint64_t> PerLedNextBlinkMs() override { return inner_.PerLedNextBlinkMs(); }

private:
    LightSource& inner_;
    std::function<void()> passed_;
};

} // namespace orvel::lighting
