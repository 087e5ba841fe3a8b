#include "lighting/clock.h"

#include <algorithm>
#include <chrono>

namespace orvel::lighting {

uint64_t SteadyWaiter::NowMs()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool SteadyWaiter::WaitUntil(uint64_t deadlineMs)
{
    using namespace std::chrono;
    std::unique_lock guard(lock_);
    const auto wakeOrStop = [this] { return woken_ || stopped_; };
    if (deadlineMs >= uint64_t(INT64_MAX / 1000000)) {
        cv_.wait(guard, wakeOrStop); // nothing due: sleep until woken or stopped
    } else {
        cv_.wait_until(guard, steady_clock::time_point(milliseconds(deadlineMs)), wakeOrStop);
    }
    woken_ = false;
    return !stopped_;
}

void SteadyWaiter::Wake()
{
    {
        std::lock_guard guard(lock_);
        woken_ = true;
    }
    cv_.notify_all();
}

void SteadyWaiter::Stop()
{
    {
        std::lock_guard guard(lock_);
        stopped_ = true;
    }
    cv_.notify_all();
}

bool SteadyWaiter::Stopped()
{
    std::lock_guard guard(lock_);
    return stopped_;
}

ManualWaiter::ManualWaiter(uint64_t startMs, uint64_t stopAtMs) : now_(startMs), stopAt_(stopAtMs) {}

uint64_t ManualWaiter::NowMs()
{
    std::lock_guard guard(lock_);
    return now_;
}

bool ManualWaiter::WaitUntil(uint64_t deadlineMs)
{
    std::lock_guard guard(lock_);
    ++waits_;
    if (!stopped_) {
        now_ = std::max(now_, std::min(deadlineMs, stopAt_));
        if (now_ >= stopAt_) {
            stopped_ = true;
        }
    }
    return !stopped_;
}

void ManualWaiter::Wake() {}

void ManualWaiter::Stop()
{
    std::lock_guard guard(lock_);
    stopped_ = true;
}

bool ManualWaiter::Stopped()
{
    std::lock_guard guard(lock_);
    return stopped_;
}

uint64_t ManualWaiter::Waits()
{
    std::lock_guard guard(lock_);
    return waits_;
}

} // namespace orvel::lighting
