#include "profiles/profilelist.h"

#include "profiles/jsonfile.h"
#include "profiles/profilefiles.h"
#include "tests/profiles/json_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;
using orvel::testing::FileText;
using orvel::testing::ParseJson;

struct ProfileListFixture : ::testing::Test {
    orvel::testing::TempFolder tmp;
    fs::path folder = tmp / "HD";
    fs::path defaultDoc = tmp / "HD.Json";
    DeviceProfileList list;

    void SetUp() override
    {
        fs::create_directory(folder);
        ASSERT_TRUE(SaveJsonFile(defaultDoc, ParseJson(R"({"profilename": "factory", "profileUUID": "x",
            "Device": [{"LightInfo": {"SelectItem": 2}, "CustomEQNameInfo": [], "CustomEQHzValueInfo": []}]})")));
        list.SetDeviceKind(7);
        list.SetPaths(folder, defaultDoc);
    }

    // Writes a list of the given names (identifiers id0, id1, ...) with their documents.
    void makeProfiles(const std::vector<std::string>& names, int select = 0)
    {
        Json::Value l;
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string id = "id" + std::to_string(i);
            Json::Value e;
            e["profilename"] = names[i];
            e["profileUUID"] = id;
            l["profilelist"].append(e);
            Json::Value doc = LoadJsonFile(defaultDoc);
            doc["profilename"] = names[i];
            doc["profileUUID"] = id;
            ASSERT_TRUE(SaveJsonFile(folder / (id + ".Json"), doc));
        }
        l["profileselect"] = select;
        ASSERT_TRUE(SaveJsonFile(folder / "ProfileList.ini", l));
        ASSERT_TRUE(list.InitProfiles().ok());
    }

    Json::Value storedList() { return LoadJsonFile(folder / "ProfileList.ini"); }
    std::vector<std::string> storedNames()
    {
        std::vector<std::string> names;
        const Json::Value l = storedList();
        for (const auto& e : l["profilelist"]) {
            names.push_back(e["profilename"].asString());
        }
        return names;
    }
};

TEST_F(ProfileListFixture, FirstStartCreatesProfile1FromTheDefault)
{
    ASSERT_TRUE(list.InitProfiles().ok());
    EXPECT_EQ(list.Names(), (std::vector<std::string> {"profile1"}));
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    const Json::Value l = storedList();
    ASSERT_EQ(l["profilelist"].size(), 1u);
    const std::string id = l["profilelist"][0]["profileUUID"].asString();
    EXPECT_EQ(id, list.GetSelectedIdentifier());
    EXPECT_EQ(id.size(), std::string("2021_03_09_14_05_07_042").size());
    EXPECT_EQ(l["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(l["profilelist"][0]["profilelinkmame"].asString(), "");
    EXPECT_EQ(l["profileselect"].asInt(), 0);
    const Json::Value doc = LoadJsonFile(list.GetProfilePath(0));
    EXPECT_EQ(doc["profilename"].asString(), "profile1");
    EXPECT_EQ(doc["profileUUID"].asString(), id);
    EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
}

TEST_F(ProfileListFixture, AddTakesTheSmallestFreeNameIgnoringCaseUpToFifty)
{
    makeProfiles({"profile1", "Profile2"});
    ASSERT_TRUE(list.AddProfile().ok());
    EXPECT_EQ(list.Names().back(), "profile3");
    EXPECT_EQ(storedNames(), list.Names());
    EXPECT_EQ(storedList()["profileselect"].asInt(), 2) << "the stored selection points at the new profile";
    EXPECT_EQ(list.GetSelectedIndex(), 0) << "the page keeps its selection";
    const Json::Value doc = LoadJsonFile(list.GetProfilePath(2));
    EXPECT_EQ(doc["profilename"].asString(), "profile3");
    EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);

    while (list.Names().size() < 50) {
        ASSERT_TRUE(list.AddProfile().ok());
    }
    EXPECT_EQ(list.AddProfile().status, ProfileStatus::LimitReached);
    EXPECT_EQ(list.GetProfileCount(), 50);
}

TEST_F(ProfileListFixture, NewIdentifiersNeverReuseOneInUse)
{
    makeProfiles({"A"});
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(list.AddProfile().ok());
    }
    std::set<std::string> ids;
    const Json::Value l = storedList();
    for (const auto& e : l["profilelist"]) {
        ids.insert(e["profileUUID"].asString());
    }
    EXPECT_EQ(ids.size(), 6u);

    const auto start = std::chrono::system_clock::now();
    const std::string first = MakeTimeStamp(start);
    const std::string second = MakeTimeStamp(start + std::chrono::milliseconds(1));
    const std::string third = MakeTimeStamp(start + std::chrono::milliseconds(2));
    EXPECT_EQ(MakeFreeIdentifier([&](const std::string& id) { return id == first || id == second; }, start), third);
}

TEST_F(ProfileListFixture, CopyAndImportNamesAvoidEveryExistingName)
{
    makeProfiles({"A", "A copy", "a(1)"});
    ASSERT_TRUE(list.CopyProfile().ok());
    EXPECT_EQ(list.Names().back(), "A copy copy");

    const fs::path file = tmp / "A.json";
    ASSERT_TRUE(SaveJsonFile(file, ParseJson(R"({"profilename": "other", "profileUUID": "zz", "Device": [{"k": 1}], "extra": 3})")));
    ASSERT_TRUE(list.ImportProfile(file).ok());
    EXPECT_EQ(list.Names().back(), "A(1)(2)");
    const Json::Value imported = LoadJsonFile(list.GetProfilePath(4));
    EXPECT_EQ(imported["profilename"].asString(), "A(1)(2)");
    EXPECT_EQ(imported["profileUUID"].asString(), storedList()["profilelist"][4]["profileUUID"].asString());
    EXPECT_EQ(imported["extra"].asInt(), 3);
    EXPECT_EQ(imported["Device"][0]["k"].asInt(), 1);
    EXPECT_EQ(storedNames(), list.Names());

    const fs::path oddName = tmp / "b\xFF.json";
    ASSERT_TRUE(SaveJsonFile(oddName, ParseJson(R"({"profilename": "x", "profileUUID": "y"})")));
    ASSERT_TRUE(list.ImportProfile(oddName).ok());
    EXPECT_EQ(list.Names().back(), "b\xEF\xBF\xBD") << "a file name that is not UTF-8 is made valid";
}

TEST_F(ProfileListFixture, ImportRefusesFilesThatAreNotProfilesWithoutTouchingTheList)
{
    makeProfiles({"A"});
    const std::string before = FileText(folder / "ProfileList.ini");
    struct Case {
        const char* name;
        std::string content;
        ProfileStatus status;
    };
    const Case cases[] = {
        {"array.json", "[1, 2]", ProfileStatus::NotAProfile},
        {"number.json", "42", ProfileStatus::NotAProfile},
        {"broken.json", "{\"profilename\": ", ProfileStatus::NotAProfile},
        {"nokeys.json", "{\"profilename\": \"x\"}", ProfileStatus::NotAProfile},
        {"huge.json", "{\"profilename\": \"x\", \"profileUUID\": \"y\", \"pad\": \"" + std::string(kMaxImportBytes, 'x') + "\"}",
         ProfileStatus::TooLarge},
        {"missing.json", "", ProfileStatus::NotAProfile},
    };
    for (const auto& c : cases) {
        if (!c.content.empty()) {
            std::ofstream(tmp / c.name, std::ios::binary) << c.content;
        }
        EXPECT_EQ(list.ImportProfile(tmp / c.name).status, c.status) << c.name;
    }
    EXPECT_EQ(FileText(folder / "ProfileList.ini"), before);
    EXPECT_EQ(list.Names().size(), 1u);
    int documents = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) {
        ++documents;
    }
    EXPECT_EQ(documents, 2) << "the list and the one document";
}

TEST_F(ProfileListFixture, DeleteSelectsThePreviousProfileAndRemovesTheDocument)
{
    struct Case {
        int selected;
        int expected;
    };
    for (const Case c : {Case {0, 0}, Case {2, 1}, Case {1, 0}}) {
        makeProfiles({"A", "B", "C"}, c.selected);
        const fs::path doc = list.GetProfilePath(c.selected);
        ASSERT_TRUE(list.DeleteProfile().ok());
        EXPECT_EQ(storedList()["profileselect"].asInt(), c.expected) << c.selected;
        EXPECT_EQ(list.GetSelectedIndex(), c.expected) << c.selected;
        EXPECT_EQ(list.GetSelectedIdentifier(), storedList()["profilelist"][c.expected]["profileUUID"].asString());
        EXPECT_FALSE(fs::exists(doc));
        EXPECT_EQ(list.Names().size(), 2u);
    }
    makeProfiles({"only"});
    EXPECT_EQ(list.DeleteProfile().status, ProfileStatus::LastProfile);
}

TEST_F(ProfileListFixture, RenameResults)
{
    makeProfiles({"profile1", "Other"});
    struct Case {
        const char* name;
        int result;
        const char* stored;
    };
    const Case cases[] = {
        {"   \t ", kRenameBlank, "profile1"},
        {"OTHER", kRenameDuplicate, "profile1"},
        {"PROFILE1", kRenameDone, "PROFILE1"},
        {"  新名字 ", kRenameDone, "新名字"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.RenameProfile(c.name), c.result) << c.name;
        EXPECT_EQ(list.Names()[0], c.stored);
        EXPECT_EQ(storedNames()[0], c.stored);
        EXPECT_EQ(LoadJsonFile(list.GetProfilePath(0))["profilename"].asString(), c.stored);
    }
    EXPECT_STREQ(RenameMessageKey(kRenameBlank), "message_text_25");
    EXPECT_STREQ(RenameMessageKey(kRenameDuplicate), "message_text_5");
}

TEST_F(ProfileListFixture, HeadsetResetKeepsTheCustomEqualisers)
{
    makeProfiles({"A"});
    Json::Value doc = LoadJsonFile(list.GetProfilePath(0));
    doc["Device"][0]["LightInfo"]["SelectItem"] = 7;
    doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
    doc["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 5;
    ASSERT_TRUE(SaveJsonFile(list.GetProfilePath(0), doc));

    ASSERT_TRUE(list.ResetProfile().ok());
    const Json::Value reset = LoadJsonFile(list.GetProfilePath(0));
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "mine");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 5);
    EXPECT_EQ(reset["profilename"].asString(), "A");
    EXPECT_EQ(reset["profileUUID"].asString(), "id0");

    list.SetDeviceKind(2);
    ASSERT_TRUE(list.ResetProfile().ok());
    EXPECT_EQ(LoadJsonFile(list.GetProfilePath(0))["Device"][0]["CustomEQNameInfo"].size(), 0u);
}

TEST_F(ProfileListFixture, ExportWritesTheDocumentOrNothing)
{
    makeProfiles({"A"});
    const fs::path out = tmp / "out.json";
    ASSERT_TRUE(list.ExportProfile(out).ok());
    EXPECT_EQ(LoadJsonFile(out), LoadJsonFile(list.GetProfilePath(0)));

    fs::remove(list.GetProfilePath(0));
    const fs::path out2 = tmp / "out2.json";
    EXPECT_EQ(list.ExportProfile(out2).status, ProfileStatus::SourceMissing);
    EXPECT_FALSE(fs::exists(out2));
}

TEST_F(ProfileListFixture, OperationsNeedASelection)
{
    ASSERT_TRUE(SaveJsonFile(folder / "ProfileList.ini", ParseJson(R"({"profilelist": [
        {"profilename": "A", "profileUUID": "a"}, {"profilename": "B", "profileUUID": "b"}]})")));
    EXPECT_EQ(list.CopyProfile().status, ProfileStatus::NoSelection);
    EXPECT_EQ(list.DeleteProfile().status, ProfileStatus::NoSelection);
    EXPECT_EQ(list.ExportProfile(tmp / "x.json").status, ProfileStatus::NoSelection);
    EXPECT_EQ(list.ResetProfile().status, ProfileStatus::NoSelection);
    EXPECT_EQ(list.RenameProfile("C"), kRenameFailed);
    EXPECT_EQ(list.SetSelectedProfile(5).status, ProfileStatus::NoSelection);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"A", "B"}));
}

TEST_F(ProfileListFixture, StoredSelectionOutsideTheListIsClamped)
{
    for (int stored : {7, -3}) {
        ASSERT_TRUE(SaveJsonFile(folder / "ProfileList.ini",
                                 ParseJson(R"({"profileselect": )" + std::to_string(stored) + R"(, "profilelist": [
            {"profilename": "A", "profileUUID": "a"}, {"profilename": "B", "profileUUID": "b"}]})")));
        ASSERT_TRUE(list.InitProfiles().ok());
        EXPECT_EQ(list.GetSelectedIndex(), stored > 0 ? 1 : 0);
    }
}

// Identifiers are file names: one that could leave the folder is never used.
TEST_F(ProfileListFixture, UnsafeIdentifiersAreRefused)
{
    const fs::path victim = tmp / "victim.Json";
    ASSERT_TRUE(SaveJsonFile(victim, ParseJson(R"({"keep": 1})")));
    ASSERT_TRUE(SaveJsonFile(folder / "ProfileList.ini", ParseJson(R"({"profileselect": 0, "profilelist": [
        {"profilename": "evil", "profileUUID": "../victim"}, {"profilename": "abs", "profileUUID": "/tmp/x"},
        {"profilename": "nul", "profileUUID": "a\u0000b"}, {"profilename": "num", "profileUUID": 5},
        {"profilename": "A", "profileUUID": "a"}, {"profilename": "B", "profileUUID": "b"}]})")));
    ASSERT_TRUE(list.InitProfiles().ok());
    EXPECT_EQ(list.Names(), (std::vector<std::string> {"A", "B"}));
    ASSERT_TRUE(list.DeleteProfile().ok());
    EXPECT_TRUE(fs::exists(victim));
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"B"}));
    EXPECT_TRUE(ProfileDocumentPath(folder, "..").empty());
    EXPECT_TRUE(ProfileDocumentPath(folder, "a/b").empty());
    EXPECT_TRUE(ProfileDocumentPath(folder, "").empty());
}

TEST_F(ProfileListFixture, UnreadableListIsRebuiltFromTheDocuments)
{
    for (const auto& [id, name] : {std::pair {"2021_02", "Second"}, std::pair {"2021_01", "First"}}) {
        Json::Value doc;
        doc["profilename"] = name;
        doc["profileUUID"] = id;
        ASSERT_TRUE(SaveJsonFile(folder / (std::string(id) + ".Json"), doc));
    }
    std::ofstream(folder / "ProfileList.ini") << "{\"profilelist\": [";
    ASSERT_TRUE(list.InitProfiles().ok());
    EXPECT_EQ(list.Names(), (std::vector<std::string> {"First", "Second"}));
    EXPECT_EQ(list.GetSelectedIdentifier(), "2021_01");
    EXPECT_EQ(FileText(folder / "ProfileList.ini.bad"), "{\"profilelist\": [");
    EXPECT_EQ(storedNames(), list.Names());
}

TEST(ProfileTabs, VisibilityByKind)
{
    EXPECT_EQ(TabVisibilityForKind(1).hidden, (std::vector<std::string> {"cursor_Op_tab"}));
    EXPECT_TRUE(TabVisibilityForKind(2).hidden.empty());
    EXPECT_EQ(TabVisibilityForKind(3).hidden.size(), 4u);
    EXPECT_EQ(TabVisibilityForKind(7).shown,
              (std::vector<std::string> {"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}));
}

TEST(ProfileNames, CaseIsIgnoredBeyondAscii)
{
    EXPECT_TRUE(SameNameIgnoringCase("Profile1", "PROFILE1"));
    EXPECT_TRUE(SameNameIgnoringCase("Ärger Ω Ж", "ärger ω ж"));
    EXPECT_FALSE(SameNameIgnoringCase("profile1", "profile1 "));
    EXPECT_FALSE(SameNameIgnoringCase("配置", "配置1"));
}

} // namespace

namespace {

TEST(ProfileFolders, UnderTheUserDataAndProgramFolders)
{
    orvel::testing::TempFolder tmp;
    tmp.setEnv("XDG_DATA_HOME", (tmp / "data").string());
    tmp.setEnv("ORVEL_PROGRAM_DIR", (tmp / "program").string());
    const fs::path folder = ProfileFolder("MousePad");
    EXPECT_EQ(folder, tmp / "data" / "VARNO Orvel 80" / "MousePad");
    EXPECT_TRUE(fs::is_directory(folder)) << "created on the way";
    EXPECT_TRUE(ProfileFolder("../MousePad").empty());
    EXPECT_TRUE(ProfileFolder("").empty());
    EXPECT_EQ(DefaultProfilePath("HD"), tmp / "program" / "DefaultData" / "HD.Json");
    EXPECT_EQ(ProfileDocumentPath(folder, "2021_03_09_14_05_07_042"), folder / "2021_03_09_14_05_07_042.Json");
}

} // namespace
