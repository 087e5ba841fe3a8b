#include "profiles/profiledata.h"

#include "profiles/jsonfile.h"
#include "tests/profiles/json_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;
using orvel::testing::FileText;
using orvel::testing::ParseJson;
using orvel::testing::WriteText;

// A profile folder with a default document and a profile list naming "p1" as "Alpha".
struct ProfileFixture : ::testing::Test {
    orvel::testing::TempFolder tmp;
    fs::path defaultDoc = tmp / "default.Json";
    fs::path profile = tmp / "p1.Json";

    void SetUp() override
    {
        ASSERT_TRUE(SaveJsonFile(defaultDoc, ParseJson(R"({"profilename": "factory", "Device": [{
            "LightInfo": {"SelectItem": 3, "Light": 4},
            "DPIStages": {"StageActive": 1, "StageDPIs": [{"StageDPIX": 10}, {"StageDPIX": 20}]}}]})")));
        ASSERT_TRUE(SaveJsonFile(tmp / "ProfileList.ini",
                                 ParseJson(R"({"profilelist": [{"profilename": "Alpha", "profileUUID": "p1"}]})")));
    }

    template <class Data>
    void bind(Data& data)
    {
        data.SetDefaultProfilePath(defaultDoc);
        data.SetProfilePath(profile);
    }
};

TEST_F(ProfileFixture, MissingDeviceIsCopiedFromTheDefaultKeepingNameAndIdentifier)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"profilename": "Alpha", "profileUUID": "p1", "extra": [1]})")));
    CBasicProfiledata data;
    bind(data);
    const Json::Value entry = data.Load(profile);
    EXPECT_EQ(entry["LightInfo"]["SelectItem"].asInt(), 3);
    const Json::Value stored = LoadJsonFile(profile);
    EXPECT_EQ(stored["profilename"].asString(), "Alpha");
    EXPECT_EQ(stored["profileUUID"].asString(), "p1");
    EXPECT_EQ(stored["extra"][0].asInt(), 1);
    EXPECT_EQ(stored["Device"][0], entry);
}

TEST_F(ProfileFixture, MissingDocumentIsCreatedWithTheIdentityTheListGivesIt)
{
    CBasicProfiledata data;
    bind(data);
    EXPECT_EQ(data.Load(profile)["LightInfo"]["SelectItem"].asInt(), 3);
    const Json::Value created = LoadJsonFile(profile);
    EXPECT_EQ(created["profilename"].asString(), "Alpha");
    EXPECT_EQ(created["profileUUID"].asString(), "p1");

    const fs::path unlisted = tmp / "other.Json";
    data.Load(unlisted);
    EXPECT_TRUE(LoadJsonFile(unlisted)["profilename"].isNull());
    EXPECT_TRUE(LoadJsonFile(unlisted)["Device"][0].isObject());
}

// An empty path names no document: nothing is loaded or created (not even a temporary file in
// the current folder), and a save after it goes nowhere, not into the document loaded before.
TEST_F(ProfileFixture, AnEmptyPathLoadsNothingAndSavesNothing)
{
    CBasicProfiledata data;
    bind(data);
    ASSERT_TRUE(data.Load(profile).isObject());
    const std::string before = FileText(profile);

    const fs::path work = tmp / "work";
    fs::create_directories(work);
    const fs::path was = fs::current_path();
    fs::current_path(work);
    data.SetProfilePath({});
    EXPECT_TRUE(data.Load(data.GetProfilePath()).isNull());
    LightRecord record;
    record.selectItem = 7;
    data.SetLightInfo(record);
    EXPECT_FALSE(data.Save());
    fs::current_path(was);

    EXPECT_TRUE(fs::is_empty(work));
    EXPECT_EQ(FileText(profile), before);
}

TEST_F(ProfileFixture, UnreadableDocumentIsMovedAsideAndRebuiltNotOverwritten)
{
    const char* contents[] = {"{\"profilename\": ", "[1, 2]", "5", ""};
    for (const char* content : contents) {
        WriteText(profile, content);
        fs::remove(tmp / "p1.Json.bad");
        CBasicProfiledata data;
        bind(data);
        EXPECT_EQ(data.Load(profile)["LightInfo"]["Light"].asInt(), 4) << content;
        EXPECT_EQ(FileText(tmp / "p1.Json.bad"), content) << "the user's bytes are kept";
        const Json::Value rebuilt = LoadJsonFile(profile);
        EXPECT_EQ(rebuilt["profilename"].asString(), "Alpha") << content;
        EXPECT_EQ(rebuilt["profileUUID"].asString(), "p1") << content;
        EXPECT_TRUE(rebuilt["Device"][0].isObject()) << content;
    }
}

TEST_F(ProfileFixture, SaveKeepsTheOtherKeysAndNeverWritesOverABrokenFile)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"profilename": "Alpha", "profileUUID": "p1", "extra": 2})")));
    CBasicProfiledata data;
    bind(data);
    data.Load(profile);
    LightRecord r = data.GetLightInfo();
    r.red = 200;
    data.SetLightInfo(r);
    ASSERT_TRUE(data.Save());
    Json::Value stored = LoadJsonFile(profile);
    EXPECT_EQ(stored["extra"].asInt(), 2);
    EXPECT_EQ(stored["Device"][0]["LightInfo"]["Red"].asInt(), 200);

    WriteText(profile, "{ hand-edited, broken");
    ASSERT_TRUE(data.Save());
    EXPECT_EQ(FileText(tmp / "p1.Json.bad"), "{ hand-edited, broken");
    stored = LoadJsonFile(profile);
    EXPECT_EQ(stored["profilename"].asString(), "Alpha");
    EXPECT_EQ(stored["Device"][0]["LightInfo"]["Red"].asInt(), 200);

    EXPECT_FALSE(data.SaveEntryTo(data.DeviceEntry(), tmp / "no-such-folder" / "x.Json"));
}

TEST_F(ProfileFixture, LightInfoReadsBytesFlagsAndCutsWideValues)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"Device": [{"LightInfo": {"SelectItem": 5, "Light": 260,
        "Speed": "2", "Fx": 1, "MultiColor": 2, "Red": -1, "Green": 7, "Blue": 8, "ZZCCLedMode": 1,
        "CustomGroup": 2, "OldLedmode": 9}}]})")));
    CBasicProfiledata data;
    bind(data);
    data.Load(profile);
    const LightRecord r = data.GetLightInfo();
    const std::array<uint8_t, 14> expected {5, 4, 0, 1, 1, 255, 7, 8, 0, 0, 0, 1, 2, 9};
    EXPECT_EQ(r.ToBytes(), expected) << "260 is cut to 4, a string speed reads 0, MultiColor 2 reads 1";
}

// Every group wrongly typed: the getters give their neutral results and nothing throws.
TEST_F(ProfileFixture, WronglyTypedGroupsReadAsMissing)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"Device": [{"LightInfo": [1], "AudioLightInfo": "x",
        "LightList": {"a": 1}, "KeyList": 5, "DPIStages": "fast", "SystemStages": [], "CorrectInfo": {},
        "CustomLightMode": 3, "SystemSetStages": "on", "EQHzValueInfo": {"1": 2},
        "CustomEQNameInfo": 1}]})")));
    CMouseProfiledata mouse;
    bind(mouse);
    mouse.Load(profile);
    EXPECT_EQ(mouse.GetLightInfo(), LightRecord());
    EXPECT_EQ(mouse.GetAudioLightInfo(), AudioLightRecord());
    EXPECT_TRUE(mouse.GetLightList().empty());
    EXPECT_TRUE(mouse.GetKeyList().empty());
    EXPECT_TRUE(mouse.GetDpiStages().empty());
    EXPECT_EQ(mouse.GetMouseSystem(), (std::array<uint32_t, 3> {}));
    EXPECT_TRUE(mouse.GetCorrectInfo().empty());

    CKeyboardProfiledata keyboard;
    bind(keyboard);
    keyboard.Load(profile);
    EXPECT_EQ(keyboard.GetKeyboardSystem(), (std::array<uint32_t, 3> {}));
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 0);

    CHs6533Profiledata headset;
    bind(headset);
    headset.Load(profile);
    EXPECT_EQ(headset.GetHeadsetSettings(), HeadsetSettings());
    EXPECT_EQ(headset.GetEqPreset(1), std::vector<int>(10, 0));
    EXPECT_TRUE(headset.GetCustomEqNames().empty());
}

TEST_F(ProfileFixture, LightListElementsAndPresentFlag)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"Device": [{"LightList": [null,
        {"LEDREGMode": 2, "LEDBrightness": 3, "LEDSpeed": 4, "LEDDirection": 5, "LEDMultiColor": 0,
         "red": 1, "green": 2, "blue": 3}, "text"]}]})")));
    CBasicProfiledata data;
    bind(data);
    data.Load(profile);
    const auto list = data.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], LightListEntry());
    EXPECT_EQ(list[1], (LightListEntry {{2, 3, 4, 1, 0, 1, 2, 3}, 1}));
    EXPECT_EQ(list[2], LightListEntry());
}

TEST_F(ProfileFixture, AssignmentCodesRoundTripAndDefaultsStayUntouched)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"Device": [{"KeyList": [
        {"Assignment": 7340290, "DefaultAssignment": 1048832}, {"Assignment": 1, "DefaultAssignment": 2}]}]})")));
    CBasicProfiledata data;
    bind(data);
    data.Load(profile);
    auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].current, (KeyHalf {0, 0x70, 0x01, 0x02}));
    EXPECT_EQ(keys[0].defaults, (KeyHalf {0, 0x10, 0x01, 0x00}));
    EXPECT_EQ(keys[1].current.position, 1);
    keys[1].current = keys[1].defaults;
    data.SetKeyAssignments(keys);
    ASSERT_TRUE(data.Save());
    const Json::Value stored = LoadJsonFile(profile)["Device"][0]["KeyList"];
    EXPECT_EQ(stored[0]["Assignment"].asUInt(), 0x700102u);
    EXPECT_EQ(stored[1]["Assignment"].asUInt(), 2u);
    EXPECT_EQ(stored[1]["DefaultAssignment"].asUInt(), 2u);
}

TEST_F(ProfileFixture, DpiStagesComeOnlyFromTheLoadedProfile)
{
    const fs::path five = tmp / "five.Json";
    const fs::path three = tmp / "three.Json";
    const fs::path none = tmp / "none.Json";
    Json::Value doc = ParseJson(R"({"Device": [{"DPIStages": {"StageActive": 4, "StageDPIs": []}}]})");
    for (int i = 0; i < 5; ++i) {
        doc["Device"][0]["DPIStages"]["StageDPIs"][i]["StageDPIX"] = 100 + i;
    }
    ASSERT_TRUE(SaveJsonFile(five, doc));
    doc["Device"][0]["DPIStages"]["StageDPIs"].resize(3);
    doc["Device"][0]["DPIStages"]["StageActive"] = 2;
    ASSERT_TRUE(SaveJsonFile(three, doc));
    ASSERT_TRUE(SaveJsonFile(none, ParseJson(R"({"Device": [{"LightInfo": {}}]})")));

    CMouseProfiledata mouse;
    bind(mouse);
    mouse.Load(five);
    EXPECT_EQ(mouse.GetDpiStages().size(), 5u);
    EXPECT_EQ(mouse.GetActiveDpiStage(), 4);
    mouse.Load(three);
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 3u) << "no stage of the previous profile shows through";
    EXPECT_EQ(stages[2].levelX, 102);
    EXPECT_EQ(mouse.GetActiveDpiStage(), 2);
    mouse.Load(none);
    EXPECT_TRUE(mouse.GetDpiStages().empty());
    EXPECT_EQ(mouse.GetActiveDpiStage(), 0);
}

TEST_F(ProfileFixture, DpiStagesAndSystemWordsWriteEveryKey)
{
    CMouseProfiledata mouse;
    bind(mouse);
    const DpiStage stage {1, 0, 0x1234, 0x0056, 10, 20, 30};
    mouse.SetDpiStages({stage, stage});
    mouse.SetActiveDpiStage(1);
    mouse.SetMouseSystem(0x00020001, 0x00040003, 0x00060005);
    const Json::Value& e = mouse.DeviceEntry();
    EXPECT_EQ(e["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 0x1234);
    EXPECT_EQ(e["DPIStages"]["StageActive"].asInt(), 1);
    EXPECT_EQ(e["SystemStages"]["DoubleClickTime"].asInt(), 1);
    EXPECT_EQ(e["SystemStages"]["WheelScorlllinse"].asInt(), 5);
    EXPECT_EQ(e["ReportStages"]["StageActive"].asInt(), 6);
    EXPECT_EQ(mouse.GetDpiStages(), (std::vector<DpiStage> {stage, stage}));
    EXPECT_EQ(mouse.GetMouseSystem(), (std::array<uint32_t, 3> {0x00020001, 0x00040003, 0x00060005}));
}

TEST(ProfileRecords, PackedLayouts)
{
    const DpiStage stage {1, 1, 0x1234, 0xABCD, 7, 8, 9};
    const std::array<uint8_t, 9> bytes {1, 1, 0x34, 0x12, 0xCD, 0xAB, 7, 8, 9};
    EXPECT_EQ(stage.ToBytes(), bytes);
    EXPECT_EQ(DpiStage::FromBytes(bytes), stage);

    struct Case {
        std::array<uint16_t, 6> values;
        std::array<uint32_t, 3> words;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5, 6}, {0x00020001, 0x00040003, 0x00060005}},
        {{0xFFFF, 0, 0, 0xFFFF, 0x8000, 1}, {0x0000FFFF, 0xFFFF0000, 0x00018000}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SixValues {c.values}.ToWords(), c.words);
        EXPECT_EQ(SixValues::FromWords(c.words[0], c.words[1], c.words[2]).values, c.values);
    }
}

TEST_F(ProfileFixture, EqualiserPresetIndexAndMissingPresetsCreatedWithZeros)
{
    struct Case {
        int eqType;
        int index;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {12, 12}, {13, -1}, {14, 1}, {-3, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(CHs6533Profiledata::EqPresetIndex(c.eqType), c.index) << c.eqType;
    }

    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"Device": [{"EQHzValueInfo": [[], [
        {"value": 7}, {"value": 11}, {"value": "2"}]]}]})")));
    CHs6533Profiledata headset;
    bind(headset);
    headset.Load(profile);
    EXPECT_EQ(headset.GetEqPreset(0), (std::vector<int> {7, 11, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(headset.GetEqPreset(14), headset.GetEqPreset(0));
    EXPECT_TRUE(headset.GetEqPreset(13).empty());
    headset.SetEqPreset(13, EqBands {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(headset.DeviceEntry()["EQHzValueInfo"].size(), 2u) << "the custom type writes no preset";
    EXPECT_EQ(headset.GetEqPreset(5), std::vector<int>(10, 0));
    EXPECT_EQ(headset.DeviceEntry()["EQHzValueInfo"][5][9]["value"].asInt(), 0) << "the missing preset was created";
}

TEST_F(ProfileFixture, CustomEqualisersKeepNamesAndValuesTogether)
{
    CHs6533Profiledata headset;
    bind(headset);
    headset.Load(profile);
    headset.SetCustomEqNames({L"低音", L"B", L"C"});
    for (int i = 0; i < 3; ++i) {
        EqBands bands {};
        bands.fill(i + 1);
        headset.SetCustomEq(i, bands);
    }
    headset.RemoveCustomEq(1);
    EXPECT_EQ(headset.GetCustomEqNames(), (std::vector<std::wstring> {L"低音", L"C"}));
    EXPECT_EQ(headset.GetCustomEq(1), std::vector<int>(10, 3));
    EXPECT_EQ(headset.GetCustomEq(-1), std::vector<int>());
}

TEST_F(ProfileFixture, MissingCustomGroupIsCreatedWithZerosAndReachesTheFileAtSave)
{
    ASSERT_TRUE(SaveJsonFile(profile, ParseJson(R"({"profilename": "Alpha", "Device": [{"CustomLightMode": {
        "CustomLightModeGroupIndex": 1, "LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}]]}}]})")));
    CKeyboardProfiledata keyboard;
    bind(keyboard);
    keyboard.Load(profile);
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 1);
    EXPECT_EQ(keyboard.GetCustomColours(0, 2), (std::vector<CustomColour> {{1, 2, 3, 4}, {0, 0, 0, 0}}));
    EXPECT_EQ(keyboard.GetCustomColours(2, 3), std::vector<CustomColour>(3));
    EXPECT_TRUE(LoadJsonFile(profile)["Device"][0]["CustomLightMode"]["LightColorInfo"][2].isNull());
    ASSERT_TRUE(keyboard.Save());
    const Json::Value groups = LoadJsonFile(profile)["Device"][0]["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups[2].size(), 3u);
    EXPECT_EQ(groups[2][2]["Alpha"].asInt(), 0);
    EXPECT_EQ(groups[0][1]["Red"].asInt(), 0) << "the missing colour of group 0 was created too";
    EXPECT_TRUE(keyboard.GetCustomColours(300, 3).empty());
}

TEST_F(ProfileFixture, LightEffectsAreReadBesideTheLightConfigurationAndNeedAPlainGuid)
{
    const fs::path config = tmp / "zenta_light.config";
    ASSERT_TRUE(SaveJsonFile(config, ParseJson(R"({"LightInfo": [[], [{"LightName": "a", "Guid": "fx_1"},
        {"LightName": "b", "Guid": "../escape"}, {"LightName": "c", "Guid": ""}]]})")));
    ASSERT_TRUE(SaveJsonFile(tmp / "fx_1.light", ParseJson(R"({"LEDEffectList": [
        {"LEDREGMode": 4, "LEDBrightness": 3, "LEDSpeed": 2, "LEDDirection": 1, "LEDMultiColor": 1,
         "red": 9, "green": 8, "blue": 7, "Time": 1500, "Cyle": 2}]})")));
    ASSERT_TRUE(SaveJsonFile(tmp / "escape.light", ParseJson(R"({"LEDEffectList": [{"Time": 1}]})")));

    CBasicProfiledata data;
    bind(data);
    data.SetBuiltInLightCount(9);
    data.SetLightListIndex(1);
    data.SetLightConfigPath(config);
    data.LoadLightConfig(config);
    struct Case {
        int selectItem;
        size_t steps;
    };
    const Case cases[] = {{9, 1}, {10, 0}, {11, 0}, {8, 0}, {12, 0}};
    for (const auto& c : cases) {
        LightRecord r;
        r.selectItem = uint8_t(c.selectItem);
        data.SetLightInfo(r);
        EXPECT_EQ(data.GetLightEffects().size(), c.steps) << c.selectItem;
    }
    LightRecord r;
    r.selectItem = 9;
    data.SetLightInfo(r);
    const auto steps = data.GetLightEffects();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0], (LightEffectStep {{4, 3, 2, 1, 1, 9, 8, 7}, 1500, 2}));
}

TEST(ProfileDataSetters, CreateMissingObjectsOnAnEmptyEntry)
{
    CKeyboardProfiledata keyboard;
    LightRecord r;
    r.selectItem = 19;
    r.unused = {1, 2, 3};
    keyboard.SetLightInfo(r);
    keyboard.SetAudioLightInfo({3, 1, 2, 3, 4, 5, 6, 1, 0});
    keyboard.SetKeyboardSystem(0x00010002, 0, 0x00010000);
    keyboard.SetCustomColours({{1, 2, 3, 4}}, 1);
    keyboard.SetCustomGroupIndex(1);
    const Json::Value& e = keyboard.DeviceEntry();
    EXPECT_EQ(e["LightInfo"]["SelectItem"].asInt(), 19);
    EXPECT_EQ(e["LightInfo"].size(), 11u) << "the three unused bytes are not stored";
    EXPECT_EQ(keyboard.GetLightInfo().unused, (std::array<uint8_t, 3> {}));
    EXPECT_EQ(e["AudioLightInfo"]["7ColorFlags"].asInt(), 1);
    EXPECT_EQ(e["SystemStages"]["Repeat"].asInt(), 2);
    EXPECT_EQ(e["SystemStages"]["RepeatDelay"].asInt(), 1);
    EXPECT_EQ(e["SystemStages"]["WinFlag"].asInt(), 1);
    EXPECT_TRUE(e["CustomLightMode"]["LightColorInfo"][0].isNull());
    EXPECT_EQ(e["CustomLightMode"]["LightColorInfo"][1][0]["Alpha"].asInt(), 4);
    EXPECT_EQ(e["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 1);
}

} // namespace
