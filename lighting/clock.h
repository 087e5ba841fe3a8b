#pragma once
// The light scheduler's time and sleep, behind one small interface so tests run effects frame by
// frame without real time. A waiter sleeps until a deadline, or until it is woken (a setting
// changed) or stopped.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orvel::lighting {

class Waiter {
public:
    virtual ~Waiter() = default;
    // Milliseconds of a monotonic clock.
    virtual uint64_t NowMs() = 0;
    // Sleeps until NowMs() reaches deadlineMs or Wake() or Stop() is called; false once stopped.
    virtual bool WaitUntil(uint64_t deadlineMs) = 0;
    virtual void Wake() = 0;
    virtual void Stop() = 0;
    virtual bool Stopped() = 0;
};

// Real time: the monotonic clock and a condition variable.
class SteadyWaiter : public Waiter {
public:
    uint64_t NowMs() override;
    bool WaitUntil(uint64_t deadlineMs) override;
    void Wake() override;
    void Stop() override;
    bool Stopped() override;

private:
    std::mutex lock_;
    std::condition_variable cv_;
    bool woken_ = false;
    bool stopped_ = false;
};

// Test time: waiting moves the clock straight to the deadline. Stops by itself once the clock has
// reached stopAtMs, so a thread driven by it ends after a known span of simulated time.
class ManualWaiter : public Waiter {
public:
    explicit ManualWaiter(uint64_t startMs = 0, uint64_t stopAtMs = UINT64_MAX);
    uint64_t NowMs() override;
    bool WaitUntil(uint64_t deadlineMs) override;
    void Wake() override;
    void Stop() override;
    bool Stopped() override;
    // How many times WaitUntil was called: the number of wake-ups a real thread would have had.
    uint64_t Waits();

private:
    std::mutex lock_;
    uint64_t now_;
    uint64_t stopAt_;
    uint64_t waits_ = 0;
    bool stopped_ = false;
};

} // namespace orvel::lighting
