// Connections kept between messages: a sender reuses one connection per peer, an endpoint reads
// frame after frame on it, and neither a peer that went away nor an idle connection costs a
// message or holds anyone up.
#include "platform/ipc.h"
#include "platform/ipcframe.h"
#include "platform/runtimefolder.h"
#include "tests/support/ipc_wire.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orvel::ipc {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvel::testing::PeerWindow;
namespace wire = orvel::testing::wire;

class IpcKeep : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.setEnv("XDG_RUNTIME_DIR", temp.path().string());
        ASSERT_TRUE(OpenRuntimeFolder().ok());
    }
    // An endpoint file name of this process that no Endpoint uses.
    fs::path freePath(int serial) const
    {
        return temp.path() / "varno-orvel-80"
               / (std::to_string(::getpid()) + "-" + std::to_string(900 + serial) + "-0000000000000000-0000000000000000.sock");
    }
    testing::TempFolder temp;
};

bool readExactly(int fd, std::uint8_t* out, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::recv(fd, out, size, 0);
        if (n <= 0)
            return false;
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One connection to an endpoint, written and read byte by byte.
class Link {
public:
    explicit Link(const fs::path& socket)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    ~Link() { ::close(fd_); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool write(const wire::Bytes& bytes)
    {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // The next size bytes, or nothing when the endpoint closed or said nothing in time.
    std::optional<wire::Bytes> read(std::size_t size, std::chrono::milliseconds limit = 1000ms)
    {
        wire::Bytes got;
        const auto end = Clock::now() + limit;
        while (got.size() < size) {
            pollfd p{fd_, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return std::nullopt;
            std::uint8_t chunk[64];
            const ssize_t n = ::recv(fd_, chunk, std::min(sizeof chunk, size - got.size()), 0);
            if (n <= 0)
                return std::nullopt;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    std::optional<LRESULT> answer() { return reply(read(kReplyBytes)); }
    // Whether the endpoint closed the connection within limit, without a word.
    bool closedWithin(std::chrono::milliseconds limit)
    {
        pollfd p{fd_, POLLIN, 0};
        std::uint8_t byte;
        return ::poll(&p, 1, static_cast<int>(limit.count())) > 0 && ::recv(fd_, &byte, 1, MSG_DONTWAIT) == 0;
    }

private:
    static std::optional<LRESULT> reply(const std::optional<wire::Bytes>& bytes)
    {
        return bytes ? DecodeReply(*bytes) : std::nullopt;
    }
    int fd_ = -1;
};

// A peer written straight on the wire: it serves every connection on a thread of its own,
// frame after frame, answers a sent message with wParam * 10 + lParam, and counts the
// connections it accepted and the messages it read. Stop and Start again play a peer that
// restarts at the same address.
class WirePeer {
public:
    explicit WirePeer(fs::path socket) : socket_(std::move(socket)) { Start(); }
    ~WirePeer() { Stop(); }

    void Start()
    {
        listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socket_.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(::listen(listenFd_, 8), 0);
        acceptor_ = std::thread([this] {
            for (int fd; (fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                std::lock_guard guard(lock_);
                ++accepted_;
                connections_.push_back(fd);
                servers_.emplace_back([this, fd] { serve(fd); });
            }
        });
    }
    void Stop()
    {
        if (listenFd_ < 0)
            return;
        ::shutdown(listenFd_, SHUT_RDWR);
        acceptor_.join();
        ::close(listenFd_);
        listenFd_ = -1;
        ::unlink(socket_.c_str());
        std::vector<std::thread> servers;
        {
            std::lock_guard guard(lock_);
            for (int fd : connections_)
                ::shutdown(fd, SHUT_RDWR);
            servers.swap(servers_);
        }
        for (auto& t : servers)
            t.join();
        std::lock_guard guard(lock_);
        for (int fd : connections_)
            ::close(fd);
        connections_.clear();
    }
    RemoteWindow Address() const { return RemoteWindow{socket_}; }
    int Accepted()
    {
        std::lock_guard guard(lock_);
        return accepted_;
    }
    std::vector<Message> Messages()
    {
        std::lock_guard guard(lock_);
        return messages_;
    }
    // Waits until count messages were read.
    bool HasRead(std::size_t count)
    {
        const auto end = Clock::now() + 1s;
        while (Messages().size() < count && Clock::now() < end)
            std::this_thread::sleep_for(1ms);
        return Messages().size() >= count;
    }

private:
    void serve(int fd)
    {
        for (;;) {
            std::vector<std::uint8_t> frame(kFrameHeaderBytes);
            if (!readExactly(fd, frame.data(), frame.size()))
                return;
            const auto length = BodyLength(frame);
            ASSERT_TRUE(length.has_value());
            frame.resize(kFrameHeaderBytes + *length);
            if (!readExactly(fd, frame.data() + kFrameHeaderBytes, *length))
                return;
            const auto message = DecodeMessage(frame);
            ASSERT_TRUE(message.has_value());
            // Answered before it is noted: once a message shows, its answer is on its way.
            if (message->wantsReply) {
                const auto reply = EncodeReply(static_cast<LRESULT>(message->wParam * 10) + message->lParam);
                if (::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size()))
                    return;
            }
            std::lock_guard guard(lock_);
            messages_.push_back(*message);
        }
    }

    fs::path socket_;
    int listenFd_ = -1;
    std::thread acceptor_;
    std::mutex lock_;
    std::vector<std::thread> servers_;
    std::vector<int> connections_;
    int accepted_ = 0;
    std::vector<Message> messages_;
};

TEST_F(IpcKeep, MessagesOfEveryKindShareOneConnectionAndArriveInOrder)
{
    WirePeer peer(freePath(1));
    const UINT game = RegisterWindowMessageW(L"Game_Start");
    std::vector<std::uint8_t> block(2000, 0x5a);
    COPYDATASTRUCT cds{1, static_cast<std::uint32_t>(block.size()), block.data()};
    constexpr int kRounds = 40;
    // Each message goes once the one before is through: a connection is reused once it is in
    // step with the peer (a notify's answer in, a post read).
    for (int i = 0; i < kRounds; ++i) {
        const SendResult r = SendMessageTimeoutW(peer.Address(), game, i, 1, 1000);
        ASSERT_EQ(r.status, SendStatus::Ok) << i;
        EXPECT_EQ(r.result, i * 10 + 1) << "the answer of its own message, not of an earlier one";
        ASSERT_TRUE(SendNotifyMessageW(peer.Address(), WM_COPYDATA, i, reinterpret_cast<LPARAM>(&cds))) << i;
        ASSERT_TRUE(peer.HasRead(3u * i + 2));
        ASSERT_TRUE(PostMessageW(peer.Address(), game, i, 3)) << i;
        ASSERT_TRUE(peer.HasRead(3u * i + 3));
    }
    const auto got = peer.Messages();
    ASSERT_EQ(got.size(), 3u * kRounds);
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_EQ(got[3 * i].wParam, WPARAM(i));
        ASSERT_TRUE(got[3 * i + 1].copyData.has_value());
        EXPECT_EQ(got[3 * i + 1].copyData->bytes, block);
        EXPECT_FALSE(got[3 * i + 2].wantsReply);
        EXPECT_EQ(got[3 * i + 2].lParam, 3);
    }
    EXPECT_EQ(peer.Accepted(), 1) << "each message paid for a connection of its own";
}

TEST_F(IpcKeep, APeerThatRestartedGetsTheNextMessageOnAFreshConnectionOnce)
{
    WirePeer peer(freePath(2));
    const UINT game = RegisterWindowMessageW(L"Game_End");
    ASSERT_EQ(SendMessageTimeoutW(peer.Address(), game, 1, 0, 1000).status, SendStatus::Ok);
    peer.Stop();
    peer.Start();
    struct Case {
        const char* what;
        std::function<bool()> send;
        bool wantsReply;
    };
    const Case cases[] = {
        {"sent", [&] { return SendMessageTimeoutW(peer.Address(), game, 2, 0, 1000).result == 20; }, true},
        {"notified", [&] { return SendNotifyMessageW(peer.Address(), game, 3, 0); }, true},
        {"posted", [&] { return PostMessageW(peer.Address(), game, 4, 0); }, false},
    };
    std::size_t expected = 1;
    for (const Case& c : cases) {
        EXPECT_TRUE(c.send()) << c.what;
        ++expected;
        EXPECT_TRUE(peer.HasRead(expected)) << c.what;
        std::this_thread::sleep_for(50ms); // a second copy would have come by now
        ASSERT_EQ(peer.Messages().size(), expected) << c.what << ": delivered once";
        EXPECT_EQ(peer.Messages().back().wantsReply, c.wantsReply) << c.what;
        peer.Stop(); // the kept connection goes stale again for the next case
        peer.Start();
    }
    // A peer that is gone for good is told at once, not waited for.
    peer.Stop();
    const auto start = Clock::now();
    EXPECT_EQ(SendMessageTimeoutW(peer.Address(), game, 5, 0, 1000).status, SendStatus::NoPeer);
    EXPECT_LT(Clock::now() - start, 200ms);
}

TEST_F(IpcKeep, AWindowThatRestartsIsNotReachedThroughItsOldConnection)
{
    const UINT game = RegisterWindowMessageW(L"Game_Kill");
    RemoteWindow old;
    {
        PeerWindow first(L"C", L"T");
        old = first.Address();
        ASSERT_EQ(SendMessageTimeoutW(old, game, 0, 0, 1000).status, SendStatus::Ok);
    }
    PeerWindow second(L"C", L"T");
    EXPECT_EQ(SendMessageTimeoutW(old, game, 0, 0, 1000).status, SendStatus::NoPeer);
    EXPECT_FALSE(PostMessageW(old, game, 0, 0));
    const auto now = FindWindowW(L"C", L"T");
    ASSERT_TRUE(now);
    EXPECT_EQ(SendMessageTimeoutW(*now, game, 0, 0, 1000).status, SendStatus::Ok);
}

TEST_F(IpcKeep, TwoThreadsSendingToOnePeerEachGetTheirOwnAnswers)
{
    WirePeer peer(freePath(3));
    const UINT game = RegisterWindowMessageW(L"Game_Death");
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 2; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                const SendResult r = SendMessageTimeoutW(peer.Address(), game, i, t, 1000);
                if (r.status != SendStatus::Ok || r.result != i * 10 + t)
                    ++wrong;
            }
        });
    }
    for (auto& s : senders)
        s.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(peer.Accepted(), 2) << "a thread at a time on each connection, each given back";
}

TEST_F(IpcKeep, AnEndpointReadsFrameAfterFrameAndWaitsForAnIdleConnectionForever)
{
    const UINT probe = RegisterWindowMessageW(L"probe");
    PeerWindow peer(L"C", L"T");
    peer.SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 10) + l; });
    Link link(peer.Socket());
    // Three frames in one write: two sent, a post between them.
    wire::Bytes three = wire::Registered("probe", true, 1, 2);
    for (const wire::Bytes& more : {wire::Registered("probe", false, 5, 5), wire::Registered("probe", true, 3, 4)})
        three.insert(three.end(), more.begin(), more.end());
    ASSERT_TRUE(link.write(three));
    EXPECT_EQ(link.answer(), LRESULT(12));
    EXPECT_EQ(link.answer(), LRESULT(34)) << "the answers come in the order of the frames";
    EXPECT_EQ(peer.Received(probe, 3).size(), 3u);

    // Idle past the time a frame has: the connection stays and serves the next frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(kFrameTimeoutMs + 300));
    ASSERT_TRUE(link.write(wire::Registered("probe", true, 7, 1)));
    EXPECT_EQ(link.answer(), LRESULT(71)) << "the idle connection was dropped";

    // A frame begun has its time from its first byte: cut short, it is dropped then.
    const wire::Bytes cut = wire::Registered("probe", true, 9, 9);
    ASSERT_TRUE(link.write(wire::Bytes(cut.begin(), cut.begin() + 5)));
    EXPECT_TRUE(link.closedWithin(std::chrono::milliseconds(kFrameTimeoutMs + 500)))
        << "a frame begun and never ended was waited for";
}

TEST_F(IpcKeep, IdleConnectionsMakeRoomForNewPeersLongestIdleFirst)
{
    const UINT probe = RegisterWindowMessageW(L"probe");
    PeerWindow peer(L"C", L"T");
    peer.SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 10) + l; });
    // Every place taken by a connection that said one thing and now waits.
    std::vector<std::unique_ptr<Link>> idle;
    for (std::size_t i = 0; i < kMaxConnections; ++i) {
        idle.push_back(std::make_unique<Link>(peer.Socket()));
        ASSERT_TRUE(idle.back()->write(wire::Registered("probe", true, i, 0)));
        ASSERT_EQ(idle.back()->answer(), LRESULT(i * 10)) << i;
    }
    const auto start = Clock::now();
    const SendResult r = SendMessageTimeoutW(peer.Address(), probe, 4, 2, 1000);
    EXPECT_EQ(r.status, SendStatus::Ok);
    EXPECT_EQ(r.result, 42);
    EXPECT_LT(Clock::now() - start, 300ms) << "a new peer waited for idle ones";
    EXPECT_TRUE(idle.front()->closedWithin(500ms)) << "the longest idle connection was kept";
    // The most recent one still serves.
    ASSERT_TRUE(idle.back()->write(wire::Registered("probe", true, 6, 1)));
    EXPECT_EQ(idle.back()->answer(), LRESULT(61));
}

} // namespace
} // namespace orvel::ipc
