#pragma once
// Worker threads as the main window and the devices run them: each has a parameter record
// {owner, stop event}, polls its stop event, and is stopped by signalling the event, waking
// any blocking I/O through an abort hook and waiting up to 1000 ms. A thread cannot be
// killed safely, so one that is still running then is detached and logged; it keeps its own
// share of the parameter record and stop event, so nothing it may touch is freed under it.

#include "platform/events.h"

#include <functional>
#include <memory>
#include <string_view>
#include <thread>

namespace orvel {

// What a worker receives: the window or device it works for, and its stop event.
struct WorkerParam {
    void* owner = nullptr;
    EventHandle stopEvent;
};

// Waits up to ms on the stop event; true when the worker must end.
bool WaitStop(const WorkerParam& param, DWORD ms);

// The debugger lines written when a stop ends (the main window's lines by default; the
// device threads use their own).
struct WorkerStopLines {
    std::string_view ended = "所有对象处于激发状态\n";
    std::string_view timedOut = "所有对象处于非激发状态，超时\n";
};

class WorkerSlot {
public:
    enum class StopResult { NotRunning, Ended, TimedOut };

    using StopLines = WorkerStopLines;

    // The stop event is manual-reset and unsignalled from the start.
    WorkerSlot();
    // Stops a running worker (with the default time-out and lines).
    ~WorkerSlot();
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;

    // Starts fn on a new thread; false when a worker of this slot is still running. The stop
    // event is reset first. abortHook (optional) is called by Stop after signalling, from the
    // stopping thread, to wake blocking I/O of the worker.
    bool Start(void* owner, std::function<void(const WorkerParam&)> fn, std::function<void()> abortHook = {});

    // Signals the stop event, calls the abort hook and waits up to timeoutMs for the thread.
    StopResult Stop(DWORD timeoutMs = 1000, const StopLines& lines = {});

    bool Running() const;
    const EventHandle& StopEvent() const { return param_->stopEvent; }

private:
    struct State;
    std::shared_ptr<WorkerParam> param_;
    std::shared_ptr<State> state_;
    std::thread thread_;
    std::function<void()> abortHook_;
};

} // namespace orvel
