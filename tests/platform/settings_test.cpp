#include "platform/settings.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace orvel::settings {
namespace {

namespace fs = std::filesystem;

class Settings : public ::testing::Test {
protected:
    void SetUp() override { temp.setEnv("XDG_CONFIG_HOME", temp.path().string()); }
    fs::path file() const { return temp.path() / "VARNO Orvel 80" / "registry.json"; }
    void writeFile(const std::string& text)
    {
        fs::create_directories(file().parent_path());
        std::ofstream(file(), std::ios::binary) << text;
    }
    testing::TempFolder temp;
};

TEST_F(Settings, MissingFileIsAKeyThatDoesNotOpen)
{
    EXPECT_FALSE(RegistryKey::OpenForReading(kProductKey));
    EXPECT_FALSE(fs::exists(file())) << "reading creates nothing";
}

TEST_F(Settings, OnlyTheProductKeyIsKept)
{
    writeFile(R"({"LANGUAGE": 1})");
    EXPECT_FALSE(RegistryKey::OpenForReading("SOFTWARE\\Other"));
    EXPECT_FALSE(RegistryKey::OpenForWriting("SOFTWARE\\Other"));
}

TEST_F(Settings, WriteCreatesFolderAndFileAndReadsBack)
{
    auto key = RegistryKey::OpenForWriting(kProductKey);
    ASSERT_TRUE(key);
    EXPECT_TRUE(fs::exists(file()));
    EXPECT_TRUE(key->SetDword(kLanguageValue, 520));
    auto reader = RegistryKey::OpenForReading(kProductKey);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->QueryDword(kLanguageValue), 520u);
    EXPECT_EQ(reader->QueryDword("OTHER"), std::nullopt);
    EXPECT_TRUE(key->SetDword(kLanguageValue, 0xFFFFFFFFu));
    EXPECT_EQ(reader->QueryDword(kLanguageValue), 0xFFFFFFFFu);
}

TEST_F(Settings, WriteKeepsOtherValues)
{
    writeFile(R"({"LANGUAGE": 3, "KEEP": "me"})");
    auto key = RegistryKey::OpenForWriting(kProductKey);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->SetDword(kLanguageValue, 4));
    std::ifstream in(file());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\"KEEP\""), std::string::npos);
    EXPECT_EQ(key->QueryDword(kLanguageValue), 4u);
}

TEST_F(Settings, BadDocumentsAndValuesReadAsMissing)
{
    struct Case {
        const char* text;
        bool keyOpens;
    };
    // Nested deeper than the parser's limit: the parser throws instead of failing.
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const Case cases[] = {
        {"", false},
        {deep.c_str(), false},
        {"{\"LANGUAGE\": ", false},
        {"[1, 2]", false},
        {"7", false},
        {R"({"LANGUAGE": "1"})", true},
        {R"({"LANGUAGE": -1})", true},
        {R"({"LANGUAGE": 4294967296})", true},
        {R"({"LANGUAGE": 1.5})", true},
        {R"({"LANGUAGE": null})", true},
        {R"({"LANGUAGE": {"a": 1}})", true},
        {R"({"language": 1})", true},
    };
    for (const Case& c : cases) {
        writeFile(c.text);
        auto key = RegistryKey::OpenForReading(kProductKey);
        EXPECT_EQ(key.has_value(), c.keyOpens) << c.text;
        if (key) {
            EXPECT_EQ(key->QueryDword(kLanguageValue), std::nullopt) << c.text;
        }
    }
}

TEST_F(Settings, BrokenFileIsReplacedByAWrite)
{
    writeFile("{broken");
    auto key = RegistryKey::OpenForWriting(kProductKey);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->SetDword(kLanguageValue, 9));
    EXPECT_EQ(RegistryKey::OpenForReading(kProductKey)->QueryDword(kLanguageValue), 9u);
}

// A write that cannot land (here: a folder stands where the file belongs) reports failure
// and leaves no temporary file behind.
TEST_F(Settings, FailedWriteIsReportedAndLeavesNothing)
{
    fs::create_directories(file());
    auto key = RegistryKey::OpenForWriting(kProductKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->SetDword(kLanguageValue, 2));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file().parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(RegistryKey::OpenForReading(kProductKey));
}

TEST(VersionNumber, FromText)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"1.0.0.0", 1000}, {"1.0.3", 103}, {"2.10.4", 2104}, {"", 0},    {"abc", 0},
        {"1.2b3", 12},     {"..5", 5},     {"99999999999", 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionNumberFromText(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(ReadInstalledVersion(), 1000);
}

} // namespace
} // namespace orvel::settings
