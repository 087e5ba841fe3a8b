#pragma once
// Window messages without Windows: window handles, registered message names, synchronous and
// posted messages, and window timers. The device and discovery code addresses windows only
// through these calls, from any thread.
//
// A window belongs to the thread that created it (its owner thread). Its messages are
// handled on that thread, in the order they were posted, while that thread runs a message
// loop: either RunMessageLoop/PumpMessages below (cores, tools, tests), or Qt's event loop
// once the Qt glue (platform/qt) is installed for that thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvel {

struct WindowTag;
using HWND = WindowTag*;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_COPYDATA = 0x004A;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_DPICHANGED = 0x02E0;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;
inline constexpr UINT SC_RESTORE = 0xF120;

// The block a WM_COPYDATA message points at (lParam); valid only while the message is handled.
struct COPYDATASTRUCT {
    ULONG_PTR dwData = 0;
    std::uint32_t cbData = 0;
    const void* lpData = nullptr;
};

// What a window does with its messages. Called on the owner thread only.
class IMessageHandler {
public:
    virtual ~IMessageHandler() = default;
    virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// Creates a window handle owned by the calling thread. The handler must outlive the handle
// (until DestroyWindowHandle returns). className and title are what FindWindow-style lookups
// (platform/ipc) match.
HWND CreateWindowHandle(IMessageHandler* handler, std::wstring_view className = {}, std::wstring_view title = {});

// Marks the window closing (every later SendMessageW to it returns 0 at once, and senders
// blocked on it are released with 0), kills its timers, drops its queued messages, and
// forgets the handle. Only the owner thread may destroy a window.
void DestroyWindowHandle(HWND hwnd);

// Marks the window closing without destroying it yet: cross-thread sends return 0 at once
// from now on, so a worker never blocks the shutdown that is under way.
void SetWindowClosing(HWND hwnd);

bool IsWindow(HWND hwnd);

// The same name gives the same number for the whole process, in 0xC000..0xFFFF; 0 when the
// name is empty or the range is used up.
UINT RegisterWindowMessageW(std::wstring_view name);

// On the owner thread: calls the handler directly. On another thread: queues the message and
// blocks until the owner thread has handled it, returning the handler's result; returns 0 at
// once when the window does not exist or is closing, and 0 when it is destroyed meanwhile.
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Queues the message for the owner thread and returns at once; false when the window does not
// exist or is closing.
bool PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Window timers: WM_TIMER with wParam = id every elapse ms on the owner thread. Setting an id
// again restarts it with the new period. Returns id, or 0 when the window does not exist or
// is closing. Any thread may set or kill a window's timers; the owner thread is woken.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
bool KillTimer(HWND hwnd, UINT_PTR id);

// Ends the calling thread's message loop with this exit code (as WM_QUIT does). Messages still
// queued stay queued for a later loop.
void PostQuitMessage(int exitCode);

// The built-in loop for threads without Qt: handles messages and timers of the windows the
// calling thread owns until PostQuitMessage; returns the exit code.
int RunMessageLoop();

// Handles what is due now, waiting at most timeoutMs for the first message (0: do not wait).
// Returns false once PostQuitMessage was called on this thread (the quit is taken then, as
// WM_QUIT is; a later call pumps again).
bool PumpMessages(int timeoutMs);

namespace winmsg {

// The hook the Qt glue installs so that windows created on a Qt thread are served by Qt's
// event loop: wake() is called (from any thread) whenever that thread has messages or timers
// due; the glue then calls PumpMessages(0) on its thread.
void SetThreadWaker(std::function<void()> wake);

// For the glue: milliseconds until the calling thread's next window timer is due (0 when one
// is due now), -1 when it has none; and the exit code of its last PostQuitMessage.
int NextTimerDueMs();
int QuitExitCode();

// The number registered under name, without registering it; 0 when it was never registered.
UINT RegisteredMessage(std::wstring_view name);

// The name a message number was registered under; empty for other numbers.
std::wstring MessageName(UINT msg);

// Handles only the messages other threads have sent to the calling thread's windows (not
// posted messages or timers): for a thread that waits on something else, so that it cannot
// deadlock with a thread that sends to it.
void HandleSentMessages();

// How many posted messages wait for the window (0 for a handle that does not exist): for a
// thread that feeds it messages from outside and must not let its queue grow without bound.
std::size_t PostedCount(HWND hwnd);

// The names FindWindow-style lookups match; empty for a handle that does not exist.
std::wstring ClassName(HWND hwnd);
std::wstring Title(HWND hwnd);
void SetTitle(HWND hwnd, std::wstring_view title);

// A window of this process by class name and title (an empty argument matches any), not one
// that is closing; null when there is none.
HWND FindLocalWindow(std::wstring_view className, std::wstring_view title);

} // namespace winmsg
} // namespace orvel
