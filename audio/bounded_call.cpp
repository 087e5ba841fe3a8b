#include "audio/bounded_call.h"

#include <condition_variable>
#include <mutex>

namespace orvel::audio {

struct CBoundedCaller::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;
    bool running = false;
    bool stop = false;
    unsigned long finished = 0;
};

CBoundedCaller::CBoundedCaller(std::chrono::milliseconds budget)
    : budget_(budget), state_(std::make_shared<State>())
{
    thread_ = std::thread([state = state_] {
        std::unique_lock lock(state->mutex);
        for (;;) {
            state->changed.wait(lock, [&] { return state->stop || state->job; });
            if (!state->job)
                return;
            std::function<void()> job = std::move(state->job);
            state->job = nullptr;
            state->running = true;
            lock.unlock();
            job();
            lock.lock();
            state->running = false;
            ++state->finished;
            state->changed.notify_all();
        }
    });
}

CBoundedCaller::~CBoundedCaller()
{
    bool stuck = false;
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
        stuck = state_->running;
        state_->changed.notify_all();
    }
    if (stuck)
        thread_.detach();
    else
        thread_.join();
}

bool CBoundedCaller::Run(std::function<void()> job)
{
    std::unique_lock lock(state_->mutex);
    if (state_->running || state_->job || state_->stop)
        return false;
    const unsigned long mine = state_->finished + 1;
    state_->job = std::move(job);
    state_->changed.notify_all();
    return state_->changed.wait_for(lock, budget_, [&] { return state_->finished >= mine; });
}

bool CBoundedCaller::Stuck() const
{
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

} // namespace orvel::audio
