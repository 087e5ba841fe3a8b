#include "input/key_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace orvel::input;

// Shows each key as "<key>" so the test sees which names were used and how they were joined.
std::wstring Bracketed(std::string_view key)
{
    return L"<" + std::wstring(key.begin(), key.end()) + L">";
}

TEST(KeyButtonText, NamesEachKindOfCode)
{
    const std::vector<std::string> macros = {"macro_1", "宏二"};
    const struct {
        AssignmentCode code;
        const wchar_t* text;
    } cases[] = {
        {{0x20, 0x00, 0x04}, L"<keyboard_key_A>"},
        {{0x20, 0x01, 0x00}, L"<keyboard_key_LCtrl>"},
        {{0x20, 0x01, 0x04}, L"<keyboard_key_LCtrl>+<keyboard_key_A>"},
        {{0x20, 0x03, 0x00}, L"<keyboard_key_LCtrl>+<keyboard_key_LShift>"},
        {{0x20, 0x00, 0x00}, L"<close_text>"},
        {{0x00, 0x00, 0x00}, L"<close_text>"},
        {{0x10, 0x10, 0x00}, L"<mouse_key_forward>"},
        {{0x11, 0x29, 0x83}, L"<mouse_key_right_Swing>"},
        {{0x11, 0x29, 0x03}, L"<mouse_key_left_Swing>"},
        {{0x12, 0x00, 0xFB}, L"<mouse_key_down_Swing>"},
        {{0x12, 0x00, 0x05}, L"<mouse_key_up_Swing>"},
        {{0x13, 0x03, 0x00}, L"<mouse_key_DPI_loop>"},
        {{0x14, 0x10, 0x09}, L"<mouse_key_fire_key>"},
        {{0x16, 0x00, 0x00}, L"<mouse_key_DPI_shift>"},
        {{0x22, 0x00, 0x02}, L"<custem_paste>"},
        {{0x22, 0x00, 0x09}, L""},
        {{0x23, 0x00, 0x00}, L"<show_window>"},
        {{0x30, 0xE2, 0x00}, L"<media_mute>"},
        {{0x40, 0x02, 0x00}, L"<system_sleep>"},
        {{0x70, 0x01, 0x00}, L"宏二"},
        {{0x71, 0x00, 0x05}, L"macro_1"},
        {{0x70, 0x02, 0x00}, L""},
        {{0xA0, 0x00, 0x00}, L"<close_text>"},
        {{0xA0, 0x02, 0x00}, L"<mouse_key_smart_key>"},
        {{0xA0, 0x01, 0x00}, L"<keyboard_key_FN>"},
        {{0xA0, 0x44, 0x2C}, L"<keyboard_key_Space>"},
        {{0xD0, 0xA2, 0x03}, L"<keyboard_key_M3>"},
        {{0x50, 0x00, 0x00}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code.type) << "/" << int(c.code.b1) << "/" << int(c.code.b2));
        EXPECT_EQ(KeyButtonText(c.code, Bracketed, macros), c.text);
    }
}

TEST(IsOnlyLeftButton, GuardsTheLastLeftButtonOnly)
{
    const AssignmentCode left {0x10, 0x01, 0x00};
    const AssignmentCode right {0x10, 0x02, 0x00};
    const std::vector<AssignmentCode> one = {left, right, right};
    const std::vector<AssignmentCode> two = {left, right, left};
    EXPECT_TRUE(IsOnlyLeftButton(one, 0));
    EXPECT_FALSE(IsOnlyLeftButton(one, 1));
    EXPECT_FALSE(IsOnlyLeftButton(two, 0));
    EXPECT_FALSE(IsOnlyLeftButton(one, 7));
}

TEST(DescribeMacroWrite, TellsWhichLimitWasPassedAndByHowMuch)
{
    const int units = 32; // 4096 bytes
    const struct {
        ImageStatus status;
        int64_t value;
        const char* key;
        std::optional<int64_t> number;
        bool writeKeys;
    } cases[] = {
        {ImageStatus::Ok, 0, "", std::nullopt, true},
        {ImageStatus::NothingToWrite, 0, "", std::nullopt, true},
        {ImageStatus::TooBig, 4096 + 10, "message_text_16", 3, false},
        {ImageStatus::TooBig, 4096 + 1, "message_text_16", 1, false},
        {ImageStatus::TooManyEvents, 251, "message_text_26", 1, false},
        {ImageStatus::TooManyEvents, 400, "message_text_26", 150, false},
        {ImageStatus::Failed, 0, "message_text_7", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ImageResult result;
        result.status = c.status;
        result.value = c.value;
        const WriteMessage message = DescribeMacroWrite(result, units);
        EXPECT_EQ(message.messageKey, c.key);
        EXPECT_EQ(message.number, c.number);
        EXPECT_EQ(message.writeKeys, c.writeKeys);
    }
}

} // namespace
