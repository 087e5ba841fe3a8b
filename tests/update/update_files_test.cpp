// The download folder, package names and the last-check date file.

#include "update/update_files.h"

#include "tests/support/file_text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvel::update {
namespace {

TEST(UpdateFiles, DownloadFolderIsPrivateAndRefusedWhenRedirected)
{
    testing::TempFolder temp;
    temp.setEnv("XDG_CACHE_HOME", (temp.path() / "cache").string());
    const fs::path folder = UpdateDataFolder();
    EXPECT_EQ(folder, temp.path() / "cache" / "varno-orvel-80" / "UpdateData");
    std::string error;
    ASSERT_TRUE(PrepareUpdateDataFolder(folder, error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A folder that someone opened up again is made private again.
    fs::permissions(folder, fs::perms::all);
    ASSERT_TRUE(PrepareUpdateDataFolder(folder, error));
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A link in its place could send the packages anywhere.
    fs::create_directories(temp.path() / "elsewhere");
    fs::create_directory_symlink(temp.path() / "elsewhere", temp.path() / "linked");
    EXPECT_FALSE(PrepareUpdateDataFolder(temp.path() / "linked", error));
    EXPECT_NE(error.find("cannot be made"), std::string::npos);
}

TEST(UpdateFiles, PackageNameTakesAPlainExtensionOfItsAddress)
{
    const fs::path folder = "/d";
    const struct {
        const char* url;
        const char* file;
    } cases[] = {
        {"https://h/files/setup.exe", "AP.exe"},
        {"https://h/files/orvel-1.0.1.tar.gz?token=1", "AP.tar.gz"},
        {"https://h/files/p.deb#x", "AP.deb"},
        {"https://h/files/download", "AP.exe"},
        {"https://h/files/.hidden", "AP.exe"},
        {"https://h/files/a.b/c", "AP.exe"},
        {"https://h/files/x.e$e", "AP.exe"},
        {"https://h/files/x.2", "AP.exe"},
        {"https://h/files/fw.bin.", "AP.exe"},
        {"https://h/files/orvel_1.0.2.AppImage", "AP.AppImage"},
        {"", "AP.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackageFile(folder, "AP", c.url), folder / c.file) << c.url;
}

TEST(UpdateFiles, LastCheckDateIsStoredWithoutLeadingZeros)
{
    EXPECT_EQ(DateText(2024, 3, 7), "2024-3-7");
    testing::TempFolder temp;
    const fs::path file = temp.path() / "data" / "updatetime.config";
    EXPECT_EQ(ReadLastCheckDate(file), "");
    ASSERT_TRUE(WriteLastCheckDate(file, "2024-3-7"));
    EXPECT_EQ(ReadLastCheckDate(file), "2024-3-7");
    EXPECT_NE(testing::FileText(file).find("\"updatelasttime\""), std::string::npos);

    testing::WriteText(file, "{\"updatelasttime\":{\"value\":7}}");
    EXPECT_EQ(ReadLastCheckDate(file), "");
}

} // namespace
} // namespace orvel::update
