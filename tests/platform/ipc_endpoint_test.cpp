// A window's endpoint against peers that do not play by the rules: it refuses what it cannot
// take, keeps serving everyone else, and a flood neither piles up in the window's queue nor
// keeps the window from its own work.
#include "platform/ipc.h"
#include "platform/ipcframe.h"
#include "tests/support/ipc_wire.h"
#include "tests/support/peer_window.h"
#include "tests/support/raw_peer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace orvel::ipc {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvel::testing::PeerWindow;
using orvel::testing::RawPeer;
namespace wire = orvel::testing::wire;

class IpcEndpoint : public ::testing::Test {
protected:
    void SetUp() override { temp.setEnv("XDG_RUNTIME_DIR", temp.path().string()); }
    testing::TempFolder temp;
};

// The endpoint still answers a sent message at once.
void expectServing(PeerWindow& peer, UINT probe, const char* after)
{
    const auto start = Clock::now();
    const SendResult r = SendMessageTimeoutW(peer.Address(), probe, 7, 8, 1000);
    EXPECT_EQ(r.status, SendStatus::Ok) << "after " << after;
    EXPECT_EQ(r.result, 78) << "after " << after;
    EXPECT_LT(Clock::now() - start, 300ms) << "after " << after;
}

TEST_F(IpcEndpoint, RefusesWhatItCannotTakeAndGoesOnServing)
{
    const UINT probe = RegisterWindowMessageW(L"probe");
    const UINT taken = RegisterWindowMessageW(L"Game_Start");
    RegisterWindowMessageW(L"WM_HOOK_KEY_SINGLEKEY_MSG"); // registered here, its lParam a pointer
    PeerWindow peer(L"C", L"T", std::vector<std::wstring>{L"probe", L"Game_Start"});
    peer.SetAnswer([probe](UINT msg, WPARAM w, LPARAM l) { return msg == probe ? static_cast<LRESULT>(w * 10) + l : 1; });

    wire::Bytes header{'O', 'V', 'M', '1'};
    wire::PutLe(header, kMaxBodyBytes + 1, 4);
    wire::Bytes shortWParam = wire::Frame({wire::Field(wire::kKind, {1}), wire::Text(wire::kName, "Game_Start"),
                                           wire::Field(wire::kWParam, {1, 0, 0, 0})});
    wire::Bytes pastEnd = wire::Registered("Game_Start", true, 0, 0);
    pastEnd[kFrameHeaderBytes + 2] = 0x40; // the kind field claims 64 bytes
    wire::Bytes cutShort = wire::Registered("Game_Start", true, 0, 0);
    cutShort.resize(cutShort.size() - 3);
    // A block of 64 KiB and one byte: the body is within its limit, the block is not.
    const wire::Bytes bigBlock = wire::Frame({wire::Field(wire::kKind, {1}), wire::Number(wire::kDwData, 1),
                                              wire::Field(wire::kData, wire::Bytes(kMaxCopyDataBytes + 1, 0x55))});
    // Posted, the window would read lParam as the block's address.
    const wire::Bytes postedBlock = wire::Frame({wire::Field(wire::kKind, {0}), wire::Number(wire::kLParam, 0x1234),
                                                 wire::Number(wire::kDwData, 1), wire::Field(wire::kData, {1, 2, 3})});
    struct Case {
        const char* what;
        wire::Bytes bytes;
        bool peerStays; // waits for the endpoint's verdict; else it goes once it wrote
    };
    const Case cases[] = {
        {"not our magic", {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '\n'}, true},
        {"a body above the limit announced (its body never comes)", header, true},
        {"a wParam of four bytes", shortWParam, true},
        {"a field past the end of its body", pastEnd, true},
        {"a frame cut short", cutShort, false},
        {"a data block above 64 KiB", bigBlock, true},
        {"a posted data block", postedBlock, true},
        {"a name nobody registered, sent", wire::Registered("Game_Unknown", true, 1, 2), true},
        {"a name nobody registered, posted", wire::Registered("Game_Unknown", false, 1, 2), true},
        {"a name the window does not take, sent", wire::Registered("WM_HOOK_KEY_SINGLEKEY_MSG", true, 0, 0x10), true},
        {"a name the window does not take, posted", wire::Registered("WM_HOOK_KEY_SINGLEKEY_MSG", false, 0, 0x10), true},
    };
    for (const Case& c : cases) {
        RawPeer raw(peer.Socket());
        ASSERT_TRUE(raw.connected()) << c.what;
        ASSERT_TRUE(raw.write(c.bytes)) << c.what;
        if (!c.peerStays) {
            raw.close();
        } else {
            // Refused at once, without an answer and without waiting for more.
            const auto start = Clock::now();
            const auto answer = raw.answer(800ms);
            ASSERT_TRUE(answer.has_value()) << c.what << ": the endpoint kept the connection";
            EXPECT_TRUE(answer->empty()) << c.what << ": answered";
            EXPECT_LT(Clock::now() - start, 300ms) << c.what;
        }
        expectServing(peer, probe, c.what);
    }
    const auto got = peer.Received(0, std::size(cases), 0ms);
    EXPECT_EQ(got.size(), std::size(cases));
    for (const auto& g : got) {
        EXPECT_EQ(g.message, probe) << "only the probes came through";
    }

    // Through the library: a message the window does not take is refused, one it takes answered.
    EXPECT_EQ(SendMessageTimeoutW(peer.Address(), RegisterWindowMessageW(L"WM_HOOK_KEY_SINGLEKEY_MSG"), 0, 0, 1000).status,
              SendStatus::Refused);
    const SendResult game = SendMessageTimeoutW(peer.Address(), taken, 0, 3, 1000);
    EXPECT_EQ(game.status, SendStatus::Ok);
    EXPECT_EQ(game.result, 1);
}

TEST_F(IpcEndpoint, APeerThatSaysNothingHoldsUpNoOther)
{
    const UINT probe = RegisterWindowMessageW(L"probe");
    PeerWindow peer(L"C", L"T");
    peer.SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 10) + l; });

    std::vector<std::unique_ptr<RawPeer>> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(std::make_unique<RawPeer>(peer.Socket()));
        ASSERT_TRUE(silent.back()->connected());
    }
    silent.back()->write({'O', 'V', 'M'}); // one says a little, then nothing
    expectServing(peer, probe, "eight silent peers");
    // Each is dropped once its time for a frame is up.
    for (auto& s : silent) {
        const auto answer = s->answer(std::chrono::milliseconds(kFrameTimeoutMs + 500));
        ASSERT_TRUE(answer.has_value()) << "a silent peer was kept";
        EXPECT_TRUE(answer->empty());
    }

    // More silent peers than the endpoint reads at once: a sender still gets its answer, once
    // the first of them are dropped.
    silent.clear();
    for (std::size_t i = 0; i < kMaxConnections + 8; ++i) {
        silent.push_back(std::make_unique<RawPeer>(peer.Socket()));
    }
    const SendResult r = SendMessageTimeoutW(peer.Address(), probe, 4, 2, kSendTimeoutMs);
    EXPECT_EQ(r.status, SendStatus::Ok);
    EXPECT_EQ(r.result, 42);
}

// A window that takes 2 ms for each message and notes, at each tick of its 20 ms timer, how
// many of the counted message it had handled.
class SlowWindow : public IMessageHandler {
public:
    static constexpr UINT kQuit = WM_APP + 5;
    static constexpr UINT_PTR kTimer = 1;
    explicit SlowWindow(UINT counted) : counted_(counted)
    {
        std::promise<void> ready;
        thread_ = std::thread([&] {
            hwnd = CreateWindowHandle(this, L"Slow", L"slow");
            endpoint = Endpoint::Create(hwnd);
            SetTimer(hwnd, kTimer, 20);
            ready.set_value();
            RunMessageLoop();
            endpoint.reset();
            DestroyWindowHandle(hwnd);
        });
        ready.get_future().wait();
    }
    ~SlowWindow()
    {
        PostMessageW(hwnd, kQuit, 0, 0);
        thread_.join();
    }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM) override
    {
        if (msg == kQuit) {
            PostQuitMessage(0);
        } else if (msg == WM_TIMER && wParam == kTimer) {
            std::lock_guard guard(lock);
            handledAtTick.push_back(handled);
        } else {
            std::this_thread::sleep_for(2ms);
            handled += msg == counted_ ? 1 : 0;
        }
        return 0;
    }
    HWND hwnd = nullptr;
    std::unique_ptr<Endpoint> endpoint;
    std::atomic<int> handled{0};
    std::mutex lock;
    std::vector<int> handledAtTick;

private:
    UINT counted_;
    std::thread thread_;
};

TEST_F(IpcEndpoint, AFloodOfPostsIsHeldBackNotQueued)
{
    const UINT game = RegisterWindowMessageW(L"Game_Kill");
    SlowWindow window(game);
    ASSERT_TRUE(window.endpoint);
    const RemoteWindow to = window.endpoint->Address();

    std::atomic<bool> flooding{true};
    std::atomic<int> taken{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> flooders;
    for (int i = 0; i < 2; ++i) {
        flooders.emplace_back([&] {
            while (flooding) {
                (PostMessageW(to, game, 1, 2) ? taken : refused)++;
            }
        });
    }
    std::size_t mostQueued = 0;
    const auto end = Clock::now() + 1s;
    while (Clock::now() < end) {
        mostQueued = std::max(mostQueued, winmsg::PostedCount(window.hwnd));
        std::this_thread::sleep_for(1ms);
    }
    // A sender waits its turn in the backlog instead of being turned away.
    const UINT probe = RegisterWindowMessageW(L"probe");
    const SendStatus duringFlood = SendMessageTimeoutW(to, probe, 0, 0, kSendTimeoutMs).status;
    flooding = false;
    for (auto& t : flooders) {
        t.join();
    }
    const int handledAtEnd = window.handled;
    std::vector<int> atTick;
    {
        std::lock_guard guard(window.lock);
        atTick = window.handledAtTick;
    }

    EXPECT_LE(mostQueued, kMaxQueuedPosts);
    EXPECT_GT(refused, 0) << "peers were told once the window could take no more";
    // Its timer goes on between the posts: a tick is due after every 10 messages at 2 ms each,
    // and is looked at after each pass over the queue, which holds no more than its limit.
    ASSERT_GE(atTick.size(), 2u) << "the window's own timer was starved";
    int mostBetweenTicks = 0;
    for (std::size_t i = 1; i < atTick.size(); ++i)
        mostBetweenTicks = std::max(mostBetweenTicks, atTick[i] - atTick[i - 1]);
    EXPECT_LE(mostBetweenTicks, static_cast<int>(2 * kMaxQueuedPosts)) << "posts kept the timer waiting";
    // What was taken but not handled yet is bounded: the queue, the connections being read and
    // the backlog.
    EXPECT_LE(taken - handledAtEnd, static_cast<int>(kMaxQueuedPosts + kMaxConnections + kListenBacklog) + 2);
    // Every post that was taken arrives.
    const auto settle = Clock::now() + 3s;
    while (window.handled < taken && Clock::now() < settle) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(window.handled, taken);
    EXPECT_EQ(duringFlood, SendStatus::Ok);
    EXPECT_EQ(SendMessageTimeoutW(to, probe, 0, 0, 1000).status, SendStatus::Ok);
}

TEST_F(IpcEndpoint, SendNotifyNeverWaitsForThePeer)
{
    PeerWindow peer(L"C", L"WorkTool");
    peer.SetAnswer([](UINT, WPARAM, LPARAM) {
        std::this_thread::sleep_for(1500ms); // a peer that takes its time over the answer
        return 0;
    });
    std::vector<std::uint8_t> block(1024, 0x11);
    COPYDATASTRUCT cds{5, static_cast<std::uint32_t>(block.size()), block.data()};
    const auto start = Clock::now();
    EXPECT_TRUE(SendNotifyMessageW(peer.Address(), WM_COPYDATA, 9, reinterpret_cast<LPARAM>(&cds)));
    EXPECT_LT(Clock::now() - start, 100ms);
    const auto got = peer.Received(WM_COPYDATA);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].dataId, 5u);
    EXPECT_EQ(got[0].wParam, 9u);
    EXPECT_EQ(got[0].data, block);
}

} // namespace
} // namespace orvel::ipc
