// orvel-msg in-process against windows of "another program" on private runtime folders: what
// each command prints and returns, the WorkTool answer decoded, and its errors.
#include "app/app_messages.h"
#include "app/window_rules.h"
#include "platform/ipc.h"
#include "tests/profiles/json_text.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"
#include "tools/orvel-msg/orvel_msg.h"
#include "tools/orvel-msg/worktool_answer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <thread>

namespace orvel::msgtool {
namespace {

using namespace std::chrono_literals;
using orvel::testing::PeerWindow;

struct Output {
    int code;
    std::string out;
    std::string err;
};

Output Msg(const std::vector<std::string>& words)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = Run(words, out, err);
    return {code, out.str(), err.str()};
}

class OrvelMsg : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        app::RegisterProgramMessages(); // as the program does at start; the names then travel
    }
    // A stand-in for the main window, which takes what the program takes from outside.
    std::unique_ptr<PeerWindow> MainWindow()
    {
        return std::make_unique<PeerWindow>(std::wstring(app::kMainWindowClass), std::wstring(app::kProductName),
                                            app::MessagesFromOtherPrograms());
    }
    orvel::testing::TempFolder temp_;
};

TEST_F(OrvelMsg, SendPrintsTheAnswerAndPostAndBroadcastReachTheWindow)
{
    auto window = MainWindow();
    window->SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) * 1000 + l; });
    const UINT control = RegisterWindowMessageW(app::kLightControlMessageName);
    const UINT game = RegisterWindowMessageW(L"Game_Kill");

    const Output sent = Msg({"send", "LIGHT-control", "1", "-5"});
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(sent.out, "995\n");
    EXPECT_EQ(Msg({"post", "Game_Kill", "0x10", "0xFFFFFFFFFFFFFFFF"}).code, 0);
    const Output broadcast = Msg({"broadcast", "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1"});
    EXPECT_EQ(broadcast.code, 0) << broadcast.err;
    EXPECT_EQ(broadcast.out, "taken by 1 window\n");

    const auto controls = window->Received(control, 2);
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].wParam, 1u);
    EXPECT_EQ(controls[0].lParam, -5);
    EXPECT_EQ(controls[1].lParam, 0);
    const auto games = window->Received(game);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].wParam, 16u);
    EXPECT_EQ(games[0].lParam, -1);
}

TEST_F(OrvelMsg, ErrorsSayWhatWentWrong)
{
    struct Case {
        std::vector<std::string> words;
        int code;
        const char* says;
    };
    const Case alone[] = {
        {{"send", "light-control", "1", "0"}, 1, "no VARNO Orvel 80 window runs"},
        {{"post", "Game_Start"}, 1, "no VARNO Orvel 80 window runs"},
        {{"broadcast", "Game_Start"}, 1, "no window took it"},
        {{"worktool"}, 1, "no VARNO Orvel 80 window runs"},
        {{"send", "--title", "Some Tool", "Game_Start"}, 1, "no such window runs"},
        {{"send", "Game_Start", "1x"}, 2, "'1x' is not a number"},
        {{"send", "Game_Start", "18446744073709551616"}, 2, "is not a number"},
        {{"send", "Game_Start", "0", "-9223372036854775809"}, 2, "is not a number"},
        {{"send", "Game_Start", "0x"}, 2, "is not a number"},
        {{"send", "Game_Start", "1", "2", "3"}, 2, "wrong number of arguments"},
        {{"send"}, 2, "wrong number of arguments"},
        {{"send", "Game_Start", "--timeout", "0"}, 2, "--timeout takes milliseconds"},
        {{"send", "Game_Start", "--json"}, 2, "unknown option --json"},
        {{"shout", "Game_Start"}, 2, "unknown command 'shout'"},
        {{}, 2, "Usage:"},
    };
    for (const Case& c : alone) {
        const Output o = Msg(c.words);
        EXPECT_EQ(o.code, c.code) << c.says;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }

    auto window = MainWindow();
    window->SetAnswer([](UINT, WPARAM, LPARAM) {
        std::this_thread::sleep_for(400ms);
        return 0;
    });
    const Case running[] = {
        {{"send", "WM_HOOK_KEY_SINGLEKEY_MSG", "0", "4096"}, 1, "the window does not take WM_HOOK_KEY_SINGLEKEY_MSG"},
        {{"send", "Game_Unknown"}, 1, "the window does not take Game_Unknown"},
        {{"send", "Game_End", "--timeout", "100"}, 1, "no answer within 100 ms"},
        // The stand-in takes the query but never answers it with a block.
        {{"worktool", "--timeout", "800"}, 1, "sent no answer within 800 ms"},
    };
    for (const Case& c : running) {
        const Output o = Msg(c.words);
        EXPECT_EQ(o.code, c.code) << c.says;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }
}

TEST_F(OrvelMsg, HelpListsTheCommandsAndTheShortNames)
{
    for (const std::vector<std::string>& words : {std::vector<std::string>{"--help"}, {"listen", "--help"}}) {
        const Output o = Msg(words);
        EXPECT_EQ(o.code, 0);
        for (const char* text : {"send NAME", "post NAME", "broadcast NAME", "worktool [--json]", "listen [NAME...]",
                                 "light-control", "Game_Death", "Exit status"}) {
            EXPECT_NE(o.out.find(text), std::string::npos) << text;
        }
    }
}

// A main window that answers the query as the program does.
std::unique_ptr<PeerWindow> AnsweringWindow(std::unique_ptr<PeerWindow> window, std::vector<std::uint8_t> block,
                                            ULONG_PTR dwData)
{
    const UINT query = RegisterWindowMessageW(app::kWorkToolQueryMessageName);
    window->SetAnswer([query, block, dwData](UINT msg, WPARAM, LPARAM) {
        if (msg == query) {
            if (const auto tool = ipc::FindWindowW(L"", app::kWorkToolTitle)) {
                COPYDATASTRUCT data{dwData, static_cast<std::uint32_t>(block.size()), block.data()};
                ipc::SendNotifyMessageW(*tool, WM_COPYDATA, 0x10000, reinterpret_cast<LPARAM>(&data));
            }
        }
        return LRESULT{0};
    });
    return window;
}

TEST_F(OrvelMsg, WorkToolPrintsTheKindTable)
{
    const auto answer = app::BuildWorkToolAnswer();
    auto window = AnsweringWindow(MainWindow(), {answer.begin(), answer.end()}, app::kWorkToolDataId);

    const Output text = Msg({"worktool"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out, "head: 2 3 0 2\n"
                        "4 device kinds:\n"
                        "  vendor  product  kind\n"
                        "  0x320F  0x221C   2   mouse\n"
                        "  0x320F  0x5055   1   keyboard\n"
                        "  0x320F  0x1004   3   MousePad\n"
                        "  0x0C76  0x1630   7   HD\n");
    const Output json = Msg({"worktool", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    const Json::Value doc = orvel::testing::ParseJson(json.out);
    ASSERT_EQ(doc["head"].size(), 4u);
    EXPECT_EQ(doc["head"][3].asInt(), 2);
    ASSERT_EQ(doc["kinds"].size(), 4u);
    EXPECT_EQ(doc["kinds"][3]["vendorId"].asInt(), 0x0C76);
    EXPECT_EQ(doc["kinds"][3]["productId"].asInt(), 0x1630);
    EXPECT_EQ(doc["kinds"][3]["kind"].asInt(), 7);

    // Another WorkTool already there would get the answer.
    {
        PeerWindow other(L"Tool", std::wstring(app::kWorkToolTitle));
        const Output taken = Msg({"worktool"});
        EXPECT_EQ(taken.code, 1);
        EXPECT_NE(taken.err.find("another WorkTool window runs"), std::string::npos) << taken.err;
    }
    window.reset();
    auto odd = AnsweringWindow(MainWindow(), std::vector<std::uint8_t>(16, 0), app::kWorkToolDataId);
    const Output wrong = Msg({"worktool"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.err.find("not a kind table: 16 bytes, not 1024"), std::string::npos) << wrong.err;
}

TEST(WorkToolAnswer, DecodesOnlyAWellFormedBlock)
{
    const auto good = app::BuildWorkToolAnswer();
    auto withCount = [&](std::int32_t count) {
        std::vector<std::uint8_t> block(good.begin(), good.end());
        std::memcpy(block.data() + 16, &count, 4);
        return block;
    };
    struct Case {
        const char* what;
        std::uintptr_t dwData;
        std::vector<std::uint8_t> block;
        const char* why; // empty: decoded
    };
    const Case cases[] = {
        {"the program's answer", 5, {good.begin(), good.end()}, ""},
        {"no rows", 5, withCount(0), ""},
        {"as many rows as fit", 5, withCount(83), ""},
        {"another kind of block", 4, {good.begin(), good.end()}, "dwData 4, not 5"},
        {"a short block", 5, std::vector<std::uint8_t>(1020), "1020 bytes, not 1024"},
        {"more rows than fit", 5, withCount(84), "a row count of 84, where at most 83 fit"},
        {"a negative count", 5, withCount(-1), "a row count of -1"},
    };
    for (const Case& c : cases) {
        std::string why;
        const auto answer = DecodeWorkToolAnswer(c.dwData, c.block, why);
        EXPECT_EQ(answer.has_value(), std::string(c.why).empty()) << c.what;
        if (!answer) {
            EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
        }
    }
    std::string why;
    const auto answer = DecodeWorkToolAnswer(5, std::vector<std::uint8_t>(good.begin(), good.end()), why);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->head, app::kWorkToolHead);
    ASSERT_EQ(answer->kinds.size(), 4u);
    EXPECT_EQ(answer->kinds[1].vendorId, 0x320F);
    EXPECT_EQ(answer->kinds[1].productId, 0x5055);
    EXPECT_EQ(answer->kinds[1].kind, 1);
}

TEST_F(OrvelMsg, ListenPrintsWhatReachesItUntilInterrupted)
{
    std::atomic<bool> interrupted{false};
    std::ostringstream out;
    std::ostringstream err;
    int code = -1;
    std::thread listener([&] { code = msgtool::Run({"listen", "light-owner", "Game_End"}, out, err, {&interrupted}); });
    ASSERT_TRUE(orvel::testing::WaitUntil([] { return ipc::FindWindowW(L"orvel-msg", L"orvel-msg listen").has_value(); }, 3s));
    const UINT owner = RegisterWindowMessageW(app::kLightOwnerMessageName);
    const UINT end = RegisterWindowMessageW(L"Game_End");
    const UINT other = RegisterWindowMessageW(L"Game_Start");
    EXPECT_EQ(ipc::BroadcastSystemMessageW(owner, 1, 0), 1);
    EXPECT_EQ(ipc::BroadcastSystemMessageW(other, 1, 1), 1); // written to it, but refused: not listened for
    const auto to = ipc::FindWindowW(L"orvel-msg", L"orvel-msg listen");
    ASSERT_TRUE(to);
    EXPECT_EQ(ipc::SendMessageTimeoutW(*to, end, 2, -3, 1000).status, ipc::SendStatus::Ok);
    std::vector<std::uint8_t> block{0xDE, 0xAD};
    COPYDATASTRUCT data{7, 2, block.data()};
    EXPECT_EQ(ipc::SendMessageTimeoutW(*to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), 1000).status,
              ipc::SendStatus::Ok);
    std::this_thread::sleep_for(150ms);
    interrupted = true;
    listener.join();
    EXPECT_EQ(code, 0);
    // Sent messages may overtake posted ones, as on any window.
    std::vector<std::string> lines;
    std::istringstream printed(out.str());
    for (std::string line; std::getline(printed, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"Game_End 2 -3", "WM_COPYDATA 7 2 dead", "light-owner 1 0"}));
    EXPECT_NE(err.str().find("listening for 2 messages"), std::string::npos) << err.str();
}

} // namespace
} // namespace orvel::msgtool
