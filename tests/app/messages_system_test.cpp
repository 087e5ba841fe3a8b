// The real program reached from a terminal with orvel-msg: the WorkTool answer, light control
// asked for and toggled (the broadcasts seen by orvel-msg listen), and game events lighting the
// emulated keyboard for five seconds, checked in the reports the emulator received.

#include "devicelink/device_tables.h"
#include "platform/ipc.h"
#include "tests/app/app_system.h"
#include "tests/profiles/json_text.h"
#include "tests/support/raw_peer.h"

#include <atomic>
#include <memory>
#include <sstream>

namespace orvel::app {
namespace {

using orvel::testing::FileText;
using orvel::testing::RawPeer;
using orvel::testing::WaitUntil;
namespace wire = orvel::testing::wire;

class AppMessages : public AppSystem {
protected:
    orvel::testing::ProgramResult Msg(std::vector<std::string> words)
    {
        words.insert(words.begin(), ProgramBeside("orvel-msg").string());
        return orvel::testing::RunProgram(words, temp_.path(), {}, 10s);
    }
    // orvel-msg listen in the background, once its endpoint is there.
    void StartListen(const std::vector<std::string>& names)
    {
        std::vector<std::string> words{ProgramBeside("orvel-msg").string(), "listen"};
        words.insert(words.end(), names.begin(), names.end());
        listen_ = orvel::testing::Spawn(words, temp_ / "listen.out", temp_ / "listen.err");
        ASSERT_TRUE(WaitUntil([&] { return FileText(temp_ / "listen.err").find("listening") != std::string::npos; }, 5s))
            << FileText(temp_ / "listen.err");
    }
    std::string Heard() const { return FileText(temp_ / "listen.out"); }
    void TearDown() override
    {
        orvel::testing::Stop(listen_);
        AppSystem::TearDown();
    }

    // The command reports a device received since the last call: the words of each line
    // ("cable 04 <checksum> <checksum> <command> <length> ...").
    std::vector<std::vector<std::string>> Frames(const std::string& kind)
    {
        std::vector<std::vector<std::string>> frames;
        std::istringstream lines(Devsim({"frames", kind}).out);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::vector<std::string> frame;
            for (std::string word; words >> word;)
                frame.push_back(word);
            if (frame.size() > 5 && (frame[0] == "cable" || frame[0] == "receiver"))
                frames.push_back(frame);
        }
        return frames;
    }
    static bool HasCommand(const std::vector<std::vector<std::string>>& frames, const std::string& command)
    {
        return std::any_of(frames.begin(), frames.end(), [&](const auto& f) { return f[4] == command; });
    }
    // The light modes of the settings blocks written (31 bytes at address 0; the mode is the
    // block's byte 1, the report's byte 9).
    static std::vector<int> ModesWritten(const std::vector<std::vector<std::string>>& frames)
    {
        std::vector<int> modes;
        for (const auto& f : frames) {
            if (f.size() > 10 && f[4] == "06" && f[5] == "1F" && f[6] == "00" && f[7] == "00")
                modes.push_back(std::stoi(f[10], nullptr, 16));
        }
        return modes;
    }
    // A click on the light-control button, the last of the device row (main.xml: 144 wide, 16
    // from the right edge; the row's middle 88 from the top), at the window's layout scale.
    static void ClickLightControl()
    {
        const std::string window = VisibleWindow("VARNO Orvel 80");
        const std::string width = Shell("xdotool getwindowgeometry --shell " + window + " | sed -n 's/^WIDTH=//p'");
        const double scale = std::stod(width) / 1000.0;
        Shell("xdotool mousemove --window " + window + " " + std::to_string(static_cast<int>((1000 - 16 - 72) * scale))
              + " " + std::to_string(static_cast<int>(88 * scale)) + " click 1");
    }

    pid_t listen_ = -1;
};

TEST_F(AppMessages, OrvelMsgAsksTheWindowAndHearsWhatItBroadcasts)
{
    StartListen({"light-owner"});
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();
    EXPECT_TRUE(WaitUntil([&] { return Heard() == "light-owner 1 1\n"; }, 3s)) << "the claim at start: " << Heard();

    const auto answer = Msg({"worktool", "--json"});
    ASSERT_EQ(answer.code, 0) << answer.err;
    const Json::Value table = orvel::testing::ParseJson(answer.out);
    ASSERT_EQ(table["head"].size(), 4u);
    for (Json::ArrayIndex i = 0; i < 4; ++i)
        EXPECT_EQ(table["head"][i].asInt(), (std::array{2, 3, 0, 2})[i]);
    ASSERT_EQ(table["kinds"].size(), DeviceKindTable.size());
    for (std::size_t i = 0; i < DeviceKindTable.size(); ++i) {
        const Json::Value& row = table["kinds"][static_cast<Json::ArrayIndex>(i)];
        EXPECT_EQ(row["vendorId"].asInt(), DeviceKindTable[i].vendorId);
        EXPECT_EQ(row["productId"].asInt(), DeviceKindTable[i].productId);
        EXPECT_EQ(row["kind"].asInt(), DeviceKindTable[i].kind);
    }

    // The mouse's lighting is drawn by the program: its frames stream while the program has
    // the lighting, and stop once another program asks for it.
    ASSERT_TRUE(WaitUntil([&] { return HasCommand(Frames("mouse"), "12"); }, 8s)) << "no light frames\n" << Log();
    const auto given = Msg({"send", "light-control", "1", "0"});
    EXPECT_EQ(given.code, 0) << given.err;
    EXPECT_EQ(given.out, "0\n");
    std::this_thread::sleep_for(200ms);
    Frames("mouse");
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(HasCommand(Frames("mouse"), "12")) << "light frames after the lighting was given up";
    Frames("keyboard");
    EXPECT_EQ(Msg({"send", "light-control", "1", "1"}).code, 0);
    EXPECT_TRUE(WaitUntil([&] { return HasCommand(Frames("keyboard"), "1C"); }, 2s)) << "the keyboard is told the program has it";
    EXPECT_TRUE(WaitUntil([&] { return HasCommand(Frames("mouse"), "12"); }, 2s)) << "the frames come back";
    EXPECT_EQ(Heard(), "light-owner 1 1\n") << "a request is not broadcast";

    // The user gives the lighting up and takes it back with the button: both are broadcast.
    ClickLightControl();
    EXPECT_TRUE(WaitUntil([&] { return Heard() == "light-owner 1 1\nlight-owner 1 0\n"; }, 3s)) << Heard();
    ClickLightControl();
    EXPECT_TRUE(WaitUntil([&] { return Heard() == "light-owner 1 1\nlight-owner 1 0\nlight-owner 1 1\n"; }, 3s))
        << Heard();

    // What the window does not take from outside.
    const auto hook = Msg({"send", "WM_HOOK_KEY_SINGLEKEY_MSG", "256", "4096"});
    EXPECT_EQ(hook.code, 1);
    EXPECT_NE(hook.err.find("does not take"), std::string::npos) << hook.err;

    orvel::testing::Stop(app_);
    app_ = -1;
    const auto none = Msg({"send", "light-control", "1", "1"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no VARNO Orvel 80 window runs"), std::string::npos) << none.err;
}

TEST_F(AppMessages, TheProgramRefusesBadPeersAndKeepsWorking)
{
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();
    ASSERT_TRUE(WaitUntil([&] { return HasCommand(Frames("mouse"), "12"); }, 8s)) << "no light frames\n" << Log();
    const auto window = ipc::FindWindowW(L"MainWnd", L"VARNO Orvel 80");
    ASSERT_TRUE(window);

    // Peers that connect and say nothing, or a little, stay connected through all of this.
    std::vector<std::unique_ptr<RawPeer>> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(std::make_unique<RawPeer>(window->socket));
        ASSERT_TRUE(silent.back()->connected());
    }
    silent.back()->write({'O', 'V', 'M', '1', 0x10});

    wire::Bytes oversized{'O', 'V', 'M', '1'};
    wire::PutLe(oversized, 0x7FFFFFFF, 4);
    struct Case {
        const char* what;
        wire::Bytes bytes;
    };
    const Case cases[] = {
        {"not our magic", {'G', 'E', 'T', ' ', '/', '\n'}},
        {"a body of 2 GiB announced", oversized},
        {"a wParam of two bytes", wire::Frame({wire::Field(wire::kKind, {1}), wire::Text(wire::kName, "Game_Start"),
                                               wire::Field(wire::kWParam, {1, 0})})},
        {"a data block of 64 KiB and one byte",
         wire::Frame({wire::Field(wire::kKind, {1}), wire::Number(wire::kDwData, 1),
                      wire::Field(wire::kData, wire::Bytes(65537, 0xAA))})},
        {"a posted data block", wire::Frame({wire::Field(wire::kKind, {0}), wire::Number(wire::kDwData, 1),
                                             wire::Field(wire::kData, wire::Bytes(2000, 0xAA))})},
        {"a name nobody registered", wire::Registered("Game_Unknown", true, 1, 2)},
        {"an input hook message", wire::Registered("WM_HOOK_KEY_SINGLEKEY_MSG", true, 0, 0x1000)},
    };
    for (const Case& c : cases) {
        RawPeer peer(window->socket);
        ASSERT_TRUE(peer.connected()) << c.what;
        peer.write(c.bytes); // a refusal on the header may close the connection while the body goes
        const auto answer = peer.answer(2s);
        ASSERT_TRUE(answer.has_value()) << c.what << ": the window kept the connection";
        EXPECT_TRUE(answer->empty()) << c.what << ": answered";
    }

    // A flood of posted game events no page acts on, from two peers at once.
    const UINT kill = RegisterWindowMessageW(L"Game_Kill");
    std::atomic<bool> flooding{true};
    std::atomic<int> posts{0};
    std::vector<std::thread> flooders;
    for (int i = 0; i < 2; ++i) {
        flooders.emplace_back([&] {
            while (flooding) {
                ipc::PostMessageW(*window, kill, 7, 0);
                ++posts;
            }
        });
    }
    std::this_thread::sleep_for(300ms);
    Frames("mouse");
    const auto answered = Msg({"send", "light-control", "1", "1"});
    std::this_thread::sleep_for(1s);
    const auto during = Frames("mouse");
    flooding = false;
    for (auto& t : flooders)
        t.join();
    EXPECT_EQ(answered.code, 0) << "a sender is answered during a flood: " << answered.err;
    EXPECT_EQ(answered.out, "0\n");
    EXPECT_TRUE(HasCommand(during, "12")) << "the light frames stopped during the flood";
    EXPECT_GT(posts, 100) << "hardly a flood";

    // The window answers as before, the silent peers long dropped.
    for (auto& s : silent) {
        const auto answer = s->answer(1500ms);
        ASSERT_TRUE(answer.has_value()) << "a silent peer was kept";
        EXPECT_TRUE(answer->empty());
    }
    const auto table = Msg({"worktool"});
    EXPECT_EQ(table.code, 0) << table.err;
    EXPECT_NE(table.out.find("4 device kinds"), std::string::npos) << table.out;
}

TEST_F(AppMessages, GameEventsLightTheKeyboardForFiveSeconds)
{
    // Only the keyboard, so its page is the one shown.
    for (const std::vector<std::string>& unplug : {std::vector<std::string>{"unplug", "mouse", "both"},
                                                   {"unplug", "mousepad"}, {"unplug", "headset"}})
        ASSERT_EQ(Devsim(unplug).code, 0) << unplug[1];
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();
    ASSERT_TRUE(WaitUntil([&] { return !Frames("keyboard").empty(); }, 8s)) << Log();
    std::this_thread::sleep_for(1s); // the page has read the device
    Frames("keyboard");
    const int before = 1; // the default profile's mode

    // An unknown wParam changes nothing.
    EXPECT_EQ(Msg({"send", "Game_Start", "3", "6"}).code, 0);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(ModesWritten(Frames("keyboard")).empty());

    struct Step {
        std::vector<std::string> event;
        int mode;
    };
    // wParam 0 remembers the mode in use; 1 and 2 show theirs without remembering, each event
    // starting the five seconds again.
    const std::vector<std::vector<Step>> rounds = {
        {{{"Game_Start", "0", "3"}, 3}},
        {{{"Game_Start", "1", "4"}, 4}, {{"Game_End", "2", "5"}, 5}},
    };
    for (const auto& round : rounds) {
        Clock::time_point last;
        for (const Step& step : round) {
            std::vector<std::string> send{"send"};
            send.insert(send.end(), step.event.begin(), step.event.end());
            ASSERT_EQ(Msg(send).code, 0);
            last = Clock::now();
            std::vector<int> modes;
            EXPECT_TRUE(WaitUntil([&] { return !(modes = ModesWritten(Frames("keyboard"))).empty(); }, 1500ms))
                << step.event[0] << " " << step.event[1];
            EXPECT_EQ(modes, std::vector<int>{step.mode}) << step.event[0] << " " << step.event[1];
            std::this_thread::sleep_for(1s);
        }
        std::vector<int> modes;
        ASSERT_TRUE(WaitUntil([&] { return !(modes = ModesWritten(Frames("keyboard"))).empty(); }, 6500ms));
        const auto after = Clock::now() - last;
        EXPECT_EQ(modes, std::vector<int>{before});
        EXPECT_GT(after, 4500ms) << "restored too early";
        EXPECT_LT(after, 6500ms);
    }
}

} // namespace
} // namespace orvel::app
