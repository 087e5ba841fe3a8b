#include "devices/light_output.h"

namespace orvel::devices {

using Clock = std::chrono::steady_clock;

LightOutput::LightOutput(Send send) : send_(std::move(send)) {}

LightOutput::~LightOutput()
{
    Stop();
}

void LightOutput::Start()
{
    {
        std::lock_guard guard(state_->lock);
        state_->stopping = false;
    }
    std::shared_ptr<State> state = state_;
    Send send = send_;
    worker_.Start(
        this, [state, send](const WorkerParam&) { Run(state, send); },
        [state] {
            std::lock_guard guard(state->lock);
            state->stopping = true;
            state->wake.notify_all();
        });
}

void LightOutput::Stop()
{
    if (worker_.Running())
        worker_.Stop(1000, WorkerStopLines{"灯光输出线程设定退出", "灯光输出线程未能按时退出"});
}

void LightOutput::FrameChanged()
{
    bool wake = false;
    {
        std::lock_guard guard(state_->lock);
        wake = !state_->pending;
        state_->pending = true;
    }
    // Told after the lock is let go, so the sender does not wake only to wait for it.
    if (wake)
        state_->wake.notify_one();
}

unsigned long LightOutput::Sent() const
{
    std::lock_guard guard(state_->lock);
    return state_->sent;
}

void LightOutput::Run(const std::shared_ptr<State>& state, const Send& send)
{
    Clock::time_point nextAllowed = Clock::now();
    std::unique_lock lock(state->lock);
    for (;;) {
        state->wake.wait(lock, [&] { return state->stopping || (state->pending && state->holds == 0); });
        if (state->stopping)
            return;
        // At most one frame per period: wait out the rest of it (a hold or a stop may come).
        if (Clock::now() < nextAllowed) {
            state->wake.wait_until(lock, nextAllowed, [&] { return state->stopping || state->holds > 0; });
            continue;
        }
        state->pending = false;
        state->sending = true;
        lock.unlock();
        const int pauseMs = send();
        lock.lock();
        state->sending = false;
        ++state->sent;
        if (state->holds > 0)
            state->idle.notify_all();
        nextAllowed = Clock::now() + std::max<Clock::duration>(kFramePeriod, std::chrono::milliseconds(pauseMs));
    }
}

LightOutput::Hold::Hold(LightOutput* output) : output_(output)
{
    std::unique_lock lock(output_->state_->lock);
    ++output_->state_->holds;
    output_->state_->idle.wait(lock, [&] { return !output_->state_->sending; });
}

LightOutput::Hold::~Hold()
{
    if (output_ == nullptr)
        return;
    std::lock_guard guard(output_->state_->lock);
    --output_->state_->holds;
    output_->state_->wake.notify_one();
}

} // namespace orvel::devices
