#include "platform/debuglog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvel::debuglog::SetSinkForTests([this](std::string_view line) { lines.emplace_back(line); });
    }
    void TearDown() override { orvel::debuglog::SetSinkForTests({}); }
    std::vector<std::string> lines;
};

TEST_F(DebugLogTest, ChineseStatusLinesPassThroughAsUtf8)
{
    OutputDebugStringW(L"抓取设备线程设定退出");
    OutputDebugStringA("所有对象处于激发状态\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "抓取设备线程设定退出\n");
    EXPECT_EQ(lines[1], "所有对象处于激发状态\n");
}

TEST_F(DebugLogTest, FormattedLinesOfAnyLength)
{
    orvel::debuglog::Writef("readjsonFile 错误吗：：%d", 2);
    const std::string longText(2000, 'x');
    orvel::debuglog::Writef("%s", longText.c_str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "readjsonFile 错误吗：：2\n");
    EXPECT_EQ(lines[1], longText + "\n");
}

} // namespace
