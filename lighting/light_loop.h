#pragma once
// The light loop of every device kind (and of the synchronised lighting). A pass counts ticks of the clock, renders the mode's
// frame when the count reaches the threshold of the mode and speed, plays the effect list on
// every pass for the modes that select it, and applies the per-LED effects after every pass. It
// skips while the link is closed or the device follows the synchronised lighting.
//
// The loop keeps the timing of a thread that wakes every pass (the same frames on the same ticks)
// but is only run when the next pass in which something is due comes, so an idle or slow effect
// costs no CPU. The light scheduler (light_scheduler.h) runs the loops of all devices.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace orvel::lighting {

// Clock milliseconds per counted tick and per pass of the thread, and the pause while the link
// is closed.
struct LoopTiming {
    uint32_t tickMs = 1;
    uint32_t passMs = 1;
    uint32_t closedPauseMs = 100;
};

// What the current mode asks of the loop.
struct Schedule {
    enum class Kind {
        Ticks,      // render when the tick count reaches threshold
        EveryPass,  // render on every pass
        Player,     // the effect list, on every pass
    };
    static constexpr uint64_t kAlwaysChanges = 0;
    static constexpr uint64_t kNeverChanges = UINT64_MAX;

    Kind kind = Kind::Ticks;
    uint32_t threshold = 1;
    // The frame stays the same until an input or setting changes or the clock reaches this time
    // (a blink's next toggle); kAlwaysChanges for animated effects. A frame that would come out
    // the same is not rendered again, so a static or slow effect leaves the thread asleep.
    uint64_t sameUntilMs = kAlwaysChanges;
};

// A device kind's lighting as the loop drives it.
class LightSource {
public:
    virtual ~LightSource() = default;
    virtual bool LinkOpen() const = 0;
    virtual bool SyncFlag() const = 0;
    virtual Schedule CurrentSchedule() = 0;
    virtual void RenderFrame(uint64_t nowMs) = 0;
    virtual void PlayerPass(uint64_t nowMs, uint32_t passes) = 0;
    // The player's next due pass count (0: nothing due) and the time its step ends.
    virtual uint32_t PlayerPassesUntilDue() = 0;
    virtual uint64_t PlayerStepEndsAfterMs() = 0;
    virtual void ApplyPerLed(uint64_t nowMs, uint32_t passes) = 0;
    virtual std::optional<uint32_t> PerLedPassesUntilDue() = 0;
    virtual std::optional<uint64_t> PerLedNextBlinkMs() = 0;

    // Called when a setting or an input changed, so a sleeping thread looks again.
    void SetWakeHandler(std::function<void()> wake)
    {
        std::lock_guard guard(wakeLock_);
        wake_ = std::move(wake);
    }

protected:
    void NotifyChanged()
    {
        std::lock_guard guard(wakeLock_);
        if (wake_) {
            wake_();
        }
    }

private:
    std::mutex wakeLock_;
    std::function<void()> wake_;
};

class LightLoop {
public:
    LightLoop(LightSource& source, LoopTiming timing);
    // Runs what the passes up to nowMs would have done; returns the time of the next pass in
    // which something is due (always after nowMs). nowMs never goes back; it may lag the clock
    // when a loop is run a little after its due time and should render as at that time.
    uint64_t Pass(uint64_t nowMs);
    // A setting or an input changed: the next pass renders an input-driven frame again.
    void InputChanged()
    {
        inputChanged_.store(true, std::memory_order_relaxed);
        applyPending_.store(true, std::memory_order_relaxed);
    }

private:
    uint64_t NextDue(const Schedule& schedule);
    // Counts the ticks of the passes before nowMs (the loop slept through them).
    void CountTicksBefore(uint64_t nowMs, const Schedule& schedule);
    // Whether a frame rendered now would differ from the last one (consumes an input change).
    bool FrameChanges(const Schedule& schedule, uint64_t nowMs);
    uint64_t PassAfter(uint64_t ms) const;

    LightSource& source_;
    LoopTiming timing_;
    bool started_ = false;
    uint64_t lastPassMs_ = 0;
    uint64_t lastTickMs_ = 0;
    uint32_t ticks_ = 0;
    std::atomic<bool> inputChanged_{true};
    std::atomic<bool> applyPending_{true};
};

} // namespace orvel::lighting
