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
    if (!source_.LinkOpen()) {
        started_ = false;
        return nowMs + timing_.closedPauseMs;
    }
    if (source_.SyncFlag()) {
        started_ = false;
        return nowMs + kSyncPauseMs;
    }
    if (!started_) {
        started_ = true;
        lastPassMs_ = lastTickMs_ = nowMs;
    }

    const uint32_t passes = uint32_t((nowMs - lastPassMs_) / timing_.passMs);
    const Schedule schedule = source_.CurrentSchedule();
    if (passes == 0) {
        return NextDue(schedule);
    }
    lastPassMs_ += uint64_t(passes) * timing_.passMs;

    if (schedule.kind == Schedule::Kind::Player) {
        source_.PlayerPass(nowMs, passes);
        lastTickMs_ = nowMs;
        ticks_ = 0;
    } else {
        const uint64_t ticks = (nowMs - lastTickMs_) / timing_.tickMs;
        lastTickMs_ += ticks * timing_.tickMs;
        ticks_ = uint32_t(std::min<uint64_t>(ticks_ + ticks, UINT32_MAX));
        if (schedule.kind == Schedule::Kind::EveryPass) {
            if (!schedule.sameUntilInputChanges || inputChanged_.exchange(false, std::memory_order_relaxed)) {
                source_.RenderFrame(nowMs);
            }
            ticks_ = 0;
        } else if (ticks_ >= schedule.threshold) {
            ticks_ = 0;
            source_.RenderFrame(nowMs);
        }
    }
    source_.ApplyPerLed(nowMs, passes);
    return NextDue(schedule);
}

uint64_t LightLoop::NextDue(const Schedule& schedule)
{
    const uint64_t nextPass = lastPassMs_ + timing_.passMs;
    uint64_t due = UINT64_MAX;
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
        if (!schedule.sameUntilInputChanges || inputChanged_.load(std::memory_order_relaxed)) {
            due = nextPass;
        }
        break;
    case Schedule::Kind::Ticks: {
        const uint32_t left = ticks_ >= schedule.threshold ? 1 : schedule.threshold - ticks_;
        due = std::min(due, PassAfter(lastTickMs_ + uint64_t(left) * timing_.tickMs));
        break;
    }
    }
    if (const auto n = source_.PerLedPassesUntilDue()) {
        due = std::min(due, lastPassMs_ + uint64_t(std::max<uint32_t>(*n, 1)) * timing_.passMs);
    }
    if (const auto blink = source_.PerLedNextBlinkMs()) {
        due = std::min(due, PassAfter(*blink));
    }
    return due;
}

LightThread::LightThread(LightSource& source, LoopTiming timing, std::shared_ptr<Waiter> waiter)
    : source_(source), loop_(source, timing), waiter_(std::move(waiter))
{
    source_.SetWakeHandler([this] { Wake(); });
}

LightThread::~LightThread()
{
    Stop();
    source_.SetWakeHandler(nullptr);
}

void LightThread::Start()
{
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

void LightThread::Wake()
{
    loop_.InputChanged();
    waiter_->Wake();
}

void LightThread::Stop()
{
    waiter_->Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LightThread::Run()
{
    uint64_t next = waiter_->NowMs();
    while (!waiter_->Stopped()) {
        next = loop_.Pass(waiter_->NowMs());
        if (!waiter_->WaitUntil(next)) {
            break;
        }
    }
}

} // namespace orvel::lighting
