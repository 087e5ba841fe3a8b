#include "platform/worker.h"

#include "platform/debuglog.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvel {

struct WorkerSlot::State {
    std::mutex mutex;
    std::condition_variable cv;
    bool ended = false;
};

bool WaitStop(const WorkerParam& param, DWORD ms)
{
    return WaitForSingleObject(param.stopEvent, ms) != WAIT_TIMEOUT;
}

WorkerSlot::WorkerSlot() : param_(std::make_shared<WorkerParam>())
{
    param_->stopEvent = CreateEventW(true, false);
}

WorkerSlot::~WorkerSlot()
{
    Stop();
}

bool WorkerSlot::Start(void* owner, std::function<void(const WorkerParam&)> fn, std::function<void()> abortHook)
{
    if (Running()) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    // A fresh record: a detached earlier worker may still hold the old one.
    auto param = std::make_shared<WorkerParam>();
    param->owner = owner;
    param->stopEvent = param_->stopEvent;
    ResetEvent(param->stopEvent);
    param_ = param;
    state_ = std::make_shared<State>();
    abortHook_ = std::move(abortHook);
    thread_ = std::thread([param, state = state_, fn = std::move(fn)] {
        fn(*param);
        std::lock_guard lock(state->mutex);
        state->ended = true;
        state->cv.notify_all();
    });
    return true;
}

bool WorkerSlot::Running() const
{
    if (!state_) {
        return false;
    }
    std::lock_guard lock(state_->mutex);
    return !state_->ended;
}

WorkerSlot::StopResult WorkerSlot::Stop(DWORD timeoutMs, const StopLines& lines)
{
    if (!state_) {
        return StopResult::NotRunning;
    }
    SetEvent(param_->stopEvent);
    if (abortHook_) {
        abortHook_();
    }
    bool ended = false;
    {
        std::unique_lock lock(state_->mutex);
        ended = state_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state_->ended; });
    }
    if (ended) {
        thread_.join();
        debuglog::Write(lines.ended);
    } else {
        thread_.detach();
        debuglog::Write(lines.timedOut);
        // A later Start must not share the stop event with the worker left running.
        param_ = std::make_shared<WorkerParam>(WorkerParam{nullptr, CreateEventW(true, false)});
    }
    state_.reset();
    abortHook_ = nullptr;
    return ended ? StopResult::Ended : StopResult::TimedOut;
}

} // namespace orvel
