#include "profiles/jsonfile.h"

#include "platform/debuglog.h"
#include "tests/profiles/json_text.h"
#include "tests/support/full_disk.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;
using orvel::testing::FileText;

int filesIn(const fs::path& folder)
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

Json::Value sampleDocument()
{
    Json::Value doc;
    doc["profilename"] = "配置文件1";
    doc["profileUUID"] = "2021_03_09_14_05_07_042";
    doc["Device"][0]["LightInfo"]["SelectItem"] = 3;
    return doc;
}

TEST(JsonFile, SaveAndLoadRoundTrip)
{
    orvel::testing::TempFolder tmp;
    const fs::path file = tmp / "p.Json";
    ASSERT_TRUE(SaveJsonFile(file, sampleDocument()));
    EXPECT_EQ(LoadJsonFile(file), sampleDocument());
    const std::string text = FileText(file);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text, StyledText(sampleDocument()));
    EXPECT_EQ(text.substr(text.size() - 3), "}\n\n") << "styled text ends with its own line end plus one more";
    EXPECT_EQ(filesIn(tmp.path()), 1) << "no temporary file is left behind";
}

TEST(JsonFile, UnreadableDocumentsLoadAsNull)
{
    orvel::testing::TempFolder tmp;
    struct Case {
        const char* name;
        const char* content; // nullptr: no file
    };
    // JsonCpp throws past its nesting limit; such a document is as broken as any other.
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const Case cases[] = {
        {"missing.Json", nullptr},
        {"empty.Json", ""},
        {"broken.Json", "{\"profilename\": "},
        {"garbage.Json", "\xFF\xFE\x00\x01"},
        {"deep.Json", deep.c_str()},
    };
    for (const auto& c : cases) {
        if (c.content != nullptr) {
            std::ofstream(tmp / c.name, std::ios::binary) << c.content;
        }
        EXPECT_TRUE(LoadJsonFile(tmp / c.name).isNull()) << c.name;
    }
    fs::create_directory(tmp / "folder.Json");
    EXPECT_TRUE(LoadJsonFile(tmp / "folder.Json").isNull()) << "a folder is not a document";
}

TEST(JsonFile, AFifoInPlaceOfADocumentIsRefusedWithoutWaiting)
{
    orvel::testing::TempFolder tmp;
    const fs::path fifo = tmp / "imported.Json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::function<bool()> readsNothing;
    } readers[] = {
        {"readjsonFile", [&] { return readjsonFile(fifo).empty(); }},
        {"LoadJsonFile", [&] { return LoadJsonFile(fifo).isNull(); }},
    };
    for (const auto& reader : readers) {
        auto done = std::async(std::launch::async, reader.readsNothing);
        if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << reader.name << " waits for a writer";
            // A writer that comes and goes lets the blocked open return, so the test can end.
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_TRUE(done.get()) << reader.name;
    }
}

TEST(JsonFile, CommentsAreAccepted)
{
    orvel::testing::TempFolder tmp;
    std::ofstream(tmp / "c.json") << "// list\n{ \"a\": 1 /* one */ }\n";
    EXPECT_EQ(LoadJsonFile(tmp / "c.json")["a"].asInt(), 1);
}

TEST(JsonFile, ReadLogsTheSystemErrorOnEveryCall)
{
    orvel::testing::TempFolder tmp;
    std::vector<std::string> lines;
    orvel::debuglog::SetSinkForTests([&](std::string_view l) { lines.emplace_back(l); });
    std::ofstream(tmp / "ok.json") << "{}";
    readjsonFile(tmp / "ok.json");
    readjsonFile(tmp / "none.json");
    orvel::debuglog::SetSinkForTests({});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "readjsonFile 错误吗：：0\n");
    EXPECT_EQ(lines[1], "readjsonFile 错误吗：：2\n");
}

// A write that fails half-way (the disk fills up) must leave the previous document whole.
TEST(JsonFile, FailedWriteKeepsTheOldDocument)
{
    orvel::testing::TempFolder tmp;
    const fs::path file = tmp / "profile.Json";
    ASSERT_TRUE(SaveJsonFile(file, sampleDocument()));
    const std::string before = FileText(file);

    Json::Value big = sampleDocument();
    big["padding"] = std::string(64 * 1024, 'x');

    bool saved = true;
    {
        orvel::testing::FullDisk full(4096);
        ASSERT_TRUE(full.Active());
        saved = SaveJsonFile(file, big);
    }

    EXPECT_FALSE(saved) << "the failure reaches the caller";
    EXPECT_EQ(FileText(file), before);
    EXPECT_EQ(LoadJsonFile(file), sampleDocument());
    EXPECT_EQ(filesIn(tmp.path()), 1) << "the temporary file is removed";
}

TEST(JsonFile, SaveIntoAMissingOrBlockedFolderFails)
{
    orvel::testing::TempFolder tmp;
    EXPECT_FALSE(SaveJsonFile(tmp / "no-such-folder" / "x.Json", sampleDocument()));
    std::ofstream(tmp / "afile") << "x";
    EXPECT_FALSE(SaveJsonFile(tmp / "afile" / "x.Json", sampleDocument()));
    fs::create_directory(tmp / "target.Json");
    EXPECT_FALSE(SaveJsonFile(tmp / "target.Json", sampleDocument())) << "a folder in the way of the rename";
    EXPECT_TRUE(fs::is_directory(tmp / "target.Json"));
}

TEST(JsonFile, TimeStampFormat)
{
    std::tm local {};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 9;
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(42);
    EXPECT_EQ(MakeTimeStamp(when), "2021_03_09_14_05_07_042");
    EXPECT_EQ(MakeTimeStamp().size(), std::string("2021_03_09_14_05_07_042").size());
}

} // namespace
