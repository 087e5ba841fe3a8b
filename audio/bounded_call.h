#pragma once
// Calls into the audio library run on a thread of their own, so a library that does not
// answer never holds the caller (the UI thread) for longer than a budget. A call that overruns
// goes on in the background; until it ends, further calls are refused at once instead of
// queueing behind it.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace orvel::audio {

class CBoundedCaller {
public:
    explicit CBoundedCaller(std::chrono::milliseconds budget);
    // Ends the thread; a call that is still running is left to finish on its own (detached), so
    // whatever it uses must not be freed by the owner afterwards (see Stuck).
    ~CBoundedCaller();
    CBoundedCaller(const CBoundedCaller&) = delete;
    CBoundedCaller& operator=(const CBoundedCaller&) = delete;

    // Runs job on the caller's thread and waits for it up to the budget. False when it did not
    // end in time (it goes on) or when an earlier job is still running (job is not run).
    bool Run(std::function<void()> job);
    // True while a job that overran its budget is still running.
    bool Stuck() const;

private:
    struct State;
    std::chrono::milliseconds budget_;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace orvel::audio
