#include "input/hook/device_hook.h"

#include "input/hook/hook_messages.h"
#include "platform/debuglog.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <variant>

namespace orvel::input {
namespace {

// The hook's own window takes this when captured input is waiting.
constexpr UINT kInputWaiting = WM_APP + 0x31;

struct Lost {};
using Captured = std::variant<RawKey, RawButton, Lost>;

struct Queued {
    Captured input;
    std::uint64_t generation = 0;
    DWORD queuedAt = 0;
};

} // namespace

// Input arrives on the source's thread and waits in a queue; the hook's own window, owned by
// the thread that created the hook, takes it from there and sends the hook messages.
class CDeviceHook::Relay final : public CaptureSink, public IMessageHandler {
public:
    explicit Relay(std::unique_ptr<CaptureBackend> backend)
        : backend_(std::move(backend)), self_(CreateWindowHandle(this))
    {
    }

    ~Relay() override
    {
        Uninstall();
        backend_.reset();
        DestroyWindowHandle(self_);
    }

    int Install(int mode, HWND window, bool local, bool library)
    {
        StopSource();
        if (!backend_) {
            return 0;
        }
        const CaptureRequest request {local, library, nativeWindow_};
        if ((local || library) && !backend_->Start(request, this)) {
            debuglog::Write("input hook: the keyboard could not be held, capture not started");
            return 0;
        }
        installed_ = true;
        mode_ = mode;
        window_ = window;
        local_ = local;
        library_ = library;
        return 1;
    }

    int Uninstall()
    {
        const bool hadKeys = installed_ && local_;
        StopSource();
        return hadKeys ? 1 : 0;
    }

    bool OnWindowEvent(HookWindowEvent event)
    {
        if (!installed_ || (event == HookWindowEvent::EditFocusLost && mode_ != hookmode::kSingleKey)) {
            return false;
        }
        Uninstall();
        return true;
    }

    bool OnWindowKey(std::uint32_t nativeKeycode, bool down)
    {
        if (!installed_ || !local_ || nativeKeycode < kX11Offset) {
            return false;
        }
        const auto evdev = static_cast<std::uint16_t>(nativeKeycode - kX11Offset);
        backend_->Feed(RawKey {evdev, down, HookTickCount()});
        return !IsLockKey(evdev);
    }

    void OnWindowButton(PointerButton button, bool down, int x, int y)
    {
        if (installed_ && library_) {
            backend_->Feed(RawButton {button, down, x, y, HookTickCount()});
        }
    }

    // CaptureSink, on the source's thread.
    void OnKey(const RawKey& key) override
    {
        if (Enqueue(key)) {
            // The UI thread has left keys unanswered for too long: give the keyboard back
            // rather than keep the desktop without one.
            backend_->ReleaseKeyboard();
            Enqueue(Lost {});
        }
    }
    void OnButton(const RawButton& button) override { Enqueue(button); }
    void OnLost() override { Enqueue(Lost {}); }

    LRESULT HandleMessage(HWND, UINT msg, WPARAM, LPARAM) override
    {
        if (msg != kInputWaiting) {
            return 0;
        }
        std::deque<Queued> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(queue_);
            posted_ = false;
        }
        for (const Queued& q : taken) {
            // A handler may uninstall or install again; what was queued before then is dropped.
            if (q.generation == generation_.load() && installed_) {
                std::visit([this](const auto& input) { Deliver(input); }, q.input);
            }
        }
        return 0;
    }

    CaptureBackend* Backend() const { return backend_.get(); }

    bool installed_ = false;
    int mode_ = 0;
    HWND window_ = nullptr;
    bool local_ = false;
    bool library_ = false;
    std::uint64_t nativeWindow_ = 0;
    std::function<void()> ended_;

private:
    static constexpr std::uint32_t kX11Offset = 8;

    void StopSource()
    {
        if (installed_ && backend_) {
            backend_->Stop();
        }
        installed_ = false;
        ++generation_;
        keys_.Reset();
    }

    // Queues input for the UI thread. True when the oldest input still waiting is older than
    // kStalledMs while keys are held.
    bool Enqueue(Captured input)
    {
        const DWORD now = HookTickCount();
        bool stalled = false;
        bool post = false;
        {
            std::lock_guard lock(mutex_);
            stalled = std::holds_alternative<RawKey>(input) && !queue_.empty() &&
                      now - queue_.front().queuedAt > kStalledMs;
            queue_.push_back({std::move(input), generation_.load(), now});
            post = !posted_;
            posted_ = true;
        }
        if (post) {
            PostMessageW(self_, kInputWaiting, 0, 0);
        }
        return stalled;
    }

    // The message is sent, not posted, so the record lives for the whole handler. A handler
    // that throws leaves no keyboard held behind it.
    void Send(UINT message, WPARAM wParam, const void* record)
    {
        if (message == 0) {
            return;
        }
        try {
            SendMessageW(window_, message, wParam, reinterpret_cast<LPARAM>(record));
        } catch (...) {
            Uninstall();
            throw;
        }
    }

    void Deliver(const RawKey& key)
    {
        if (!local_) {
            return;
        }
        if (const auto message = keys_.Make(key)) {
            Send(KeyboardMessageOf(mode_), message->wParam, &message->record);
        }
    }

    void Deliver(const RawButton& button)
    {
        if (!library_) {
            return;
        }
        const MouseMessageRecord message = MakeMouseMessage(button);
        Send(MouseMessageOf(mode_), message.wParam, &message.record);
    }

    void Deliver(const Lost&)
    {
        debuglog::Write("input hook: capture ended by itself; the keyboard is free");
        Uninstall();
        if (ended_) {
            ended_();
        }
    }

    std::unique_ptr<CaptureBackend> backend_;
    HWND self_;
    std::atomic<std::uint64_t> generation_ {0};
    KeyMessageMaker keys_;
    std::mutex mutex_;
    std::deque<Queued> queue_;
    bool posted_ = false;
};

CDeviceHook::CDeviceHook(std::unique_ptr<CaptureBackend> backend) : relay_(std::make_unique<Relay>(std::move(backend)))
{
}

CDeviceHook::~CDeviceHook() = default;

int CDeviceHook::Install(int mode, HWND window, bool useLocalHook, bool useHookLibrary)
{
    return relay_->Install(mode, window, useLocalHook, useHookLibrary);
}

int CDeviceHook::Uninstall()
{
    return relay_->Uninstall();
}

bool CDeviceHook::Installed() const
{
    return relay_->installed_;
}

int CDeviceHook::Mode() const
{
    return relay_->installed_ ? relay_->mode_ : 0;
}

HWND CDeviceHook::Window() const
{
    return relay_->installed_ ? relay_->window_ : nullptr;
}

CaptureScope CDeviceHook::Scope() const
{
    const CaptureBackend* backend = relay_->Backend();
    return backend != nullptr ? backend->Scope() : CaptureScope::WindowOnly;
}

LRESULT CDeviceHook::OnHookControl(HWND window, WPARAM wParam)
{
    if (wParam == 1) {
        return Install(hookmode::kSingleKey, window, true, true);
    }
    if (wParam == 0) {
        return Uninstall();
    }
    return 0;
}

bool CDeviceHook::OnWindowEvent(HookWindowEvent event)
{
    return relay_->OnWindowEvent(event);
}

bool CDeviceHook::OnWindowKey(std::uint32_t nativeKeycode, bool down)
{
    return relay_->OnWindowKey(nativeKeycode, down);
}

void CDeviceHook::OnWindowButton(PointerButton button, bool down, int x, int y)
{
    relay_->OnWindowButton(button, down, x, y);
}

void CDeviceHook::SetNativeWindow(std::uint64_t window)
{
    relay_->nativeWindow_ = window;
}

void CDeviceHook::SetEndedHandler(std::function<void()> ended)
{
    relay_->ended_ = std::move(ended);
}

} // namespace orvel::input
