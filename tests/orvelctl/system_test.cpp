// The orvelctl program against orvel-devsim serving every emulated device on a private vhid
// folder, with private data and runtime folders.

#include "sim/devices/command_frame.h"
#include "sim/devices/describe.h"
#include "tests/profiles/json_text.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <map>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace orvel::ctl {
namespace {

using testing::ProgramBeside;
using testing::ProgramResult;
using testing::Spawn;

class OrvelctlSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::permissions(temp_.path(), std::filesystem::perms::owner_all);
        vhid_ = temp_.path() / "vhid";
        temp_.setEnv("ORVEL_VHID_DIR", vhid_.string());
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        temp_.setEnv("XDG_DATA_HOME", (temp_.path() / "data").string());
        temp_.setEnv("XDG_CONFIG_HOME", (temp_.path() / "config").string());
        server_ = Spawn({ProgramBeside("orvel-devsim").string(), "serve", "--all", "--folder", vhid_.string(),
                         "--latency-cable", "0", "--latency-receiver", "0"},
                        temp_.path() / "devsim.out", temp_.path() / "devsim.err");
        ASSERT_GT(server_, 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Devsim({"list"}).code != 0) {
            ASSERT_LT(std::chrono::steady_clock::now(), until) << testing::FileText(temp_.path() / "devsim.err");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void TearDown() override
    {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            int status = 0;
            ::waitpid(server_, &status, 0);
        }
    }

    ProgramResult Run(const std::string& program, std::vector<std::string> words)
    {
        words.insert(words.begin(), ProgramBeside(program).string());
        return testing::RunProgram(words, temp_.path());
    }
    ProgramResult Ctl(const std::vector<std::string>& words) { return Run("orvelctl", words); }
    ProgramResult Devsim(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"ctl", "--folder", vhid_.string()});
        return Run("orvel-devsim", words);
    }

    // The devices of "list --json" by their DEVICE name.
    std::map<std::string, Json::Value> Listed()
    {
        const ProgramResult result = Ctl({"list", "--json"});
        EXPECT_EQ(result.code, 0) << result.err;
        const Json::Value document = testing::ParseJson(result.out);
        std::map<std::string, Json::Value> devices;
        for (const Json::Value& device : document["devices"])
            devices[device["device"].asString()] = device;
        return devices;
    }

    testing::TempFolder temp_;
    std::filesystem::path vhid_;
    pid_t server_ = -1;
};

TEST_F(OrvelctlSystem, ListShowsEveryServedDeviceWithLinkAndBattery)
{
    ASSERT_EQ(Devsim({"battery", "mouse", "57"}).code, 0);
    ASSERT_EQ(Devsim({"unplug", "keyboard", "cable"}).code, 0);
    auto devices = Listed();
    ASSERT_EQ(devices.size(), 4u);
    const Json::Value& mouse = devices["mouse"];
    EXPECT_EQ(mouse["vendorProduct"].asString(), "320f:221c");
    EXPECT_EQ(mouse["link"].asString(), "cable");
    EXPECT_TRUE(mouse["receiverPresent"].asBool());
    EXPECT_TRUE(mouse["reachable"].asBool());
    EXPECT_EQ(mouse["battery"]["percent"].asInt(), 57);
    EXPECT_EQ(mouse["battery"]["state"].asString(), "charging");
    const Json::Value& keyboard = devices["keyboard"];
    EXPECT_EQ(keyboard["vendorProduct"].asString(), "320f:5088");
    EXPECT_EQ(keyboard["link"].asString(), "receiver");
    EXPECT_TRUE(keyboard["reachable"].asBool());
    EXPECT_EQ(keyboard["battery"]["state"].asString(), "on battery");
    EXPECT_EQ(devices["MousePad"]["battery"]["state"].asString(), "powered");
    EXPECT_EQ(devices["MousePad"]["battery"]["phone"].asString(), "none");
    EXPECT_EQ(devices["HD"]["vendorProduct"].asString(), "0c76:1630");

    // A sleeping keyboard is listed, but does not answer through its receiver.
    ASSERT_EQ(Devsim({"sleep", "keyboard"}).code, 0);
    devices = Listed();
    EXPECT_FALSE(devices["keyboard"]["reachable"].asBool());
    EXPECT_TRUE(devices["keyboard"]["battery"].isNull());

    const ProgramResult table = Ctl({"list"});
    EXPECT_EQ(table.code, 0);
    EXPECT_NE(table.out.find("DEVICE"), std::string::npos);
    EXPECT_NE(table.out.find("not reachable"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("57% charging"), std::string::npos) << table.out;
}

TEST_F(OrvelctlSystem, StatusNamesTheDeviceAndTheLinkStatusOnFailure)
{
    ASSERT_EQ(Devsim({"phone", "mousepad", "2"}).code, 0);
    const ProgramResult pad = Ctl({"status", "pad", "--json"});
    ASSERT_EQ(pad.code, 0) << pad.err;
    const Json::Value document = testing::ParseJson(pad.out);
    EXPECT_EQ(document["device"].asString(), "MousePad");
    EXPECT_EQ(document["battery"]["phone"].asString(), "Samsung");

    struct Case {
        std::vector<std::string> setup;
        std::vector<std::string> command;
        const char* says;
    };
    const Case cases[] = {
        {{"fault", "mousepad", "ff", "command", "1A"}, {"status", "MousePad"}, "MousePad: power status: refused by the device"},
        {{"unplug", "mouse", "cable"}, {"status", "mouse"}, ""},
        {{"sleep", "mouse"}, {"status", "mouse"}, "mouse: not reachable"},
        {{"unplug", "mouse", "both"}, {"status", "mouse"}, "mouse: not connected"},
        {{"list"}, {"status", "mouse:2"}, "mouse:2: not connected"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Devsim(c.setup).code, 0) << c.setup[0];
        const ProgramResult result = Ctl(c.command);
        if (*c.says == '\0') {
            EXPECT_EQ(result.code, 0) << result.err;
            EXPECT_NE(result.out.find("through its receiver"), std::string::npos) << result.out;
        } else {
            EXPECT_EQ(result.code, 1) << c.says;
            EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        }
    }
}

TEST_F(OrvelctlSystem, InfoDecodesTheInformationRecord)
{
    const ProgramResult mouse = Ctl({"info", "mouse", "--json"});
    ASSERT_EQ(mouse.code, 0) << mouse.err;
    const Json::Value document = testing::ParseJson(mouse.out);
    EXPECT_EQ(document["keys"].asInt(), 11);
    EXPECT_EQ(document["sensor"].asString(), "3325");
    EXPECT_EQ(document["dpiLowest"].asInt(), 100);
    EXPECT_EQ(document["dpiHighest"].asInt(), 20900); // the sliders reach level 128
    EXPECT_EQ(document["firmware"].asString(), "1.05");

    const ProgramResult keyboard = Ctl({"info", "keyboard"});
    EXPECT_EQ(keyboard.code, 0);
    EXPECT_NE(keyboard.out.find("104 keys, 170 LEDs"), std::string::npos) << keyboard.out;
    const ProgramResult headset = Ctl({"info", "HD"});
    EXPECT_EQ(headset.code, 1);
    EXPECT_NE(headset.err.find("HD: the headset has no information record"), std::string::npos);
}

TEST_F(OrvelctlSystem, SettingsReachTheDeviceAndTheSelectedProfile)
{
    struct Case {
        std::vector<std::string> command;
        std::vector<std::string> show;
        const char* deviceShows;
    };
    const Case cases[] = {
        {{"set", "mouse", "dpi", "2", "1000"}, {"show", "mouse", "settings"}, "X level 9 (1000 DPI)"},
        {{"set", "mouse", "dpi-stage", "3"}, {"show", "mouse", "settings"}, "current DPI stage 2"},
        {{"set", "mouse", "polling", "1"}, {"show", "mouse", "settings"}, "polling-rate index 1"},
        {{"set", "keyboard", "option", "winlock", "on"}, {"show", "keyboard", "settings"}, "Win lock 1"},
        {{"set", "keyboard", "polling", "2"}, {"show", "keyboard", "settings"}, "polling-rate index 2"},
        {{"set", "mouse", "light", "2", "--brightness", "1", "--colour", "00ff80"},
         {"show", "mouse", "settings"},
         "light: mode code 2, brightness 1, speed 2 (stored 2), direction 1, seven colours 0, colour 00FF80"},
        {{"set", "keyboard", "light", "3", "--brightness", "2", "--colour", "112233"},
         {"show", "keyboard", "settings"},
         "light: mode code 3, brightness 2, speed 2 (stored 2), direction 0, seven colours 0, colour 112233"},
        {{"set", "pad", "light", "3", "--speed", "4", "--seven-colour"},
         {"show", "mousepad", "settings"},
         "seven colours 1"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = Ctl(c.command);
        EXPECT_EQ(result.code, 0) << result.err;
        const ProgramResult shown = Devsim(c.show);
        EXPECT_NE(shown.out.find(c.deviceShows), std::string::npos)
            << c.deviceShows << "\n" << shown.out;
    }
    // The profile holds what was written: a read of the device agrees with it.
    const ProgramResult read = Ctl({"read", "mouse", "--json"});
    ASSERT_EQ(read.code, 0) << read.err;
    const Json::Value document = testing::ParseJson(read.out);
    EXPECT_EQ(document["dpiStages"][1]["dpi"].asInt(), 1000);
    EXPECT_EQ(document["dpiStage"].asInt(), 3);
    EXPECT_EQ(document["light"]["colour"].asString(), "00FF80");

    const ProgramResult noMode = Ctl({"set", "mouse", "light", "99"});
    EXPECT_EQ(noMode.code, 1);
    EXPECT_NE(noMode.err.find("light mode 99 does not exist"), std::string::npos) << noMode.err;
}

TEST_F(OrvelctlSystem, SelectRunsTheProfileSwitchAndReadFollowsTheDevice)
{
    ASSERT_EQ(Ctl({"set", "mouse", "dpi", "1", "2000"}).code, 0);
    ASSERT_EQ(Ctl({"profile", "add", "mouse"}).code, 0);
    const ProgramResult select = Ctl({"profile", "select", "mouse", "profile2"});
    EXPECT_EQ(select.code, 0) << select.err;
    EXPECT_NE(select.out.find("'profile2' written"), std::string::npos);
    // profile2 comes from the default profile: stage 1 is back at 400 DPI on the device.
    EXPECT_NE(Devsim({"show", "mouse", "settings"}).out.find("stage 0: on, separate X/Y 0, X level 3 (400 DPI)"),
              std::string::npos);
    const ProgramResult listed = Ctl({"profile", "list", "mouse"});
    EXPECT_EQ(listed.out, "  1  profile1\n* 2  profile2\n");

    // The on-board DPI key moves the current stage; read takes it into the profile.
    ASSERT_EQ(Devsim({"press", "mouse", "dpi"}).code, 0);
    const ProgramResult read = Ctl({"read", "mouse", "--json"});
    ASSERT_EQ(read.code, 0) << read.err;
    const Json::Value document = testing::ParseJson(read.out);
    EXPECT_EQ(document["profile"].asString(), "profile2");
    const int stage = document["dpiStage"].asInt();
    EXPECT_NE(Devsim({"show", "mouse", "settings"}).out.find("current DPI stage " + std::to_string(stage - 1)),
              std::string::npos);

    const ProgramResult refused = Ctl({"profile", "select", "mouse", "nosuch"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("no profile named 'nosuch'"), std::string::npos);
}

TEST_F(OrvelctlSystem, KeysReachTheDeviceAndTheSelectedProfile)
{
    const auto macroFile = temp_.path() / "tap.mac";
    testing::WriteText(macroFile, R"({"Events": [{"Action": "down", "Type": 1, "Button": 4, "Delay": "30"},
                                                    {"Action": "up", "Type": 1, "Button": 4, "Delay": "10"}]})");
    ASSERT_EQ(Ctl({"macro", "import", "mouse", macroFile.string()}).code, 0);

    struct Case {
        std::vector<std::string> command;
        int code;
        const char* says; // on the error stream when refused
        std::vector<std::string> show;
        const char* deviceShows;
    };
    const Case cases[] = {
        {{"set", "keyboard", "key", "22", "a"}, 0, "", {"show", "keyboard", "keys"},
         "* key 17 (position 22, LED 22): 20 00 04   factory 20 00 1E"},
        {{"set", "mouse", "key", "3", "F5"}, 0, "", {"show", "mouse", "keys"}, "* key 3: 20 00 3E   factory 10 10 00"},
        // The mouse keeps its only left button; nothing is written.
        {{"set", "mouse", "key", "0", "A"}, 1, "mouse: key 0 is the only button with the left click",
         {"show", "mouse", "keys"}, "  key 0: 10 01 00   factory 10 01 00"},
        {{"set", "keyboard", "key", "18", "A"}, 1, "keyboard: key 18 is not on this device", {"show", "keyboard", "keys"},
         "1 not at their factory code"},
        {{"set", "mouse", "key", "2", "700100"}, 1, "there is no macro 2", {"show", "mouse", "macros"}, "0 macros"},
        // A key on a macro takes the macro image to the device before the key table.
        {{"set", "mouse", "key", "2", "0x700000"}, 0, "", {"show", "mouse", "macros"}, "1 macros"},
        {{"set", "mouse", "key", "1", "100100"}, 0, "", {"show", "mouse", "keys"}, "* key 2: 70 00 00   factory 10 04 00"},
        {{"set", "mouse", "key", "0", "lctrl"}, 0, "", {"show", "mouse", "keys"}, "* key 0: 20 01 00   factory 10 01 00"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = Ctl(c.command);
        EXPECT_EQ(result.code, c.code) << c.command[3] << ": " << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        const ProgramResult shown = Devsim(c.show);
        EXPECT_NE(shown.out.find(c.deviceShows), std::string::npos) << c.deviceShows << "\n" << shown.out;
    }

    // The selected profiles hold the same assignments.
    const std::map<std::string, std::map<int, unsigned>> expected = {
        {"mouse", {{0, 0x200100}, {1, 0x100100}, {2, 0x700000}, {3, 0x20003E}}},
        {"keyboard", {{18, 0x200000}, {22, 0x200004}}},
    };
    for (const auto& [device, keys] : expected) {
        const auto file = temp_.path() / (device + ".json");
        ASSERT_EQ(Ctl({"profile", "export", device, file.string()}).code, 0) << device;
        const Json::Value document = testing::ParseJson(testing::FileText(file));
        const Json::Value& list = document["Device"][0]["KeyList"];
        for (const auto& [position, code] : keys)
            EXPECT_EQ(list[position]["Assignment"].asUInt(), code) << device << " key " << position;
    }
}

// Every set command of every kind, each the first command on a fresh data folder, is kept in
// the selected profile: the document read back holds the change.
TEST_F(OrvelctlSystem, EverySetCommandOnAFreshDataFolderIsKeptInTheProfile)
{
    struct Case {
        std::vector<std::string> command;
        const char* kindFile;
        std::function<Json::Value(const Json::Value& entry)> stored;
        Json::Value expected;
    };
    const auto light = [](const char* key) {
        return [key](const Json::Value& entry) { return entry["LightInfo"][key]; };
    };
    const auto key = [](int position) {
        return [position](const Json::Value& entry) { return entry["KeyList"][position]["Assignment"]; };
    };
    const auto system = [](const char* name) {
        return [name](const Json::Value& entry) { return entry["SystemStages"][name]; };
    };
    const Case cases[] = {
        {{"set", "mouse", "dpi", "2", "1000"}, "mouse",
         [](const Json::Value& e) { return e["DPIStages"]["StageDPIs"][1]["StageDPIX"]; }, 9},
        {{"set", "mouse", "dpi-stage", "3"}, "mouse", [](const Json::Value& e) { return e["DPIStages"]["StageActive"]; }, 2},
        {{"set", "mouse", "polling", "1"}, "mouse", [](const Json::Value& e) { return e["ReportStages"]["StageActive"]; }, 1},
        {{"set", "mouse", "light", "2", "--brightness", "1"}, "mouse", light("Light"), 1},
        {{"set", "mouse", "key", "3", "F5"}, "mouse", key(3), 0x20003E},
        {{"set", "keyboard", "key", "22", "a"}, "keyboard", key(22), 0x200004},
        {{"set", "keyboard", "polling", "2"}, "keyboard", system("PollingRate"), 2},
        {{"set", "keyboard", "option", "winlock", "on"}, "keyboard", system("WinFlag"), 1},
        {{"set", "keyboard", "option", "wflag", "on"}, "keyboard", system("WFlag"), 1},
        {{"set", "keyboard", "option", "6key", "on"}, "keyboard", system("Key6Flag"), 1},
        {{"set", "keyboard", "light", "3", "--colour", "112233"}, "keyboard", light("Blue"), 0x33},
        {{"set", "MousePad", "light", "3", "--speed", "4"}, "MousePad", light("Speed"), 4},
        {{"set", "HD", "light", "2"}, "HD", light("SelectItem"), 2},
        {{"set", "HD", "light", "6", "--colour", "0a0b0c"}, "HD", light("Green"), 0x0B},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command[1] + " " + c.command[2]);
        std::filesystem::remove_all(temp_.path() / "data");
        const ProgramResult result = Ctl(c.command);
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_NE(result.out.find("stored and written"), std::string::npos) << result.out;
        const auto file = temp_.path() / "export.json";
        ASSERT_EQ(Ctl({"profile", "export", c.command[1], file.string()}).code, 0);
        const Json::Value entry = testing::ParseJson(testing::FileText(file))["Device"][0];
        EXPECT_EQ(c.stored(entry), c.expected) << c.kindFile << ": " << entry.toStyledString();
    }
}

// The mouse pad and the headset as a new user drives them, byte for byte: every command that
// reaches them, the frames their emulators received, their memory and the profile afterwards.
class RingSystem : public OrvelctlSystem {
protected:
    // The frames the emulator received since the last call, one line each.
    std::vector<std::string> Received(const char* kind)
    {
        const ProgramResult result = Devsim({"frames", kind});
        EXPECT_EQ(result.code, 0) << result.err;
        std::vector<std::string> lines;
        std::istringstream in(result.out);
        std::string line;
        std::getline(in, line); // "N frames received"
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }

    // The lines of frames the program sends on a link of 24 bytes a frame, each answered 00.
    static std::vector<std::string> Lines(const std::vector<sim::Frame>& frames)
    {
        std::vector<std::string> lines;
        for (const sim::Frame& frame : frames)
            lines.push_back(sim::ReceivedFrameText({sim::Path::Cable, frame, sim::kStatusOk}));
        return lines;
    }

    // The selected profile's lighting, as its document holds it.
    Json::Value ProfileLight(const char* device)
    {
        const auto file = temp_.path() / "export.json";
        EXPECT_EQ(Ctl({"profile", "export", device, file.string()}).code, 0);
        return testing::ParseJson(testing::FileText(file))["Device"][0]["LightInfo"];
    }

    // The raw bytes of profile 0's block as the emulator shows them.
    std::string RawBlock(const char* kind)
    {
        const std::string shown = Devsim({"show", kind, "settings"}).out;
        const std::size_t at = shown.find("raw: ");
        return at == std::string::npos ? "" : shown.substr(at + 5, shown.find('\n', at) - at - 5);
    }
};

using sim::MakeRequest;
namespace cmd = sim::cmd;

const std::vector<sim::Frame> kBlockRead = {MakeRequest(cmd::kReadBlock, 1, 0), MakeRequest(cmd::kReadBlock, 24, 0),
                                            MakeRequest(cmd::kReadBlock, 7, 24)};
const std::vector<sim::Frame> kPadInfoRead = {MakeRequest(cmd::kBeginConfig), MakeRequest(cmd::kReadDeviceInfo, 24, 0),
                                              MakeRequest(cmd::kReadDeviceInfo, 10, 24), MakeRequest(cmd::kEndConfig)};

std::vector<sim::Frame> Join(std::initializer_list<std::vector<sim::Frame>> parts)
{
    std::vector<sim::Frame> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Bank 0's block as the emulators start it, with the lighting bytes 1..3 and 5..8 given: byte 4
// and bytes 9..20 are the device's own (0x50 and 0xA0..0xAB).
std::vector<std::uint8_t> Block(std::uint8_t code, std::uint8_t brightness, std::uint8_t storedSpeed,
                                std::uint8_t sevenColour, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::vector<std::uint8_t> block{0, code, brightness, storedSpeed, 0x50, sevenColour, r, g, b};
    for (std::uint8_t n = 0; n < 12; ++n)
        block.push_back(static_cast<std::uint8_t>(0xA0 + n));
    return block;
}

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char part[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(part, sizeof part, "%02X", byte);
        text += (text.empty() ? "" : " ") + std::string(part);
    }
    return text;
}

std::vector<sim::Frame> Write(const std::vector<std::uint8_t>& block)
{
    return {MakeRequest(cmd::kBeginConfig), MakeRequest(cmd::kWriteBlock, 21, 0, block), MakeRequest(cmd::kEndConfig)};
}

TEST_F(RingSystem, EveryCommandOnThePadAndTheHeadsetByteForByte)
{
    struct Kind {
        const char* device;
        const char* emulator;
        std::vector<sim::Frame> attach; // what every device command reads first
        std::vector<sim::Frame> info;   // orvelctl info
    };
    const Kind kinds[] = {
        {"MousePad", "mousepad", Join({kPadInfoRead, kBlockRead}),
         {MakeRequest(cmd::kReadDeviceInfo, 24, 0), MakeRequest(cmd::kReadDeviceInfo, 10, 24)}},
        {"HD", "headset", kBlockRead, {}},
    };
    // The emulators' own block: blink (code 4), brightness 3, speed 3 (stored 1), colour 2080C0.
    const std::string factory = Hex(Block(4, 3, 1, 0, 0x20, 0x80, 0xC0));
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.device);
        Received(k.emulator);

        ASSERT_EQ(Ctl({"list"}).code, 0);
        EXPECT_EQ(Received(k.emulator), Lines({MakeRequest(cmd::kReadSmall, 6, 0)}));
        ASSERT_EQ(Ctl({"status", k.device}).code, 0);
        EXPECT_EQ(Received(k.emulator), Lines({MakeRequest(cmd::kReadSmall, 6, 0)}));
        Ctl({"info", k.device});
        EXPECT_EQ(Received(k.emulator), Lines(k.info));

        // A read shows the device's block and leaves the default profile as it is.
        const ProgramResult read = Ctl({"read", k.device, "--json"});
        ASSERT_EQ(read.code, 0) << read.err;
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, kBlockRead})));
        const Json::Value shown = testing::ParseJson(read.out)["light"];
        EXPECT_EQ(shown["mode"].asInt(), 4);
        EXPECT_EQ(shown["brightness"].asInt(), 3);
        EXPECT_EQ(shown["speed"].asInt(), 3);
        EXPECT_FALSE(shown["sevenColour"].asBool());
        EXPECT_EQ(shown["colour"].asString(), "2080C0");
        EXPECT_FALSE(shown.isMember("direction")) << "byte 4 is the device's own";
        EXPECT_FALSE(testing::ParseJson(read.out)["storedIntoProfile"].asBool());
        const ProgramResult text = Ctl({"read", k.device});
        EXPECT_NE(text.out.find("profile 'profile1' left as it is"), std::string::npos) << text.out;
        EXPECT_EQ(text.out.find("direction"), std::string::npos) << text.out;
        Received(k.emulator);
        Json::Value light = ProfileLight(k.device);
        EXPECT_EQ(light["SelectItem"].asInt(), 1);
        EXPECT_EQ(light["Speed"].asInt(), 2);
        EXPECT_EQ(light["Red"].asInt(), 255);
        EXPECT_EQ(RawBlock(k.emulator), factory);

        // A lighting change sends the profile's record with the new mode, and the device's own
        // bytes as they were read.
        const ProgramResult set = Ctl({"set", k.device, "light", "2"});
        ASSERT_EQ(set.code, 0) << set.err;
        const std::vector<std::uint8_t> breathing = Block(2, 4, 2, 1, 0xFF, 0, 0);
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, Write(breathing)})));
        EXPECT_EQ(RawBlock(k.emulator), Hex(breathing));
        light = ProfileLight(k.device);
        EXPECT_EQ(light["SelectItem"].asInt(), 2);
        EXPECT_EQ(light["Light"].asInt(), 4);
        EXPECT_EQ(light["Speed"].asInt(), 2);
        EXPECT_TRUE(light["MultiColor"].asBool());
        EXPECT_EQ(light["Red"].asInt(), 255);

        const ProgramResult change = Ctl({"set", k.device, "light", "6", "--brightness", "1", "--speed", "0",
                                          "--colour", "102030"});
        ASSERT_EQ(change.code, 0) << change.err;
        const std::vector<std::uint8_t> comet = Block(6, 1, 4, 0, 0x10, 0x20, 0x30);
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, Write(comet)})));
        EXPECT_EQ(RawBlock(k.emulator), Hex(comet));

        // The profile switch writes the selected profile, a new one the default's record.
        ASSERT_EQ(Ctl({"profile", "add", k.device}).code, 0);
        const ProgramResult select = Ctl({"profile", "select", k.device, "profile2"});
        ASSERT_EQ(select.code, 0) << select.err;
        const std::vector<std::uint8_t> defaults = Block(1, 4, 2, 1, 0xFF, 0, 0);
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, Write(defaults)})));
        ASSERT_EQ(Ctl({"profile", "select", k.device, "profile1"}).code, 0);
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, Write(comet)})));
        ASSERT_EQ(Ctl({"profile", "apply", k.device}).code, 0);
        EXPECT_EQ(Received(k.emulator), Lines(Join({k.attach, Write(comet)})));
        EXPECT_EQ(RawBlock(k.emulator), Hex(comet));
        // Nothing the emulator refused on the way.
        EXPECT_EQ(Devsim({"show", k.emulator, "info"}).out.find("last refusal"), std::string::npos);
    }
}

} // namespace
} // namespace orvel::ctl
