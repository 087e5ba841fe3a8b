#include "platform/ipc.h"
#include "platform/ipcframe.h"
#include "platform/namedmutex.h"
#include "platform/runtimefolder.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <functional>
#include <future>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace orvel::ipc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class Ipc : public ::testing::Test {
protected:
    void SetUp() override { temp.setEnv("XDG_RUNTIME_DIR", temp.path().string()); }
    fs::path runtime() const { return temp.path() / "varno-orvel-80"; }
    testing::TempFolder temp;
};

using orvel::testing::PeerWindow;

// A raw socket bound at path (listening when backlog >= 0), standing in for odd peers.
int bindSocket(const fs::path& path, int backlog)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << path;
    if (backlog >= 0) {
        EXPECT_EQ(::listen(fd, backlog), 0);
    }
    return fd;
}

// The endpoint file name of a made-up window of this process.
fs::path fakeEndpoint(const fs::path& runtime, int serial)
{
    return runtime / (std::to_string(::getpid()) + "-" + std::to_string(serial) + "-0000000000000000-0000000000000000.sock");
}

TEST_F(Ipc, RuntimeFolderIsCreatedPrivate)
{
    const RuntimeFolder r = OpenRuntimeFolder();
    ASSERT_TRUE(r.ok()) << r.error;
    struct stat st {};
    ASSERT_EQ(::stat(runtime().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Ipc, RuntimeFolderWithWiderPermissionsOrNotAFolderIsRefused)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* errorMentions;
    };
    const Case cases[] = {
        {"mode 755", [](const fs::path& f) { fs::create_directory(f); fs::permissions(f, fs::perms(0755)); }, "700"},
        {"mode 770", [](const fs::path& f) { fs::create_directory(f); fs::permissions(f, fs::perms(0770)); }, "700"},
        {"a file", [](const fs::path& f) { std::ofstream(f) << "x"; }, "not a folder"},
        {"a link to a private folder", [](const fs::path& f) {
             fs::create_directory(f.string() + "-real");
             fs::permissions(f.string() + "-real", fs::perms(0700));
             fs::create_directory_symlink(f.string() + "-real", f);
         }, "not a folder"},
    };
    for (const Case& c : cases) {
        fs::remove_all(runtime());
        fs::remove_all(runtime().string() + "-real");
        c.make(runtime());
        const RuntimeFolder r = OpenRuntimeFolder();
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_NE(r.error.find(c.errorMentions), std::string::npos) << c.what << ": " << r.error;
        // The mutex reports the same failure to its caller.
        auto m = NamedMutex::CreateMutexW("VARNO Orvel 80");
        EXPECT_EQ(m.status(), NamedMutex::Status::Failed) << c.what;
        EXPECT_FALSE(m.error().empty());
    }
}

TEST_F(Ipc, RuntimeFolderOfAnotherUserIsRefused)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a folder to another user";
    }
    fs::create_directory(runtime());
    fs::permissions(runtime(), fs::perms(0700));
    ASSERT_EQ(::chown(runtime().c_str(), 65534, 65534), 0);
    const RuntimeFolder r = OpenRuntimeFolder();
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("another user"), std::string::npos) << r.error;
}

TEST_F(Ipc, NamedMutexCreateAndOpen)
{
    EXPECT_FALSE(OpenMutexW("VARNO Orvel 80AudioRecord")) << "never created";
    {
        auto first = NamedMutex::CreateMutexW("VARNO Orvel 80AudioRecord");
        ASSERT_EQ(first.status(), NamedMutex::Status::Created) << first.error();
        EXPECT_TRUE(OpenMutexW("VARNO Orvel 80AudioRecord"));
        auto second = NamedMutex::CreateMutexW("VARNO Orvel 80AudioRecord");
        EXPECT_EQ(second.status(), NamedMutex::Status::AlreadyExists);
        EXPECT_FALSE(OpenMutexW("VARNO Orvel 80")) << "another name";
    }
    EXPECT_FALSE(OpenMutexW("VARNO Orvel 80AudioRecord")) << "closed with its last handle";
    auto again = NamedMutex::CreateMutexW("VARNO Orvel 80AudioRecord");
    EXPECT_EQ(again.status(), NamedMutex::Status::Created);
}

TEST(IpcNames, LockFileNamesStayInTheFolder)
{
    struct Case {
        const char* name;
        const char* file;
    };
    const Case cases[] = {
        {"VARNO Orvel 80", "VARNO Orvel 80.lock"},
        {"../x", "%2E.%2Fx.lock"},
        {"a/b", "a%2Fb.lock"},
        {"", ".lock"},
        {"v1.2", "v1.2.lock"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LockFileName(c.name), c.file) << c.name;
    }
}

TEST_F(Ipc, FindSendAndPostBetweenWindows)
{
    const UINT control = RegisterWindowMessageW(L"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    PeerWindow peer(L"VARNO Orvel 80AudioRecord", L"VARNO Orvel 80AUDIORECORD");
    ASSERT_TRUE(peer.Reachable());
    peer.SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 100) + l; });

    EXPECT_EQ(FindWindowW(L"VARNO Orvel 80AudioRecord", L"VARNO Orvel 80AUDIORECORD"), peer.Address());
    EXPECT_EQ(FindWindowW(L"", L"VARNO Orvel 80AUDIORECORD"), peer.Address());
    EXPECT_EQ(FindWindowW(L"VARNO Orvel 80AudioRecord", L""), peer.Address());
    EXPECT_FALSE(FindWindowW(L"VARNO Orvel 80AudioRecord", L"WorkTool"));

    const auto to = *FindWindowW(L"", L"VARNO Orvel 80AUDIORECORD");
    const SendResult sent = SendMessageTimeoutW(to, control, 3, -7, 1000);
    EXPECT_EQ(sent.status, SendStatus::Ok);
    EXPECT_EQ(sent.result, 293);
    EXPECT_TRUE(PostMessageW(to, control, 5, 6));
    const auto got = peer.Received(0, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, control);
    EXPECT_EQ(got[0].lParam, -7);
    EXPECT_EQ(got[1].wParam, 5u);
    EXPECT_EQ(got[1].lParam, 6);
}

TEST_F(Ipc, CopyDataTravelsWithItsBlockAndSender)
{
    PeerWindow peer(L"", L"WorkTool");
    struct Self : IMessageHandler {
        LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    } selfHandler;
    HWND self = CreateWindowHandle(&selfHandler, L"VARNO Orvel 80", L"VARNO Orvel 80");
    auto selfEndpoint = Endpoint::Create(self);
    ASSERT_TRUE(selfEndpoint);

    std::vector<std::uint8_t> block(1024, 0);
    block[0] = 2;
    block[4] = 3;
    COPYDATASTRUCT cds{5, static_cast<std::uint32_t>(block.size()), block.data()};
    const auto to = *FindWindowW(L"", L"WorkTool");
    EXPECT_EQ(SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(self), reinterpret_cast<LPARAM>(&cds), 1000, self).status,
              SendStatus::Ok);
    const auto received = peer.Received(WM_COPYDATA);
    ASSERT_EQ(received.size(), 1u);
    const auto& got = received[0];
    EXPECT_EQ(got.dataId, 5u);
    EXPECT_EQ(got.data, block);
    EXPECT_EQ(got.wParam, reinterpret_cast<WPARAM>(self));
    ASSERT_TRUE(got.sender);
    EXPECT_EQ(*got.sender, selfEndpoint->Address());
    selfEndpoint.reset();
    DestroyWindowHandle(self);
}

TEST_F(Ipc, WhatCannotTravelIsRejectedUpFront)
{
    PeerWindow peer(L"C", L"T");
    const auto to = peer.Address();
    std::vector<std::uint8_t> big(kMaxCopyDataBytes + 1);
    COPYDATASTRUCT tooBig{1, static_cast<std::uint32_t>(big.size()), big.data()};
    COPYDATASTRUCT noData{1, 10, nullptr};
    struct Case {
        const char* what;
        UINT msg;
        LPARAM lParam;
    };
    const Case cases[] = {
        {"block above the limit", WM_COPYDATA, reinterpret_cast<LPARAM>(&tooBig)},
        {"block without data", WM_COPYDATA, reinterpret_cast<LPARAM>(&noData)},
        {"no block", WM_COPYDATA, 0},
        {"private message", WM_USER + 17, 0},
        {"system message", WM_CLOSE, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageTimeoutW(to, c.msg, 0, c.lParam, 500).status, SendStatus::Rejected) << c.what;
    }
    COPYDATASTRUCT fine{1, 4, big.data()};
    EXPECT_FALSE(PostMessageW(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&fine))) << "a block can only be sent";
    EXPECT_TRUE(peer.Received(0, 1, 30ms).empty());
}

TEST_F(Ipc, SendToPeerThatNeverAnswersTimesOut)
{
    ASSERT_TRUE(OpenRuntimeFolder().ok());
    const fs::path mute = fakeEndpoint(runtime(), 999);
    const int fd = bindSocket(mute, 4);
    const UINT msg = RegisterWindowMessageW(L"VARNO Orvel 80");
    const auto start = Clock::now();
    EXPECT_EQ(SendMessageTimeoutW(RemoteWindow{mute}, msg, 0, 1, 150).status, SendStatus::TimedOut);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 1000ms);
    ::close(fd);
    ::unlink(mute.c_str());
    EXPECT_EQ(SendMessageTimeoutW(RemoteWindow{mute}, msg, 0, 1, 150).status, SendStatus::NoPeer);
}

TEST_F(Ipc, BroadcastSkipsPeersThatDoNotAcceptAndRemovesDeadOnes)
{
    const UINT owner = RegisterWindowMessageW(L"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    PeerWindow peer(L"C", L"T");
    // A socket nobody listens on, of a live process (this one): refused, skipped.
    ::close(bindSocket(fakeEndpoint(runtime(), 998), -1));
    // A peer whose backlog is full: it does not accept now, and must not make us wait.
    const fs::path full = fakeEndpoint(runtime(), 997);
    const int busy = bindSocket(full, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, full.c_str());
    std::vector<int> fillers;
    for (int i = 0; i < 64; ++i) {
        const int c = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(c);
            break;
        }
        fillers.push_back(c);
    }
    // An endpoint file left by a process that is gone.
    const fs::path stale = runtime() / "999999999-1-0000000000000000-0000000000000000.sock";
    ::close(bindSocket(stale, -1));

    const auto start = Clock::now();
    EXPECT_EQ(BroadcastSystemMessageW(owner, 1, 1), 1);
    EXPECT_LT(Clock::now() - start, 500ms);
    ASSERT_EQ(peer.Received(owner).size(), 1u);
    EXPECT_FALSE(fs::exists(stale));
    for (int c : fillers) {
        ::close(c);
    }
    ::close(busy);
}

// A second process, started from the helper program next to this test.
class Child {
public:
    explicit Child(const std::vector<std::string>& args)
    {
        int in[2];
        int out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const std::string program = (fs::read_symlink("/proc/self/exe").parent_path() / "ipc_peer").string();
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~Child()
    {
        closeInput();
        ::close(stdout_);
        if (pid_ > 0) {
            for (int i = 0; i < 200 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(10ms);
            }
            if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
    }
    pid_t pid() const { return pid_; }
    void closeInput()
    {
        if (stdin_ >= 0) {
            ::close(stdin_);
            stdin_ = -1;
        }
    }
    // One line of output (without its end), or "" after the time-out.
    std::string line(std::chrono::milliseconds limit = 3000ms)
    {
        const auto until = Clock::now() + limit;
        for (;;) {
            if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string l = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return l;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            pollfd p{stdout_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                return "";
            }
            char chunk[256];
            const ssize_t n = ::read(stdout_, chunk, sizeof chunk);
            if (n <= 0) {
                return "";
            }
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string buffer_;
};

TEST_F(Ipc, SecondProcessSeesTheInstanceMutex)
{
    Child first({"mutex", "VARNO Orvel 80"});
    ASSERT_EQ(first.line(), "created");
    EXPECT_TRUE(OpenMutexW("VARNO Orvel 80"));
    EXPECT_EQ(NamedMutex::CreateMutexW("VARNO Orvel 80").status(), NamedMutex::Status::AlreadyExists);
    Child second({"mutex", "VARNO Orvel 80"});
    EXPECT_EQ(second.line(), "exists");
    first.closeInput(); // the first instance ends
    for (int i = 0; i < 300 && OpenMutexW("VARNO Orvel 80"); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(OpenMutexW("VARNO Orvel 80"));
    Child third({"mutex", "VARNO Orvel 80"});
    EXPECT_EQ(third.line(), "created");
}

TEST_F(Ipc, BroadcastFromOneProcessReachesAWindowInAnother)
{
    Child window({"window", "VARNO Orvel 80", "VARNO Orvel 80", "VARNO Orvel 80"});
    ASSERT_EQ(window.line(), "ready");
    // A name the other program never registered is not delivered there.
    Child unknown({"broadcast", "Game_Start", "2", "2"});
    EXPECT_EQ(unknown.line(), "1");
    Child sender({"broadcast", "VARNO Orvel 80", "0", "1"});
    EXPECT_EQ(sender.line(), "1");
    EXPECT_EQ(window.line(), "got 0 1");
}

// The CPU time a process used so far, in clock ticks.
long CpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2)); // after the command's name
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stol(field);
        } else if (i == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

TEST_F(Ipc, AnEndpointThatCannotAcceptRestsInsteadOfSpinning)
{
    Child window({"window", "C", "T", "probe", "no-files"});
    ASSERT_EQ(window.line(), "ready");
    const auto to = FindWindowW(L"C", L"T");
    ASSERT_TRUE(to);
    // Peers wait in the backlog: the endpoint has no file left to accept them with.
    std::vector<int> peers;
    for (int i = 0; i < 4; ++i) {
        peers.push_back(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, to->socket.c_str());
        ASSERT_EQ(::connect(peers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    const long before = CpuTicks(window.pid());
    std::this_thread::sleep_for(1s);
    const long used = CpuTicks(window.pid()) - before;
    EXPECT_LT(used, ::sysconf(_SC_CLK_TCK) / 20) << "the endpoint spun on its listening socket";
    for (int fd : peers) {
        ::close(fd);
    }
    ::kill(window.pid(), SIGKILL); // it can take no message to end with
}

TEST_F(Ipc, SendFromThisProcessReachesAWindowInAnother)
{
    Child window({"window", "SetWnd", "", "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"});
    ASSERT_EQ(window.line(), "ready");
    const UINT status = RegisterWindowMessageW(L"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    auto to = FindWindowW(L"SetWnd", L"");
    ASSERT_TRUE(to);
    EXPECT_EQ(SendMessageTimeoutW(*to, status, 4, 99, 2000).status, SendStatus::Ok);
    EXPECT_EQ(window.line(), "got 4 99");
}

} // namespace
} // namespace orvel::ipc
