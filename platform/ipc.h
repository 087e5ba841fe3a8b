#pragma once
// Window messages between programs of one user. Each addressable window gets an endpoint: a
// Unix socket in the runtime folder whose name carries the window's class name and title, so
// other programs find it as FindWindowW does. Registered messages travel by their *name* (each
// process has its own numbers), with wParam, lParam and, for WM_COPYDATA, the data block; the
// receiving endpoint hands them to its window through PostMessageW/SendMessageW. Only names
// the receiving window takes are delivered, and of the system messages only WM_COPYDATA.
// docs/ipc.md describes the wire for peers written in other languages.

#include "platform/events.h"
#include "platform/winmsg.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace orvel::ipc {

// How long a send to another program may take before it counts as unanswered.
inline constexpr DWORD kSendTimeoutMs = 2000;
// How long an endpoint waits for a whole frame: from its accept for a connection's first
// frame, from its first byte for the frames after. An idle connection waits for no time.
inline constexpr int kFrameTimeoutMs = 1000;
// Connections an endpoint reads at once (kept ones included); more wait in the socket's
// backlog, and when every place is taken the connection idle longest is let go.
inline constexpr std::size_t kMaxConnections = 32;
inline constexpr int kListenBacklog = 16;
// An endpoint hands its window no more posted messages while this many wait in its queue.
inline constexpr std::size_t kMaxQueuedPosts = 32;

// A window of another (or this) program, known by its endpoint.
struct RemoteWindow {
    std::filesystem::path socket;
    bool operator==(const RemoteWindow&) const = default;
};

// The first live endpoint whose window has this class name and title (an empty argument
// matches any); nothing when there is none. Endpoints of programs that ended are removed.
std::optional<RemoteWindow> FindWindowW(std::wstring_view className, std::wstring_view title);

// Every live endpoint in the runtime folder.
std::vector<RemoteWindow> AllWindows();

enum class SendStatus {
    Ok,
    NoPeer,   // the endpoint is gone or does not accept
    TimedOut, // no answer within the time-out
    Rejected, // the message cannot travel: not a registered message or WM_COPYDATA, block too big
    Refused,  // the peer read the message and closed without an answer: it does not take it
};

struct SendResult {
    SendStatus status = SendStatus::NoPeer;
    LRESULT result = 0;
};

// A send, notify or post goes on a connection kept to the peer from an earlier one when that is
// in step (its frames read, its answers in), else on a fresh connection, which is kept after.
// A kept connection the peer closed before reading the frame is replaced by a fresh one once;
// a message is never delivered twice.
//
// Sends and waits for the result. For WM_COPYDATA, lParam points at a COPYDATASTRUCT whose
// block (at most kMaxCopyDataBytes) is carried along. While waiting, messages that other
// threads send to the calling thread's windows are handled. from: the sending window, which
// the receiver can answer through SenderOf (it needs an endpoint).
SendResult SendMessageTimeoutW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                               HWND from = nullptr);
// The same with kSendTimeoutMs; the result, or 0 when the send failed.
LRESULT SendMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from = nullptr);
// Sends as SendMessageW does (WM_COPYDATA included) but never waits, neither for the answer
// nor for a peer that does not take the message at once; false then. For a window thread
// that must not hang on a peer that reads nothing.
bool SendNotifyMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from = nullptr);
// Queues a registered message at the peer without waiting for it to be handled.
bool PostMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from = nullptr);

// Posts a registered message to every endpoint in the runtime folder, this program's own
// included; never blocks: peers that do not accept at once are skipped. Returns how many
// peers took it.
int BroadcastSystemMessageW(UINT msg, WPARAM wParam, LPARAM lParam);

// While a window handles a message sent to it through its endpoint: the sending window, when
// the sender named one; else nothing.
std::optional<RemoteWindow> SenderOf(HWND receiver);

// Makes a window addressable by its class name and title (as they are at creation) for as
// long as the object lives. Destroy it on any thread before the window is destroyed.
//
// Its thread reads up to kMaxConnections peers at once, frame after frame, each frame within
// kFrameTimeoutMs, so a peer that says nothing holds up no other; idle connections are the
// first to go when more peers come. A frame that announces more than the limit is
// refused on its header. Posted messages wait while kMaxQueuedPosts wait in the window's
// queue (peers then queue in the backlog, and are refused once it is full), so a flood
// neither grows memory nor keeps the window from its own work.
class Endpoint {
public:
    // Nothing when the runtime folder is unusable or the socket cannot be made; error says why.
    // The window takes WM_COPYDATA and every message this program registered.
    static std::unique_ptr<Endpoint> Create(HWND hwnd, std::string* error = nullptr);
    // The window takes WM_COPYDATA and, of the registered messages, only those named: a
    // program whose messages carry pointers in-process must not take them from outside.
    static std::unique_ptr<Endpoint> Create(HWND hwnd, std::vector<std::wstring> accepted, std::string* error = nullptr);
    ~Endpoint();
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    const std::filesystem::path& Socket() const { return socket_; }
    RemoteWindow Address() const { return RemoteWindow{socket_}; }

private:
    struct Connection;
    enum class Delivery { Handled, Refused, Stopping };
    Endpoint(HWND hwnd, std::optional<std::vector<std::wstring>> accepted, std::filesystem::path socket, int listenFd,
             int stopFd);
    static std::unique_ptr<Endpoint> make(HWND hwnd, std::optional<std::vector<std::wstring>> accepted,
                                          std::string* error);
    void serve();
    bool acceptAll(std::vector<Connection>& connections);
    Delivery deliver(Connection& connection);
    UINT numberOf(const std::string& name) const;
    bool waitForRoom() const;

    HWND hwnd_;
    std::optional<std::vector<std::wstring>> accepted_; // nothing: every registered message
    std::filesystem::path socket_;
    int listenFd_;
    int stopFd_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace orvel::ipc
