#pragma once
// A thread that runs tasks at their due time, in due-time order and, for equal times, in the
// order they were queued: the wire delay of an emulated device.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

namespace orvel::sim {

class TaskQueue {
public:
    TaskQueue();
    ~TaskQueue();
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    void Post(std::chrono::steady_clock::duration delay, std::function<void()> task);
    // Waits until every task due by now has run.
    void Drain();

private:
    struct Entry {
        std::chrono::steady_clock::time_point due;
        std::uint64_t order = 0;
        std::function<void()> task;
        bool operator>(const Entry& other) const
        {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> entries_;
    std::uint64_t nextOrder_ = 0;
    bool running_ = false;     // a task is being run
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace orvel::sim
