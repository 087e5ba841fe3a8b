// The receiving side of platform/ipc: a window's endpoint, which reads frames from peers and
// hands the messages its window takes to it.
#include "platform/debuglog.h"
#include "platform/ipc.h"
#include "platform/ipcframe.h"
#include "platform/ipcsocket.h"
#include "platform/runtimefolder.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::ipc {
namespace fs = std::filesystem;
using namespace detail;

namespace {

// How often a stalled post looks again whether the window's queue has room.
constexpr int kRoomPollMs = 2;
constexpr int kAcceptRestMs = 100;

} // namespace

// One peer's connection, read frame after frame: the header first, then the body it announced.
// A fresh connection has kFrameTimeoutMs for its first frame; once a frame is handled the
// connection is idle, with no deadline, until the first byte of the next one comes.
struct Endpoint::Connection {
    int fd = -1;
    Clock::time_point deadline = Clock::time_point::max();
    Clock::time_point idleSince = Clock::time_point::max(); // max: a frame is awaited or coming
    bool closing = false; // shut for reading: what the peer wrote before is served, then it goes
    std::vector<std::uint8_t> frame = std::vector<std::uint8_t>(kFrameHeaderBytes);
    std::size_t have = 0;
    bool lengthKnown = false;

    bool complete() const { return lengthKnown && have == frame.size(); }
    bool idle() const { return idleSince != Clock::time_point::max() && !closing; }

    // After a handled frame: ready for the next one, whenever it comes.
    void nextFrame()
    {
        frame.resize(kFrameHeaderBytes);
        have = 0;
        lengthKnown = false;
        deadline = Clock::time_point::max();
        idleSince = Clock::now();
    }

    // The peer may write no more; what it wrote is still read.
    void close()
    {
        ::shutdown(fd, SHUT_RD);
        closing = true;
    }

    // Reads what is there of the frame. False when the connection is to be dropped: closed (in
    // the middle of a frame, which is then lost whole), or a header that is not ours or
    // announces too much (refused unread).
    bool readSome()
    {
        while (!complete()) {
            const ssize_t n = ::recv(fd, frame.data() + have, frame.size() - have, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return true;
            }
            if (n <= 0) {
                if (have > 0) {
                    debuglog::Write("ipc endpoint: a peer closed before the end of its frame");
                }
                return false;
            }
            if (have == 0 && idleSince != Clock::time_point::max()) {
                deadline = Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs);
                idleSince = Clock::time_point::max();
            }
            have += static_cast<std::size_t>(n);
            if (!lengthKnown && have == kFrameHeaderBytes) {
                const auto length = BodyLength(frame);
                if (!length) {
                    debuglog::Write("ipc endpoint: a frame that is not ours, or too long, was refused");
                    return false;
                }
                frame.resize(kFrameHeaderBytes + *length);
                lengthKnown = true;
            }
        }
        return true;
    }
};

std::unique_ptr<Endpoint> Endpoint::Create(HWND hwnd, std::string* error)
{
    return make(hwnd, std::nullopt, error);
}

std::unique_ptr<Endpoint> Endpoint::Create(HWND hwnd, std::vector<std::wstring> accepted, std::string* error)
{
    return make(hwnd, std::move(accepted), error);
}

std::unique_ptr<Endpoint> Endpoint::make(HWND hwnd, std::optional<std::vector<std::wstring>> accepted, std::string* error)
{
    auto fail = [&](const std::string& why) -> std::unique_ptr<Endpoint> {
        debuglog::Write("ipc endpoint: " + why);
        if (error != nullptr) {
            *error = why;
        }
        return nullptr;
    };
    if (!IsWindow(hwnd)) {
        return fail("no such window");
    }
    const RuntimeFolder runtime = OpenRuntimeFolder();
    if (!runtime.ok()) {
        return fail(runtime.error);
    }
    unsigned serial = 0;
    {
        std::lock_guard lock(Windows().mutex);
        serial = ++Windows().serial;
    }
    const std::string name = EndpointFileName(::getpid(), serial, winmsg::ClassName(hwnd), winmsg::Title(hwnd));
    const fs::path socket = runtime.folder / name;
    sockaddr_un addr{};
    if (!FillAddress(socket, addr)) {
        return fail("socket path too long: " + socket.string());
    }
    const int listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd < 0) {
        return fail(std::string("socket: ") + std::strerror(errno));
    }
    ::unlink(socket.c_str()); // a leftover of an earlier process with the same pid
    if (::bind(listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listenFd, kListenBacklog) != 0) {
        const std::string why = socket.string() + ": " + std::strerror(errno);
        ::close(listenFd);
        return fail(why);
    }
    const int stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        ::close(listenFd);
        ::unlink(socket.c_str());
        return fail(std::string("eventfd: ") + std::strerror(errno));
    }
    {
        std::lock_guard lock(Windows().mutex);
        Windows().endpointOf[hwnd] = name;
    }
    return std::unique_ptr<Endpoint>(new Endpoint(hwnd, std::move(accepted), socket, listenFd, stopFd));
}

Endpoint::Endpoint(HWND hwnd, std::optional<std::vector<std::wstring>> accepted, fs::path socket, int listenFd, int stopFd)
    : hwnd_(hwnd), accepted_(std::move(accepted)), socket_(std::move(socket)), listenFd_(listenFd), stopFd_(stopFd)
{
    thread_ = std::thread([this] {
        serve();
        finished_ = true;
    });
}

Endpoint::~Endpoint()
{
    ::unlink(socket_.c_str());
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
    // The endpoint thread may be handing a message to a window of this very thread.
    while (!finished_) {
        winmsg::HandleSentMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
    std::lock_guard lock(Windows().mutex);
    Windows().endpointOf.erase(hwnd_);
    Windows().senderOf.erase(hwnd_);
}

void Endpoint::serve()
{
    std::vector<Connection> connections;
    auto drop = [](Connection& c) {
        if (c.fd >= 0) {
            ::close(c.fd);
        }
        c.fd = -1;
    };
    // After a failed accept (no file descriptors left, say) the listening socket rests a while
    // rather than waking the thread at once again.
    auto acceptAgain = Clock::time_point::min();
    for (;;) {
        const bool resting = Clock::now() < acceptAgain;
        const bool full = connections.size() >= kMaxConnections;
        // When every place is taken, a new peer is served once an idle connection made room.
        const auto longestIdle = std::min_element(connections.begin(), connections.end(), [](const Connection& a, const Connection& b) {
            return a.idle() && (!b.idle() || a.idleSince < b.idleSince);
        });
        const bool canMakeRoom = full && longestIdle != connections.end() && longestIdle->idle();
        const bool listening = (!full || canMakeRoom) && !resting;
        std::vector<pollfd> fds{{stopFd_, POLLIN, 0}};
        if (listening) {
            fds.push_back({listenFd_, POLLIN, 0});
        }
        auto nextDeadline = resting ? acceptAgain : Clock::time_point::max();
        for (const Connection& c : connections) {
            fds.push_back({c.fd, POLLIN, 0});
            nextDeadline = std::min(nextDeadline, c.deadline);
        }
        int timeoutMs = -1;
        if (nextDeadline != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextDeadline - Clock::now()).count();
            timeoutMs = static_cast<int>(std::clamp<long long>(left, 0, kFrameTimeoutMs));
        }
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR) {
                continue;
            }
            debuglog::Writef("ipc endpoint: poll: %s", std::strerror(errno));
            break;
        }
        if (fds[0].revents != 0) {
            break;
        }
        if (listening && fds[1].revents != 0) {
            if (full) {
                longestIdle->close();
            } else if (!acceptAll(connections)) {
                acceptAgain = Clock::now() + std::chrono::milliseconds(kAcceptRestMs);
            }
        }
        // Every connection reads what has come before its deadline is looked at, so peers that
        // wrote in time are served even when a delivery before kept the thread. A connection
        // hands over one frame a round, so a busy peer does not keep the others waiting.
        bool stopping = false;
        for (Connection& c : connections) {
            if (stopping || !c.readSome()) {
                drop(c);
            } else if (c.complete()) {
                const Delivery d = deliver(c);
                stopping = d == Delivery::Stopping;
                if (d == Delivery::Handled) {
                    c.nextFrame();
                } else {
                    drop(c);
                }
            }
        }
        const auto now = Clock::now();
        for (Connection& c : connections) {
            if (c.fd >= 0 && now >= c.deadline) {
                debuglog::Write("ipc endpoint: a peer sent no whole frame in time and was dropped");
                drop(c);
            }
        }
        std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
        if (stopping) {
            break;
        }
    }
    for (Connection& c : connections) {
        drop(c);
    }
}

bool Endpoint::acceptAll(std::vector<Connection>& connections)
{
    while (connections.size() < kMaxConnections) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) {
                return true;
            }
            debuglog::Writef("ipc endpoint: accept: %s", std::strerror(errno));
            return false;
        }
        Connection c;
        c.fd = fd;
        c.deadline = Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs);
        connections.push_back(std::move(c));
    }
    return true;
}

UINT Endpoint::numberOf(const std::string& name) const
{
    const std::wstring wide = text::FromUtf8(name);
    if (accepted_ && std::find(accepted_->begin(), accepted_->end(), wide) == accepted_->end()) {
        return 0;
    }
    return winmsg::RegisteredMessage(wide);
}

bool Endpoint::waitForRoom() const
{
    while (winmsg::PostedCount(hwnd_) >= kMaxQueuedPosts) {
        pollfd stop{stopFd_, POLLIN, 0};
        if (::poll(&stop, 1, kRoomPollMs) > 0) {
            return false;
        }
    }
    return true;
}

// Hands one whole frame to the window; a sent message gets its answer. A message the window
// does not take gets none: the connection is dropped, and the sender sees it close.
Endpoint::Delivery Endpoint::deliver(Connection& connection)
{
    const auto message = DecodeMessage(connection.frame);
    if (!message) {
        debuglog::Write("ipc endpoint: a malformed frame was refused");
        return Delivery::Refused;
    }
    const UINT number = message->copyData ? WM_COPYDATA : numberOf(message->name);
    if (number == 0) {
        debuglog::Writef("ipc endpoint: message \"%s\" is not taken here", message->name.c_str());
        return Delivery::Refused;
    }
    if (!message->wantsReply) {
        if (!waitForRoom()) {
            return Delivery::Stopping;
        }
        orvel::PostMessageW(hwnd_, number, message->wParam, message->lParam);
        return Delivery::Handled;
    }
    std::optional<RemoteWindow> sender;
    if (!message->sender.empty()) {
        sender = RemoteWindow{socket_.parent_path() / message->sender};
    }
    {
        std::lock_guard lock(Windows().mutex);
        Windows().senderOf[hwnd_] = sender;
    }
    LRESULT result = 0;
    if (message->copyData) {
        const CopyData& block = *message->copyData;
        COPYDATASTRUCT cds{block.dwData, static_cast<std::uint32_t>(block.bytes.size()),
                           block.bytes.empty() ? nullptr : block.bytes.data()};
        result = orvel::SendMessageW(hwnd_, WM_COPYDATA, message->wParam, reinterpret_cast<LPARAM>(&cds));
    } else {
        result = orvel::SendMessageW(hwnd_, number, message->wParam, message->lParam);
    }
    {
        std::lock_guard lock(Windows().mutex);
        Windows().senderOf.erase(hwnd_);
    }
    const bool answered =
        WriteAll(connection.fd, EncodeReply(result), Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs)) == Io::Done;
    return answered ? Delivery::Handled : Delivery::Refused;
}

} // namespace orvel::ipc
