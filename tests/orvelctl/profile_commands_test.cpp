// Profile and macro commands on the data folder the window uses.

#include "input/macro_library.h"
#include "profiles/profilelist.h"
#include "profiles/profilefiles.h"
#include "run_capture.h"
#include "tests/profiles/json_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>


namespace orvel::ctl {
namespace {

using testing::CtlResult;
using testing::RunCtl;

class OrvelctlFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The default profiles come from the program folder: the build's bin/ links DefaultData.
        data_.setEnv("XDG_DATA_HOME", (data_.path() / "data").string());
    }

    CtlResult Ctl(const std::vector<std::string>& words) { return RunCtl(words, env_); }

    // The names in list order and the selected index, as the window reads them.
    std::vector<std::string> Names(const std::string& kind, int kindNumber, int* selected = nullptr)
    {
        profiles::DeviceProfileList list;
        list.SetDeviceKind(kindNumber);
        list.SetPaths(profiles::ProfileFolder(kind), profiles::DefaultProfilePath(kind));
        EXPECT_TRUE(list.InitProfiles().ok());
        if (selected)
            *selected = list.GetSelectedIndex();
        return list.Names();
    }

    testing::TempFolder data_;
    Environment env_{nullptr, [] { return false; }};
};

TEST_F(OrvelctlFiles, ProfileActionsKeepTheSelectionUnlessTheyMustChangeIt)
{
    const auto first = Ctl({"profile", "list", "mouse"});
    ASSERT_EQ(first.code, kExitOk) << first.err;
    EXPECT_EQ(first.out, "* 1  profile1\n");

    struct Step {
        std::vector<std::string> words;
        int code;
        std::vector<std::string> names;
        int selected;
        const char* says;
    };
    const Step steps[] = {
        {{"profile", "add", "mouse"}, kExitOk, {"profile1", "profile2"}, 0, "added profile 'profile2'"},
        {{"profile", "rename", "mouse", "2", "Game"}, kExitOk, {"profile1", "Game"}, 0, "to 'Game'"},
        {{"profile", "rename", "mouse", "GAME", "Profile1"}, kExitFailed, {"profile1", "Game"}, 0, "already named"},
        {{"profile", "rename", "mouse", "game", "   "}, kExitFailed, {"profile1", "Game"}, 0, "blank"},
        {{"profile", "copy", "mouse", "game"}, kExitOk, {"profile1", "Game", "Game copy"}, 0, "'Game copy'"},
        {{"profile", "delete", "mouse", "Game"}, kExitOk, {"profile1", "Game copy"}, 0, "deleted profile 'Game'"},
        {{"profile", "reset", "mouse", "nosuch"}, kExitFailed, {"profile1", "Game copy"}, 0, "no mouse profile"},
        {{"profile", "delete", "mouse", "7"}, kExitFailed, {"profile1", "Game copy"}, 0, "no mouse profile"},
        {{"profile", "delete", "mouse"}, kExitOk, {"Game copy"}, 0, "is selected now"},
        {{"profile", "delete", "mouse"}, kExitFailed, {"Game copy"}, 0, "only profile"},
    };
    for (const Step& step : steps) {
        const auto result = Ctl(step.words);
        const std::string said = result.out + result.err;
        EXPECT_EQ(result.code, step.code) << said;
        EXPECT_NE(said.find(step.says), std::string::npos) << said;
        int selected = -1;
        EXPECT_EQ(Names("mouse", 2, &selected), step.names) << said;
        EXPECT_EQ(selected, step.selected) << said;
    }
}

TEST_F(OrvelctlFiles, ExportAndImportRoundTripThroughAFile)
{
    ASSERT_EQ(Ctl({"profile", "rename", "keyboard", "Work"}).code, kExitOk);
    const std::string file = (data_.path() / "work.json").string();
    const auto exported = Ctl({"profile", "export", "keyboard", "Work", file});
    ASSERT_EQ(exported.code, kExitOk) << exported.err;
    const Json::Value document = testing::ParseJson(testing::FileText(file));
    EXPECT_EQ(document["profilename"].asString(), "Work");

    const auto imported = Ctl({"profile", "import", "keyboard", file});
    EXPECT_EQ(imported.code, kExitOk) << imported.err;
    int selected = -1;
    EXPECT_EQ(Names("keyboard", 1, &selected), (std::vector<std::string>{"Work", "work(1)"}));
    EXPECT_EQ(selected, 0);

    testing::WriteText(data_.path() / "junk.json", "[1, 2]");
    const auto refused = Ctl({"profile", "import", "keyboard", (data_.path() / "junk.json").string()});
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_NE(refused.err.find("not a profile"), std::string::npos);
    EXPECT_EQ(Names("keyboard", 1).size(), 2u);

    const auto json = Ctl({"profile", "list", "keyboard", "--json"});
    const Json::Value listed = testing::ParseJson(json.out);
    EXPECT_EQ(listed["selected"].asInt(), 1);
    ASSERT_EQ(listed["profiles"].size(), 2u);
    EXPECT_EQ(listed["profiles"][1]["name"].asString(), "work(1)"); // named after the file
    EXPECT_FALSE(listed["profiles"][1]["selected"].asBool());
}

TEST_F(OrvelctlFiles, MacroCommandsWorkOnTheKindsMacroFiles)
{
    const auto folder = profiles::ProfileFolder("mouse");
    input::MacroLibrary library(folder);
    library.Load();
    int index = -1;
    ASSERT_EQ(library.Add(index), input::MacroStatus::Done);
    const std::vector<input::MacroEvent> events = {{true, 1, 0x04, 30}, {false, 1, 0x04, 0}};
    ASSERT_EQ(library.SaveEvents(index, events), input::MacroStatus::Done);

    const auto listed = Ctl({"macro", "list", "mouse"});
    EXPECT_EQ(listed.code, kExitOk);
    EXPECT_EQ(listed.out, "1  macro_1  (2 events)\n");
    EXPECT_EQ(Ctl({"macro", "list", "keyboard"}).out, "No macros.\n");

    const auto shown = Ctl({"macro", "show", "mouse", "MACRO_1", "--json"});
    const Json::Value document = testing::ParseJson(shown.out);
    ASSERT_EQ(document["events"].size(), 2u);
    EXPECT_TRUE(document["events"][0]["down"].asBool());
    EXPECT_EQ(document["events"][0]["button"].asInt(), 4);
    EXPECT_EQ(document["events"][0]["delay"].asInt(), 30);

    const std::string file = (data_.path() / "m.mac").string();
    ASSERT_EQ(Ctl({"macro", "export", "mouse", "1", file}).code, kExitOk);
    const auto imported = Ctl({"macro", "import", "keyboard", file});
    EXPECT_EQ(imported.code, kExitOk) << imported.err;
    input::MacroLibrary keyboard(profiles::ProfileFolder("keyboard"));
    keyboard.Load();
    ASSERT_EQ(keyboard.Macros().size(), 1u);
    EXPECT_EQ(keyboard.LoadEvents(0), events);

    EXPECT_EQ(Ctl({"macro", "delete", "mouse", "2"}).code, kExitFailed);
    const auto deleted = Ctl({"macro", "delete", "mouse", "macro_1"});
    EXPECT_EQ(deleted.code, kExitOk) << deleted.err;
    library.Load();
    EXPECT_TRUE(library.Macros().empty());
}

TEST_F(OrvelctlFiles, WithoutTheDefaultProfileNothingIsCreated)
{
    data_.setEnv("ORVEL_PROGRAM_DIR", (data_.path() / "empty").string());
    const auto result = Ctl({"profile", "list", "HD"});
    EXPECT_EQ(result.code, kExitFailed);
    EXPECT_NE(result.err.find("default headset profile"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("HD.Json is missing"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(data_.path() / "data" / "VARNO Orvel 80" / "HD"));
}

} // namespace
} // namespace orvel::ctl
