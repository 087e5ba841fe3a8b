#include "sim/vhid/vhid_server.h"

#include <chrono>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace orvel::vhid {

namespace {

// A client that does not drain its socket for this long is dropped rather than stalling
// every other client.
constexpr int kSendTimeoutMs = 1000;

} // namespace

Server::Server(std::filesystem::path folder, std::string name, Hello hello, ServerCallbacks callbacks)
    : folder_(std::move(folder))
    , socketPath_(folder_ / (name + ".sock"))
    , hello_(std::move(hello))
    , callbacks_(std::move(callbacks))
{
}

Server::~Server()
{
    Stop();
}

bool Server::Start()
{
    if (running_) {
        return true;
    }
    if (!EnsureFolder(folder_)) {
        return false;
    }
    const std::string path = socketPath_.string();
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ::unlink(path.c_str());
    if (listenFd_ < 0 || wakeFd_ < 0 || !BindUnixSocket(listenFd_, socketPath_)
        || ::listen(listenFd_, 16) != 0) {
        if (listenFd_ >= 0) {
            ::close(listenFd_);
            ::unlink(path.c_str());
        }
        if (wakeFd_ >= 0) {
            ::close(wakeFd_);
        }
        listenFd_ = wakeFd_ = -1;
        return false;
    }
    stopping_ = false;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Server::Stop()
{
    if (!running_) {
        return;
    }
    if (!stopping_) {
        // The file goes first, so a scan that runs meanwhile already sees the interface gone.
        ::unlink(socketPath_.c_str());
        stopping_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    }
    if (std::this_thread::get_id() == thread_.get_id()) {
        // Called from a callback: unplug now; the thread ends when the callback returns and
        // is joined by a later Stop or the destructor.
        std::lock_guard lock(mutex_);
        for (auto& client : clients_) {
            client->dead = true;
            ::shutdown(client->fd, SHUT_RDWR);
        }
        return;
    }
    thread_.join();
    {
        std::lock_guard lock(mutex_);
        for (auto& client : clients_) {
            ::close(client->fd);
        }
        clients_.clear();
    }
    ::close(listenFd_);
    ::close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
    running_ = false;
}

size_t Server::SendInput(std::span<const uint8_t> report)
{
    std::lock_guard lock(mutex_);
    size_t delivered = 0;
    for (auto& client : clients_) {
        if (client->dead) {
            continue;
        }
        if (SendFrame(client->fd, kInput, report)) {
            ++delivered;
        } else {
            client->dead = true;
            ::shutdown(client->fd, SHUT_RDWR);
        }
    }
    return delivered;
}

size_t Server::ClientCount() const
{
    std::lock_guard lock(mutex_);
    size_t count = 0;
    for (const auto& client : clients_) {
        count += client->dead ? 0 : 1;
    }
    return count;
}

bool Server::WaitForClients(size_t count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ClientCount() < count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Server::Serve()
{
    std::vector<pollfd> fds;
    std::vector<Client*> polled;
    while (!stopping_) {
        fds.clear();
        polled.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        {
            std::lock_guard lock(mutex_);
            for (auto& client : clients_) {
                fds.push_back({client->fd, POLLIN, 0});
                polled.push_back(client.get());
            }
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        if (stopping_) {
            break;
        }
        if (fds[1].revents & POLLIN) {
            Accept();
        }
        for (size_t i = 0; i < polled.size(); ++i) {
            if (fds[i + 2].revents != 0 && !ReadFrom(*polled[i])) {
                std::lock_guard lock(mutex_);
                polled[i]->dead = true;
            }
        }
        DropDeadClients();
    }
}

void Server::Accept()
{
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        timeval timeout {kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
        const std::string hello = EncodeHello(hello_);
        std::lock_guard lock(mutex_);
        // HELLO goes out under the lock, so no input report can overtake it.
        if (!SendFrame(fd, kHello, {reinterpret_cast<const uint8_t*>(hello.data()), hello.size()})) {
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        clients_.push_back(std::move(client));
    }
}

bool Server::ReadFrom(Client& client)
{
    uint8_t buffer[4096];
    const ssize_t n = ::recv(client.fd, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (n == 0) {
        return false;
    }
    if (n < 0) {
        return errno == EAGAIN || errno == EINTR;
    }
    client.reader.Append(buffer, static_cast<size_t>(n));
    Message message;
    for (;;) {
        switch (client.reader.Next(message)) {
        case FrameReader::Result::kNeedMore:
            return true;
        case FrameReader::Result::kError:
            return false;
        case FrameReader::Result::kMessage:
            if (!Handle(client, message)) {
                return false;
            }
            break;
        }
    }
}

bool Server::Handle(Client& client, const Message& message)
{
    switch (message.type) {
    case kOutput:
        if (callbacks_.onOutput) {
            callbacks_.onOutput(message.payload);
        }
        return true;
    case kSetFeature:
        if (callbacks_.onSetFeature) {
            callbacks_.onSetFeature(message.payload);
        }
        return true;
    case kGetFeature: {
        if (message.payload.size() != 1) {
            return false;
        }
        std::optional<std::vector<uint8_t>> answer;
        if (callbacks_.onGetFeature) {
            answer = callbacks_.onGetFeature(message.payload[0]);
        }
        const std::vector<uint8_t> payload = answer.value_or(std::vector<uint8_t>());
        std::lock_guard lock(mutex_);
        return !client.dead && SendFrame(client.fd, kFeature, payload);
    }
    default:
        // Only the device sends HELLO, INPUT and FEATURE; anything else is a broken client.
        return false;
    }
}

void Server::DropDeadClients()
{
    std::lock_guard lock(mutex_);
    std::erase_if(clients_, [](const std::unique_ptr<Client>& client) {
        if (client->dead) {
            ::close(client->fd);
        }
        return client->dead;
    });
}

} // namespace orvel::vhid
