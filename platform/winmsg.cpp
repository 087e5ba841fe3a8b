#include "platform/winmsg.h"

#include "platform/debuglog.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvel {
namespace {

using Clock = std::chrono::steady_clock;

struct ThreadQueue;

struct Posted {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

struct Sent {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

struct Timer {
    UINT_PTR id;
    UINT elapseMs;
    Clock::time_point due;
};

// The messages of one thread. Guarded by registryMutex().
struct ThreadQueue {
    std::condition_variable cv;
    std::deque<Posted> posted;
    std::deque<std::shared_ptr<Sent>> sent;
    std::function<void()> waker;
    bool wakePending = false;
    bool alive = true;
    bool quit = false;
    int quitCode = 0;
};

struct Window {
    IMessageHandler* handler;
    std::wstring className;
    std::wstring title;
    std::shared_ptr<ThreadQueue> owner;
    bool closing = false;
    std::vector<Timer> timers;
};

std::mutex& registryMutex()
{
    static std::mutex m;
    return m;
}

struct Registry {
    std::unordered_map<HWND, std::shared_ptr<Window>> windows;
    std::uintptr_t nextHandle = 0x10000;
    std::map<std::wstring, UINT, std::less<>> names;
    UINT nextName = 0xC000;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void releaseSend(const std::shared_ptr<Sent>& s, LRESULT result)
{
    s->result = result;
    s->done = true;
    s->sender->cv.notify_all();
}

// Releases, with 0, every send still queued for hwnd (or for any window when hwnd is null).
void cancelSends(ThreadQueue& q, HWND hwnd)
{
    std::erase_if(q.sent, [&](const std::shared_ptr<Sent>& s) {
        if (hwnd != nullptr && s->hwnd != hwnd) {
            return false;
        }
        releaseSend(s, 0);
        return true;
    });
}

// Called with the lock held; returns the waker to call once the lock is released.
std::function<void()> wakeLocked(ThreadQueue& q)
{
    q.cv.notify_all();
    if (!q.waker || q.wakePending) {
        return {};
    }
    q.wakePending = true;
    return q.waker;
}

// The calling thread's queue; when the thread ends, its windows close and waiting senders
// are released, so nobody waits for a thread that is gone.
struct ThreadQueueHolder {
    std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    ~ThreadQueueHolder()
    {
        std::lock_guard lock(registryMutex());
        queue->alive = false;
        cancelSends(*queue, nullptr);
        for (auto& [hwnd, w] : registry().windows) {
            if (w->owner == queue) {
                w->closing = true;
                w->timers.clear();
            }
        }
        queue->posted.clear();
        queue->waker = nullptr;
    }
};

const std::shared_ptr<ThreadQueue>& currentQueue()
{
    thread_local ThreadQueueHolder holder;
    return holder.queue;
}

std::shared_ptr<Window> findLocked(HWND hwnd)
{
    auto it = registry().windows.find(hwnd);
    return it == registry().windows.end() ? nullptr : it->second;
}

// The handler of a window still registered, for dispatch on its owner thread.
IMessageHandler* handlerFor(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    return w ? w->handler : nullptr;
}

std::optional<Clock::time_point> nextTimerLocked(const std::shared_ptr<ThreadQueue>& q)
{
    std::optional<Clock::time_point> next;
    for (auto& [hwnd, w] : registry().windows) {
        if (w->owner != q) {
            continue;
        }
        for (const Timer& t : w->timers) {
            if (!next || t.due < *next) {
                next = t.due;
            }
        }
    }
    return next;
}

// Handles every sent message queued for this thread. Called and returns with the lock held.
void handleSentLocked(std::unique_lock<std::mutex>& lock, ThreadQueue& q)
{
    while (!q.sent.empty()) {
        std::shared_ptr<Sent> s = q.sent.front();
        q.sent.pop_front();
        auto w = findLocked(s->hwnd);
        if (!w || w->closing) {
            releaseSend(s, 0);
            continue;
        }
        IMessageHandler* handler = w->handler;
        lock.unlock();
        const LRESULT result = handler->HandleMessage(s->hwnd, s->msg, s->wParam, s->lParam);
        lock.lock();
        releaseSend(s, result);
    }
}

// One pass over what is due now: sent messages, the posted messages queued when the pass
// began, then due timers. Returns with the lock held.
void handleDueLocked(std::unique_lock<std::mutex>& lock, const std::shared_ptr<ThreadQueue>& q)
{
    q->wakePending = false;
    handleSentLocked(lock, *q);
    size_t count = q->posted.size();
    while (count-- > 0 && !q->posted.empty()) {
        Posted p = q->posted.front();
        q->posted.pop_front();
        lock.unlock();
        if (IMessageHandler* h = handlerFor(p.hwnd)) {
            h->HandleMessage(p.hwnd, p.msg, p.wParam, p.lParam);
        }
        lock.lock();
        handleSentLocked(lock, *q);
    }
    const auto now = Clock::now();
    std::vector<std::pair<HWND, UINT_PTR>> due;
    for (auto& [hwnd, w] : registry().windows) {
        if (w->owner != q) {
            continue;
        }
        for (Timer& t : w->timers) {
            if (t.due <= now) {
                due.emplace_back(hwnd, t.id);
                t.due = now + std::chrono::milliseconds(t.elapseMs);
            }
        }
    }
    for (const auto& [hwnd, id] : due) {
        // A handler may have killed this timer or destroyed the window meanwhile.
        auto w = findLocked(hwnd);
        if (!w || std::none_of(w->timers.begin(), w->timers.end(), [id = id](const Timer& t) { return t.id == id; })) {
            continue;
        }
        IMessageHandler* handler = w->handler;
        lock.unlock();
        handler->HandleMessage(hwnd, WM_TIMER, id, 0);
        lock.lock();
        handleSentLocked(lock, *q);
    }
}

bool hasDueLocked(const std::shared_ptr<ThreadQueue>& q)
{
    if (q->quit || !q->sent.empty() || !q->posted.empty()) {
        return true;
    }
    auto next = nextTimerLocked(q);
    return next && *next <= Clock::now();
}

} // namespace

HWND CreateWindowHandle(IMessageHandler* handler, std::wstring_view className, std::wstring_view title)
{
    if (handler == nullptr) {
        return nullptr;
    }
    auto w = std::make_shared<Window>();
    w->handler = handler;
    w->className = className;
    w->title = title;
    w->owner = currentQueue();
    std::lock_guard lock(registryMutex());
    auto& r = registry();
    HWND hwnd = reinterpret_cast<HWND>(r.nextHandle);
    r.nextHandle += 4;
    r.windows.emplace(hwnd, std::move(w));
    return hwnd;
}

void SetWindowClosing(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w) {
        return;
    }
    w->closing = true;
    cancelSends(*w->owner, hwnd);
}

void DestroyWindowHandle(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w) {
        return;
    }
    if (w->owner != currentQueue()) {
        // Its handler may be running on the owner thread right now; only close it.
        debuglog::Write("DestroyWindowHandle: not the owner thread; the window is only marked closing");
        w->closing = true;
        cancelSends(*w->owner, hwnd);
        return;
    }
    cancelSends(*w->owner, hwnd);
    std::erase_if(w->owner->posted, [hwnd](const Posted& p) { return p.hwnd == hwnd; });
    registry().windows.erase(hwnd);
}

bool IsWindow(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    return findLocked(hwnd) != nullptr;
}

UINT RegisterWindowMessageW(std::wstring_view name)
{
    if (name.empty()) {
        return 0;
    }
    std::lock_guard lock(registryMutex());
    auto& r = registry();
    if (auto it = r.names.find(name); it != r.names.end()) {
        return it->second;
    }
    if (r.nextName > 0xFFFF) {
        return 0;
    }
    const UINT number = r.nextName++;
    r.names.emplace(std::wstring(name), number);
    return number;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto& self = currentQueue();
    std::unique_lock lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w) {
        return 0;
    }
    if (w->owner == self) {
        IMessageHandler* handler = w->handler;
        lock.unlock();
        return handler->HandleMessage(hwnd, msg, wParam, lParam);
    }
    if (w->closing || !w->owner->alive) {
        return 0;
    }
    auto s = std::make_shared<Sent>(Sent{hwnd, msg, wParam, lParam, 0, false, self});
    w->owner->sent.push_back(s);
    std::function<void()> wake = wakeLocked(*w->owner);
    if (wake) {
        lock.unlock();
        wake();
        lock.lock();
    }
    // While waiting, messages sent to this thread's own windows are handled, so two threads
    // sending to each other do not deadlock.
    while (!s->done) {
        if (!self->sent.empty()) {
            handleSentLocked(lock, *self);
            continue;
        }
        self->cv.wait(lock);
    }
    return s->result;
}

bool PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w || w->closing || !w->owner->alive) {
        return false;
    }
    w->owner->posted.push_back(Posted{hwnd, msg, wParam, lParam});
    std::function<void()> wake = wakeLocked(*w->owner);
    lock.unlock();
    if (wake) {
        wake();
    }
    return true;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs)
{
    std::unique_lock lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w || w->closing) {
        return 0;
    }
    const auto due = Clock::now() + std::chrono::milliseconds(elapseMs);
    auto it = std::find_if(w->timers.begin(), w->timers.end(), [id](const Timer& t) { return t.id == id; });
    if (it != w->timers.end()) {
        *it = Timer{id, elapseMs, due};
    } else {
        w->timers.push_back(Timer{id, elapseMs, due});
    }
    // The owner may be sleeping until a later timer (or a Qt timer must be re-armed).
    std::function<void()> wake = wakeLocked(*w->owner);
    lock.unlock();
    if (wake) {
        wake();
    }
    return id;
}

bool KillTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w) {
        return false;
    }
    return std::erase_if(w->timers, [id](const Timer& t) { return t.id == id; }) > 0;
}

void PostQuitMessage(int exitCode)
{
    const auto& self = currentQueue();
    std::unique_lock lock(registryMutex());
    self->quit = true;
    self->quitCode = exitCode;
    std::function<void()> wake = wakeLocked(*self);
    lock.unlock();
    if (wake) {
        wake();
    }
}

bool PumpMessages(int timeoutMs)
{
    const auto& self = currentQueue();
    std::unique_lock lock(registryMutex());
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (!hasDueLocked(self) && Clock::now() < deadline) {
        auto wakeAt = deadline;
        if (auto next = nextTimerLocked(self); next && *next < wakeAt) {
            wakeAt = *next;
        }
        self->cv.wait_until(lock, wakeAt);
    }
    self->wakePending = false;
    if (!self->quit) {
        handleDueLocked(lock, self);
    }
    if (self->quit) {
        self->quit = false;
        return false;
    }
    return true;
}

int RunMessageLoop()
{
    while (PumpMessages(1000)) {
    }
    std::lock_guard lock(registryMutex());
    return currentQueue()->quitCode;
}

namespace winmsg {

void SetThreadWaker(std::function<void()> wake)
{
    const auto& self = currentQueue();
    std::unique_lock lock(registryMutex());
    self->waker = std::move(wake);
    self->wakePending = false;
    std::function<void()> first = hasDueLocked(self) ? wakeLocked(*self) : nullptr;
    lock.unlock();
    if (first) {
        first();
    }
}

int NextTimerDueMs()
{
    const auto& self = currentQueue();
    std::lock_guard lock(registryMutex());
    auto next = nextTimerLocked(self);
    if (!next) {
        return -1;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

int QuitExitCode()
{
    std::lock_guard lock(registryMutex());
    return currentQueue()->quitCode;
}

UINT RegisteredMessage(std::wstring_view name)
{
    std::lock_guard lock(registryMutex());
    auto it = registry().names.find(name);
    return it == registry().names.end() ? 0 : it->second;
}

std::wstring MessageName(UINT msg)
{
    std::lock_guard lock(registryMutex());
    for (const auto& [name, number] : registry().names) {
        if (number == msg) {
            return name;
        }
    }
    return {};
}

void HandleSentMessages()
{
    const auto& self = currentQueue();
    std::unique_lock lock(registryMutex());
    handleSentLocked(lock, *self);
}

std::size_t PostedCount(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    if (!w) {
        return 0;
    }
    return static_cast<std::size_t>(std::count_if(w->owner->posted.begin(), w->owner->posted.end(),
                                                   [hwnd](const Posted& p) { return p.hwnd == hwnd; }));
}

std::wstring ClassName(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    return w ? w->className : std::wstring();
}

std::wstring Title(HWND hwnd)
{
    std::lock_guard lock(registryMutex());
    auto w = findLocked(hwnd);
    return w ? w->title : std::wstring();
}

void SetTitle(HWND hwnd, std::wstring_view title)
{
    std::lock_guard lock(registryMutex());
    if (auto w = findLocked(hwnd)) {
        w->title = title;
    }
}

HWND FindLocalWindow(std::wstring_view className, std::wstring_view title)
{
    std::lock_guard lock(registryMutex());
    for (const auto& [hwnd, w] : registry().windows) {
        if (w->closing) {
            continue;
        }
        if ((className.empty() || w->className == className) && (title.empty() || w->title == title)) {
            return hwnd;
        }
    }
    return nullptr;
}

} // namespace winmsg
} // namespace orvel
