#include "sim/serve/task_queue.h"

namespace orvel::sim {

TaskQueue::TaskQueue() : thread_([this] { Run(); }) {}

TaskQueue::~TaskQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void TaskQueue::Post(std::chrono::steady_clock::duration delay, std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        entries_.push(Entry{std::chrono::steady_clock::now() + delay, nextOrder_++, std::move(task)});
    }
    wake_.notify_all();
}

void TaskQueue::Drain()
{
    const auto now = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return !running_ && (entries_.empty() || entries_.top().due > now); });
}

void TaskQueue::Run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (entries_.empty()) {
            idle_.notify_all();
            wake_.wait(lock);
            continue;
        }
        const auto due = entries_.top().due;
        if (due > std::chrono::steady_clock::now()) {
            idle_.notify_all();
            wake_.wait_until(lock, due);
            continue;
        }
        auto task = entries_.top().task;
        entries_.pop();
        running_ = true;
        lock.unlock();
        task();
        lock.lock();
        running_ = false;
    }
}

} // namespace orvel::sim
