// The sending side of platform/ipc: finding windows, send, post, broadcast. The receiving side
// is ipcendpoint.cpp.
#include "platform/ipc.h"

#include "platform/debuglog.h"
#include "platform/ipcconnections.h"
#include "platform/ipcframe.h"
#include "platform/ipcsocket.h"
#include "platform/runtimefolder.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::ipc {
namespace fs = std::filesystem;
using namespace detail;

namespace {

bool processAlive(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The live endpoints, sorted by name; files of programs that ended are removed on the way.
std::vector<std::pair<fs::path, EndpointName>> liveEndpoints()
{
    std::vector<std::pair<fs::path, EndpointName>> out;
    const RuntimeFolder runtime = OpenRuntimeFolder();
    if (!runtime.ok()) {
        return out;
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(runtime.folder, ec)) {
        auto parsed = ParseEndpointFileName(entry.path().filename().string());
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
        std::lock_guard lock(Windows().mutex);
        auto it = Windows().endpointOf.find(from);
        if (it != Windows().endpointOf.end()) {
            m.sender = it->second;
        }
    }
    auto frame = EncodeMessage(m);
    if (frame.empty()) {
        return std::nullopt;
    }
    return frame;
}

// Hands a whole frame to the peer on fd if it takes it at once; never waits.
bool writeAtOnce(int fd, const std::vector<std::uint8_t>& frame)
{
    const ssize_t n = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    return n == static_cast<ssize_t>(frame.size());
}

// On a fresh connection: its buffer holds any frame of ours, so a peer that cannot take it
// now is not reading at all.
bool sendAtOnce(const RemoteWindow& to, const std::vector<std::uint8_t>& frame)
{
    const int fd = ConnectTo(to.socket);
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAtOnce(fd, frame);
    ::close(fd);
    return ok;
}

// How one sent message fared on one connection.
struct Exchange {
    SendResult result;
    bool unseen = false; // the peer closed without having read the frame whole: it can go again
};

Exchange exchange(int fd, const std::vector<std::uint8_t>& frame, Clock::time_point deadline)
{
    switch (WriteAll(fd, frame, deadline)) {
    case Io::Done: break;
    case Io::TimedOut: return {{SendStatus::TimedOut, 0}};
    default: return {{SendStatus::NoPeer, 0}, true};
    }
    std::uint8_t reply[kReplyBytes];
    switch (ReadAll(fd, reply, sizeof reply, deadline, true)) {
    case Io::Done: {
        const auto value = DecodeReply(reply);
        return {value ? SendResult{SendStatus::Ok, *value} : SendResult{SendStatus::Refused, 0}};
    }
    case Io::Lost: return {{SendStatus::Refused, 0}, true};
    case Io::TimedOut: return {{SendStatus::TimedOut, 0}};
    default: return {{SendStatus::Refused, 0}};
    }
}

// Writes a frame that waits for no answer on a kept connection that is in step, else on a
// fresh one, which is kept afterwards. A kept connection the peer closed meanwhile is
// replaced once; a frame cut short is dropped by the peer whole, so nothing arrives twice.
template <typename Write>
bool writeKeptOrFresh(const RemoteWindow& to, bool posted, Write write)
{
    const int answersOwed = posted ? 0 : 1;
    if (auto kept = Kept().Take(to.socket)) {
        if (write(kept->fd)) {
            kept->unanswered += answersOwed;
            kept->posted = kept->posted || posted;
            Kept().Give(to.socket, *kept);
            return true;
        }
        ::close(kept->fd);
    }
    const int fd = ConnectTo(to.socket);
    if (fd < 0) {
        return false;
    }
    if (!write(fd)) {
        ::close(fd);
        return false;
    }
    Kept().Give(to.socket, {fd, answersOwed, posted});
    return true;
}

} // namespace

std::optional<RemoteWindow> FindWindowW(std::wstring_view className, std::wstring_view title)
{
    const std::string classHash = TextHash(className);
    const std::string titleHash = TextHash(title);
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
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // A kept connection the peer closed before reading the frame (it ended, or made room for
    // other peers) gets one fresh try.
    if (auto kept = Kept().Take(to.socket)) {
        const Exchange e = exchange(kept->fd, *frame, deadline);
        if (e.result.status == SendStatus::Ok) {
            Kept().Give(to.socket, *kept);
            return e.result;
        }
        ::close(kept->fd);
        if (!e.unseen) {
            return e.result;
        }
    }
    // A window whose backlog is full (a flood of posts) is waited for within the time-out.
    const int fd = ConnectTo(to.socket, deadline);
    if (fd < 0) {
        return {Clock::now() >= deadline ? SendStatus::TimedOut : SendStatus::NoPeer, 0};
    }
    const Exchange e = exchange(fd, *frame, deadline);
    if (e.result.status == SendStatus::Ok) {
        Kept().Give(to.socket, {fd, 0, false});
    } else {
        ::close(fd);
    }
    return e.result;
}

LRESULT SendMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    return SendMessageTimeoutW(to, msg, wParam, lParam, kSendTimeoutMs, from).result;
}

bool SendNotifyMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, true, from);
    return frame && writeKeptOrFresh(to, false, [&](int fd) { return writeAtOnce(fd, *frame); });
}

bool PostMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, false, from);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs);
    return frame && writeKeptOrFresh(to, true, [&](int fd) { return WriteAll(fd, *frame, deadline) == Io::Done; });
}

int BroadcastSystemMessageW(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto frame = frameFor(msg, wParam, lParam, false, nullptr);
    if (!frame) {
        return 0;
    }
    int reached = 0;
    for (const RemoteWindow& peer : AllWindows()) {
        reached += sendAtOnce(peer, *frame) ? 1 : 0;
    }
    return reached;
}

std::optional<RemoteWindow> SenderOf(HWND receiver)
{
    std::lock_guard lock(Windows().mutex);
    auto it = Windows().senderOf.find(receiver);
    return it == Windows().senderOf.end() ? std::nullopt : it->second;
}

} // namespace orvel::ipc
