// "orvelctl audio" and "set HD mic|monitor|eq" with an emulated headset on a private vhid
// folder and a private sound server, on the profile files the window uses.

#include "audio/headset_audio.h"
#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"
#include "sim/devices/clock.h"
#include "sim/serve/served_device.h"
#include "tests/orvelctl/run_capture.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <sstream>

namespace orvel::ctl {
namespace {

using orvel::testing::CtlResult;
using orvel::testing::PrivatePulseServer;

Json::Value Parsed(const std::string& text)
{
    Json::Value value;
    std::istringstream in(text);
    Json::CharReaderBuilder builder;
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << errors << text;
    return value;
}

class OrvelctlAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.setEnv("ORVEL_VHID_DIR", (temp.path() / "vhid").string());
        temp.setEnv("XDG_DATA_HOME", (temp.path() / "data").string());
        temp.setEnv("XDG_RUNTIME_DIR", temp.path().string());
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        ASSERT_TRUE(headset.Plug(sim::Path::Cable));
    }

    CtlResult Ctl(const std::vector<std::string>& words) { return orvel::testing::RunCtl(words, env); }
    Json::Value Audio()
    {
        const CtlResult result = Ctl({"audio", "HD", "--json"});
        EXPECT_EQ(result.code, kExitOk) << result.err;
        return Parsed(result.out);
    }
    // The headset core on the selected profile, as the window loads it.
    std::unique_ptr<devices::CHeadsetCore> SelectedProfile()
    {
        profiles::DeviceProfileList list;
        list.SetDeviceKind(7);
        list.SetPaths(profiles::ProfileFolder("HD"), profiles::DefaultProfilePath("HD"));
        EXPECT_TRUE(list.InitProfiles().ok());
        auto core = std::make_unique<devices::CHeadsetCore>(
            link, devices::DeviceFolders{profiles::ProfileFolder("HD"), profiles::DefaultDataFolder(), "HD"});
        core->SetProfileIdentifier(list.GetSelectedIdentifier());
        EXPECT_EQ(core->LoadProfile(), 1);
        return core;
    }
    std::string Microphone(const std::string& what)
    {
        return server.Pactl("get-source-" + what + " " + PrivatePulseServer::kMicrophone);
    }

    orvel::testing::TempFolder temp;
    PrivatePulseServer server{temp};
    sim::SteadyClock clock;
    sim::ServedDevice headset{sim::DeviceKind::Headset, temp.path() / "vhid", clock};
    Environment env{nullptr, [] { return false; }};
    CDeviceLink link;
};

TEST_F(OrvelctlAudio, ShowsWhatTheLibraryReportsAndWhatItLacks)
{
    const Json::Value audio = Audio();
    EXPECT_EQ(audio["microphone"]["level"].asInt(), 100);
    EXPECT_FALSE(audio["microphone"]["muted"].asBool());
    EXPECT_TRUE(audio["monitor"]["level"].isNull());
    EXPECT_EQ(audio["equaliser"]["eqType"].asInt(), 5);
    EXPECT_FALSE(audio["equaliser"]["applied"].asBool());
    EXPECT_TRUE(audio["voiceEffects"].isNull());
    std::vector<std::string> unavailable;
    for (const Json::Value& name : audio["unavailable"])
        unavailable.push_back(name.asString());
    for (const char* name : {"Enable_EQ_GFX", "AAMuteControl", "Enable_MAGICVOICE", "VirtualSurroundEffectControl"})
        EXPECT_NE(std::find(unavailable.begin(), unavailable.end(), name), unavailable.end()) << name;
    EXPECT_EQ(std::find(unavailable.begin(), unavailable.end(), "MuteControl"), unavailable.end());

    const CtlResult text = Ctl({"audio", "HD"});
    EXPECT_NE(text.out.find("microphone:       100 %, on"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("monitor:          unavailable"), std::string::npos) << text.out;
}

TEST_F(OrvelctlAudio, SetsTheMicrophoneOnTheSoundServerAndStoresIt)
{
    const CtlResult level = Ctl({"set", "HD", "mic", "50"});
    EXPECT_EQ(level.code, kExitOk) << level.err;
    EXPECT_NE(Microphone("volume").find(" 50% "), std::string::npos);
    const CtlResult mute = Ctl({"set", "HD", "mic", "mute", "on"});
    EXPECT_EQ(mute.code, kExitOk) << mute.err;
    EXPECT_EQ(Microphone("mute"), "Mute: yes\n");

    const profiles::HeadsetSettings stored = SelectedProfile()->AudioSettings();
    EXPECT_EQ(stored.micInValue, 50);
    EXPECT_EQ(stored.micInSelect, 0);

    // A change made elsewhere shows at the next look.
    server.Pactl(std::string("set-source-mute ") + PrivatePulseServer::kMicrophone + " 0");
    const Json::Value audio = Audio();
    EXPECT_EQ(audio["microphone"]["level"].asInt(), 50);
    EXPECT_FALSE(audio["microphone"]["muted"].asBool());
}

TEST_F(OrvelctlAudio, EqualiserPresetsAndCustomEqualisersByName)
{
    EXPECT_EQ(Ctl({"set", "HD", "eq", "3"}).code, kExitOk);
    Json::Value audio = Audio();
    EXPECT_EQ(audio["equaliser"]["eqType"].asInt(), 3);
    EXPECT_EQ(audio["equaliser"]["bands"][0].asInt(), 10);

    const CtlResult none = Ctl({"set", "HD", "eq", "custom", "Bass"});
    EXPECT_EQ(none.code, kExitFailed);
    EXPECT_NE(none.err.find("no custom equaliser named 'Bass' (the profile has none)"), std::string::npos);

    // A custom equaliser saved on the page, on the same profile.
    {
        auto core = SelectedProfile();
        audio::CAudioSdk sdk;
        sdk.Start();
        audio::CHeadsetAudioCore page(*core, sdk);
        page.Show();
        page.ChangeBand(0, -6);
        ASSERT_EQ(page.SaveCustom(L"Bass").outcome, audio::AudioChange::Outcome::Done);
        page.SelectPreset(2);
    }
    const CtlResult custom = Ctl({"set", "HD", "eq", "custom", "BASS"});
    EXPECT_EQ(custom.code, kExitOk) << custom.err;
    audio = Audio();
    EXPECT_EQ(audio["equaliser"]["eqType"].asInt(), 13);
    EXPECT_EQ(audio["equaliser"]["custom"].asString(), "Bass");
    EXPECT_EQ(audio["equaliser"]["bands"][0].asInt(), -6);
}

TEST_F(OrvelctlAudio, RefusalsSayWhyAndChangeNothing)
{
    struct Case {
        std::vector<std::string> words;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"set", "HD", "monitor", "30"}, kExitFailed, "no monitor (sidetone) control"},
        {{"set", "HD", "mic", "101"}, kExitUsage, "level from 0 to 100"},
        {{"set", "HD", "mic", "mute", "maybe"}, kExitUsage, "mute on|off"},
        {{"set", "HD", "eq", "13"}, kExitUsage, "preset from 1 to 12"},
        {{"set", "mouse", "mic", "10"}, kExitUsage, "belong to the headset"},
        {{"audio", "keyboard"}, kExitUsage, "belong to the headset"},
    };
    for (const Case& c : cases) {
        const CtlResult result = Ctl(c.words);
        EXPECT_EQ(result.code, c.code) << c.words[2];
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    EXPECT_NE(Microphone("volume").find(" 100% "), std::string::npos);
    headset.Unplug(sim::Path::Cable);
    const CtlResult gone = Ctl({"audio", "HD"});
    EXPECT_EQ(gone.code, kExitFailed);
    EXPECT_NE(gone.err.find("HD: not connected"), std::string::npos);
}

} // namespace
} // namespace orvel::ctl
