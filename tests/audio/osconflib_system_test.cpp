// Our audio library (SDK/libosConfLib.so of the build) through the program's wrapper and the
// headset audio rules, against a real PulseAudio server the test starts, stops and restarts.

#include "audio/headset_audio.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace orvel::audio {
namespace {

using Clock = std::chrono::steady_clock;
using Outcome = AudioChange::Outcome;
using orvel::testing::PrivatePulseServer;
using namespace std::chrono_literals;

// How long a call may hold the caller: the library's second, and room for a loaded machine.
constexpr auto kCallBound = 1200ms;

class OsConfLibSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(folders.profileFolder);
        headset.SetProfileIdentifier("h1");
        ASSERT_EQ(headset.LoadProfile(), 1);
    }

    void StartServer()
    {
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
    }

    // The library's reading of the microphone's mute, timed.
    std::optional<std::int32_t> ReadMute(Clock::duration& took)
    {
        const auto start = Clock::now();
        const std::optional<std::int32_t> muted = sdk.ReadInt(AudioFlow::Recording, prop::kMute);
        took = Clock::now() - start;
        return muted;
    }

    // Whether the microphone answers again within the time.
    bool AnswersWithin(Clock::duration time)
    {
        const auto until = Clock::now() + time;
        Clock::duration took{};
        while (Clock::now() < until) {
            if (ReadMute(took))
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    orvel::testing::TempFolder temp;
    PrivatePulseServer server{temp};
    devices::DeviceFolders folders{temp.path() / "HD", orvel::testing::SourceDefaultData(), "HD"};
    CDeviceLink link;
    devices::CHeadsetCore headset{link, folders};
    CAudioSdk sdk;
    CHeadsetAudioCore audio{headset, sdk};
};

TEST_F(OsConfLibSystem, TheMicrophoneLevelAndMuteReachTheSoundServerAndComeBack)
{
    StartServer();
    ASSERT_TRUE(sdk.Start()) << sdk.LoadError();
    EXPECT_EQ(sdk.Playback().record.type, OSCONF_TYPE_HEADPHONES);
    EXPECT_EQ(sdk.Recording().record.type, OSCONF_TYPE_MICROPHONE);
    EXPECT_EQ(sdk.Recording().features, (FeatureWords{0, 0, 0}));
    audio.Show();
    const HeadsetAudioView& view = audio.View();
    EXPECT_TRUE(view.micLevelAvailable && view.micMuteAvailable);
    // A null device has no sound card, so no sidetone; nothing else is offered either.
    EXPECT_FALSE(view.monitorLevelAvailable || view.monitorMuteAvailable || view.equaliserApplied ||
                 view.voiceEffectsOffered);
    EXPECT_EQ(view.micLevel, 100);

    EXPECT_EQ(audio.SetMicLevel(50).outcome, Outcome::Done);
    EXPECT_NE(server.Pactl(std::string("get-source-volume ") + PrivatePulseServer::kMicrophone).find(" 50% "),
              std::string::npos);
    EXPECT_EQ(audio.SetMicOn(false).outcome, Outcome::Done);
    EXPECT_EQ(server.Pactl(std::string("get-source-mute ") + PrivatePulseServer::kMicrophone), "Mute: yes\n");
    EXPECT_EQ(audio.SetMonitorLevel(20).outcome, Outcome::Unavailable);

    // Another mixer changes both; the page shown again follows.
    server.Pactl(std::string("set-source-volume ") + PrivatePulseServer::kMicrophone + " 30%");
    server.Pactl(std::string("set-source-mute ") + PrivatePulseServer::kMicrophone + " 0");
    audio.PageShown();
    EXPECT_EQ(audio.View().micLevel, 30);
    EXPECT_TRUE(audio.View().micOn);
}

TEST_F(OsConfLibSystem, AStoppedServerCostsASecondOnceAndIsUsedAgainWhenItGoesOn)
{
    StartServer();
    ASSERT_TRUE(sdk.Start()) << sdk.LoadError();
    Clock::duration took{};
    ASSERT_EQ(ReadMute(took), 0);

    server.Pause();
    EXPECT_EQ(ReadMute(took), std::nullopt);
    EXPECT_LT(took, kCallBound);
    // Known to be gone: the next calls fail at once.
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(sdk.WriteScalar(AudioFlow::Recording, prop::kVolumeScalar, 0.4f, &kMicrophoneParameter));
        EXPECT_EQ(ReadMute(took), std::nullopt);
        EXPECT_LT(took, 100ms);
    }
    server.Resume();
    EXPECT_TRUE(AnswersWithin(3s));
    EXPECT_TRUE(sdk.WriteScalar(AudioFlow::Recording, prop::kVolumeScalar, 0.4f, &kMicrophoneParameter));
    EXPECT_NE(server.Pactl(std::string("get-source-volume ") + PrivatePulseServer::kMicrophone).find(" 40% "),
              std::string::npos);
}

TEST_F(OsConfLibSystem, AKilledServerFailsAtOnceAndARestartedOneIsFoundByItself)
{
    StartServer();
    ASSERT_TRUE(sdk.Start()) << sdk.LoadError();
    audio.Show();
    server.Kill();
    Clock::duration took{};
    const auto until = Clock::now() + 500ms;
    while (Clock::now() < until) {
        const std::optional<std::int32_t> muted = ReadMute(took);
        EXPECT_LT(took, kCallBound);
        if (!muted)
            break;
    }
    EXPECT_EQ(ReadMute(took), std::nullopt);
    EXPECT_LT(took, kCallBound);

    StartServer();
    EXPECT_TRUE(AnswersWithin(3s));
    // The devices the wrapper chose before are the same devices of the new server.
    EXPECT_EQ(audio.SetMicLevel(60).outcome, Outcome::Done);
    EXPECT_NE(server.Pactl(std::string("get-source-volume ") + PrivatePulseServer::kMicrophone).find(" 60% "),
              std::string::npos);
}

TEST_F(OsConfLibSystem, NoServerAtStartAndOneThatComesLater)
{
    const auto start = Clock::now();
    ASSERT_TRUE(sdk.Start()) << sdk.LoadError();
    EXPECT_LT(Clock::now() - start, 2 * kCallBound);
    audio.Show();
    EXPECT_FALSE(sdk.Recording().Present());
    EXPECT_FALSE(audio.View().micLevelAvailable);
    EXPECT_EQ(audio.SetMicLevel(10).outcome, Outcome::Unavailable);

    StartServer();
    const auto until = Clock::now() + 3s;
    while (!sdk.Recording().Present() && Clock::now() < until) {
        std::this_thread::sleep_for(100ms);
        audio.PageShown();
    }
    EXPECT_TRUE(audio.View().micLevelAvailable);
}

TEST(OsConfLibSystemOther, AServerWithoutTheHeadsetListsNoDevice)
{
    orvel::testing::TempFolder temp;
    PrivatePulseServer server(temp, false);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start());
    EXPECT_FALSE(sdk.Playback().Present());
    EXPECT_FALSE(sdk.Recording().Present());
    EXPECT_FALSE(sdk.Available(prop::kMute));
}

} // namespace
} // namespace orvel::audio
