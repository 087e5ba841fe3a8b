#include "platform/ipcsocket.h"

#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace orvel::ipc::detail {
namespace {

constexpr std::string_view kSocketSuffix = ".sock";
constexpr long long kConnectSliceUs = 5000;

std::uint64_t fnv1a(std::wstring_view text)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text::ToUtf8(text)) {
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

bool allDigits(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool allHex(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace

std::string TextHash(std::wstring_view text)
{
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(fnv1a(text)));
    return out;
}

std::string EndpointFileName(long pid, unsigned serial, std::wstring_view className, std::wstring_view title)
{
    return std::to_string(pid) + "-" + std::to_string(serial) + "-" + TextHash(className) + "-" + TextHash(title)
           + std::string(kSocketSuffix);
}

std::optional<EndpointName> ParseEndpointFileName(const std::string& name)
{
    if (name.size() <= kSocketSuffix.size() || !name.ends_with(kSocketSuffix)) {
        return std::nullopt;
    }
    const std::string stem = name.substr(0, name.size() - kSocketSuffix.size());
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dash; (dash = stem.find('-', start)) != std::string::npos; start = dash + 1) {
        parts.push_back(stem.substr(start, dash - start));
    }
    parts.push_back(stem.substr(start));
    if (parts.size() != 4 || parts[0].empty() || parts[0].size() > 9 || !allDigits(parts[0]) || parts[1].empty()
        || !allDigits(parts[1]) || parts[2].size() != 16 || parts[3].size() != 16 || !allHex(parts[2])
        || !allHex(parts[3])) {
        return std::nullopt;
    }
    return EndpointName{std::stol(parts[0]), parts[2], parts[3]};
}

bool FillAddress(const std::filesystem::path& path, sockaddr_un& addr)
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

int ConnectTo(const std::filesystem::path& socket, std::optional<Clock::time_point> until)
{
    sockaddr_un addr{};
    if (!FillAddress(socket, addr)) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (until ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0) {
        return -1;
    }
    // A local stream connect completes at once, or fails with EAGAIN when the peer's backlog
    // is full: such a peer does not accept now. With a deadline, the connect sleeps in the
    // kernel until the peer accepts one, a slice at a time, handling the messages sent to
    // this thread's windows between slices.
    for (;;) {
        if (until) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(*until - Clock::now()).count();
            const long slice = static_cast<long>(std::clamp<long long>(left, 1, kConnectSliceUs));
            const timeval timeout{0, slice};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            break;
        }
        if (!until || errno != EAGAIN || Clock::now() >= *until) {
            ::close(fd);
            return -1;
        }
        winmsg::HandleSentMessages();
    }
    if (until) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return fd;
}

bool WaitReady(int fd, short events, Clock::time_point deadline, bool pump)
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

namespace {

Io failure(Clock::time_point deadline)
{
    if (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) {
        return Io::Lost;
    }
    return Clock::now() >= deadline ? Io::TimedOut : Io::Failed;
}

} // namespace

Io WriteAll(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline)
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
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLOUT, deadline, false)) {
            continue;
        }
        return failure(deadline);
    }
    return Io::Done;
}

Io ReadAll(int fd, std::uint8_t* out, std::size_t size, Clock::time_point deadline, bool pump)
{
    while (size > 0) {
        const ssize_t n = ::recv(fd, out, size, 0);
        if (n > 0) {
            out += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            return Io::Closed;
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLIN, deadline, pump)) {
            continue;
        }
        return failure(deadline);
    }
    return Io::Done;
}

WindowTable& Windows()
{
    static WindowTable table;
    return table;
}

} // namespace orvel::ipc::detail
