#include "lighting/audio_styles.h"

#include "profiles/jsonfile.h"
#include "tests/profiles/json_text.h"
#include "tests/support/file_text.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace orvel;
using namespace orvel::lighting;
using orvel::testing::FileText;
using orvel::testing::WriteText;

const std::filesystem::path kDefault = orvel::testing::SourceDefaultData() / kAudioFileName;

AudioStyleSettings Shipped()
{
    AudioStyleSettings s;
    s.names = {"第一组", "第二组", "第三组", "第四组"};
    s.levels = {{{9, 0, 0}, {0, 9, 0}, {0, 0, 9}, {9, 9, 9}}};
    return s;
}

std::array<std::int32_t, 10> BlockValues(const AudioStyleSettings& s)
{
    const std::vector<std::uint8_t> bytes = ColourBlockOf(s);
    EXPECT_EQ(bytes.size(), 40u);
    std::array<std::int32_t, 10> v{};
    std::memcpy(v.data(), bytes.data(), std::min(bytes.size(), sizeof v));
    return v;
}

TEST(AudioStyles, TheShippedDefaults)
{
    EXPECT_EQ(ReadAudioStyles(profiles::LoadJsonFile(kDefault)["Device"]), Shipped());
}

TEST(AudioStyles, RecordReadAndWritten)
{
    AudioStyleSettings s = Shipped();
    s.style = 3;
    s.names[1] = "Bass ♪";
    s.levels[3] = {1, 2, 3};
    Json::Value root(Json::objectValue);
    root["Other"] = 5;
    root["AudioLightInfo"]["Stale"] = 1;
    StoreAudioStyles(root, s);
    EXPECT_EQ(ReadAudioStyles(root), s);
    EXPECT_EQ(root["Other"], 5);
    EXPECT_FALSE(root["AudioLightInfo"].isMember("Stale")) << "the record replaces the old object";
    EXPECT_EQ(root["AudioLightInfo"]["nStyleB3"], 3);
    EXPECT_EQ(root["AudioLightInfo"]["nStyleName2"], "Bass ♪");
}

TEST(AudioStyles, BadValuesReadAsDefaultsOrInEightBits)
{
    struct Case {
        const char* json;
        AudioStyleSettings expected;
    };
    AudioStyleSettings wide;
    wide.levels[0] = {44, 255, 0};
    AudioStyleSettings named;
    named.names[0] = "x";
    const Case cases[] = {
        {R"({})", AudioStyleSettings{}},
        {R"({"AudioLightInfo": []})", AudioStyleSettings{}},
        {R"({"AudioLightInfo": {"nAudioStyle": 7}})", AudioStyleSettings{}},
        {R"({"AudioLightInfo": {"nAudioStyle": "2", "nStyleName1": 5}})", AudioStyleSettings{}},
        {R"({"AudioLightInfo": {"nStyleR0": 300, "nStyleG0": -1, "nStyleB0": "9"}})", wide},
        {R"({"AudioLightInfo": {"nStyleName1": "x", "nStyleR1": 1e20}})", named},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAudioStyles(orvel::testing::ParseJson(c.json)), c.expected) << c.json;
    }
}

TEST(AudioStyles, TheColourBlockCarriesTheSelectedStyleWithGreenNeverZero)
{
    AudioStyleSettings s = Shipped();
    EXPECT_EQ(BlockValues(s), (std::array<std::int32_t, 10>{9, 1, 0}));
    s.style = 3;
    EXPECT_EQ(BlockValues(s), (std::array<std::int32_t, 10>{9, 9, 9}));
    s.style = 2;
    EXPECT_EQ(BlockValues(s), (std::array<std::int32_t, 10>{0, 1, 9}));
}

TEST(AudioStyles, TheMusicWindowsEdits)
{
    AudioStyleSettings s = Shipped();
    EXPECT_EQ(s.SetName(2, ""), "第三组");
    EXPECT_EQ(s.names[2], "第三组");
    EXPECT_EQ(s.SetName(0, "Drums"), "Drums");
    s.style = 3;
    s.SetLevel(0, 4);
    s.SetLevel(1, 12);
    s.SetLevel(2, -3);
    EXPECT_EQ(s.levels[3], (std::array<std::uint8_t, 3>{4, 9, 0}));
    EXPECT_EQ(s.levels[0], (std::array<std::uint8_t, 3>{9, 0, 0}));
}

class AudioFileTest : public ::testing::Test {
protected:
    std::filesystem::path User() const { return temp_.path() / "data" / "VARNO Orvel 80" / kAudioFileName; }
    AudioFile File(const std::filesystem::path& defaults = kDefault) const { return AudioFile(User(), defaults); }
    void WriteUser(const std::string& text)
    {
        std::filesystem::create_directories(User().parent_path());
        WriteText(User(), text);
    }
    orvel::testing::TempFolder temp_;
};

TEST_F(AudioFileTest, AMissingOrUnusableUserFileIsReplacedByTheDefaultAndKeptAside)
{
    struct Case {
        const char* name;
        std::optional<std::string> user; // nothing: no user file
        bool keptAside;
    } cases[] = {
        {"missing", std::nullopt, false},
        {"broken", std::string("{\"Device\": {\"AudioLightInfo\""), true},
        {"no Device", std::string(R"({"Other": 1})"), true},
        {"not an object", std::string("[1, 2]"), true},
        {"empty", std::string(""), true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(User().parent_path());
        if (c.user) WriteUser(*c.user);
        AudioFile file = File();
        EXPECT_EQ(file.Load(), Shipped()) << c.name;
        EXPECT_EQ(profiles::LoadJsonFile(User()), profiles::LoadJsonFile(kDefault)) << c.name;
        const std::filesystem::path bad = User().string() + ".bad";
        EXPECT_EQ(std::filesystem::exists(bad), c.keptAside) << c.name;
        if (c.keptAside) {
            EXPECT_EQ(FileText(bad), *c.user) << c.name;
        }
    }
}

TEST_F(AudioFileTest, AUsableUserFileIsTakenAsItIs)
{
    const std::string text = R"({"Device": {"AudioLightInfo": {"nAudioStyle": 2, "nStyleName3": "mine"}, "Keep": true}})";
    WriteUser(text);
    AudioFile file = File();
    AudioStyleSettings expected;
    expected.style = 2;
    expected.names[2] = "mine";
    EXPECT_EQ(file.Load(), expected);
    EXPECT_EQ(FileText(User()), text);
    EXPECT_TRUE(file.Root()["Keep"].asBool());
}

TEST_F(AudioFileTest, WithoutAnyFileTheSettingsAreDefaultsAndNothingIsWritten)
{
    AudioFile file = File(temp_.path() / "none.json");
    EXPECT_EQ(file.Load(), AudioStyleSettings{});
    EXPECT_FALSE(std::filesystem::exists(User()));
}

TEST_F(AudioFileTest, SavingKeepsTheFilesOtherMembers)
{
    WriteUser(R"({"Device": {"AudioLightInfo": {}, "Keep": 1}, "Top": "kept"})");
    AudioFile file = File();
    AudioStyleSettings s = file.Load();
    s.style = 1;
    s.SetName(1, "Synth");
    ASSERT_TRUE(file.Save(s));
    const Json::Value written = profiles::LoadJsonFile(User());
    EXPECT_EQ(written["Top"], "kept");
    EXPECT_EQ(written["Device"]["Keep"], 1);
    EXPECT_EQ(ReadAudioStyles(written["Device"]), s);
    EXPECT_EQ(file.Settings(), s);
}

TEST_F(AudioFileTest, SavingOverAFileBrokenSinceStartKeepsItAside)
{
    AudioFile file = File();
    AudioStyleSettings s = file.Load();
    WriteUser("{broken");
    s.style = 2;
    ASSERT_TRUE(file.Save(s));
    EXPECT_EQ(FileText(User().string() + ".bad"), "{broken");
    EXPECT_EQ(ReadAudioStyles(profiles::LoadJsonFile(User())["Device"]).style, 2);
}

TEST_F(AudioFileTest, ResetWritesTheDefaultOverTheUserFile)
{
    AudioFile file = File();
    AudioStyleSettings s = file.Load();
    s.style = 3;
    s.SetName(0, "Mine");
    ASSERT_TRUE(file.Save(s));
    EXPECT_EQ(file.Reset(), Shipped());
    EXPECT_EQ(file.Settings(), Shipped());
    EXPECT_EQ(profiles::LoadJsonFile(User()), profiles::LoadJsonFile(kDefault));

    ASSERT_TRUE(file.Save(s));
    AudioFile noDefault = File(temp_.path() / "none.json");
    noDefault.Load();
    EXPECT_EQ(noDefault.Reset(), s) << "nothing to reset to: the user's styles stay";
    EXPECT_EQ(ReadAudioStyles(profiles::LoadJsonFile(User())["Device"]), s);
}

} // namespace
