#include "lighting/light_loop.h"

#include <algorithm>

namespace orvel::lighting {

LightLoop::LightLoop(LightSource& source, LoopTiming timing) : source_(source), timing_(timing)
{
    timing_.tickMs = std::max<uint32_t>(timing_.tickMs, 1);
    timing_.passMs = std::max<uint32_t>(timing_.passMs, 1);
}

uint64_t LightLoop::PassAfter(uint64_t ms) const
{
    // The first pass at or after ms on the pass grid.
    if (ms <= lastPassMs_) {
        return lastPassMs_ + timing_.passMs;
    }
    const uint64_t n = (ms - lastPassMs_ + timing_.passMs - 1) / timing_.passMs;
    return lastPassMs_ + n * timing_.passMs;
}

uint64_t LightLoop::Pass(uint64_t nowMs)
{
    // While the link is closed or the device follows the synchronised lighting nothing is counted;
    // counting goes on from the pass that finds the device free again.
    const bool linkOpen = source_.LinkOpen();
    if (!linkOpen || source_.SyncFlag()) {
        if (started_) {
            // the ticks of the passes before this one still count
            CountTicksBefore(nowMs, source_.CurrentSchedule());
            started_ = false;
        }
        // The source wakes the loop when the device is free again; while the link is closed the
        // loop also looks again after the pause of its kind.
        return linkOpen ? UINT64_MAX : nowMs + timing_.closedPauseMs;
    }
    if (!started_) {
        // After a pause the buffer may hold other frames (the synchronised lighting's).
        started_ = true;
        lastPassMs_ = lastTickMs_ = nowMs;
        InputChanged();
    }

    const uint32_t passes = uint32_t((nowMs - lastPassMs_) / timing_.passMs);
    if (passes == 0) {
        return NextDue(source_.CurrentSchedule());
    }
    lastPassMs_ += uint64_t(passes) * timing_.passMs;

    const Schedule schedule = source_.CurrentSchedule();
    if (schedule.kind == Schedule::Kind::Player) {
        inputChanged_.store(false, std::memory_order_relaxed);
        source_.PlayerPass(nowMs, passes);
        lastTickMs_ = nowMs;
        ticks_ = 0;
    } else {
        const uint64_t ticks = (nowMs - lastTickMs_) / timing_.tickMs;
        lastTickMs_ += ticks * timing_.tickMs;
        ticks_ = uint32_t(std::min<uint64_t>(ticks_ + ticks, UINT32_MAX));
        if (schedule.kind == Schedule::Kind::EveryPass) {
            ticks_ = 0;
            if (FrameChanges(schedule, nowMs)) {
                source_.RenderFrame(nowMs);
            }
        } else if (ticks_ >= std::max<uint32_t>(schedule.threshold, 1)) {
            // While a frame stays the same the loop sleeps through threshold crossings; they keep
            // their places, so a change shows at the crossing where a per-pass loop shows it.
            const uint32_t sinceCrossing = ticks_ % std::max<uint32_t>(schedule.threshold, 1);
            const bool atCrossing = sinceCrossing == 0 || schedule.sameUntilMs == Schedule::kAlwaysChanges ||
                                    nowMs >= schedule.sameUntilMs;
            ticks_ = atCrossing ? 0 : sinceCrossing;
            if (atCrossing && FrameChanges(schedule, nowMs)) {
                source_.RenderFrame(nowMs);
            }
        }
    }
    source_.ApplyPerLed(nowMs, passes);
    applyPending_.store(false, std::memory_order_relaxed);
    return NextDue(source_.CurrentSchedule());
}

void LightLoop::CountTicksBefore(uint64_t nowMs, const Schedule& schedule)
{
    if (schedule.kind != Schedule::Kind::Ticks || nowMs <= lastTickMs_) {
        return;
    }
    const uint64_t ticks = (nowMs - 1 - lastTickMs_) / timing_.tickMs;
    lastTickMs_ += ticks * timing_.tickMs;
    ticks_ = uint32_t((ticks_ + ticks) % std::max<uint32_t>(schedule.threshold, 1));
}

bool LightLoop::FrameChanges(const Schedule& schedule, uint64_t nowMs)
{
    // nowMs UINT64_MAX asks whether the frame changes at some time without consuming the change
    if (schedule.sameUntilMs == Schedule::kAlwaysChanges) {
        return true;
    }
    if (nowMs == UINT64_MAX) {
        return inputChanged_.load(std::memory_order_relaxed) || schedule.sameUntilMs != Schedule::kNeverChanges;
    }
    const bool changed = inputChanged_.exchange(false, std::memory_order_relaxed);
    return changed || nowMs >= schedule.sameUntilMs;
}

uint64_t LightLoop::NextDue(const Schedule& schedule)
{
    const uint64_t nextPass = lastPassMs_ + timing_.passMs;
    // After a change the per-LED effects are applied again at the next pass.
    uint64_t due = applyPending_.load(std::memory_order_relaxed) ? nextPass : UINT64_MAX;
    switch (schedule.kind) {
    case Schedule::Kind::Player: {
        const uint32_t n = source_.PlayerPassesUntilDue();
        if (n > 0) {
            due = std::min(due, lastPassMs_ + uint64_t(n) * timing_.passMs);
            const uint64_t ends = source_.PlayerStepEndsAfterMs();
            if (ends != UINT64_MAX) {
                due = std::min(due, PassAfter(ends + 1));
            }
        }
        break;
    }
    case Schedule::Kind::EveryPass:
        if (inputChanged_.load(std::memory_order_relaxed)) {
            due = nextPass;
        } else if (FrameChanges(schedule, UINT64_MAX)) {
            due = std::min(due, std::max(nextPass, PassAfter(schedule.sameUntilMs)));
        }
        break;
    case Schedule::Kind::Ticks:
        if (FrameChanges(schedule, UINT64_MAX)) {
            // the first threshold tick at or after the time the frame changes
            const uint32_t threshold = std::max<uint32_t>(schedule.threshold, 1);
            const uint64_t period = uint64_t(threshold) * timing_.tickMs;
            const uint32_t left = ticks_ >= threshold ? 1 : threshold - ticks_;
            uint64_t at = lastTickMs_ + uint64_t(left) * timing_.tickMs;
            if (!inputChanged_.load(std::memory_order_relaxed) && schedule.sameUntilMs > at && period > 0) {
                at += (schedule.sameUntilMs - at + period - 1) / period * period;
            }
            due = std::min(due, PassAfter(at));
        }
        break;
    }
    if (const auto n = source_.PerLedPassesUntilDue()) {
        due = std::min(due, lastPassMs_ + uint64_t(std::max<uint32_t>(*n, 1)) * timing_.passMs);
    }
    if (const auto blink = source_.PerLedNextBlinkMs()) {
        due = std::min(due, PassAfter(*blink));
    }
    return due;
}

} // namespace orvel::lighting
