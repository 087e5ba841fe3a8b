#include "app/language.h"
#include "platform/settings.h"
#include "tests/support/file_text.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace orvel::app {
namespace {

class Language : public ::testing::Test {
protected:
    void SetUp() override { temp.setEnv("XDG_CONFIG_HOME", (temp / "config").string()); }
    void StoreId(std::uint32_t id)
    {
        auto key = settings::RegistryKey::OpenForWriting(settings::kProductKey);
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE(key->SetDword(settings::kLanguageValue, id));
    }
    testing::TempFolder temp;
};

TEST_F(Language, TheShippedListHasEnglishFirstThenChinese)
{
    const auto entries = ReadLanguageList(orvel::testing::SourceDefaultData() / kLanguageListFile);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].file, "lan_en.xml");
    EXPECT_EQ(entries[1].file, "lan_cn.xml");
    EXPECT_EQ(entries[1].text, "简体中文");
}

TEST_F(Language, ListEntriesThatNameFilesOutsideTheSkinAreLeftOut)
{
    const auto file = temp / "Language.config";
    orvel::testing::WriteText(file, R"({"Language":[
        {"Language_name":"en","Language_file":"lan_en.xml","Language_text":"English","Language_ID":1033},
        {"Language_name":"x","Language_file":"../../etc/passwd","Language_ID":1},
        {"Language_name":"y","Language_file":"","Language_ID":2},
        {"Language_name":"th","Language_file":"lan_th.xml","Language_text":"ไทย","Language_ID":"1054"}]})");
    const auto entries = ReadLanguageList(file);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].file, "lan_th.xml");
    EXPECT_EQ(entries[1].id, -1); // a wrongly typed id reads as missing
    EXPECT_TRUE(ReadLanguageList(temp / "missing.config").empty());
}

TEST_F(Language, TheRegistryIdPicksTheEntry)
{
    const std::vector<LanguageEntry> entries{{"en", "lan_en.xml", "English", 1033}, {"cn", "lan_cn.xml", "中文", 2052}};
    EXPECT_EQ(ReadLanguageIndex(entries), 0); // no key
    StoreId(2052);
    EXPECT_EQ(ReadLanguageIndex(entries), 1);
    StoreId(kNoLanguageId);
    EXPECT_EQ(ReadLanguageIndex(entries), 0);
    StoreId(9999);
    EXPECT_EQ(ReadLanguageIndex(entries), 0);
    EXPECT_TRUE(WriteLanguageId(1033));
    EXPECT_EQ(ReadLanguageIndex(entries), 0);
    EXPECT_EQ(ReadLanguageIndex({}), 0);
}

TEST_F(Language, TheFaceGoesByLanguageNotByPlace)
{
    struct Case {
        std::int64_t id;
        const char* face;
    };
    const Case cases[] = {
        {2052, "Noto Sans CJK SC"}, {4100, "Noto Sans CJK SC"}, {1028, "Noto Sans CJK TC"},
        {3076, "Noto Sans CJK TC"}, {1054, "Noto Sans Thai"},   {1033, "Noto Sans"},
        {1031, "Noto Sans"},        {-1, "Noto Sans"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FontFaceFor(LanguageEntry{"", "f.xml", "", c.id}), c.face) << c.id;
}

TEST_F(Language, ASwitchRebuildsTheFontsOnlyWhenTheFaceChanges)
{
    const std::vector<LanguageEntry> entries{{"en", "lan_en.xml", "", 1033},
                                             {"de", "lan_de.xml", "", 1031},
                                             {"cn", "lan_cn.xml", "", 2052}};
    struct Case {
        int current, index;
        bool change, rebuild;
        const char* face;
    };
    const Case cases[] = {
        {-1, 0, true, true, "Noto Sans"},        // the first switch always builds them
        {0, 0, false, false, ""},                // the current language: nothing
        {0, 1, true, false, "Noto Sans"},        // same face
        {1, 2, true, true, "Noto Sans CJK SC"},  // another face
        {2, 0, true, true, "Noto Sans"},
        {0, 3, false, false, ""},                // outside the list
        {0, -1, false, false, ""},
    };
    for (const Case& c : cases) {
        const LanguageSwitch plan = PlanLanguageSwitch(entries, c.current, c.index);
        EXPECT_EQ(plan.change, c.change) << c.current << "->" << c.index;
        EXPECT_EQ(plan.rebuildFonts, c.rebuild) << c.current << "->" << c.index;
        EXPECT_EQ(plan.face, c.face) << c.current << "->" << c.index;
    }
}

} // namespace
} // namespace orvel::app
