#include "platform/events.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace orvel {

// One lock guards every event; each waiter has its own condition variable, registered with
// the events it waits on, so a signal wakes only the threads that wait for that event.
namespace {

struct Waiter {
    std::condition_variable cv;
};

std::mutex& eventsMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

class Event {
public:
    Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

    // All members are used with eventsMutex() held.
    bool take()
    {
        if (!signalled_) {
            return false;
        }
        if (!manualReset_) {
            signalled_ = false;
        }
        return true;
    }
    void set()
    {
        signalled_ = true;
        for (Waiter* w : waiters_) {
            w->cv.notify_one();
        }
    }
    void reset() { signalled_ = false; }
    void add(Waiter* w) { waiters_.push_back(w); }
    void remove(Waiter* w) { std::erase(waiters_, w); }

private:
    const bool manualReset_;
    bool signalled_;
    std::vector<Waiter*> waiters_;
};

EventHandle CreateEventW(bool manualReset, bool initialState)
{
    return std::make_shared<Event>(manualReset, initialState);
}

bool SetEvent(const EventHandle& event)
{
    if (!event) {
        return false;
    }
    std::lock_guard lock(eventsMutex());
    event->set();
    return true;
}

bool ResetEvent(const EventHandle& event)
{
    if (!event) {
        return false;
    }
    std::lock_guard lock(eventsMutex());
    event->reset();
    return true;
}

DWORD WaitForSingleObject(const EventHandle& event, DWORD timeoutMs)
{
    return WaitForAnyObject(std::span<const EventHandle>(&event, 1), timeoutMs);
}

DWORD WaitForAnyObject(std::span<const EventHandle> events, DWORD timeoutMs)
{
    if (events.empty()) {
        return WAIT_FAILED;
    }
    for (const EventHandle& e : events) {
        if (!e) {
            return WAIT_FAILED;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Waiter waiter;
    std::unique_lock lock(eventsMutex());
    for (const EventHandle& e : events) {
        e->add(&waiter);
    }
    auto takeFirst = [&]() -> DWORD {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i]->take()) {
                return WAIT_OBJECT_0 + static_cast<DWORD>(i);
            }
        }
        return WAIT_TIMEOUT;
    };
    DWORD result = takeFirst();
    while (result == WAIT_TIMEOUT) {
        if (timeoutMs == INFINITE) {
            waiter.cv.wait(lock);
        } else if (waiter.cv.wait_until(lock, deadline) == std::cv_status::timeout) {
            result = takeFirst(); // a signal that raced the time-out still counts
            break;
        }
        result = takeFirst();
    }
    for (const EventHandle& e : events) {
        e->remove(&waiter);
    }
    return result;
}

} // namespace orvel
