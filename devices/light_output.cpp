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
    if (!worker_.Running())
        return;
    worker_.Stop(1000, WorkerStopLines{"灯光输出线程设定退出", "灯光输出线程未能按时退出"});
    // A frame the light thread is sending.
    std::unique_lock lock(state_->lock);
    state_->idle.wait(lock, [&] { return !state_->sending; });
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

void LightOutput::FrameRendered()
{
    std::unique_lock lock(state_->lock);
    State& state = *state_;
    if (state.stopping || state.holds > 0 || state.sending || !state.answersQuickly || Clock::now() < state.nextAllowed) {
        lock.unlock();
        FrameChanged();
        return;
    }
    state.pending = false;
    state.sending = true;
    SendLocked(state, lock, send_);
    // A frame that came from another thread meanwhile is the worker's.
    const bool wake = state.pending;
    lock.unlock();
    if (wake)
        state.wake.notify_one();
}

unsigned long LightOutput::Sent() const
{
    std::lock_guard guard(state_->lock);
    return state_->sent;
}

void LightOutput::Run(const std::shared_ptr<State>& state, const Send& send)
{
    std::unique_lock lock(state->lock);
    for (;;) {
        state->wake.wait(lock, [&] { return state->stopping || (state->pending && state->holds == 0 && !state->sending); });
        if (state->stopping)
            return;
        // At most one frame per period: wait out the rest of it (a hold or a stop may come).
        if (Clock::now() < state->nextAllowed) {
            state->wake.wait_until(lock, state->nextAllowed, [&] { return state->stopping || state->holds > 0; });
            continue;
        }
        state->pending = false;
        state->sending = true;
        SendLocked(*state, lock, send);
    }
}

void LightOutput::SendLocked(State& state, std::unique_lock<std::mutex>& lock, const Send& send)
{
    lock.unlock();
    const Clock::time_point began = Clock::now();
    const int pauseMs = send();
    const Clock::time_point ended = Clock::now();
    lock.lock();
    state.sending = false;
    ++state.sent;
    state.answersQuickly = pauseMs == 0 && ended - began < kQuickSend;
    state.nextAllowed = ended + std::max<Clock::duration>(kFramePeriod, std::chrono::milliseconds(pauseMs));
    // Holds and a stop wait for the send to end.
    state.idle.notify_all();
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
