#pragma once
// The time a device lives by: the steady clock when served, a hand-moved one in tests.

#include <chrono>
#include <mutex>

namespace orvel::sim {

using TimePoint = std::chrono::steady_clock::time_point;

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
};

class SteadyClock : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

class ManualClock : public Clock {
public:
    TimePoint Now() const override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void Advance(std::chrono::milliseconds by)
    {
        std::lock_guard lock(mutex_);
        now_ += by;
    }

private:
    mutable std::mutex mutex_;
    TimePoint now_{};
};

} // namespace orvel::sim
