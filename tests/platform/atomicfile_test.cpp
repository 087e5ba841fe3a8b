// Writing a file whole or not at all, keeping its permissions, and clearing away what saves
// killed half-way left behind.
#include "platform/atomicfile.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::atomicfile {
namespace {

namespace fs = std::filesystem;
using orvel::testing::TempFolder;

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporaryFiles)
{
    TempFolder temp;
    const fs::path target = temp / "doc.json";
    EXPECT_TRUE(WriteFileAtomically(target, "first"));
    EXPECT_TRUE(WriteFileAtomically(target, "second"));
    std::ifstream in(target);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "second");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(temp.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(WriteFileAtomically(temp / "missing-folder" / "doc.json", "x"));
}

TEST(AtomicFile, KeepsPermissionsOfTheFileItReplacesAndFollowsTheUmaskForNewOnes)
{
    TempFolder temp;
    const fs::path kept = temp / "kept.json";
    std::ofstream(kept) << "old";
    fs::permissions(kept, fs::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(kept, "new"));
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all, fs::perms(0640));

    const mode_t old = ::umask(027);
    const bool written = WriteFileAtomically(temp / "fresh.json", "x");
    ::umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(fs::status(temp / "fresh.json").permissions() & fs::perms::all, fs::perms(0640));
}

TEST(AtomicFile, ALongNameStillGetsATemporaryFile)
{
    TempFolder temp;
    const fs::path target = temp / std::string(250, 'a');
    EXPECT_TRUE(WriteFileAtomically(target, "x"));
    EXPECT_TRUE(fs::is_regular_file(target));
}

TEST(AtomicFile, AWriteRemovesWhatInterruptedSavesLeftAndNothingElse)
{
    enum class Kind { File, Folder, Link };
    const struct {
        const char* name;
        Kind kind;
        int ageSeconds;
        bool removed;
    } cases[] = {
        {".mouse.Json.orvel-tmp-a1B2c3", Kind::File, 120, true},
        {".ProfileList.ini.orvel-tmp-ZZZZZZ", Kind::File, 61, true},
        {".mouse.Json.orvel-tmp-d4E5f6", Kind::File, 5, false}, // a save running beside this one
        {".mouse.Json.orvel-tmp-a1B2c", Kind::File, 120, false},
        {".mouse.Json.orvel-tmp-a1B2c!", Kind::File, 120, false},
        {"mouse.Json.orvel-tmp-a1B2c3", Kind::File, 120, false},
        {".orvel-tmp-a1B2c3", Kind::File, 120, false},
        {".bash_history.backup", Kind::File, 120, false},
        {".notes.txt.Ab12Cd", Kind::File, 120, false},
        {".cache.orvel-tmp-a1B2c3", Kind::Folder, 120, false},
        {".link.orvel-tmp-a1B2c3", Kind::Link, 120, false},
    };
    TempFolder temp;
    std::ofstream(temp / "link-target") << "kept";
    for (const auto& c : cases) {
        const fs::path path = temp / c.name;
        switch (c.kind) {
        case Kind::File:
            std::ofstream(path) << "half a document";
            break;
        case Kind::Folder:
            fs::create_directory(path);
            break;
        case Kind::Link:
            fs::create_symlink(temp / "link-target", path);
            break;
        }
        const timespec then {::time(nullptr) - c.ageSeconds, 0};
        const timespec times[2] = {then, then};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << c.name;
    }

    ASSERT_TRUE(WriteFileAtomically(temp / "keyboard.Json", "{}"));
    for (const auto& c : cases) {
        EXPECT_EQ(!fs::exists(fs::symlink_status(temp / c.name)), c.removed) << c.name;
    }
    EXPECT_TRUE(fs::exists(temp / "link-target"));
}

} // namespace
} // namespace orvel::atomicfile
