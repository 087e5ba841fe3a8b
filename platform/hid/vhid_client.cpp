#include "platform/hid/vhid_client.h"

#include "platform/debuglog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
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

// How long a reader that waits for ever (a notification reader) leaves the socket to the
// threads that wait for answers after one of them last read it.
constexpr auto kPatience = std::chrono::milliseconds(200);

bool MakeEvent(int& fd)
{
    fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        debuglog::Writef("vhid: no wake-up event for the channel: %s", std::strerror(errno));
    }
    return fd >= 0;
}

void Signal(int fd)
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof(one));
}

} // namespace

// One connection to a vhid interface, shared by the channels of the process that opened its
// collections, as a hidraw node serves them all. Each channel keeps the input reports of its
// collection. No thread of its own: a thread that waits for a report reads the socket itself
// while no other does, and hands on what it reads that is not its own (an input report to
// another channel's reader, a feature answer to GetFeature). An answer so reaches the thread
// that asked for it without a hand-off between threads.
//
// A thread that waits for ever gives the socket up to one that waits for an answer, and takes it
// back only after kPatience without such reads. While a device streams frames its notification
// reader so sleeps, instead of waking for every answer only to hand it on; a notification that
// comes meanwhile is read with the next answer. Reports that nobody waits for stay in the socket
// until the next read, which keeps the newest kInputQueueLength of them for each channel, as
// hidraw does for a reader that falls behind.
class Connection {
public:
    struct View {
        explicit View(ReportIdFilter filter) : filter(filter) {}
        ReportIdFilter filter;
        int abortFd = -1;
        std::deque<std::vector<uint8_t>> inputs;
        bool aborted = false;
        int finiteWaiting = 0;  // threads of this channel waiting with a deadline
        int foreverWaiting = 0; // and for ever
    };

    Connection(Session session, int kickFd)
        : fd_(session.fd), kickFd_(kickFd), hello_(std::move(session.hello)), reader_(std::move(session.reader))
    {
    }
    ~Connection()
    {
        ::close(fd_);
        ::close(kickFd_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const vhid::Hello& Hello() const { return hello_; }

    // False once the peer went away: a new open needs a new connection.
    bool Usable()
    {
        std::lock_guard lock(mutex_);
        if (disconnected_) {
            return false;
        }
        pollfd p {fd_, POLLRDHUP, 0};
        return !(::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)));
    }

    void Join(View& view)
    {
        std::lock_guard lock(mutex_);
        views_.push_back(&view);
        // Reports that arrived together with HELLO.
        if (views_.size() == 1 && !SortLocked()) {
            disconnected_ = true;
        }
    }

    void Leave(View& view)
    {
        std::lock_guard lock(mutex_);
        views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
    }

    IoStatus Read(View& view, uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs)
    {
        got = 0;
        std::unique_lock lock(mutex_);
        if (!AwaitLocked(view, lock, DeadlineOf(timeoutMs), [&] { return !view.inputs.empty(); })) {
            return view.aborted ? IoStatus::kAborted : disconnected_ ? IoStatus::kFailed : IoStatus::kTimeout;
        }
        const std::vector<uint8_t> report = std::move(view.inputs.front());
        view.inputs.pop_front();
        got = std::min(length, report.size());
        std::copy_n(report.begin(), got, buffer);
        return IoStatus::kOk;
    }

    bool GetFeature(View& view, uint8_t* buffer, size_t length, size_t& got)
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
        if (Send(view, vhid::kGetFeature, buffer, 1, kFeatureTimeoutMs) != IoStatus::kOk) {
            return false;
        }
        std::unique_lock lock(mutex_);
        const auto deadline = Clock::now() + std::chrono::milliseconds(kFeatureTimeoutMs);
        if (!AwaitLocked(view, lock, deadline, [this] { return feature_.has_value(); }) || feature_->empty()) {
            return false;
        }
        got = std::min(length, feature_->size());
        std::copy_n(feature_->begin(), got, buffer);
        return true;
    }

    void Abort(View& view)
    {
        {
            std::lock_guard lock(mutex_);
            view.aborted = true;
        }
        finiteChanged_.notify_all();
        foreverChanged_.notify_all();
        // Ends the poll of this channel's thread reading the socket, and a send waiting.
        Signal(view.abortFd);
    }

    // Writes one frame without blocking past the time-out or an abort.
    IoStatus Send(View& view, uint8_t type, const uint8_t* data, size_t length, uint32_t timeoutMs)
    {
        if (length + 1 > vhid::kMaxFrameLength) {
            return IoStatus::kFailed;
        }
        std::lock_guard lock(writeMutex_);
        {
            std::lock_guard state(mutex_);
            if (view.aborted) {
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
            pollfd fds[2] = {{fd_, POLLOUT, 0}, {view.abortFd, POLLIN, 0}};
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

private:
    // Waits until have() holds, the deadline passes or the channel ends; true when have() holds.
    // While no other thread reads the socket this one does.
    template <typename Have>
    bool AwaitLocked(View& view, std::unique_lock<std::mutex>& lock, Clock::time_point deadline, Have have)
    {
        const bool forever = deadline == Clock::time_point::max();
        for (;;) {
            if (have()) {
                return true;
            }
            if (view.aborted || disconnected_) {
                return false;
            }
            const auto now = Clock::now();
            if (!socketTaken_ && (!forever || (now >= lastAnswerRead_ + kPatience && !FiniteWaitingLocked()))) {
                ReadSocketLocked(view, lock, deadline);
                if (!have() && !forever && Clock::now() >= deadline) {
                    return false;
                }
                continue;
            }
            if (!forever && now >= deadline) {
                return false;
            }
            if (forever) {
                ++view.foreverWaiting;
                // Looks again when the threads that wait for answers may have left the socket.
                foreverChanged_.wait_until(lock, std::max(now, lastAnswerRead_) + kPatience);
                --view.foreverWaiting;
                continue;
            }
            if (socketTaken_ && leaderWaitsForever_ && !kicked_) {
                kicked_ = true;
                Signal(kickFd_);
            }
            ++view.finiteWaiting;
            finiteChanged_.wait_until(lock, deadline);
            --view.finiteWaiting;
        }
    }

    // One poll of the socket (nothing waited for when the deadline has passed), what came sorted,
    // and the threads that wait for it told.
    void ReadSocketLocked(View& view, std::unique_lock<std::mutex>& lock, Clock::time_point deadline)
    {
        const bool forever = deadline == Clock::time_point::max();
        socketTaken_ = true;
        leaderWaitsForever_ = forever;
        lock.unlock();
        uint8_t buffer[8192];
        bool failed = false;
        ssize_t n = -1;
        pollfd fds[3] = {{fd_, POLLIN, 0}, {view.abortFd, POLLIN, 0}, {kickFd_, POLLIN, 0}};
        int ready = 0;
        for (;;) {
            const int wait = forever ? -1 : RemainingMs(deadline);
            // Without time to wait, what is there is read straight away.
            ready = wait == 0 ? 1 : ::poll(fds, forever ? 3 : 2, wait);
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
        if (forever && kicked_) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t drained = ::read(kickFd_, &count, sizeof(count));
            kicked_ = false;
            lastAnswerRead_ = Clock::now(); // the thread that asked reads now
        }
        socketTaken_ = false;
        if (!forever) {
            lastAnswerRead_ = Clock::now();
        }
        wakeFinite_ = false;
        wakeForever_ = false;
        if (n > 0) {
            reader_.Append(buffer, static_cast<size_t>(n));
        }
        if (failed || (n > 0 && !SortLocked())) {
            disconnected_ = true;
            wakeFinite_ = wakeForever_ = true;
        }
        // The socket is free for the next thread waiting for an answer.
        if (wakeFinite_ || FiniteWaitingLocked()) {
            finiteChanged_.notify_all();
        }
        if (wakeForever_) {
            foreverChanged_.notify_all();
        }
    }

    bool FiniteWaitingLocked() const
    {
        return std::any_of(views_.begin(), views_.end(), [](const View* v) { return v->finiteWaiting > 0; });
    }

    // Sorts the complete messages read so far to the channels; false on a protocol error.
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
                if (message.payload.empty()) {
                    continue;
                }
                for (View* v : views_) {
                    if (!v->filter.Accepts(message.payload[0])) {
                        continue;
                    }
                    if (v->inputs.size() == kInputQueueLength) {
                        v->inputs.pop_front();
                    }
                    v->inputs.push_back(message.payload);
                    wakeFinite_ = wakeFinite_ || v->finiteWaiting > 0;
                    wakeForever_ = wakeForever_ || v->foreverWaiting > 0;
                }
            } else if (message.type == vhid::kFeature) {
                feature_ = std::move(message.payload);
                wakeFinite_ = true;
            } else {
                return false;
            }
        }
    }

    static Clock::time_point DeadlineOf(uint32_t timeoutMs)
    {
        return timeoutMs == kWaitForever ? Clock::time_point::max()
                                         : Clock::now() + std::chrono::milliseconds(timeoutMs);
    }

    const int fd_;
    const int kickFd_; // asks a thread that waits for ever to leave the socket
    const vhid::Hello hello_;

    std::mutex writeMutex_;
    std::mutex featureMutex_;
    std::mutex mutex_;
    std::condition_variable finiteChanged_;
    std::condition_variable foreverChanged_;
    vhid::FrameReader reader_;
    std::vector<View*> views_;
    bool socketTaken_ = false;        // a thread reads the socket
    bool leaderWaitsForever_ = false; // and waits for ever
    bool kicked_ = false;
    bool wakeFinite_ = false;
    bool wakeForever_ = false;
    Clock::time_point lastAnswerRead_{};
    std::optional<std::vector<uint8_t>> feature_;
    bool disconnected_ = false;
};

namespace {

// A collection's channel on a connection.
class VhidChannel final : public Channel {
public:
    VhidChannel(std::shared_ptr<Connection> connection, ReportIdFilter filter, int abortFd)
        : connection_(std::move(connection)), view_(filter)
    {
        view_.abortFd = abortFd;
        connection_->Join(view_);
    }

    ~VhidChannel() override
    {
        Abort();
        connection_->Leave(view_);
        ::close(view_.abortFd);
    }

    IoStatus Read(uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs) override
    {
        return connection_->Read(view_, buffer, length, got, timeoutMs);
    }

    IoStatus Write(const uint8_t* report, size_t length, size_t& written, uint32_t timeoutMs) override
    {
        written = 0;
        const IoStatus status = connection_->Send(view_, vhid::kOutput, report, length, timeoutMs);
        if (status == IoStatus::kOk) {
            written = length;
        }
        return status;
    }

    bool SetOutputReport(const uint8_t* report, size_t length) override
    {
        return connection_->Send(view_, vhid::kOutput, report, length, kFeatureTimeoutMs) == IoStatus::kOk;
    }

    bool GetFeature(uint8_t* buffer, size_t length, size_t& got) override
    {
        return connection_->GetFeature(view_, buffer, length, got);
    }

    bool SetFeature(const uint8_t* report, size_t length) override
    {
        return connection_->Send(view_, vhid::kSetFeature, report, length, kFeatureTimeoutMs) == IoStatus::kOk;
    }

    void Abort() override { connection_->Abort(view_); }

private:
    std::shared_ptr<Connection> connection_;
    Connection::View view_;
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

std::shared_ptr<Connection> Share(const std::filesystem::path& socket, int timeoutMs)
{
    static std::mutex lock;
    static std::map<std::filesystem::path, std::weak_ptr<Connection>> shared;
    std::lock_guard guard(lock);
    for (auto it = shared.begin(); it != shared.end();) {
        it = it->second.expired() ? shared.erase(it) : std::next(it);
    }
    if (auto it = shared.find(socket); it != shared.end()) {
        if (auto connection = it->second.lock(); connection->Usable()) {
            return connection;
        }
    }
    auto session = Connect(socket, timeoutMs);
    int kickFd = -1;
    if (!session || !MakeEvent(kickFd)) {
        if (session) {
            ::close(session->fd);
        }
        return nullptr;
    }
    auto connection = std::make_shared<Connection>(std::move(*session), kickFd);
    shared[socket] = connection;
    return connection;
}

const vhid::Hello& HelloOf(const Connection& connection)
{
    return connection.Hello();
}

std::unique_ptr<Channel> MakeChannel(std::shared_ptr<Connection> connection, ReportIdFilter filter)
{
    // Without its wake-up event a read that waits for ever could never be stopped, and Close
    // would wait for it for ever.
    int abortFd = -1;
    if (!connection || !MakeEvent(abortFd)) {
        return nullptr;
    }
    return std::make_unique<VhidChannel>(std::move(connection), filter, abortFd);
}

std::unique_ptr<Channel> MakeChannel(Session session, ReportIdFilter filter)
{
    int kickFd = -1;
    if (!MakeEvent(kickFd)) {
        ::close(session.fd);
        return nullptr;
    }
    return MakeChannel(std::make_shared<Connection>(std::move(session), kickFd), filter);
}

} // namespace orvel::hid::vhidclient
