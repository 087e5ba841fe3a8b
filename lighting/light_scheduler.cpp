#include "lighting/light_scheduler.h"

#include <algorithm>

namespace orvel::lighting {

LightScheduler::LightScheduler(std::shared_ptr<Waiter> waiter, uint32_t maxLateMs)
    : waiter_(std::move(waiter)), maxLateMs_(maxLateMs)
{
}

LightScheduler::~LightScheduler()
{
    Stop();
    for (const auto& entry : entries_) {
        entry->source.SetWakeHandler(nullptr);
    }
}

LightScheduler::Id LightScheduler::Add(LightSource& source, LoopTiming timing)
{
    Entry* entry = nullptr;
    {
        std::lock_guard guard(lock_);
        entries_.push_back(std::make_unique<Entry>(++lastId_, source, timing));
        entry = entries_.back().get();
    }
    // The entry lives until Remove has cleared this handler.
    source.SetWakeHandler([this, entry] {
        entry->loop.InputChanged();
        entry->woken.store(true, std::memory_order_release);
        waiter_->Wake();
    });
    waiter_->Wake();
    return entry->id;
}

void LightScheduler::Remove(Id id)
{
    LightSource* source = nullptr;
    {
        std::lock_guard guard(lock_);
        Entry* entry = FindLocked(id);
        if (entry == nullptr) {
            return;
        }
        source = &entry->source;
    }
    // Outside lock_: a change notification holds the source's handler lock while it wakes us.
    source->SetWakeHandler(nullptr);
    std::unique_lock guard(lock_);
    ++removersWaiting_;
    idle_.wait(guard, [this, id] {
        const Entry* entry = FindLocked(id);
        return entry == nullptr || !entry->running;
    });
    --removersWaiting_;
    std::erase_if(entries_, [id](const auto& e) { return e->id == id; });
}

LightScheduler::Entry* LightScheduler::FindLocked(Id id) const
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [id](const auto& e) { return e->id == id; });
    return it == entries_.end() ? nullptr : it->get();
}

void LightScheduler::Start()
{
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

void LightScheduler::Stop()
{
    waiter_->Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LightScheduler::Run()
{
    while (!waiter_->Stopped()) {
        const uint64_t wakeAt = RunDue(waiter_->NowMs());
        wakeups_.fetch_add(1, std::memory_order_relaxed);
        if (!waiter_->WaitUntil(wakeAt)) {
            break;
        }
    }
}

uint64_t LightScheduler::RunDue(uint64_t nowMs)
{
    while (RunOnce(nowMs)) {
    }
    std::lock_guard guard(lock_);
    uint64_t wakeAt = UINT64_MAX;
    for (const auto& e : entries_) {
        if (e->due != UINT64_MAX) {
            wakeAt = std::min(wakeAt, e->due + e->lateMs);
        }
    }
    return wakeAt;
}

bool LightScheduler::RunOnce(uint64_t nowMs)
{
    batch_.clear();
    {
        std::lock_guard guard(lock_);
        for (const auto& e : entries_) {
            if (e->woken.exchange(false, std::memory_order_acquire) || e->due <= nowMs) {
                e->running = true;
                batch_.push_back(e.get());
            }
        }
    }
    bool dueAgain = false;
    for (Entry* e : batch_) {
        // A loop run within its allowed lateness runs for its due time; one the thread reached
        // later than that (a busy machine) runs for now, as a thread that woke late would.
        const bool inTime = e->due <= nowMs && nowMs - e->due <= e->lateMs;
        const uint64_t at = inTime ? e->due : nowMs;
        e->due = e->loop.Pass(at);
        // Late by less than the time since this pass, so a regular effect's frame is out before
        // its next one is due.
        e->lateMs = e->due == UINT64_MAX ? 0 : uint32_t(std::min<uint64_t>(maxLateMs_, e->due - at - 1));
        dueAgain = dueAgain || e->due <= nowMs;
    }
    bool removerWaits = false;
    {
        std::lock_guard guard(lock_);
        for (Entry* e : batch_) {
            e->running = false;
        }
        removerWaits = removersWaiting_ > 0;
    }
    if (removerWaits) {
        idle_.notify_all();
    }
    return dueAgain;
}

} // namespace orvel::lighting
