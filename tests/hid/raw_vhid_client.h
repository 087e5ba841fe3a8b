#pragma once
// A bare socket client for the vhid wire, so server tests do not depend on the HID layer.

#include "platform/hid/vhid_wire.h"

#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvel::testing {

class RawVhidClient {
public:
    explicit RawVhidClient(const std::string& socketPath)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawVhidClient()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RawVhidClient(const RawVhidClient&) = delete;
    RawVhidClient& operator=(const RawVhidClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool Send(uint8_t type, std::vector<uint8_t> payload) { return vhid::SendFrame(fd_, type, payload); }
    bool SendBytes(const std::vector<uint8_t>& bytes)
    {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    // The next message, or nullopt on time-out or end of stream.
    std::optional<vhid::Message> Receive(int timeoutMs = 2000)
    {
        vhid::Message message;
        for (;;) {
            if (reader_.Next(message) == vhid::FrameReader::Result::kMessage) {
                return message;
            }
            pollfd p {fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                return std::nullopt;
            }
            uint8_t buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                return std::nullopt;
            }
            reader_.Append(buffer, static_cast<size_t>(n));
        }
    }

    // True when the server closed the connection within the time.
    bool SeesEndOfStream(int timeoutMs = 2000)
    {
        pollfd p {fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return false;
        }
        uint8_t byte;
        return ::recv(fd_, &byte, 1, 0) <= 0;
    }

private:
    int fd_ = -1;
    vhid::FrameReader reader_;
};

} // namespace orvel::testing
