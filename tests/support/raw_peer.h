#pragma once
// A peer that speaks raw bytes to a window's endpoint, for tests that feed it what our own
// sender never writes and watch how it answers.

#include "tests/support/ipc_wire.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvel::testing {

class RawPeer {
public:
    explicit RawPeer(const std::filesystem::path& socket)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawPeer() { close(); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool connected() const { return connected_; }
    bool write(const wire::Bytes& bytes)
    {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Waits up to limit for the endpoint to answer or close: the bytes it wrote (empty when it
    // closed without a word), or nothing when it did neither in time.
    std::optional<wire::Bytes> answer(std::chrono::milliseconds limit)
    {
        using Clock = std::chrono::steady_clock;
        wire::Bytes got;
        const auto end = Clock::now() + limit;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return std::nullopt;
            std::uint8_t chunk[64];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0)
                return got;
            got.insert(got.end(), chunk, chunk + n);
        }
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

} // namespace orvel::testing
