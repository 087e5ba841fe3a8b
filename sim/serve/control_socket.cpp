#include "sim/serve/control_socket.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvel::sim {
namespace {

constexpr std::size_t kMaxLine = 4096;

bool FillAddress(const std::filesystem::path& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) {
        return false;
    }
    text.copy(address.sun_path, sizeof(address.sun_path) - 1);
    return true;
}

bool SendAll(int fd, const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ControlSocket::ControlSocket(std::filesystem::path path, Handler handler)
    : path_(std::move(path)), handler_(std::move(handler))
{
}

ControlSocket::~ControlSocket()
{
    Stop();
}

bool ControlSocket::Start()
{
    sockaddr_un address;
    if (!FillAddress(path_, address)) {
        return false;
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listenFd_ < 0 || wakeFd_ < 0) {
        Stop();
        return false;
    }
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listenFd_, 8) != 0) {
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void ControlSocket::Stop()
{
    stopping_ = true;
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof(one));
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void ControlSocket::Serve()
{
    while (!stopping_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                Answer(fd);
                ::close(fd);
            }
        }
    }
}

void ControlSocket::Answer(int fd)
{
    std::string line;
    char buffer[512];
    while (line.size() < kMaxLine && line.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0) {
            return;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(n));
    }
    line = line.substr(0, line.find('\n'));
    SendAll(fd, handler_(line));
}

std::optional<std::string> SendControlCommand(const std::filesystem::path& path, const std::string& line, int timeoutMs)
{
    sockaddr_un address;
    if (!FillAddress(path, address)) {
        return std::nullopt;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && SendAll(fd, line + "\n")) {
        std::string text;
        char buffer[4096];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                break;
            }
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                reply = text;
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return reply;
}

} // namespace orvel::sim
