#include "platform/paths.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace orvel::paths;

TEST(Paths, UserFoldersFollowXdgVariables)
{
    orvel::testing::TempFolder tmp;
    tmp.setEnv("XDG_DATA_HOME", (tmp / "data").string());
    tmp.setEnv("XDG_CONFIG_HOME", (tmp / "config").string());
    tmp.setEnv("XDG_RUNTIME_DIR", (tmp / "run").string());
    EXPECT_EQ(UserDataFolder(), tmp / "data" / "VARNO Orvel 80");
    EXPECT_EQ(ConfigFolder(), tmp / "config" / "VARNO Orvel 80");
    EXPECT_EQ(RuntimeFolder(), tmp / "run" / "varno-orvel-80");
}

TEST(Paths, RelativeOrEmptyXdgValuesFallBackToHome)
{
    orvel::testing::TempFolder tmp;
    tmp.setEnv("HOME", tmp.path().string());
    tmp.setEnv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(LocalAppData(), tmp / ".local/share");
    tmp.setEnv("XDG_DATA_HOME", "");
    EXPECT_EQ(LocalAppData(), tmp / ".local/share");
}

TEST(Paths, ProgramFolderOverride)
{
    orvel::testing::TempFolder tmp;
    tmp.setEnv("ORVEL_PROGRAM_DIR", tmp.path().string());
    EXPECT_EQ(ProgramFolder(), tmp.path());
}

TEST(Paths, CreateFoldersMakesEveryLevel)
{
    orvel::testing::TempFolder tmp;
    const fs::path deep = tmp / "a/b/c";
    EXPECT_TRUE(CreateFolders(deep));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(CreateFolders(deep)) << "an existing folder is fine";
    const fs::path file = tmp / "plain";
    { std::ofstream(file) << "x"; }
    EXPECT_FALSE(CreateFolders(file / "below")) << "a file in the way";
}

TEST(Paths, BackslashNames)
{
    const fs::path base("/skin");
    EXPECT_EQ(FromBackslashName(base, "XML\\CustomControlXML\\DeviceOption.xml"),
              fs::path("/skin/XML/CustomControlXML/DeviceOption.xml"));
    EXPECT_EQ(FromBackslashName(base, "main.xml"), fs::path("/skin/main.xml"));
    EXPECT_EQ(FromBackslashName(base, "a\\\\b/c"), fs::path("/skin/a/b/c"));
}

TEST(Paths, PlainNames)
{
    for (const char* ok : {"2021_03_09_14_05_07_042", "profile1", "a-b_C"}) {
        EXPECT_TRUE(IsPlainName(ok)) << ok;
    }
    for (const char* bad : {"", "..", ".", "a/b", "..\\x", "/etc/passwd", "a b", "x.mac"}) {
        EXPECT_FALSE(IsPlainName(bad)) << bad;
    }
    EXPECT_FALSE(IsPlainName(std::string_view("ab\0c", 4)));
    EXPECT_FALSE(IsPlainName(std::string(201, 'a')));
}

} // namespace
