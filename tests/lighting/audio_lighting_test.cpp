#include "lighting/audio_lighting.h"

#include "app/app_messages.h"
#include "lighting/audio_record_protocol.h"
#include "profiles/jsonfile.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using namespace orvel;
using namespace orvel::lighting;
using namespace std::chrono_literals;

struct Keyboard : AudioInputSink {
    void SpectrumInput(std::span<const std::int32_t> v) override { spectra.emplace_back(v.begin(), v.end()); }
    void ColourInput(std::span<const std::int32_t> v) override { colours.emplace_back(v.begin(), v.end()); }
    std::vector<std::vector<std::int32_t>> spectra, colours;
};

class AudioLightingTest : public ::testing::Test, public IMessageHandler {
protected:
    void SetUp() override
    {
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        main_ = CreateWindowHandle(this, L"MainWnd", L"VARNO Orvel 80");
        endpoint_ = ipc::Endpoint::Create(main_);
        ASSERT_TRUE(endpoint_);
    }
    void TearDown() override
    {
        slot_.Stop();
        endpoint_.reset();
        DestroyWindowHandle(main_);
    }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM, LPARAM lParam) override
    {
        if (msg == WM_COPYDATA && audio_) audio_->OnBlock(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), &keyboard_);
        return 0;
    }
    AudioLighting::Setup MakeSetup(std::unique_ptr<Waiter> waiter)
    {
        return AudioLighting::Setup{app::RegisterProgramMessages().audioRecord, main_, [this] { ++failures_; },
                                    temp_.path() / "no-such-program",
                                    AudioFile(User(), orvel::testing::SourceDefaultData() / kAudioFileName), std::move(waiter)};
    }
    std::filesystem::path User() const { return temp_.path() / "data" / kAudioFileName; }

    // Sends a block the way a capture program does, from another thread, while this thread
    // handles the main window's messages.
    ipc::SendResult SendBlock(ULONG_PTR id, const std::vector<std::uint8_t>& bytes)
    {
        ipc::SendResult result;
        std::atomic<bool> done = false;
        std::thread sender([&] {
            COPYDATASTRUCT block{id, std::uint32_t(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
            result = ipc::SendMessageTimeoutW(endpoint_->Address(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block), 2000);
            done = true;
        });
        while (!done) PumpMessages(5);
        sender.join();
        return result;
    }

    orvel::testing::TempFolder temp_;
    HWND main_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::unique_ptr<AudioLighting> audio_;
    WorkerSlot slot_;
    Keyboard keyboard_;
    std::atomic<int> failures_ = 0;
};

std::vector<std::uint8_t> Values(std::size_t count, std::int32_t value)
{
    std::vector<std::int32_t> v(count, value);
    std::vector<std::uint8_t> bytes(count * 4);
    if (!bytes.empty())
        std::memcpy(bytes.data(), v.data(), bytes.size());
    return bytes;
}

TEST_F(AudioLightingTest, MalformedAndOversizedBlocksFromAFakeCaptureProgramAreRefused)
{
    audio_ = std::make_unique<AudioLighting>(MakeSetup(std::make_unique<ManualWaiter>()));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(SendBlock(kSpectrumBlock, Values(500, 100 * i)).status, ipc::SendStatus::Ok);
    ASSERT_EQ(SendBlock(kColourInputBlock, Values(6, 50)).status, ipc::SendStatus::Ok);
    ASSERT_EQ(keyboard_.spectra.size(), 1u);
    ASSERT_EQ(keyboard_.colours.size(), 1u);
    const auto bands = audio_->Input().Bands();
    const auto colour = audio_->Input().ColourInput();

    struct Case {
        ULONG_PTR id;
        std::size_t bytes;
    } cases[] = {{kSpectrumBlock, 0},      {kSpectrumBlock, 1996},     {kSpectrumBlock, 2004}, {kSpectrumBlock, 64 * 1024},
                 {kColourInputBlock, 20},  {kColourInputBlock, 28},    {kColourInputBlock, 2000}, {kColourBlock, 40},
                 {7, 2000},                {0, 24}};
    for (int round = 0; round < 3; ++round) {
        for (const Case& c : cases) {
            const ipc::SendResult sent = SendBlock(c.id, Values(c.bytes / 4, 0x7FFFFFFF));
            EXPECT_EQ(sent.status, ipc::SendStatus::Ok) << c.id << " " << c.bytes;
            EXPECT_EQ(sent.result, 0) << "the window procedure answers 0";
        }
    }
    EXPECT_EQ(SendBlock(kSpectrumBlock, Values(64 * 1024 / 4 + 1, 1)).status, ipc::SendStatus::Rejected)
        << "a block larger than the link carries does not leave the sender";
    EXPECT_EQ(audio_->Input().Bands(), bands);
    EXPECT_EQ(audio_->Input().ColourInput(), colour);
    EXPECT_EQ(audio_->Input().Counter(), 0);
    EXPECT_EQ(keyboard_.spectra.size(), 1u);
    EXPECT_EQ(keyboard_.colours.size(), 1u);
}

TEST_F(AudioLightingTest, AMissingCaptureProgramIsReportedOnceInAllTheRun)
{
    audio_ = std::make_unique<AudioLighting>(MakeSetup(std::make_unique<ManualWaiter>(0, 600000)));
    audio_->Start(slot_);
    ASSERT_EQ(slot_.Stop(10000), WorkerSlot::StopResult::Ended) << "ten simulated minutes of watchdog";
    EXPECT_EQ(failures_, 1);
    EXPECT_FALSE(audio_->Link().Connected());
    EXPECT_EQ(profiles::LoadJsonFile(User()), profiles::LoadJsonFile(orvel::testing::SourceDefaultData() / kAudioFileName))
        << "the styles are read at start, the user file made from the default";
}

TEST_F(AudioLightingTest, LevelLabels)
{
    EXPECT_EQ(AudioLighting::LevelLabel(0, 5), L"R 5");
    EXPECT_EQ(AudioLighting::LevelLabel(1, 0), L"G 0");
    EXPECT_EQ(AudioLighting::LevelLabel(2, 9), L"B 9");
}

} // namespace
