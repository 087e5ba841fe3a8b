#include "input/shoot_data.h"

#include "input/file_bytes.h"
#include "profiles/jsonfile.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>


namespace {

namespace fs = std::filesystem;
using namespace orvel::input;
using orvel::profiles::LoadJsonFile;
using orvel::profiles::SaveJsonFile;

using orvel::testing::FileText;
using orvel::testing::WriteText;

Json::Value Pattern(int bullets, const Bullet& bullet)
{
    Json::Value doc;
    doc["Events"] = Json::Value(Json::arrayValue);
    for (int b = 0; b < bullets; ++b) {
        for (const MacroEvent& e : BulletEvents(bullet)) {
            doc["Events"].append(EventToJson(e, DelayForm::Integer));
        }
    }
    return doc;
}

const Bullet kDefaultBullet {false, 0, false, 2, 100};

class ShootData : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(defaults);
        fs::create_directory(profile);
        for (int gun = 0; gun < 4; ++gun) {
            ASSERT_TRUE(SaveJsonFile(ShootFile(defaults, gun), Pattern(30, kDefaultBullet)));
        }
    }
    orvel::testing::TempFolder dir;
    fs::path defaults = dir / "DefaultData";
    fs::path profile = dir / "profile";
};

TEST_F(ShootData, SavingABulletWritesItsSixEvents)
{
    ASSERT_EQ(RepairGunFiles(profile, defaults), (std::vector<int> {0, 1, 2, 3}));
    BulletFields fields {true, "3", false, "12", "95"};
    ASSERT_EQ(SaveBullet(profile, 1, 4, fields), ShootStatus::Done);
    const Json::Value events = LoadJsonFile(ShootFile(profile, 1))["Events"];
    ASSERT_EQ(events.size(), 180u);
    const struct {
        const char* action;
        int button;
        int delay;
        int type;
    } expected[] = {{"down", 1, 10, 1}, {"up", 1, 0, 1}, {"down", 3, 5, 4}, {"up", 12, 95, 5}, {"down", 0, 0, 4}, {"up", 0, 0, 5}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Json::Value& e = events[24 + i];
        EXPECT_EQ(e["Action"].asString(), expected[i].action);
        EXPECT_EQ(e["Button"], Json::Value(expected[i].button));
        EXPECT_EQ(e["Delay"], Json::Value(expected[i].delay)); // an integer here, not a string
        EXPECT_EQ(e["Type"], Json::Value(expected[i].type));
    }
    EXPECT_EQ(ShowBullet(profile, 1, 4), fields);
    EXPECT_EQ(ShowBullet(profile, 1, 5), (BulletFields {false, "0", false, "2", "100"}));
    EXPECT_EQ(ShowBullet(profile, 0, 4), (BulletFields {false, "0", false, "2", "100"}));
}

TEST_F(ShootData, TypedNumbersAreClampedAndWrittenBack)
{
    RepairGunFiles(profile, defaults);
    BulletFields fields {false, "300", true, "-2", "abc"};
    ASSERT_EQ(SaveBullet(profile, 0, 0, fields), ShootStatus::Done);
    EXPECT_EQ(fields, (BulletFields {false, "255", true, "0", "0"}));
    EXPECT_EQ(ShowBullet(profile, 0, 0), fields);
}

TEST_F(ShootData, ASavedBulletBeyondAShortPatternFillsTheGapWithStillBullets)
{
    ASSERT_TRUE(SaveJsonFile(ShootFile(profile, 2), Pattern(2, kDefaultBullet)));
    BulletFields fields {true, "1", true, "1", "50"};
    ASSERT_EQ(SaveBullet(profile, 2, 4, fields), ShootStatus::Done);
    const Json::Value events = LoadJsonFile(ShootFile(profile, 2))["Events"];
    EXPECT_EQ(events.size(), 30u);
    for (const Json::Value& e : events) {
        EXPECT_TRUE(ParseEvent(e).has_value());
    }
    EXPECT_EQ(ShowBullet(profile, 2, 3), (BulletFields {false, "0", false, "0", "0"}));
}

TEST_F(ShootData, NothingIsSavedIntoAnInvalidFile)
{
    WriteText(ShootFile(profile, 3), R"({"Events": 5})");
    BulletFields fields {true, "1", true, "1", "1"};
    EXPECT_EQ(SaveBullet(profile, 3, 0, fields), ShootStatus::Invalid);
    EXPECT_EQ(FileText(ShootFile(profile, 3)), R"({"Events": 5})");
    EXPECT_FALSE(ShowBullet(profile, 3, 0).has_value());
}

TEST_F(ShootData, RepairReplacesMissingAndInvalidFilesAndKeepsTheInvalidOne)
{
    ASSERT_TRUE(SaveJsonFile(ShootFile(profile, 0), Pattern(1, {true, 9, true, 9, 9})));
    WriteText(ShootFile(profile, 1), "not json");
    fs::remove(ShootFile(defaults, 3));
    EXPECT_EQ(RepairGunFiles(profile, defaults), (std::vector<int> {1, 2}));
    EXPECT_EQ(ShowBullet(profile, 0, 0), (BulletFields {true, "9", true, "9", "9"}));
    EXPECT_EQ(FileText(ShootFile(profile, 1)), FileText(ShootFile(defaults, 1)));
    EXPECT_EQ(FileText(dir / "profile" / "ShootData_1.Shoot.bad"), "not json");
    EXPECT_FALSE(fs::exists(ShootFile(profile, 3)));

    WriteText(ShootFile(profile, 1), "broken again");
    EXPECT_EQ(RepairGunFiles(profile, defaults), (std::vector<int> {1}));
    EXPECT_EQ(FileText(dir / "profile" / "ShootData_1.Shoot.bad"), "not json") << "the first copy kept stays";
    EXPECT_EQ(FileText(dir / "profile" / "ShootData_1.Shoot.bad1"), "broken again");
}

TEST_F(ShootData, ResetCopiesTheDefaultFile)
{
    ASSERT_TRUE(SaveJsonFile(ShootFile(profile, 2), Pattern(30, {true, 1, true, 1, 1})));
    ASSERT_EQ(ResetGun(profile, defaults, 2), ShootStatus::Done);
    EXPECT_EQ(FileText(ShootFile(profile, 2)), FileText(ShootFile(defaults, 2)));
    fs::remove(ShootFile(defaults, 2));
    EXPECT_EQ(ResetGun(profile, defaults, 2), ShootStatus::Missing);
}

TEST_F(ShootData, ImportChecksTheFileAndExportCopiesIt)
{
    RepairGunFiles(profile, defaults);
    const std::string before = FileText(ShootFile(profile, 0));
    Json::Value tooMany = Pattern(31, kDefaultBullet);
    const std::string good = orvel::profiles::StyledText(Pattern(3, {true, 4, false, 5, 60}));
    const struct {
        const char* name;
        std::string text;
        ShootStatus status;
    } cases[] = {
        {"not json", "{", ShootStatus::NotJson},
        {"no events", R"({"Bullets":[]})", ShootStatus::WrongShape},
        {"bad event", R"({"Events":[{"Action":"down","Type":1,"Button":1,"Delay":null}]})", ShootStatus::WrongShape},
        {"too many events", orvel::profiles::StyledText(tooMany), ShootStatus::WrongShape},
        {"too large", std::string(kMaxDocumentBytes + 1, ' '), ShootStatus::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(dir / "in.shoot", c.text);
        EXPECT_EQ(ImportGun(profile, 0, dir / "in.shoot"), c.status);
        EXPECT_EQ(FileText(ShootFile(profile, 0)), before);
    }
    EXPECT_EQ(ImportGun(profile, 0, dir / "missing.shoot"), ShootStatus::Failed);
    WriteText(dir / "in.shoot", good);
    ASSERT_EQ(ImportGun(profile, 0, dir / "in.shoot"), ShootStatus::Done);
    EXPECT_EQ(FileText(ShootFile(profile, 0)), good);
    EXPECT_EQ(ShowBullet(profile, 0, 2), (BulletFields {true, "4", false, "5", "60"}));
    ASSERT_EQ(ExportGun(profile, 0, dir / "out.shoot"), ShootStatus::Done);
    EXPECT_EQ(FileText(dir / "out.shoot"), good);
}

TEST_F(ShootData, ExportAndImportKeepThePermissionsOfTheFileTheyReplace)
{
    RepairGunFiles(profile, defaults);
    WriteText(dir / "in.shoot", orvel::profiles::StyledText(Pattern(3, {true, 4, false, 5, 60})));
    const fs::path exported = dir / "out.shoot";
    WriteText(exported, "the user's own file");
    const struct {
        const char* name;
        fs::path replaced;
        std::function<ShootStatus()> write;
    } cases[] = {
        {"export over the user's file", exported, [&] { return ExportGun(profile, 0, exported); }},
        {"import over a stored pattern", ShootFile(profile, 1), [&] { return ImportGun(profile, 1, dir / "in.shoot"); }},
    };
    const fs::perms ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    for (const auto& c : cases) {
        const std::string before = FileText(c.replaced);
        fs::permissions(c.replaced, ownerOnly);
        ASSERT_EQ(c.write(), ShootStatus::Done) << c.name;
        EXPECT_EQ(fs::status(c.replaced).permissions() & fs::perms::all, ownerOnly) << c.name;
        EXPECT_NE(FileText(c.replaced), before) << c.name;
    }
}

TEST(ShootIndexes, AreClampedToTheirRange)
{
    const struct {
        int bullet;
        int previous;
        int next;
    } cases[] = {{0, 0, 1}, {29, 28, 29}, {-1, 0, 0}, {40, 29, 29}, {12, 11, 13}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bullet);
        EXPECT_EQ(PreviousBullet(c.bullet), c.previous);
        EXPECT_EQ(NextBullet(c.bullet), c.next);
    }
    EXPECT_EQ(ClampGun(-1), 0);
    EXPECT_EQ(ClampGun(7), 3);
    EXPECT_EQ(ShootFile("/p", 9).filename(), "ShootData_3.Shoot");
}

TEST_F(ShootData, TheImageOfFourFullGunsIs2920Bytes)
{
    RepairGunFiles(profile, defaults);
    const ImageResult image = BuildShootImage(profile, 4096);
    ASSERT_EQ(image.status, ImageStatus::Ok);
    ASSERT_EQ(image.bytes.size(), 2920u);
    const std::vector<uint8_t> header = {0xAA, 0x55, 0x68, 0x0B, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                         24, 0, 0xEC, 0x02, 0xC0, 0x05, 0x94, 0x08};
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.begin() + 24), header);
    // gun 0: 180 events, then bullet 0: press with 10 ms, release, moves
    const std::vector<uint8_t> gun0 = {180, 0, 0, 0, 10, 0, 0x81, 1, 0, 0, 0x01, 1, 5, 0, 0x04, 0, 100, 0, 0x05, 2};
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin() + 24, image.bytes.begin() + 44), gun0);
    EXPECT_EQ(BuildShootImage(profile, 2919).status, ImageStatus::TooBig);
}

TEST_F(ShootData, TheImageLeavesOutMissingGunsAndCutsLongOnes)
{
    ASSERT_TRUE(SaveJsonFile(ShootFile(profile, 1), Pattern(40, kDefaultBullet)));
    WriteText(ShootFile(profile, 2), "[");
    const ImageResult image = BuildShootImage(profile, 4096);
    ASSERT_EQ(image.status, ImageStatus::Ok);
    EXPECT_EQ(image.bytes.size(), 16u + 24u + 4u * 180u);
    EXPECT_EQ(image.bytes[16], 24);                // gun 0's section
    EXPECT_EQ(image.bytes[24], 0);                 // has no events
    EXPECT_EQ(image.bytes[28], 180);               // gun 1 cut to 180
}

} // namespace
