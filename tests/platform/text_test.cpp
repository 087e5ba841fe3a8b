#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

using orvel::text::FromUtf8;
using orvel::text::HexUpper8;
using orvel::text::ToUtf8;

TEST(Text, RoundTripsEveryPlane)
{
    const std::wstring wide = L"profile 配置文件 \U0001F3AE é";
    EXPECT_EQ(FromUtf8(ToUtf8(wide)), wide);
    EXPECT_EQ(ToUtf8(L"第一组"), "第一组");
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters)
{
    struct Case {
        std::string bytes;
        std::wstring wide;
    };
    const Case cases[] = {
        {"a\xFF" "b", L"a\uFFFDb"},
        {"\xC3", L"\uFFFD"},                   // truncated two-byte sequence
        {"\xC0\xAF", L"\uFFFD"},               // overlong '/'
        {"\xED\xA0\x80", L"\uFFFD"},           // encoded surrogate
        {"\xE4\xB8" "x", L"\uFFFDx"},          // sequence cut by an ASCII byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.bytes), c.wide) << c.bytes;
    }
}

TEST(Text, HexUpper8)
{
    EXPECT_EQ(HexUpper8(0xFFFFFFFFu), "FFFFFFFF");
    EXPECT_EQ(HexUpper8(0x00ab12cdu), "00AB12CD");
    EXPECT_EQ(HexUpper8(0), "00000000");
}

} // namespace
