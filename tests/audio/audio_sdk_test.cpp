// The program's side of the audio library against the test library: loading, the device
// choice, features, the probe, one buffer size, failures logged once, and a library that
// answers slowly.

#include "audio/audio_sdk.h"
#include "platform/debuglog.h"
#include "tests/audio/scripted_library.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace orvel::audio {
namespace {

using testing::ScriptedLibrary;
using Clock = std::chrono::steady_clock;

constexpr OsConfDevice kHeadphones{1, 1, 0, 1};
constexpr OsConfDevice kMicrophone{2, 2, 0, 1};

// The debug lines written while it lives.
class LogLines {
public:
    LogLines()
    {
        debuglog::SetSinkForTests([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogLines() { debuglog::SetSinkForTests({}); }
    int Count(const std::string& part) const
    {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }
    std::vector<std::string> lines;
};

int Calls(const ScriptedLibrary& library, const std::string& name)
{
    int n = 0;
    for (const ScriptedCall& call : library.Calls())
        n += name == call.name ? 1 : 0;
    return n;
}

TEST(AudioDeviceChoice, PlaybackPrefersTypeOneThenTwelveSevenFourAmongActiveDevices)
{
    struct Case {
        std::vector<OsConfDevice> devices;
        std::int32_t chosen; // id, 0 for none
    };
    const Case cases[] = {
        {{{1, 4, 0, 1}, {2, 12, 0, 1}}, 2},
        {{{1, 1, 0, 0}, {2, 7, 0, 1}, {3, 4, 0, 1}}, 2},
        {{{1, 4, 0, 1}, {2, 1, 0, 1}}, 2},
        {{{1, 1, 0, 0}, {2, 12, 0, 0}}, 0},
        {{{1, 2, 0, 1}}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChoosePlaybackDevice(c.devices).id, c.chosen);
}

TEST(AudioDeviceChoice, RecordingTakesTheFirstMicrophoneActiveOrNot)
{
    EXPECT_EQ(ChooseRecordingDevice({{1, 1, 0, 1}, {2, 2, 0, 0}, {3, 2, 0, 1}}).id, 2);
    const AudioDevice none{ChooseRecordingDevice({{1, 1, 0, 1}}), {}};
    EXPECT_FALSE(none.Present());
}

TEST(AudioFeatures, SevenFieldsGiveWordsFromFieldsZeroFourAndSix)
{
    EXPECT_EQ(ParseFeatures("131072,1,2,3,5,6,9"), (FeatureWords{131072, 5, 9}));
    EXPECT_EQ(ParseFeatures(" 7 ,x,,,-2,,3,8"), (FeatureWords{7, -2, 3}));
    EXPECT_EQ(ParseFeatures("1,2,3,4,5,6"), std::nullopt);
    EXPECT_EQ(ParseFeatures(""), std::nullopt);
}

TEST(AudioSdkFolder, AnInstalledProgramTakesItsLibraryFromTheLibFolder)
{
    EXPECT_EQ(CAudioSdk::SdkFolderOf("/usr/share/varno-orvel-80"), "/usr/lib/varno-orvel-80/SDK");
    EXPECT_EQ(CAudioSdk::SdkFolderOf("/home/u/orvel/build/bin"), "/home/u/orvel/build/bin/SDK");
    EXPECT_EQ(CAudioSdk::SdkFolderOf("/opt/varno-orvel-80"), "/opt/varno-orvel-80/SDK");
}

class AudioSdkTest : public ::testing::Test {
protected:
    // Both devices with the given features; every property of the probe readable unless
    // unreadable lists it.
    void Script(const std::string& features = "0,0,0,0,0,0,0", const std::vector<std::string>& unreadable = {})
    {
        library.AddDevice(OSCONF_FLOW_PLAYBACK, kHeadphones);
        library.AddDevice(OSCONF_FLOW_RECORDING, kMicrophone);
        library.SetProperty(kHeadphones.id, "GetSupportFeature", features);
        library.SetProperty(kMicrophone.id, "GetSupportFeature", features);
        for (const ProbedProperty& p : ProbeList()) {
            const bool fails = std::find(unreadable.begin(), unreadable.end(), p.name) != unreadable.end();
            library.SetProperty(p.flow == AudioFlow::Playback ? kHeadphones.id : kMicrophone.id, std::string(p.name),
                                "0", fails ? OSCONF_UNSUPPORTED : OSCONF_OK);
        }
    }

    LogLines log;
    ScriptedLibrary library;
};

TEST_F(AudioSdkTest, StartsOnceSelectsTheDevicesAndStopsAtTheEnd)
{
    Script("131072,0,0,0,5,0,9");
    {
        CAudioSdk sdk;
        ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
        EXPECT_TRUE(sdk.Library().MissingExports().empty());
        EXPECT_EQ(sdk.Playback().record.id, kHeadphones.id);
        EXPECT_EQ(sdk.Recording().record.id, kMicrophone.id);
        EXPECT_EQ(sdk.Recording().features, (FeatureWords{131072, 5, 9}));
        EXPECT_TRUE(sdk.VoiceEffectOffered());
        EXPECT_TRUE(sdk.Start(testing::ScriptedSdk()));
        EXPECT_EQ(Calls(library, "ConfLibInit"), 1);
        EXPECT_EQ(Calls(library, "CreateDeviceList"), 1);
        EXPECT_EQ(Calls(library, "ConfLibUnInit"), 0);
    }
    EXPECT_EQ(Calls(library, "ConfLibUnInit"), 1);
}

TEST_F(AudioSdkTest, AFailedInitIsLoggedOnceAndTheStartGoesOn)
{
    Script();
    library.SetInitResult(7);
    {
        CAudioSdk sdk;
        ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
        EXPECT_TRUE(sdk.Recording().Present());
        EXPECT_TRUE(sdk.Available(prop::kMute));
    }
    EXPECT_EQ(log.Count("ConfLibInit called failed!"), 1);
    // A library that did not start is not stopped either.
    EXPECT_EQ(Calls(library, "ConfLibUnInit"), 0);
}

TEST_F(AudioSdkTest, SixFeatureFieldsAreLoggedAndOfferNoVoiceEffect)
{
    Script("131072,0,0,0,5,0");
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
    EXPECT_EQ(sdk.Recording().features, (FeatureWords{0, 0, 0}));
    EXPECT_FALSE(sdk.VoiceEffectOffered());
    EXPECT_EQ(log.Count("UpdateAPOAvailable failed!"), 1);
}

TEST_F(AudioSdkTest, TheProbeReadsEveryPropertyAndNeverWrites)
{
    Script("0,0,0,0,0,0,0", {"MuteControl", "VolumeScalarControl", "AAMuteControl", "Enable_EQ_GFX"});
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
    EXPECT_TRUE(library.Writes().empty());
    for (const ProbedProperty& p : ProbeList()) {
        const bool failed = p.name == prop::kMute || p.name == prop::kVolumeScalar || p.name == prop::kMonitorMute ||
                            p.name == prop::kEqualiser;
        EXPECT_EQ(sdk.Available(p.name), !failed) << p.name;
    }
    // The surround probe carries its three parameter words; the microphone its channel.
    for (const ScriptedCall& call : library.Calls()) {
        if (call.name == std::string("VirtualSurroundEffectControl")) {
            EXPECT_EQ(std::vector<int32_t>(call.parameter, call.parameter + 3), (std::vector<int32_t>{4, -1, 0}));
        }
        if (call.name == std::string("VolumeScalarControl")) {
            EXPECT_EQ(call.parameter[0], -1);
        }
        if (call.name == std::string("AAVolumeScalarControl")) {
            EXPECT_EQ(call.parameter[0], 0);
        }
        if (call.name == std::string("MuteControl")) {
            EXPECT_EQ(call.hasParameter, 0);
        }
    }
}

TEST_F(AudioSdkTest, ATextFillingTheWholeBufferIsCutAtItsLastByte)
{
    Script();
    // 2048 bytes with no terminator: seven fields, the last one padded to the buffer's end.
    std::string text = "0,0,0,0,5,0,9";
    text.resize(OSCONF_BUFFER_SIZE, ' ');
    library.SetProperty(kMicrophone.id, "GetSupportFeature", text);
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
    EXPECT_EQ(sdk.Recording().features, (FeatureWords{0, 5, 9}));
}

TEST_F(AudioSdkTest, AFailingPropertyIsLoggedOnce)
{
    Script();
    library.SetProperty(kMicrophone.id, "MuteControl", "0", OSCONF_OK, OSCONF_REFUSED);
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
    EXPECT_FALSE(sdk.WriteInt(AudioFlow::Recording, prop::kMute, 1));
    EXPECT_FALSE(sdk.WriteInt(AudioFlow::Recording, prop::kMute, 0));
    EXPECT_EQ(log.Count("MuteControl: write failed"), 1);
}

TEST_F(AudioSdkTest, ALibraryThatCountsBeyondReasonIsNotWalkedForever)
{
    Script();
    library.SetCount(OSCONF_FLOW_PLAYBACK, 2000000000);
    CAudioSdk sdk;
    const auto start = Clock::now();
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(sdk.Playback().record.id, kHeadphones.id);
}

TEST_F(AudioSdkTest, ASlowAnswerCostsTheBudgetAndLaterCallsFailAtOnceUntilItEnds)
{
    Script();
    library.SetProperty(kMicrophone.id, "GetMaxVol", "100", OSCONF_OK, OSCONF_OK, 700);
    CAudioSdk sdk(std::chrono::milliseconds(200));
    ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));

    auto start = Clock::now();
    EXPECT_EQ(sdk.ReadFraction(AudioFlow::Recording, prop::kMaxVol), std::nullopt);
    const auto slow = Clock::now() - start;
    EXPECT_GE(slow, std::chrono::milliseconds(190));
    EXPECT_LT(slow, std::chrono::milliseconds(600));

    const std::size_t before = library.CallCount();
    start = Clock::now();
    EXPECT_EQ(sdk.ReadInt(AudioFlow::Recording, prop::kMute), std::nullopt);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(library.CallCount(), before) << "a call was made while the slow one still ran";

    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sdk.ReadInt(AudioFlow::Recording, prop::kMute), 0);
}

TEST_F(AudioSdkTest, TheWrapperGoesAtOnceWhileACallHangs)
{
    Script();
    library.SetProperty(kMicrophone.id, "GetMaxVol", "100", OSCONF_OK, OSCONF_OK, 800);
    const auto start = Clock::now();
    {
        CAudioSdk sdk(std::chrono::milliseconds(100));
        ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
        sdk.ReadFraction(AudioFlow::Recording, prop::kMaxVol);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(600));
    // The hanging call finishes in the library, which stays loaded for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
}

TEST(AudioSdkLoad, AMissingOrBrokenLibraryIsNotUsedAndSaysWhy)
{
    orvel::testing::TempFolder folder;
    std::ofstream(folder.path() / OSCONF_LIBRARY_FILE) << "not a library";
    for (const std::filesystem::path& sdkFolder : {folder.path() / "nothing", folder.path()}) {
        LogLines log;
        CAudioSdk sdk;
        EXPECT_FALSE(sdk.Start(sdkFolder));
        EXPECT_FALSE(sdk.InUse());
        EXPECT_FALSE(sdk.LoadError().empty());
        EXPECT_EQ(log.Count("not loaded"), 1);
        EXPECT_EQ(sdk.ReadInt(AudioFlow::Recording, prop::kMute), std::nullopt);
        EXPECT_FALSE(sdk.WriteInt(AudioFlow::Recording, prop::kMute, 1));
    }
}

TEST(AudioSdkLoad, MissingExportsStayEmptyAndAreNeverCalled)
{
    LogLines log;
    ScriptedLibrary library(testing::PartialSdk());
    library.AddDevice(OSCONF_FLOW_PLAYBACK, kHeadphones);
    library.AddDevice(OSCONF_FLOW_RECORDING, kMicrophone);
    CAudioSdk sdk;
    ASSERT_TRUE(sdk.Start(testing::PartialSdk()));
    EXPECT_EQ(sdk.Library().MissingExports(),
              (std::vector<std::string>{"ConfLibInit", "PropertyControl", "GetDeviceCount", "ShowAsioPanel"}));
    EXPECT_EQ(log.Count("has no GetDeviceCount"), 1);
    // Without a device count no device is selected, and every property is unavailable.
    EXPECT_FALSE(sdk.Playback().Present());
    EXPECT_FALSE(sdk.Available(prop::kMute));
    EXPECT_EQ(sdk.ReadInt(AudioFlow::Recording, prop::kMute), std::nullopt);
}

} // namespace
} // namespace orvel::audio
