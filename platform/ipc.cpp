// The sending side of platform/ipc: finding windows, send, post, broadcast. The receiving side
// is ipcendpoint.cpp.
#include "platform/ipc.h"

#include "platform/debuglog.h"
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

// Hands a whole frame to a peer that takes it at once; never waits. A fresh connection's
// buffer holds any frame of ours, so a peer that cannot take it now is not reading at all.
bool sendAtOnce(const RemoteWindow& to, const std::vector<std::uint8_t>& frame)
{
    const int fd = ConnectTo(to.socket);
    if (fd < 0) {
        return false;
    }
    const ssize_t n = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
    return n == static_cast<ssize_t>(frame.size());
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
    // A window whose backlog is full (a flood of posts) is waited for within the time-out.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = ConnectTo(to.socket, deadline);
    if (fd < 0) {
        return {Clock::now() >= deadline ? SendStatus::TimedOut : SendStatus::NoPeer, 0};
    }
    SendResult result{SendStatus::NoPeer, 0};
    std::uint8_t reply[kReplyBytes];
    if (WriteAll(fd, *frame, deadline)) {
        if (ReadAll(fd, reply, sizeof reply, deadline, true)) {
            if (auto value = DecodeReply(reply)) {
                result = {SendStatus::Ok, *value};
            } else {
                result.status = SendStatus::Refused;
            }
        } else {
            result.status = Clock::now() >= deadline ? SendStatus::TimedOut : SendStatus::Refused;
        }
    }
    ::close(fd);
    return result;
}

LRESULT SendMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    return SendMessageTimeoutW(to, msg, wParam, lParam, kSendTimeoutMs, from).result;
}

bool SendNotifyMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, true, from);
    return frame && sendAtOnce(to, *frame);
}

bool PostMessageW(const RemoteWindow& to, UINT msg, WPARAM wParam, LPARAM lParam, HWND from)
{
    auto frame = frameFor(msg, wParam, lParam, false, from);
    if (!frame) {
        return false;
    }
    const int fd = ConnectTo(to.socket);
    if (fd < 0) {
        return false;
    }
    const bool ok = WriteAll(fd, *frame, Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs));
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
