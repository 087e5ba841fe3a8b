#include "input/hook/x11_capture.h"

#include "input/hook/capture_choice.h"
#include "platform/debuglog.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace orvel::input {
namespace {

constexpr std::uint32_t kKeycodeOffset = 8;
constexpr auto kCommandTimeout = std::chrono::milliseconds(2000);
constexpr int kGrabAttempts = 10;
constexpr auto kGrabRetry = std::chrono::milliseconds(20);

// X errors of the displays of this file are noted, not fatal, and a lost connection ends only
// the capture, not the process. The handlers are process-wide, so errors of any other display
// go on to the handlers that were there before.
std::mutex& HandlerMutex()
{
    static std::mutex m;
    return m;
}
std::map<Display*, std::atomic<int>*>& ErrorSlots()
{
    static std::map<Display*, std::atomic<int>*> slots;
    return slots;
}
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIoHandler = nullptr;

int NoteError(Display* display, XErrorEvent* error)
{
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(HandlerMutex());
        const auto found = ErrorSlots().find(display);
        if (found != ErrorSlots().end()) {
            found->second->store(error->error_code);
            return 0;
        }
        previous = previousHandler;
    }
    return previous != nullptr ? previous(display, error) : 0;
}

// Returning lets the display's exit handler run instead of Xlib's, which ends the process.
int NoteConnectionLost(Display* display)
{
    XIOErrorHandler previous = nullptr;
    {
        std::lock_guard lock(HandlerMutex());
        if (ErrorSlots().count(display) != 0) {
            return 0;
        }
        previous = previousIoHandler;
    }
    return previous != nullptr ? previous(display) : 0;
}

void WatchErrors(Display* display, std::atomic<int>* slot)
{
    std::lock_guard lock(HandlerMutex());
    if (ErrorSlots().empty()) {
        if (XErrorHandler replaced = XSetErrorHandler(NoteError); replaced != NoteError) {
            previousHandler = replaced;
        }
        if (XIOErrorHandler replaced = XSetIOErrorHandler(NoteConnectionLost); replaced != NoteConnectionLost) {
            previousIoHandler = replaced;
        }
    }
    ErrorSlots()[display] = slot;
}

void ForgetErrors(Display* display)
{
    std::lock_guard lock(HandlerMutex());
    ErrorSlots().erase(display);
}

std::optional<PointerButton> ButtonOf(int logical)
{
    switch (logical) {
    case 1:
        return PointerButton::Left;
    case 2:
        return PointerButton::Middle;
    case 3:
        return PointerButton::Right;
    case 8:
        return PointerButton::Back;
    case 9:
        return PointerButton::Forward;
    default:
        return std::nullopt; // the wheel (4-7) and higher buttons are not buttons to record
    }
}

} // namespace

class X11Capture::Connection {
public:
    Connection(Display* display, int opcode)
        : display_(display), root_(DefaultRootWindow(display)), opcode_(opcode), wake_(eventfd(0, EFD_CLOEXEC))
    {
        WatchErrors(display_, &lastError_);
        // A key held down repeats as presses only, not as release and press pairs.
        Bool detectable = False;
        XkbSetDetectableAutoRepeat(display_, True, &detectable);
        XSetIOErrorExitHandler(display_, &Connection::OnConnectionLost, this);
        thread_ = std::thread([this] { Run(); });
    }

    // Ends the thread. False when it did not answer (the display hangs): it is then left
    // running with this object, which must not be destroyed.
    bool Shutdown()
    {
        {
            std::lock_guard lock(sinkMutex_);
            sink_ = nullptr;
        }
        if (!Call(Op::Quit, {})) {
            thread_.detach();
            return false;
        }
        thread_.join();
        ::close(wake_);
        ForgetErrors(display_);
        return true;
    }

    bool Start(const CaptureRequest& request, CaptureSink* sink)
    {
        {
            std::lock_guard lock(sinkMutex_);
            sink_ = sink;
        }
        const bool started = Call(Op::Start, request);
        if (!started) {
            std::lock_guard lock(sinkMutex_);
            sink_ = nullptr;
        }
        return started;
    }

    void Stop()
    {
        {
            std::lock_guard lock(sinkMutex_);
            sink_ = nullptr;
        }
        Call(Op::Stop, {});
    }

    void ReleaseKeyboard()
    {
        if (std::this_thread::get_id() == thread_.get_id()) {
            Ungrab();
            return;
        }
        Post(Op::Release, {});
    }

    bool KeyboardHeld() const { return grabbed_.load(); }

private:
    enum class Op { Start, Stop, Release, Quit };
    struct Command {
        Op op;
        CaptureRequest request;
        std::promise<bool> done;
    };

    static void OnConnectionLost(Display*, void* self)
    {
        // Xlib would end the process here; the program goes on without desktop capture.
        static_cast<Connection*>(self)->dead_ = true;
    }

    std::future<bool> Post(Op op, const CaptureRequest& request)
    {
        Command command {op, request, {}};
        std::future<bool> done = command.done.get_future();
        {
            std::lock_guard lock(commandMutex_);
            commands_.push_back(std::move(command));
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
        return done;
    }

    // Runs op on the source's thread and waits for it, at most kCommandTimeout.
    bool Call(Op op, const CaptureRequest& request)
    {
        std::future<bool> done = Post(op, request);
        if (done.wait_for(kCommandTimeout) != std::future_status::ready) {
            debuglog::Write("input hook: the X display did not answer in time");
            return false;
        }
        return done.get();
    }

    void Run()
    {
        bool quit = false;
        while (!quit) {
            quit = TakeCommands();
            if (quit) {
                break;
            }
            while (!dead_ && XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                Handle(event);
            }
            if (dead_ && !lostReported_) {
                lostReported_ = true;
                grabbed_ = false;
                Report([](CaptureSink& sink) { sink.OnLost(); });
            }
            std::array<pollfd, 2> fds {{{wake_, POLLIN, 0}, {ConnectionNumber(display_), POLLIN, 0}}};
            ::poll(fds.data(), dead_ ? 1 : 2, -1);
            if (fds[0].revents & POLLIN) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);
            }
        }
        if (!dead_) {
            Deselect();
            XCloseDisplay(display_);
        }
    }

    // True when the thread is to end.
    bool TakeCommands()
    {
        std::deque<Command> taken;
        {
            std::lock_guard lock(commandMutex_);
            taken.swap(commands_);
        }
        bool quit = false;
        for (Command& command : taken) {
            bool result = true;
            switch (command.op) {
            case Op::Start:
                result = DoStart(command.request);
                break;
            case Op::Stop:
                Deselect();
                break;
            case Op::Release:
                Ungrab();
                break;
            case Op::Quit:
                quit = true;
                break;
            }
            command.done.set_value(result);
        }
        return quit;
    }

    bool DoStart(const CaptureRequest& request)
    {
        Deselect();
        if (dead_) {
            return false;
        }
        timeBased_ = false;
        unsigned char map[256] = {};
        buttonCount_ = XGetPointerMapping(display_, map, static_cast<int>(sizeof map));
        std::copy(std::begin(map), std::end(map), buttonMap_.begin());
        if (request.keys && !Grab(request.grabWindow != 0 ? request.grabWindow : root_)) {
            return false;
        }
        Select(request.keys, request.buttons);
        XSync(display_, False);
        return !dead_;
    }

    bool Grab(Window window)
    {
        lastError_ = 0;
        if (window != root_) {
            // The display ends the grab when the program's window is unmapped; hear of it.
            XSelectInput(display_, window, StructureNotifyMask);
        }
        // Another program may hold the keyboard for a moment (a menu closing, a shortcut).
        int status = AlreadyGrabbed;
        for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
            status = XGrabKeyboard(display_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
            if (status != AlreadyGrabbed && status != GrabFrozen) {
                break;
            }
            std::this_thread::sleep_for(kGrabRetry);
        }
        if (status != GrabSuccess || lastError_ != 0) {
            debuglog::Writef("input hook: XGrabKeyboard gave %d (error %d)", status, lastError_.load());
            if (window != root_) {
                XSelectInput(display_, window, NoEventMask);
            }
            XSync(display_, False);
            return false;
        }
        grabWindow_ = window;
        grabbed_ = true;
        return true;
    }

    void Ungrab()
    {
        if (!grabbed_ || dead_) {
            grabbed_ = false;
            return;
        }
        XUngrabKeyboard(display_, CurrentTime);
        if (grabWindow_ != root_) {
            XSelectInput(display_, grabWindow_, NoEventMask);
        }
        XFlush(display_);
        grabbed_ = false;
    }

    void Select(bool keys, bool buttons)
    {
        std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits {};
        if (keys) {
            XISetMask(bits.data(), XI_RawKeyPress);
            XISetMask(bits.data(), XI_RawKeyRelease);
        }
        if (buttons) {
            XISetMask(bits.data(), XI_RawButtonPress);
            XISetMask(bits.data(), XI_RawButtonRelease);
        }
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = static_cast<int>(bits.size());
        mask.mask = bits.data();
        XISelectEvents(display_, root_, &mask, 1);
    }

    void Deselect()
    {
        Ungrab();
        if (!dead_) {
            Select(false, false);
            XSync(display_, False);
        }
    }

    // Server times to the HookTickCount clock: the first event of a start fixes the offset, so
    // the times between events are the display's own.
    DWORD Tick(Time serverTime)
    {
        const auto server = static_cast<DWORD>(serverTime);
        if (!timeBased_) {
            timeOffset_ = HookTickCount() - server;
            timeBased_ = true;
        }
        return server + timeOffset_;
    }

    template <typename F>
    void Report(F&& report)
    {
        std::lock_guard lock(sinkMutex_);
        if (sink_ != nullptr) {
            report(*sink_);
        }
    }

    void Handle(XEvent& event)
    {
        if ((event.type == UnmapNotify && event.xunmap.window == grabWindow_) ||
            (event.type == DestroyNotify && event.xdestroywindow.window == grabWindow_)) {
            if (grabbed_) {
                grabbed_ = false;
                Report([](CaptureSink& sink) { sink.OnLost(); });
            }
            return;
        }
        // While the keyboard is grabbed the display sends its keys to this connection as core
        // events (and no raw ones); without the grab the raw events tell of them.
        if ((event.type == KeyPress || event.type == KeyRelease) && grabbed_) {
            ReportKey(event.xkey.keycode, event.type == KeyPress, event.xkey.time);
            return;
        }
        if (event.type != GenericEvent || event.xcookie.extension != opcode_ ||
            !XGetEventData(display_, &event.xcookie)) {
            return;
        }
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        switch (event.xcookie.evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            if (!grabbed_ && !(raw->flags & XIKeyRepeat)) {
                ReportKey(static_cast<unsigned>(raw->detail), event.xcookie.evtype == XI_RawKeyPress, raw->time);
            }
            break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            HandleButton(raw, event.xcookie.evtype == XI_RawButtonPress);
            break;
        default:
            break;
        }
        XFreeEventData(display_, &event.xcookie);
    }

    void ReportKey(unsigned keycode, bool down, Time time)
    {
        if (keycode < kKeycodeOffset || keycode > 0xFFFF) {
            return;
        }
        const RawKey key {static_cast<std::uint16_t>(keycode - kKeycodeOffset), down, Tick(time)};
        Report([&](CaptureSink& sink) { sink.OnKey(key); });
    }

    void HandleButton(const XIRawEvent* raw, bool down)
    {
        // Raw events carry the physical button; the user's button mapping (left-handed, say)
        // gives the button meant.
        const int physical = raw->detail;
        const int logical = physical >= 1 && physical <= buttonCount_ ? buttonMap_[size_t(physical - 1)] : physical;
        const auto button = ButtonOf(logical);
        if (!button) {
            return;
        }
        Window rootReturn = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int state = 0;
        XQueryPointer(display_, root_, &rootReturn, &child, &x, &y, &windowX, &windowY, &state);
        const RawButton pressed {*button, down, x, y, Tick(raw->time)};
        Report([&](CaptureSink& sink) { sink.OnButton(pressed); });
    }

    Display* display_;
    Window root_;
    int opcode_;
    int wake_;
    std::thread thread_;

    std::mutex commandMutex_;
    std::deque<Command> commands_;

    std::mutex sinkMutex_;
    CaptureSink* sink_ = nullptr;

    std::atomic<bool> grabbed_ {false};
    std::atomic<bool> dead_ {false};
    std::atomic<int> lastError_ {0};
    bool lostReported_ = false;
    Window grabWindow_ = 0;
    std::array<unsigned char, 256> buttonMap_ {};
    int buttonCount_ = 0;
    bool timeBased_ = false;
    DWORD timeOffset_ = 0;
};

std::unique_ptr<X11Capture> X11Capture::Open(const std::string& displayName, std::string* why)
{
    const auto fail = [&](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return std::unique_ptr<X11Capture>();
    };
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return fail("the X display '" + displayName + "' cannot be opened");
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    int major = 2;
    int minor = 2;
    // Raw events reach a client during grabs from XInput 2.1 on.
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        XCloseDisplay(display);
        return fail("the X display has no XInput 2.1");
    }
    return std::unique_ptr<X11Capture>(new X11Capture(std::make_unique<Connection>(display, opcode)));
}

X11Capture::X11Capture(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

X11Capture::~X11Capture()
{
    if (!connection_->Shutdown()) {
        debuglog::Write("input hook: the X display hangs; its thread is left behind");
        (void)connection_.release();
    }
}

bool X11Capture::Start(const CaptureRequest& request, CaptureSink* sink)
{
    return connection_->Start(request, sink);
}

void X11Capture::Stop()
{
    connection_->Stop();
}

void X11Capture::ReleaseKeyboard()
{
    connection_->ReleaseKeyboard();
}

bool X11Capture::KeyboardHeld() const
{
    return connection_->KeyboardHeld();
}

std::unique_ptr<CaptureBackend> OpenCaptureBackend(std::string* why)
{
    return ChooseCaptureBackend(
        ReadSessionEnvironment(),
        [](const std::string& display, std::string* reason) -> std::unique_ptr<CaptureBackend> {
            return X11Capture::Open(display, reason);
        },
        why);
}

} // namespace orvel::input
