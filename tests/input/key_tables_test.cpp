#include "input/key_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace {

using namespace orvel::input;

std::string NameAt(size_t index)
{
    return KeyTable()[index].nameKey;
}

struct ScanCase {
    uint8_t scan;
    bool extended;
    const char* name; // nullptr: not capturable
};

TEST(ScanCodeTable, FindsTheKeysWhoseCodesDifferOnlyByTheExtendedFlag)
{
    const ScanCase cases[] = {
        {0x1D, false, "keyboard_key_LCtrl"},     {0x1D, true, "keyboard_key_RCtrl"},
        {0x45, false, "keyboard_key_Pause"},     {0x45, true, "keyboard_key_Num Lock"},
        {0x37, true, "keyboard_key_Print Scr"},  {0x37, false, "keyboard_key_Num *"},
        {0x35, true, "keyboard_key_Num /"},      {0x35, false, "keyboard_key_/"},
        {0x1C, true, "keyboard_key_Num Enter"},  {0x1C, false, "keyboard_key_Enter"},
        {0x36, true, "keyboard_key_RShift"},     {0x36, false, nullptr},
        {0x52, true, "keyboard_key_Insert"},     {0x52, false, "keyboard_key_Num 0"},
        {0x48, true, "keyboard_key_Up"},         {0x48, false, "keyboard_key_Num 8"},
        {0x56, false, "keyboard_key_K45"},       {0x73, false, "keyboard_key_K56"},
        {0x7D, false, "keyboard_key_K14"},       {0x7E, false, "keyboard_key_K107"},
        {0x7B, false, "keyboard_key_K131"},      {0x79, false, "keyboard_key_K132"},
        {0x70, false, "keyboard_key_K133"},      {0x71, false, "keyboard_key_K150"},
        {0x72, false, "keyboard_key_K151"},      {0x5D, true, "keyboard_key_App"},
        {0x57, false, "keyboard_key_F11"},       {0x7F, false, nullptr},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.scan) << (c.extended ? " ext" : ""));
        const auto found = FindKeyByScanCode(c.scan, c.extended);
        if (c.name == nullptr) {
            EXPECT_FALSE(found.has_value());
        } else {
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(NameAt(*found), c.name);
        }
    }
}

TEST(ScanCodeTable, EveryCapturableKeyHasItsOwnScanCode)
{
    std::set<std::pair<int, bool>> seen;
    for (const ScanCode& s : ScanCodeTable()) {
        EXPECT_TRUE(seen.insert({s.code, s.extended}).second) << std::hex << int(s.code);
    }
}

TEST(KeyTable, PlacesTheGroupsAtTheirIndexes)
{
    const struct {
        size_t index;
        const char* name;
        AssignmentCode code;
    } cases[] = {
        {0, "keyboard_key_LCtrl", {0x20, 0x01, 0}},
        {7, "keyboard_key_RWin", {0x20, 0x80, 0}},
        {8, "keyboard_key_A", {0x20, 0, 0x04}},
        {91, "keyboard_key_Num Enter", {0x20, 0, 0x58}},
        {102, "keyboard_key_Decimal", {0x20, 0, 0x63}},
        {103, "keyboard_key_App", {0x20, 0, 0x65}},
        {113, "keyboard_key_K42", {0x20, 0, 0x32}},
        {114, "keyboard_key_Space", {0xA0, 0x44, 0x2C}},
        {115, "keyboard_key_B", {0xA0, 0x44, 0x05}},
        {116, "keyboard_key_Launch App2", {0x30, 0x92, 0x01}},
        {133, "keyboard_key_Launch Media Select", {0x30, 0x83, 0x01}},
        {134, "keyboard_key_Power", {0x40, 0x01, 0}},
        {137, "keyboard_key_M1", {0xD0, 0xA2, 1}},
        {141, "keyboard_key_M5", {0xD0, 0xA2, 5}},
        {142, "keyboard_key_FN", {0xA0, 0x01, 0}},
        {143, "keyboard_key_GM", {0xA0, 0x1B, 0}},
    };
    ASSERT_EQ(KeyTable().size(), kKeyTableSize);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(NameAt(c.index), c.name);
        EXPECT_EQ(KeyTable()[c.index].code, c.code);
    }
    EXPECT_EQ(KeyTable()[91].virtualKey, 0x101);
}

TEST(FunctionCategories, KeyboardHasNoDpiAndNoGunKey)
{
    const auto keyboard = FunctionCategories(kDeviceKeyboard);
    const auto mouse = FunctionCategories(kDeviceMouse);
    EXPECT_EQ(mouse.size(), 12u);
    EXPECT_EQ(std::count(keyboard.begin(), keyboard.end(), category::kDpi), 0);
    EXPECT_EQ(std::count(keyboard.begin(), keyboard.end(), category::kGunKey), 0);
    EXPECT_EQ(std::count(keyboard.begin(), keyboard.end(), category::kMacro), 1);
}

TEST(AssignmentInteger, RoundTripsTheThreeBytes)
{
    const AssignmentCode code {0x70, 0x01, 0x02};
    EXPECT_EQ(ToInteger(code), 0x700102u);
    EXPECT_EQ(FromInteger(0x700102), code);
    EXPECT_EQ(FromInteger(0x7FFFFFFF), (AssignmentCode {0xFF, 0xFF, 0xFF}));
}

} // namespace
