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

// One connection to a vhid interface. No thread of its own: a thread that waits for a report
// reads the socket itself while no other does, and hands on what it reads that is not its own
// (an input report to a reader, a feature answer to GetFeature) to the threads waiting for it.
// An answer so reaches the thread that asked for it without a hand-off between threads. Reports
// that nobody waits for stay in the socket until the next read, which keeps the newest
// kInputQueueLength of them as hidraw does for a reader that falls behind.
class VhidChannel final : public Channel {
public:
    VhidChannel(Session session, int wakeFd, ReportIdFilter filter)
        : fd_(session.fd)
        , wakeFd_(wakeFd)
        , filter_(filter)
        , reader_(std::move(session.reader))
    {
        // Reports that arrived together with HELLO.
        std::lock_guard lock(mutex_);
        if (!SortLocked()) {
            disconnected_ = true;
        }
    }

    ~VhidChannel() override
    {
        Abort();
        ::close(fd_);
        ::close(wakeFd_);
    }

    IoStatus Read(uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs) override
    {
        got = 0;
        std::unique_lock lock(mutex_);
        const auto deadline = DeadlineOf(timeoutMs);
        if (!AwaitLocked(lock, deadline, [this] { return !inputs_.empty(); })) {
            return aborted_ ? IoStatus::kAborted : disconnected_ ? IoStatus::kFailed : IoStatus::kTimeout;
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
        const auto deadline = Clock::now() + std::chrono::milliseconds(kFeatureTimeoutMs);
        if (!AwaitLocked(lock, deadline, [this] { return feature_.has_value(); }) || feature_->empty()) {
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
        // Ends the poll of the thread reading the socket.
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    }

private:
    static Clock::time_point DeadlineOf(uint32_t timeoutMs)
    {
        return timeoutMs == kWaitForever ? Clock::time_point::max()
                                         : Clock::now() + std::chrono::milliseconds(timeoutMs);
    }

    // Waits until have() holds, the deadline passes or the channel ends; true when have() holds.
    // While no other thread reads the socket this one does.
    template <typename Have>
    bool AwaitLocked(std::unique_lock<std::mutex>& lock, Clock::time_point deadline, Have have)
    {
        for (;;) {
            if (have()) {
                return true;
            }
            if (aborted_ || disconnected_) {
                return false;
            }
            if (!socketTaken_) {
                ReadSocketLocked(lock, deadline);
                if (!have() && Clock::now() >= deadline) {
                    return false;
                }
                continue;
            }
            if (Clock::now() >= deadline) {
                return false;
            }
            ++waiting_;
            if (deadline == Clock::time_point::max()) {
                changed_.wait(lock);
            } else {
                changed_.wait_until(lock, deadline);
            }
            --waiting_;
        }
    }

    // One poll of the socket (nothing waited for when the deadline has passed), what came sorted,
    // and the threads that wait told.
    void ReadSocketLocked(std::unique_lock<std::mutex>& lock, Clock::time_point deadline)
    {
        socketTaken_ = true;
        lock.unlock();
        uint8_t buffer[8192];
        bool failed = false;
        ssize_t n = -1;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        int ready = 0;
        for (;;) {
            const int wait = deadline == Clock::time_point::max() ? -1 : RemainingMs(deadline);
            // Without time to wait, what is there is read straight away.
            ready = wait == 0 ? 1 : ::poll(fds, 2, wait);
            if (ready >= 0 || errno != EINTR) {
                break;
            }
        }
        if (ready < 0) {
            failed = true;
        } else if (ready > 0 && !(fds[1].revents & POLLIN)) {
            n = ::recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT);
            failed = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
        }
        lock.lock();
        socketTaken_ = false;
        if (n > 0) {
            reader_.Append(buffer, static_cast<size_t>(n));
        }
        if (failed || (n > 0 && !SortLocked())) {
            disconnected_ = true;
        }
        if (waiting_ > 0) {
            // Someone else's report, or the socket free for the next reader.
            changed_.notify_all();
        }
    }

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
        const auto deadline = DeadlineOf(timeoutMs);
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

    // Sorts the complete messages read so far; false on a protocol error.
    bool SortLocked()
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
        }
    }

    int fd_;
    int wakeFd_;
    ReportIdFilter filter_;

    std::mutex writeMutex_;
    std::mutex featureMutex_;
    std::mutex mutex_;
    std::condition_variable changed_;
    vhid::FrameReader reader_;
    bool socketTaken_ = false; // a thread reads the socket
    int waiting_ = 0;          // threads waiting for what another reads
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
    // Without its wake-up event a read that waits for ever could never be stopped, and Close
    // would wait for it for ever.
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        debuglog::Writef("vhid: no wake-up event for the channel: %s", std::strerror(errno));
        ::close(session.fd);
        return nullptr;
    }
    return std::make_unique<VhidChannel>(std::move(session), wakeFd, filter);
}

} // namespace orvel::hid::vhidclient
