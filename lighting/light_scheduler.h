#pragma once
// One thread runs the light loops of every device and of the synchronised lighting. It sleeps
// until the earliest time a loop must run and then runs every loop that is due, so the sources
// share their wake-ups instead of each thread waking for its own frames.
//
// To share more of them, a loop may be run up to maxLateMs after its due time, and by less than
// the time from its previous pass to that due time, so an effect's frame is out before its next
// one is due. It is then run for its due time: it renders the frame of that tick and counts its
// ticks as a loop that woke on time, so the frames and their ticks stay those of a thread that
// woke every pass; only their delivery is late, by at most maxLateMs. The frame output sends the
// buffers every 5 ms, so the default of 4 ms delays a frame by at most one send. A setting or
// input that changes within those milliseconds reaches the late frame already, as it would reach
// a thread that woke late. When the machine wakes the thread later than that, a loop runs for
// the present time, as a thread woken late would.

#include "lighting/clock.h"
#include "lighting/light_loop.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel::lighting {

class LightScheduler {
public:
    static constexpr uint32_t kMaxLateMs = 4;
    using Id = uint64_t;

    explicit LightScheduler(std::shared_ptr<Waiter> waiter, uint32_t maxLateMs = kMaxLateMs);
    // Stops the thread. Sources still added must still exist (their wake handlers are cleared).
    ~LightScheduler();
    LightScheduler(const LightScheduler&) = delete;
    LightScheduler& operator=(const LightScheduler&) = delete;

    // Adds a source at any time, from any thread; its loop runs at once and then whenever due.
    // A change of the source (LightSource::NotifyChanged) wakes the thread for it.
    Id Add(LightSource& source, LoopTiming timing);
    // Removes a source, from any thread but the scheduler's own. Returns once its loop has ended
    // and will not run again, so the source may be destroyed. Unknown ids are ignored.
    void Remove(Id id);

    void Start();
    // Signals the stop and joins the thread (the loop running at that moment finishes its pass).
    void Stop();

    // Runs every loop that is due at nowMs, and the woken ones; returns the time the thread must
    // wake at the latest (UINT64_MAX: nothing due). The thread calls this; tests may drive a
    // scheduler that was not started with it.
    uint64_t RunDue(uint64_t nowMs);
    // How many times the thread went to sleep.
    uint64_t Wakeups() const { return wakeups_.load(std::memory_order_relaxed); }

private:
    struct Entry {
        Entry(Id id, LightSource& source, LoopTiming timing) : id(id), source(source), loop(source, timing) {}
        const Id id;
        LightSource& source;
        LightLoop loop;
        std::atomic<bool> woken{false};
        // Touched by the running thread only.
        uint64_t due = 0;
        uint32_t lateMs = 0; // how late the loop may be run for its due time
        // Under lock_.
        bool running = false;
    };

    // Runs the woken loops and those due at nowMs once; whether any of them is due again by nowMs.
    bool RunOnce(uint64_t nowMs);
    Entry* FindLocked(Id id) const;
    void Run();

    const std::shared_ptr<Waiter> waiter_;
    const uint32_t maxLateMs_;
    std::mutex lock_;
    std::condition_variable idle_; // an entry stopped running
    int removersWaiting_ = 0;      // Remove calls waiting on idle_
    std::vector<std::unique_ptr<Entry>> entries_;
    Id lastId_ = 0;
    std::vector<Entry*> batch_; // the entries of the current run; the running thread's only
    std::atomic<uint64_t> wakeups_{0};
    std::thread thread_;
};

} // namespace orvel::lighting
