// The shoot panel's state: gun and bullet selection, what the bullet controls show, and that
// nothing is stored before a bullet was selected.

#include "input/shoot_panel.h"

#include "tests/support/file_text.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::input;
namespace fs = std::filesystem;

class ShootPanelOnFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        panel.SetFolder(dir.path());
        panel.SetDefaultFolder(orvel::testing::SourceDefaultData());
        ASSERT_EQ(panel.Initialise(), (std::vector<int> {0, 1, 2, 3}));
    }
    orvel::testing::TempFolder dir;
    ShootPanel panel;
};

TEST_F(ShootPanelOnFiles, NothingIsShownOrStoredBeforeABulletIsSelected)
{
    const std::string before = orvel::testing::FileText(ShootFile(dir.path(), 0));
    EXPECT_EQ(panel.Bullet(), -1);
    EXPECT_EQ(panel.BulletLabel(), "");
    EXPECT_FALSE(panel.SelectGun(0));
    BulletFields fields {true, "9", true, "9", "9"};
    EXPECT_EQ(panel.Save(fields), ShootStatus::Done);
    EXPECT_EQ(orvel::testing::FileText(ShootFile(dir.path(), 0)), before);
}

TEST_F(ShootPanelOnFiles, SelectionIsClampedAndShowsTheStoredBullet)
{
    EXPECT_EQ(panel.PreviousBullet(), (BulletFields {true, "0", false, "2", "100"})) << "the default bullets";
    EXPECT_EQ(panel.Bullet(), 0);
    EXPECT_EQ(panel.BulletLabel(), "1");
    panel.SelectBullet(40);
    EXPECT_EQ(panel.Bullet(), 29);
    EXPECT_EQ(panel.BulletLabel(), "30");
    panel.NextBullet();
    EXPECT_EQ(panel.Bullet(), 29);

    panel.SelectGun(7);
    EXPECT_EQ(panel.Gun(), 3);
    BulletFields fields {true, "3", false, "12", "95"};
    ASSERT_EQ(panel.Save(fields), ShootStatus::Done);
    EXPECT_EQ(panel.SelectGun(0), (BulletFields {true, "0", false, "2", "100"}));
    EXPECT_EQ(panel.SelectGun(3), fields) << "the selected bullet of the gun shown again";

    ASSERT_EQ(panel.Reset(), ShootStatus::Done);
    EXPECT_EQ(panel.ShowSelected(), (BulletFields {true, "0", false, "2", "100"}));
    EXPECT_EQ(panel.Import(dir / "missing.shoot"), ShootStatus::Failed);
    EXPECT_STREQ(ShootMessage(ShootStatus::Failed), "message_shoot_file_failed");
    EXPECT_STREQ(ShootMessage(ShootStatus::Done), "");
}

} // namespace
