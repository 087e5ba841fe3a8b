#include "platform/ipc.h"

#include "platform/debuglog.h"
#include "platform/ipcframe.h"
#include "platform/runtimefolder.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvel::ipc {
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// How long an endpoint waits for the rest of a frame, or for its answer to be taken.
constexpr auto kPeerTimeout = std::chrono::milliseconds(1000);
constexpr const char* kSocketSuffix = ".sock";

std::uint64_t fnv1a(std::wstring_view text)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text::ToUtf8(text)) {
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

std::string hex16(std::uint64_t v)
{
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(v));
    return out;
}

// An endpoint's file name: "<pid>-<serial>-<class hash>-<title hash>.sock".
struct SocketName {
    long pid = 0;
    std::string classHash;
    std::string titleHash;
};

std::optional<SocketName> parseSocketName(const std::string& name)
{
    if (name.size() <= std::strlen(kSocketSuffix) || !name.ends_with(kSocketSuffix)) {
        return std::nullopt;
    }
    const std::string stem = name.substr(0, name.size() - std::strlen(kSocketSuffix));
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dash; (dash = stem.find('-', start)) != std::string::npos; start = dash + 1) {
        parts.push_back(stem.substr(start, dash - start));
    }
    parts.push_back(stem.substr(start));
    if (parts.size() != 4 || parts[0].empty() || parts[0].size() > 9 || parts[2].size() != 16 || parts[3].size() != 16
        || !std::all_of(parts[0].begin(), parts[0].end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return SocketName{std::stol(parts[0]), parts[2], parts[3]};
}

bool processAlive(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The live endpoints, sorted by name; files of programs that ended are removed on the way.
std::vector<std::pair<fs::path, SocketName>> liveEndpoints()
{
    std::vector<std::pair<fs::path, SocketName>> out;
    const RuntimeFolder runtime = OpenRuntimeFolder();
    if (!runtime.ok()) {
        return out;
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(runtime.folder, ec)) {
        auto parsed = parseSocketName(entry.path().filename().string());
        if (!parsed || !entry.is_socket(ec)) {
            continue;
        }
        if (!processAlive(parsed->pid)) {
            fs::remove(entry.path(), ec);
            continue;
        }
        out.emplace_back(entry.path(), *parsed);
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

bool fillAddress(const fs::path& path, sockaddr_un& addr)
{
    addr = {};
    addr.sun_family = AF_UNIX;
    const std::string p = path.string();
    if (p.size() >= sizeof addr.sun_path) {
        return false;
    }
    std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
    return true;
}

int connectTo(const fs::path& socket)
{
    sockaddr_un addr{};
    if (!fillAddress(socket, addr)) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    // A local stream connect completes at once, or fails with EAGAIN when the peer's backlog
    // is full: such a peer does not accept now.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits for fd to become ready for events until the deadline; while waiting, the calling
// thread keeps handling messages sent to its own windows when pump is set.
bool waitReady(int fd, short events, Clock::time_point deadline, bool pump)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) {
            return false;
        }
        pollfd p{fd, events, 0};
        const int slice = pump ? static_cast<int>(std::min<long long>(left, 5)) : static_cast<int>(left);
        const int n = ::poll(&p, 1, slice);
        if (n > 0) {
            return true;
        }
        if (n < 0 && errno != EINTR) {
            return false;
        }
        if (pump) {
            winmsg::HandleSentMessages();
        }
    }
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitReady(fd, POLLOUT, deadline, false)) {
            continue;
        }
        return false;
    }
    return true;
}

bool readAll(int fd, std::uint8_t* out, size_t size, Clock::time_point deadline, bool pump)
{
    while (size > 0) {
        const ssize_t n = ::recv(fd, out, size, 0);
        if (n > 0) {
            out += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            return false;
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitReady(fd, POLLIN, deadline, pump)) {
            continue;
        }
        return false;
    }
    return true;
}

struct Registry {
    std::mutex mutex;
    std::map<HWND, std::string> endpointOf;        // window -> its endpoint's file name
    std::map<HWND, std::optional<RemoteWindow>> senderOf; // window -> sender of the message being handled
    unsigned serial = 0;
};

Registry& registry()
{
    static Registry r;
    return r;
}

// The frame for msg, or nothing (logged) when it cannot travel.
std::optional<std::vector<std::uint8_t>> frameFor(UINT msg, WPARAM wParam, LPARAM lParam, bool wantsReply, HWND from)
{
    Message m;
    m.wantsReply = wantsReply;
    m.wParam = wParam;
    m.lParam = lParam;
    if (msg == WM_COPYDATA) {
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* why = !wantsReply                           ? "it can only be sent"
                          : cds == nullptr                        ? "no block"
                          : cds->cbData > kMaxCopyDataBytes       ? "block larger than 64 KiB"
                          : (cds->cbData > 0 && !cds->lpData)     ? "no data"
                                                                  : nullptr;
        if (why != nullptr) {
            debuglog::Writef("ipc: WM_COPYDATA refused: %s", why);
            return std::nullopt;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(cds->lpData);
        m.copyData = CopyData{cds->dwData, std::vector<std::uint8_t>(bytes, bytes + cds->cbData)};
        m.lParam = 0;
    } else {
        const std::wstring name = winmsg::MessageName(msg);
        if (name.empty()) {
            debuglog::Writef("ipc: message %u is not a registered message and cannot leave the program", msg);
            return std::nullopt;
        }
        m.name = text::ToUtf8(name);
    }
    if (from != nullptr) {
        std::lock_guard lock(registry().mutex);
        auto it = registry().endpointOf.find(from);
        if (it != registry().endpointOf.end()) {
            m.sender = it->second;
        }
    }
    auto frame = EncodeMessage(m);
    if (frame.empty()) {
        return std::nullopt;
    }
    return frame;
}

} // namespace

std::optional<RemoteWindow> FindWindowW(std::wstring_view className, std::wstring_view title)
{
    const std::string classHash = hex16(fnv1a(className));
    const std::string titleHash = hex16(fnv1a(title));
    for (const auto& [path, name] : liveEndpoints()) {
        if ((className.empty() || name.classHash == classHash) && (title.empty() || name.titleHash == titleHash)) {
            return RemoteWindow{path};
        }
    }
    return std::nullopt;
}

std::vector<RemoteWindow> AllWindows()
{
    std::vector<RemoteWindow> out;
    for (const auto& entry : liveEndpoints()) {
        out.push_back(RemoteWindow{entry.first});
    }
    return out;
}

SendResult SendMessageTimeoutW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, true, from);
    if (!frame) {
        return {SendStatus::Rejected, 0};
    }
    const int fd = connectTo(to.socket);
    if (fd < 0) {
        return {SendStatus::NoPeer, 0};
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    SendResult result{SendStatus::NoPeer, 0};
    std::uint8_t reply[kReplyBytes];
    if (writeAll(fd, *frame, deadline)) {
        if (readAll(fd, reply, sizeof reply, deadline, true)) {
            if (auto value = DecodeReply(reply)) {
                result = {SendStatus::Ok, *value};
            }
        } else if (Clock::now() >= deadline) {
            result.status = SendStatus::TimedOut;
        }
    }
    ::close(fd);
    return result;
}

LRESULT SendMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    return SendMessageTimeoutW(to, msg, wParam, lParam, kSendTimeoutMs, from).result;
}

bool PostMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, false, from);
    if (!frame) {
        return false;
    }
    const int fd = connectTo(to.socket);
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAll(fd, *frame, Clock::now() + kPeerTimeout);
    ::close(fd);
    return ok;
}

int BroadcastSystemMessageW(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto frame = frameFor(msg, wParam, lParam, false, nullptr);
    if (!frame) {
        return 0;
    }
    int reached = 0;
    for (const RemoteWindow& peer : AllWindows()) {
        const int fd = connectTo(peer.socket);
        if (fd < 0) {
            continue;
        }
        // A frame this small fits the socket buffer at once; a peer that cannot take it now is
        // skipped rather than waited for.
        const ssize_t n = ::send(fd, frame->data(), frame->size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        reached += n == static_cast<ssize_t>(frame->size()) ? 1 : 0;
        ::close(fd);
    }
    return reached;
}

std::optional<RemoteWindow> SenderOf(HWND receiver)
{
    std::lock_guard lock(registry().mutex);
    auto it = registry().senderOf.find(receiver);
    return it == registry().senderOf.end() ? std::nullopt : it->second;
}

std::unique_ptr<Endpoint> Endpoint::Create(HWND hwnd, std::string* error)
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
        std::lock_guard lock(registry().mutex);
        serial = ++registry().serial;
    }
    const std::string name = std::to_string(::getpid()) + "-" + std::to_string(serial) + "-" + hex16(fnv1a(winmsg::ClassName(hwnd))) + "-"
                             + hex16(fnv1a(winmsg::Title(hwnd))) + kSocketSuffix;
    const fs::path socket = runtime.folder / name;
    sockaddr_un addr{};
    if (!fillAddress(socket, addr)) {
        return fail("socket path too long: " + socket.string());
    }
    const int listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd < 0) {
        return fail(std::string("socket: ") + std::strerror(errno));
    }
    ::unlink(socket.c_str()); // a leftover of an earlier process with the same pid
    if (::bind(listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd, 16) != 0) {
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
        std::lock_guard lock(registry().mutex);
        registry().endpointOf[hwnd] = name;
    }
    return std::unique_ptr<Endpoint>(new Endpoint(hwnd, socket, listenFd, stopFd));
}

Endpoint::Endpoint(HWND hwnd, fs::path socket, int listenFd, int stopFd)
    : hwnd_(hwnd), socket_(std::move(socket)), listenFd_(listenFd), stopFd_(stopFd)
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
    std::lock_guard lock(registry().mutex);
    registry().endpointOf.erase(hwnd_);
    registry().senderOf.erase(hwnd_);
}

void Endpoint::serve()
{
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            debuglog::Writef("ipc endpoint: poll: %s", std::strerror(errno));
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            serveConnection(fd);
            ::close(fd);
        }
    }
}

void Endpoint::serveConnection(int fd)
{
    const auto deadline = Clock::now() + kPeerTimeout;
    std::vector<std::uint8_t> frame(kFrameHeaderBytes);
    if (!readAll(fd, frame.data(), frame.size(), deadline, false)) {
        return;
    }
    const auto length = BodyLength(frame);
    if (!length) {
        debuglog::Write("ipc endpoint: a frame that is not ours, or too long, was dropped");
        return;
    }
    frame.resize(kFrameHeaderBytes + *length);
    if (!readAll(fd, frame.data() + kFrameHeaderBytes, *length, deadline, false)) {
        return;
    }
    const auto message = DecodeMessage(frame);
    if (!message) {
        debuglog::Write("ipc endpoint: a malformed frame was dropped");
        return;
    }
    UINT number = WM_COPYDATA;
    if (!message->copyData) {
        number = winmsg::RegisteredMessage(text::FromUtf8(message->name));
        if (number == 0) {
            debuglog::Writef("ipc endpoint: message \"%s\" is not registered here", message->name.c_str());
        }
    }
    LRESULT result = 0;
    if (number != 0 && !message->wantsReply) {
        orvel::PostMessageW(hwnd_, number, message->wParam, message->lParam);
    } else if (number != 0) {
        std::optional<RemoteWindow> sender;
        if (!message->sender.empty()) {
            sender = RemoteWindow{socket_.parent_path() / message->sender};
        }
        {
            std::lock_guard lock(registry().mutex);
            registry().senderOf[hwnd_] = sender;
        }
        if (message->copyData) {
            const CopyData& block = *message->copyData;
            COPYDATASTRUCT cds{block.dwData, static_cast<std::uint32_t>(block.bytes.size()), block.bytes.empty() ? nullptr : block.bytes.data()};
            result = orvel::SendMessageW(hwnd_, WM_COPYDATA, message->wParam, reinterpret_cast<LPARAM>(&cds));
        } else {
            result = orvel::SendMessageW(hwnd_, number, message->wParam, message->lParam);
        }
        std::lock_guard lock(registry().mutex);
        registry().senderOf.erase(hwnd_);
    }
    if (message->wantsReply) {
        writeAll(fd, EncodeReply(result), Clock::now() + kPeerTimeout);
    }
}

} // namespace orvel::ipc
