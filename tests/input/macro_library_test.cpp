#include "input/macro_library.h"

#include "input/file_bytes.h"
#include "input/key_text.h"

#include "profiles/jsonfile.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>


namespace {

namespace fs = std::filesystem;
using namespace orvel::input;
using orvel::profiles::LoadJsonFile;
using orvel::profiles::SaveJsonFile;
using orvel::testing::TempFolder;

using orvel::testing::FileText;
using orvel::testing::WriteText;

void WriteList(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& entries)
{
    Json::Value doc;
    doc["MacroInfo"] = Json::Value(Json::arrayValue);
    for (const auto& [name, guid] : entries) {
        Json::Value e;
        e["MacroName"] = name;
        e["Guid"] = guid;
        doc["MacroInfo"].append(e);
    }
    ASSERT_TRUE(SaveJsonFile(folder / "macro.config", doc));
}

std::chrono::system_clock::time_point At(int ms)
{
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(1600000000000LL + ms));
}

TEST(MacroLibraryAdd, TakesTheSmallestFreeNumberIgnoringCase)
{
    TempFolder dir;
    WriteList(dir.path(), {{"macro_1", "g1"}, {"MACRO_3", "g3"}});
    MacroLibrary library(dir.path());
    library.Load();
    int index = -1;
    ASSERT_EQ(library.Add(index, At(0)), MacroStatus::Done);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(library.Macros()[2].name, "macro_2");
    ASSERT_EQ(library.Add(index, At(0)), MacroStatus::Done);
    EXPECT_EQ(library.Macros()[3].name, "macro_4");

    MacroLibrary reread(dir.path());
    reread.Load();
    EXPECT_EQ(reread.Names(), (std::vector<std::string> {"macro_1", "MACRO_3", "macro_2", "macro_4"}));
}

TEST(MacroLibraryAdd, NeverReusesAGuidOfTheSameMillisecond)
{
    TempFolder dir;
    MacroLibrary library(dir.path());
    library.Load();
    int a = -1;
    int b = -1;
    ASSERT_EQ(library.Add(a, At(5)), MacroStatus::Done);
    ASSERT_EQ(library.Add(b, At(5)), MacroStatus::Done);
    EXPECT_NE(library.Macros()[0].guid, library.Macros()[1].guid);
    EXPECT_EQ(library.Macros()[1].guid, orvel::profiles::MakeTimeStamp(At(6)));
    // a ".mac" file left behind by an earlier macro also blocks its stamp
    WriteText(dir / (orvel::profiles::MakeTimeStamp(At(7)) + ".mac"), "{}");
    int c = -1;
    ASSERT_EQ(library.Add(c, At(6)), MacroStatus::Done);
    EXPECT_EQ(library.Macros()[2].guid, orvel::profiles::MakeTimeStamp(At(8)));
}

TEST(MacroLibraryAdd, StopsAtFiftyMacros)
{
    TempFolder dir;
    MacroLibrary library(dir.path());
    library.Load();
    int index = -1;
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(library.Add(index, At(i)), MacroStatus::Done);
    }
    EXPECT_EQ(library.Add(index, At(99)), MacroStatus::Full);
    EXPECT_EQ(library.Macros().size(), 50u);
}

TEST(MacroLibraryAdd, KeepsAnUnreadableListAside)
{
    TempFolder dir;
    WriteText(dir / "macro.config", "{ not json");
    MacroLibrary library(dir.path());
    library.Load();
    EXPECT_TRUE(library.Macros().empty());
    int index = -1;
    ASSERT_EQ(library.Add(index, At(0)), MacroStatus::Done);
    EXPECT_EQ(FileText(dir / "macro.config.bad"), "{ not json");

    // Broken once more: the first copy kept stays as it is.
    WriteText(dir / "macro.config", "[ broken again");
    MacroLibrary again(dir.path());
    again.Load();
    ASSERT_EQ(again.Add(index, At(1)), MacroStatus::Done);
    EXPECT_EQ(FileText(dir / "macro.config.bad"), "{ not json");
    EXPECT_EQ(FileText(dir / "macro.config.bad1"), "[ broken again");
}

TEST(MacroLibraryRename, RefusesBlankAndExistingNames)
{
    TempFolder dir;
    WriteList(dir.path(), {{"macro_1", "g1"}, {"Jump", "g2"}});
    MacroLibrary library(dir.path());
    library.Load();
    const struct {
        int index;
        const char* name;
        MacroStatus status;
    } cases[] = {
        {0, "  ", MacroStatus::Blank},
        {0, "JUMP", MacroStatus::Duplicate},
        {5, "x", MacroStatus::NoSelection},
        {0, "连招", MacroStatus::Done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(library.Rename(c.index, c.name), c.status);
    }
    MacroLibrary reread(dir.path());
    reread.Load();
    EXPECT_EQ(reread.Names(), (std::vector<std::string> {"连招", "Jump"}));
}

TEST(MacroLibraryEvents, SaveWritesAFreshDocumentThatLoadsAgain)
{
    TempFolder dir;
    WriteList(dir.path(), {{"macro_1", "2021_01_01_00_00_00_000"}});
    MacroLibrary library(dir.path());
    library.Load();
    EXPECT_TRUE(library.LoadEvents(0).empty()); // no file yet
    const std::vector<MacroEvent> events = {{true, 10, 4, 300}, {false, 10, 4, 0}};
    ASSERT_EQ(library.SaveEvents(0, events), MacroStatus::Done);
    EXPECT_EQ(library.LoadEvents(0), events);
    const Json::Value doc = LoadJsonFile(dir / "2021_01_01_00_00_00_000.mac");
    EXPECT_EQ(doc["Version"].asInt(), 64);
    EXPECT_EQ(doc["MacroName"].asString(), "macro_1");
    EXPECT_EQ(doc["Events"][0]["Delay"], Json::Value("300"));
    EXPECT_EQ(doc["Events"][0]["Action"], Json::Value("down"));
}

TEST(MacroLibraryEvents, AGuidThatLeavesTheFolderIsNeverUsedAsAFileName)
{
    TempFolder dir;
    fs::create_directory(dir / "profiles");
    WriteText(dir / "outside.mac", R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":"1"}]})");
    WriteList(dir / "profiles", {{"evil", "../outside"}, {"abs", "/tmp/x"}});
    MacroLibrary library(dir / "profiles");
    library.Load();
    ASSERT_EQ(library.Macros().size(), 2u);
    EXPECT_TRUE(library.MacroFile(0).empty());
    EXPECT_TRUE(library.LoadEvents(0).empty());
    EXPECT_EQ(library.SaveEvents(1, std::vector<MacroEvent> {{true, 1, 1, 0}}), MacroStatus::Failed);
    EXPECT_FALSE(fs::exists("/tmp/x.mac"));
    const std::string before = FileText(dir / "outside.mac");
    const DeleteOutcome outcome = library.Delete(0, dir / "profiles" / "none.Json");
    EXPECT_EQ(outcome.status, MacroStatus::Done);
    EXPECT_EQ(FileText(dir / "outside.mac"), before);
}

TEST(MacroLibraryImport, ChecksTheFileBeforeAddingAMacro)
{
    TempFolder dir;
    fs::create_directory(dir / "p");
    const std::string good = R"({"MacroName":"x","Guid":"y","Events":[{"Action":"down","Type":10,"Button":4,"Delay":"300"}],"Version":64})";
    const struct {
        const char* name;
        std::string text;
        MacroStatus status;
    } cases[] = {
        {"not json", "hello", MacroStatus::NotJson},
        {"array", "[1,2]", MacroStatus::WrongShape},
        {"no events", R"({"MacroName":"x"})", MacroStatus::WrongShape},
        {"bad delay", R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":{}}]})", MacroStatus::WrongShape},
        {"bad button", R"({"Events":[{"Action":"down","Type":10,"Button":"4","Delay":"1"}]})", MacroStatus::WrongShape},
        {"too large", std::string(kMaxDocumentBytes + 1, ' '), MacroStatus::TooLarge},
        {"good", good, MacroStatus::Done},
    };
    MacroLibrary library(dir / "p");
    library.Load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(dir / "in.mac", c.text);
        int index = -1;
        EXPECT_EQ(library.Import(dir / "in.mac", index, At(0)), c.status);
        if (c.status == MacroStatus::Done) {
            ASSERT_EQ(index, 0);
            EXPECT_EQ(FileText(library.MacroFile(0)), good);
            EXPECT_EQ(library.LoadEvents(0), (std::vector<MacroEvent> {{true, 10, 4, 300}}));
        }
    }
    EXPECT_EQ(library.Macros().size(), 1u);
    int index = -1;
    EXPECT_EQ(library.Import(dir / "missing.mac", index, At(0)), MacroStatus::Failed);
}

TEST(MacroLibraryImport, KeepsAtMost4000Rows)
{
    TempFolder dir;
    Json::Value doc;
    for (int i = 0; i < 4100; ++i) {
        doc["Events"].append(EventToJson({i % 2 == 0, 10, 4, 1}, DelayForm::String));
    }
    ASSERT_TRUE(SaveJsonFile(dir / "big.mac", doc));
    MacroLibrary library(dir.path());
    library.Load();
    int index = -1;
    ASSERT_EQ(library.Import(dir / "big.mac", index, At(0)), MacroStatus::Done);
    EXPECT_EQ(LoadJsonFile(library.MacroFile(index))["Events"].size(), 4000u);
}

TEST(MacroLibraryExport, CopiesTheFileByteForByte)
{
    TempFolder dir;
    WriteList(dir.path(), {{"macro_1", "g1"}, {"macro_2", "g2"}});
    const std::string text = "{\"Events\":[],\"MacroName\":\"macro_1\"} // kept as it is\n";
    WriteText(dir / "g1.mac", text);
    MacroLibrary library(dir.path());
    library.Load();
    ASSERT_EQ(library.Export(0, dir / "out.mac"), MacroStatus::Done);
    EXPECT_EQ(FileText(dir / "out.mac"), text);
    ASSERT_EQ(library.Export(1, dir / "empty.mac"), MacroStatus::Done);
    EXPECT_EQ(LoadJsonFile(dir / "empty.mac")["Guid"].asString(), "g2");
    EXPECT_EQ(library.Export(2, dir / "none.mac"), MacroStatus::NoSelection);
}

TEST(MacroLibraryExport, KeepsThePermissionsOfTheFileItReplaces)
{
    TempFolder dir;
    WriteList(dir.path(), {{"macro_1", "g1"}, {"macro_2", "g2"}});
    WriteText(dir / "g1.mac", "{\"Events\":[],\"MacroName\":\"macro_1\"}\n");
    MacroLibrary library(dir.path());
    library.Load();
    const struct {
        const char* name;
        int index;
    } cases[] = {{"a stored macro", 0}, {"a macro never saved", 1}};
    for (const auto& c : cases) {
        const fs::path target = dir / (std::string(c.name) + ".mac");
        WriteText(target, "the user's own file");
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        ASSERT_EQ(library.Export(c.index, target), MacroStatus::Done) << c.name;
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
            << c.name;
        EXPECT_NE(FileText(target), "the user's own file") << c.name;
    }
}

Json::Value Profile(const std::vector<std::pair<uint32_t, uint32_t>>& keys)
{
    Json::Value doc;
    doc["profilename"] = "p";
    doc["profileUUID"] = "u";
    for (const auto& [current, defaults] : keys) {
        Json::Value k;
        k["Assignment"] = current;
        k["DefaultAssignment"] = defaults;
        doc["Device"][0]["KeyList"].append(k);
    }
    return doc;
}

std::vector<uint32_t> Assignments(const fs::path& profile)
{
    std::vector<uint32_t> out;
    const Json::Value doc = LoadJsonFile(profile);
    for (const Json::Value& k : doc["Device"][0]["KeyList"]) {
        out.push_back(k["Assignment"].asUInt());
    }
    return out;
}

class MacroDelete : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteList(dir.path(), {{"m1", "g1"}, {"m2", "g2"}, {"m3", "g3"}, {"m4", "g4"}});
        for (const char* g : {"g1", "g2", "g3", "g4"}) {
            WriteText(dir / (std::string(g) + ".mac"), R"({"Events":[]})");
        }
        // macro numbers count from 0: "macro 2 of 4" is number 1
        ASSERT_TRUE(SaveJsonFile(dir / "current.Json", Profile({{0x700100, 0x100100}, {0x710205, 0x100200}, {0x700300, 0x100400}})));
        ASSERT_TRUE(SaveJsonFile(dir / "other.Json", Profile({{0x710101, 0x200004}, {0x700000, 0x100100}, {0x100100, 0x100100}})));
        ASSERT_TRUE(SaveJsonFile(dir / "untouched.Json", Profile({{0x700000, 0x100100}})));
        WriteText(dir / "broken.Json", "{ broken");
        library.Load();
    }
    TempFolder dir;
    MacroLibrary library {dir.path()};
};

TEST_F(MacroDelete, RenumbersKeysInEveryProfileOfTheFolder)
{
    const std::string untouched = FileText(dir / "untouched.Json");
    EXPECT_TRUE(ProfileUsesMacro(dir / "current.Json", 1));
    EXPECT_FALSE(ProfileUsesMacro(dir / "untouched.Json", 1));

    const DeleteOutcome outcome = library.Delete(1, dir / "current.Json");
    ASSERT_EQ(outcome.status, MacroStatus::Done);
    EXPECT_TRUE(outcome.currentProfileChanged);
    EXPECT_EQ(outcome.changedProfiles.size(), 2u);
    ASSERT_EQ(outcome.skippedProfiles.size(), 1u);
    EXPECT_EQ(outcome.skippedProfiles[0].filename(), "broken.Json");

    EXPECT_EQ(Assignments(dir / "current.Json"), (std::vector<uint32_t> {0x100100, 0x710105, 0x700200}));
    EXPECT_EQ(Assignments(dir / "other.Json"), (std::vector<uint32_t> {0x200004, 0x700000, 0x100100}));
    EXPECT_EQ(LoadJsonFile(dir / "current.Json")["profilename"].asString(), "p");
    EXPECT_EQ(FileText(dir / "untouched.Json"), untouched);
    EXPECT_EQ(FileText(dir / "broken.Json"), "{ broken");
    EXPECT_FALSE(fs::exists(dir / "g2.mac"));
    EXPECT_TRUE(fs::exists(dir / "g3.mac"));
    MacroLibrary reread(dir.path());
    reread.Load();
    EXPECT_EQ(reread.Names(), (std::vector<std::string> {"m1", "m3", "m4"}));
}

TEST_F(MacroDelete, ChangesNothingWhenTheListCannotBeWritten)
{
    const std::string current = FileText(dir / "current.Json");
    const std::string other = FileText(dir / "other.Json");
    fs::remove(dir / "macro.config");
    fs::create_directory(dir / "macro.config"); // the rename over it fails
    const DeleteOutcome outcome = library.Delete(1, dir / "current.Json");
    EXPECT_EQ(outcome.status, MacroStatus::Failed);
    EXPECT_EQ(FileText(dir / "current.Json"), current);
    EXPECT_EQ(FileText(dir / "other.Json"), other);
    EXPECT_TRUE(fs::exists(dir / "g2.mac"));
    EXPECT_EQ(library.Macros().size(), 4u);
    EXPECT_EQ(library.Delete(9, dir / "current.Json").status, MacroStatus::NoSelection);
}

TEST(MacroImage, PacksTheUsedMacrosInOrderOfFirstUse)
{
    TempFolder dir;
    WriteList(dir.path(), {{"a", "ga"}, {"b", "gb"}});
    WriteText(dir / "ga.mac", R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":"300"}]})");
    WriteText(dir / "gb.mac", R"({"Events":[{"Action":"up","Type":1,"Button":1,"Delay":7},{"Action":"down","Type":"x"}]})");
    MacroLibrary library(dir.path());
    library.Load();
    const std::vector<AssignmentCode> keys = {{0x10, 1, 0}, {0x71, 1, 3}, {0x70, 0, 0}, {0x70, 1, 1}, {0x70, 5, 0}};
    const std::vector<int> used = UsedMacros(keys, 2);
    EXPECT_EQ(used, (std::vector<int> {1, 0}));
    const AssignmentCode fallback {0x10, 0x04, 0};
    EXPECT_EQ(DeviceKeyCode(keys[1], fallback, used), (AssignmentCode {0x71, 0, 3}));
    EXPECT_EQ(DeviceKeyCode(keys[2], fallback, used), (AssignmentCode {0x70, 1, 0}));
    EXPECT_EQ(DeviceKeyCode(keys[4], fallback, used), fallback);
    EXPECT_EQ(DeviceKeyCode(keys[0], fallback, used), keys[0]);
    const ImageResult image = library.BuildImage(used, 32);
    ASSERT_EQ(image.status, ImageStatus::Ok);
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 36, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        20, 0, 28, 0,
        1, 0, 0, 0, 0x07, 0x00, 0x01, 0x01,
        1, 0, 0, 0, 0x2C, 0x01, 0x8A, 0x04,
    };
    EXPECT_EQ(image.bytes, expected);
}

TEST(MacroImage, ReportsSizeEventsAndAMissingList)
{
    TempFolder dir;
    MacroLibrary none(dir.path());
    none.Load();
    EXPECT_EQ(none.BuildImage(std::vector<int> {0}, 32).status, ImageStatus::NothingToWrite);

    WriteList(dir.path(), {{"a", "ga"}});
    Json::Value doc;
    for (int i = 0; i < 251; ++i) {
        doc["Events"].append(EventToJson({true, 10, 4, 1}, DelayForm::String));
    }
    ASSERT_TRUE(SaveJsonFile(dir / "ga.mac", doc));
    MacroLibrary library(dir.path());
    library.Load();
    const ImageResult many = library.BuildImage(std::vector<int> {0}, 32);
    EXPECT_EQ(many.status, ImageStatus::TooManyEvents);
    EXPECT_EQ(many.value, 251);

    // 16 + 6 + 4 × 253 = 1034 bytes: 10 bytes more than the 1024 of 8 units
    Json::Value more = doc;
    more["Events"].append(EventToJson({true, 10, 4, 1}, DelayForm::String));
    more["Events"].append(EventToJson({true, 10, 4, 1}, DelayForm::String));
    ASSERT_TRUE(SaveJsonFile(dir / "ga.mac", more));
    const ImageResult big = library.BuildImage(std::vector<int> {0}, 8);
    EXPECT_EQ(big.status, ImageStatus::TooBig);
    EXPECT_EQ(big.value, 1034);
    const WriteMessage message = DescribeMacroWrite(big, 8);
    EXPECT_EQ(message.messageKey, "message_text_16");
    EXPECT_EQ(message.number, 3);
}

} // namespace
