#include "lighting/audio_record_link.h"

#include "app/app_messages.h"
#include "lighting/audio_record_protocol.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace orvel;
using namespace orvel::lighting;

struct NoMessages : IMessageHandler {
    LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }
};

class AudioRecordLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        command_ = RegisterWindowMessageW(app::kAudioRecordMessageName);
        main_ = CreateWindowHandle(&handler_, L"MainWnd", L"VARNO Orvel 80");
        endpoint_ = ipc::Endpoint::Create(main_);
        ASSERT_TRUE(endpoint_);
    }
    void TearDown() override
    {
        endpoint_.reset();
        DestroyWindowHandle(main_);
    }
    std::vector<std::pair<WPARAM, LPARAM>> Commands(orvel::testing::PeerWindow& capture, std::size_t count)
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const auto& got : capture.Received(command_, count)) out.emplace_back(got.wParam, got.lParam);
        return out;
    }

    orvel::testing::TempFolder temp_;
    NoMessages handler_;
    UINT command_ = 0;
    HWND main_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
};

TEST_F(AudioRecordLinkTest, NothingIsSentWhileTheCaptureProgramIsNotFound)
{
    AudioRecordLink link(command_, main_);
    orvel::testing::PeerWindow other(L"VARNO Orvel 80AudioRecord", L"another title");
    EXPECT_FALSE(link.Connect());
    EXPECT_FALSE(link.Connected());
    link.SendColour(AudioStyleSettings{});
    link.SendLevel(0, 5);
    link.Disconnect();
    EXPECT_TRUE(other.Received(command_, 1, std::chrono::milliseconds(100)).empty());
}

TEST_F(AudioRecordLinkTest, ConnectCommandsThenColourAndLevelsThenShutdownCommands)
{
    orvel::testing::PeerWindow capture{std::wstring(kAudioRecordClass), std::wstring(kAudioRecordTitle)};
    AudioRecordLink link(command_, main_);
    ASSERT_TRUE(link.Connect());
    EXPECT_TRUE(link.Connected());
    AudioStyleSettings s;
    s.style = 1;
    s.levels[1] = {4, 0, 7};
    link.SendColour(s);
    link.SendLevel(2, 6);
    link.SendLevel(3, 1); // no such channel
    link.Disconnect();
    const auto commands = Commands(capture, 7);
    EXPECT_EQ(commands, (std::vector<std::pair<WPARAM, LPARAM>>{{kRegister, reinterpret_cast<LPARAM>(main_)},
                                                                 {kStartSending, 0},
                                                                 {kStartCapture, 0},
                                                                 {kSetBlue, 6},
                                                                 {kStopSending, 0},
                                                                 {kStopCapture, 0},
                                                                 {kExit, 0}}));
    const auto blocks = capture.Received(WM_COPYDATA);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].dataId, kColourBlock);
    EXPECT_EQ(blocks[0].wParam, reinterpret_cast<WPARAM>(main_));
    std::vector<std::uint8_t> expected(40, 0);
    const std::int32_t rgb[3] = {4, 1, 7};
    std::memcpy(expected.data(), rgb, sizeof rgb);
    EXPECT_EQ(blocks[0].data, expected);
}

TEST_F(AudioRecordLinkTest, ACaptureProgramThatWentIsForgottenAndFoundAgain)
{
    AudioRecordLink link(command_, main_);
    {
        orvel::testing::PeerWindow capture{std::wstring(kAudioRecordClass), std::wstring(kAudioRecordTitle)};
        ASSERT_TRUE(link.Connect());
    }
    link.SendLevel(0, 3);
    EXPECT_FALSE(link.Connected());
    orvel::testing::PeerWindow again{std::wstring(kAudioRecordClass), std::wstring(kAudioRecordTitle)};
    EXPECT_TRUE(link.Connect());
    EXPECT_EQ(Commands(again, 3).size(), 3u);
}

} // namespace
