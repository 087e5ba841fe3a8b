#include "platform/hid/vhid_client.h"

#include "platform/debuglog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace orvel::hid::vhidclient {

namespace {

using Clock = std::chrono::steady_clock;

// As many input reports as the kernel keeps for a hidraw reader that falls behind.
constexpr size_t kInputQueueLength = 64;
constexpr int kFeatureTimeoutMs = 1000;

int ConnectSocket(const std::filesystem::path& socket)
{
    const int fd = vhid::ConnectUnixSocket(socket);
    if (fd < 0) {
        debuglog::Writef("vhid: cannot connect to %s", socket.c_str());
    }
    return fd;
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

class VhidChannel final : public Channel {
public:
    VhidChannel(Session session, int wakeFd, ReportIdFilter filter)
        : fd_(session.fd)
        , wakeFd_(wakeFd)
        , reader_(std::move(session.reader))
        , filter_(filter)
    {
        // Reports that arrived together with HELLO.
        Drain();
        pump_ = std::thread([this] { Pump(); });
    }

    ~VhidChannel() override
    {
        Abort();
        pump_.join();
        ::close(fd_);
        ::close(wakeFd_);
    }

    IoStatus Read(uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs) override
    {
        got = 0;
        std::unique_lock lock(mutex_);
        auto ready = [this] { return !inputs_.empty() || disconnected_ || aborted_; };
        if (timeoutMs == kWaitForever) {
            changed_.wait(lock, ready);
        } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
            return IoStatus::kTimeout;
        }
        if (aborted_) {
            return IoStatus::kAborted;
        }
        if (disconnected_) {
            return IoStatus::kFailed;
        }
        const std::vector<uint8_t> report = std::move(inputs_.front());
        inputs_.pop_front();
        got = std::min(length, report.size());
        std::copy_n(report.begin(), got, buffer);
        return IoStatus::kOk;
    }

    IoStatus Write(const uint8_t* report, size_t length, size_t& written, uint32_t timeoutMs) override
    {
        written = 0;
        const IoStatus status = Send(vhid::kOutput, report, length, timeoutMs);
        if (status == IoStatus::kOk) {
            written = length;
        }
        return status;
    }

    bool SetOutputReport(const uint8_t* report, size_t length) override
    {
        return Send(vhid::kOutput, report, length, kFeatureTimeoutMs) == IoStatus::kOk;
    }

    bool GetFeature(uint8_t* buffer, size_t length, size_t& got) override
    {
        got = 0;
        if (length == 0) {
            return false;
        }
        std::lock_guard request(featureMutex_);
        {
            std::lock_guard lock(mutex_);
            feature_.reset();
        }
        if (Send(vhid::kGetFeature, buffer, 1, kFeatureTimeoutMs) != IoStatus::kOk) {
            return false;
        }
        std::unique_lock lock(mutex_);
        const bool answered = changed_.wait_for(lock, std::chrono::milliseconds(kFeatureTimeoutMs),
                                                [this] { return feature_.has_value() || disconnected_ || aborted_; });
        if (!answered || !feature_ || feature_->empty()) {
            return false;
        }
        got = std::min(length, feature_->size());
        std::copy_n(feature_->begin(), got, buffer);
        return true;
    }

    bool SetFeature(const uint8_t* report, size_t length) override
    {
        return Send(vhid::kSetFeature, report, length, kFeatureTimeoutMs) == IoStatus::kOk;
    }

    void Abort() override
    {
        {
            std::lock_guard lock(mutex_);
            aborted_ = true;
        }
        changed_.notify_all();
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    }

private:
    // Writes one frame without blocking past the time-out or an abort.
    IoStatus Send(uint8_t type, const uint8_t* data, size_t length, uint32_t timeoutMs)
    {
        if (length + 1 > vhid::kMaxFrameLength) {
            return IoStatus::kFailed;
        }
        std::lock_guard lock(writeMutex_);
        {
            std::lock_guard state(mutex_);
            if (aborted_) {
                return IoStatus::kAborted;
            }
            if (disconnected_) {
                return IoStatus::kFailed;
            }
        }
        const std::vector<uint8_t> frame = vhid::EncodeFrame(type, {data, length});
        const auto deadline = timeoutMs == kWaitForever ? Clock::time_point::max()
                                                        : Clock::now() + std::chrono::milliseconds(timeoutMs);
        size_t sent = 0;
        while (sent < frame.size()) {
            const ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return IoStatus::kFailed;
            }
            pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
            const int wait = deadline == Clock::time_point::max() ? -1 : RemainingMs(deadline);
            const int ready = ::poll(fds, 2, wait);
            if (ready == 0) {
                return IoStatus::kTimeout;
            }
            if (fds[1].revents & POLLIN) {
                return IoStatus::kAborted;
            }
            if (fds[0].revents & (POLLERR | POLLHUP)) {
                return IoStatus::kFailed;
            }
        }
        return IoStatus::kOk;
    }

    void Pump()
    {
        uint8_t buffer[8192];
        for (;;) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                Disconnect();
                return;
            }
            if (fds[1].revents & POLLIN) {
                return;
            }
            const ssize_t n = ::recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                Disconnect();
                return;
            }
            reader_.Append(buffer, static_cast<size_t>(n));
            if (!Drain()) {
                Disconnect();
                return;
            }
        }
    }

    // Sorts the complete messages read so far; false on a protocol error.
    bool Drain()
    {
        vhid::Message message;
        for (;;) {
            switch (reader_.Next(message)) {
            case vhid::FrameReader::Result::kNeedMore:
                return true;
            case vhid::FrameReader::Result::kError:
                return false;
            case vhid::FrameReader::Result::kMessage:
                break;
            }
            std::lock_guard lock(mutex_);
            if (message.type == vhid::kInput) {
                if (message.payload.empty() || !filter_.Accepts(message.payload[0])) {
                    continue;
                }
                if (inputs_.size() == kInputQueueLength) {
                    inputs_.pop_front();
                }
                inputs_.push_back(std::move(message.payload));
            } else if (message.type == vhid::kFeature) {
                feature_ = std::move(message.payload);
            } else {
                return false;
            }
            changed_.notify_all();
        }
    }

    void Disconnect()
    {
        {
            std::lock_guard lock(mutex_);
            disconnected_ = true;
        }
        changed_.notify_all();
    }

    int fd_;
    int wakeFd_;
    vhid::FrameReader reader_;
    ReportIdFilter filter_;
    std::thread pump_;

    std::mutex writeMutex_;
    std::mutex featureMutex_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> inputs_;
    std::optional<std::vector<uint8_t>> feature_;
    bool disconnected_ = false;
    bool aborted_ = false;
};

} // namespace

std::optional<Session> Connect(const std::filesystem::path& socket, int timeoutMs)
{
    Session session;
    session.fd = ConnectSocket(socket);
    if (session.fd < 0) {
        return std::nullopt;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    vhid::Message message;
    uint8_t buffer[4096];
    for (;;) {
        const auto result = session.reader.Next(message);
        if (result == vhid::FrameReader::Result::kMessage) {
            break;
        }
        pollfd p {session.fd, POLLIN, 0};
        const ssize_t n = result == vhid::FrameReader::Result::kError || ::poll(&p, 1, RemainingMs(deadline)) <= 0
            ? -1
            : ::recv(session.fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            ::close(session.fd);
            return std::nullopt;
        }
        session.reader.Append(buffer, static_cast<size_t>(n));
    }
    auto hello = message.type == vhid::kHello
        ? vhid::DecodeHello(std::string_view(reinterpret_cast<const char*>(message.payload.data()), message.payload.size()))
        : std::nullopt;
    if (!hello) {
        debuglog::Writef("vhid: %s sent no valid HELLO", socket.c_str());
        ::close(session.fd);
        return std::nullopt;
    }
    session.hello = std::move(*hello);
    return session;
}

bool Accepts(const std::filesystem::path& socket)
{
    const int fd = ConnectSocket(socket);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

std::vector<std::filesystem::path> Sockets(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> sockets;
    if (!vhid::FolderIsPrivate(folder)) {
        std::error_code ec;
        if (std::filesystem::exists(folder, ec)) {
            debuglog::Writef("vhid: ignoring %s (not a private folder of this user)", folder.c_str());
        }
        return sockets;
    }
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ".sock" && entry.is_socket(ec)) {
            sockets.push_back(entry.path());
        }
    }
    std::sort(sockets.begin(), sockets.end());
    return sockets;
}

std::unique_ptr<Channel> MakeChannel(Session session, ReportIdFilter filter)
{
    // Without its wake-up event the pump thread could never be stopped, and Close would wait
    // for it for ever.
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        debuglog::Writef("vhid: no wake-up event for the channel: %s", std::strerror(errno));
        ::close(session.fd);
        return nullptr;
    }
    return std::make_unique<VhidChannel>(std::move(session), wakeFd, filter);
}

} // namespace orvel::hid::vhidclient
