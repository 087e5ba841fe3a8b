#include "input/linux_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace orvel::input;

TEST(LinuxKeys, MapToTheScanCodesOfTheirKeys)
{
    const struct {
        uint16_t evdev;
        const char* name;
    } cases[] = {
        {1, "keyboard_key_Esc"},          {29, "keyboard_key_LCtrl"},    {97, "keyboard_key_RCtrl"},
        {42, "keyboard_key_LShift"},      {54, "keyboard_key_RShift"},   {100, "keyboard_key_RAlt"},
        {125, "keyboard_key_LWin"},       {126, "keyboard_key_RWin"},    {127, "keyboard_key_App"},
        {69, "keyboard_key_Num Lock"},    {119, "keyboard_key_Pause"},   {99, "keyboard_key_Print Scr"},
        {55, "keyboard_key_Num *"},       {98, "keyboard_key_Num /"},    {53, "keyboard_key_/"},
        {96, "keyboard_key_Num Enter"},   {28, "keyboard_key_Enter"},    {110, "keyboard_key_Insert"},
        {82, "keyboard_key_Num 0"},       {103, "keyboard_key_Up"},      {72, "keyboard_key_Num 8"},
        {86, "keyboard_key_K45"},         {89, "keyboard_key_K56"},      {124, "keyboard_key_K14"},
        {121, "keyboard_key_K107"},       {94, "keyboard_key_K131"},     {92, "keyboard_key_K132"},
        {93, "keyboard_key_K133"},        {123, "keyboard_key_K150"},    {122, "keyboard_key_K151"},
        {87, "keyboard_key_F11"},         {30, "keyboard_key_A"},        {58, "keyboard_key_Caplk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.evdev);
        const auto scan = ScanCodeOfLinuxKey(c.evdev);
        ASSERT_TRUE(scan.has_value());
        const auto key = FindKeyByScanCode(scan->code, scan->extended);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(std::string(KeyTable()[*key].nameKey), c.name);
    }
    EXPECT_FALSE(ScanCodeOfLinuxKey(0).has_value());
    EXPECT_FALSE(ScanCodeOfLinuxKey(240).has_value());
}

TEST(LinuxKeys, EveryCapturableKeyCanBeReached)
{
    std::set<size_t> reached;
    for (uint16_t code = 0; code < 256; ++code) {
        if (const auto scan = ScanCodeOfLinuxKey(code)) {
            if (const auto key = FindKeyByScanCode(scan->code, scan->extended)) {
                reached.insert(*key);
            }
        }
    }
    for (size_t i = 0; i < kScanCodeCount; ++i) {
        EXPECT_TRUE(reached.count(i)) << KeyTable()[i].nameKey;
    }
}

} // namespace
