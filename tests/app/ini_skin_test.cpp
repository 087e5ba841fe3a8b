#include "app/ini_file.h"
#include "app/skin_settings.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orvel::app {
namespace {

TEST(IniFile, AWriteKeepsEveryOtherLine)
{
    testing::TempFolder temp;
    const auto file = temp / "main.ini";
    std::ofstream(file) << "; kept\r\n[Other]\r\nFLAGS=7\r\n\r\n[skinimage]\r\nflags=1\r\nIMAGE=a.png\r\nKEEP=yes\r\n";
    IniFile ini = IniFile::Load(file);
    EXPECT_EQ(ini.Get("SKINIMAGE", "FLAGS"), "1");
    EXPECT_EQ(ini.Get("Other", "flags"), "7");
    EXPECT_EQ(ini.Get("SKINIMAGE", "missing"), std::nullopt);
    EXPECT_EQ(ini.Get("Missing", "FLAGS"), std::nullopt);
    ini.Set("SKINIMAGE", "IMAGE", "b.png");
    ini.Set("SKINIMAGE", "NEW", "x");
    ini.Set("Third", "K", "v");
    ASSERT_TRUE(ini.Save(file));
    EXPECT_EQ(orvel::testing::FileText(file), "; kept\r\n[Other]\r\nFLAGS=7\r\n\r\n[skinimage]\r\nflags=1\r\nIMAGE=b.png\r\n"
                                              "KEEP=yes\r\nNEW=x\r\n[Third]\r\nK=v\r\n");
}

TEST(SkinSettings, TheShippedImageComesBackAtStartButAResetDoesNot)
{
    testing::TempFolder temp;
    const auto file = temp / "VARNO Orvel 80" / "main.ini";
    EXPECT_EQ(ReadSkinImage(file), std::nullopt);

    ASSERT_TRUE(WriteSkinImage(file, true, L"skin_bk/背景2.png"));
    EXPECT_EQ(orvel::testing::FileText(file), "[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=skin_bk/背景2.png\r\n");
    const auto image = ReadSkinImage(file);
    ASSERT_TRUE(image.has_value());
    EXPECT_FALSE(image->isColour);
    EXPECT_EQ(image->image, L"skin_bk/背景2.png");

    ASSERT_TRUE(WriteSkinImage(file, false, kDefaultBackground));
    EXPECT_EQ(ReadSkinImage(file), std::nullopt);
    EXPECT_EQ(IniFile::Load(file).Get("SKINIMAGE", "IMAGE"), "common/background.png");
}

struct Receiver : SkinReceiver {
    std::vector<SkinChangedParam> responded;
    int Respond(SkinChangedParam param, SkinObserver*) override
    {
        responded.push_back(param);
        return 0;
    }
};

TEST(SkinObserver, ReceiversHearInOrderUntilTheyGo)
{
    SkinObserver subject;
    auto first = std::make_unique<Receiver>();
    Receiver second;
    subject.AddReceiver(first.get());
    subject.AddReceiver(&second);
    const SkinChangedParam colour{true, 0xFF202020, L""};
    subject.Notify(colour);
    first.reset(); // a receiver that goes leaves its subjects
    subject.Notify(SkinChangedParam{false, 0, L"common/background.png"});
    subject.Broadcast(colour); // Broadcast reaches Receive, which ignores it by default
    ASSERT_EQ(second.responded.size(), 2u);
    EXPECT_EQ(second.responded[0], colour);
    EXPECT_EQ(second.responded[1].image, L"common/background.png");
}

} // namespace
} // namespace orvel::app
