#include "input/keyset_code.h"

#include "input/key_tables.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::input;

constexpr AssignmentCode kDefaultLeft {0x10, 0x01, 0x00};
constexpr int kMacros = 5;

KeySetFields Fields(int category)
{
    KeySetFields f;
    f.category = category;
    return f;
}

TEST(BuildCode, TiltAndWheelPackCountDirectionDelayAndSpeed)
{
    KeySetFields tilt = Fields(category::kTilt);
    tilt.tiltDirection = 1;
    tilt.tiltCount = "3";
    tilt.tiltDelay = "2";
    tilt.tiltSpeed = "9";
    EXPECT_EQ(BuildCode(tilt, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x11, 0x29, 0x83}));

    KeySetFields wheel = Fields(category::kWheel);
    wheel.wheelDirection = 1;
    wheel.wheelCount = "5";
    wheel.wheelDelay = "0";
    wheel.wheelSpeed = "0";
    EXPECT_EQ(BuildCode(wheel, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x12, 0x00, 0xFB}));
}

TEST(BuildCode, TypedNumbersAreClampedToTheirFieldAndTheEditRewritten)
{
    const struct {
        const char* count;
        const char* delay;
        const char* speed;
        AssignmentCode code;
        const char* countShown;
        const char* delayShown;
    } cases[] = {
        {"0", "0", "0", {0x12, 0x00, 0xFF}, "1", "0"},      // down 0 would be stored as 0x80 and read as 128
        {"300", "99", "x", {0x12, 0xF0, 0x81}, "127", "15"},
        {"-4", "-1", "16", {0x12, 0x0F, 0xFF}, "1", "0"},
        {"abc", "3", "4", {0x12, 0x34, 0xFF}, "1", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        KeySetFields wheel = Fields(category::kWheel);
        wheel.wheelDirection = 1;
        wheel.wheelCount = c.count;
        wheel.wheelDelay = c.delay;
        wheel.wheelSpeed = c.speed;
        const BuiltCode built = BuildCode(wheel, {kDefaultLeft, kDefaultLeft}, kMacros);
        EXPECT_EQ(built.code, c.code);
        EXPECT_EQ(built.fields.wheelCount, c.countShown);
        EXPECT_EQ(built.fields.wheelDelay, c.delayShown);
    }
    KeySetFields fire = Fields(category::kAutoFire);
    fire.fireInterval = "1000";
    fire.fireCount = "2";
    EXPECT_EQ(BuildCode(fire, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x14, 0xFF, 0x02}));
}

TEST(BuildCode, MacroNeedsAValidMacroAndTheRepeatModeChoosesTheType)
{
    const AssignmentCode current {0x10, 0x02, 0x00};
    const struct {
        int macro;
        int mode;
        const char* repeat;
        AssignmentCode code;
    } cases[] = {
        {2, 1, "", {0x70, 2, 1}},
        {0, 4, "7", {0x71, 0, 7}},
        {4, -1, "", {0x70, 4, 0}},
        {5, 0, "", current}, // not below the number of macros: unchanged
        {-1, 0, "", current},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.macro);
        KeySetFields f = Fields(category::kMacro);
        f.macro = c.macro;
        f.macroMode = c.mode;
        f.macroRepeat = c.repeat;
        EXPECT_EQ(BuildCode(f, {current, kDefaultLeft}, kMacros).code, c.code);
    }
}

TEST(BuildCode, DefaultCategoryAndEmptyListsFallBack)
{
    const AssignmentCode current {0x13, 0x01, 0x00};
    const AssignmentCode defaults {0x10, 0x04, 0x00};
    EXPECT_EQ(BuildCode(Fields(category::kDefault), {current, defaults}, kMacros).code, defaults);
    EXPECT_EQ(BuildCode(Fields(category::kMedia), {current, defaults}, kMacros).code, current);
    KeySetFields gun = Fields(category::kGunKey);
    gun.gun = 2;
    EXPECT_EQ(BuildCode(gun, {current, defaults}, kMacros).code, (AssignmentCode {0x72, 2, 0}));
}

TEST(ShowCode, ShowsEachTypeOnItsPage)
{
    const AssignmentCode defaults {0x10, 0x01, 0x00};
    {
        const auto shown = ShowCode({0x11, 0x29, 0x83}, defaults, kDeviceMouse, kMacros).fields;
        EXPECT_EQ(shown.category, category::kTilt);
        EXPECT_EQ(shown.tiltDirection, 1);
        EXPECT_EQ(shown.tiltCount, "3");
        EXPECT_EQ(shown.tiltDelay, "2");
        EXPECT_EQ(shown.tiltSpeed, "9");
    }
    {
        const auto shown = ShowCode({0x12, 0x00, 0xFB}, defaults, kDeviceMouse, kMacros).fields;
        EXPECT_EQ(shown.category, category::kWheel);
        EXPECT_EQ(shown.wheelDirection, 1);
        EXPECT_EQ(shown.wheelCount, "5");
    }
    {
        const auto shown = ShowCode({0x71, 3, 9}, defaults, kDeviceMouse, kMacros).fields;
        EXPECT_EQ(shown.category, category::kMacro);
        EXPECT_EQ(shown.macro, 3);
        EXPECT_EQ(shown.macroMode, kMacroRepeatCountMode);
        EXPECT_TRUE(shown.repeatRowVisible);
        EXPECT_EQ(shown.macroRepeat, "9");
    }
    {
        const auto shown = ShowCode({0x70, 7, 2}, defaults, kDeviceMouse, kMacros).fields;
        EXPECT_EQ(shown.category, category::kMacro);
        EXPECT_EQ(shown.macro, -1);
        EXPECT_EQ(shown.macroMode, -1);
        EXPECT_FALSE(shown.repeatRowVisible);
    }
}

TEST(ShowCode, DefaultCodeShowsCategoryZeroEvenWhenItsTypeHasAPage)
{
    const AssignmentCode code {0x13, 0x03, 0x00};
    const auto shown = ShowCode(code, code, kDeviceMouse, kMacros);
    EXPECT_EQ(shown.fields.category, category::kDefault);
    EXPECT_TRUE(shown.fields.layoutVisible);
}

TEST(ShowCode, HidesThePanelWhenTheCategoryHasNoItem)
{
    const AssignmentCode defaults {0x20, 0x00, 0x04};
    EXPECT_FALSE(ShowCode({0x13, 0x01, 0}, defaults, kDeviceKeyboard, kMacros).fields.layoutVisible);
    EXPECT_FALSE(ShowCode({0x72, 0x01, 0}, defaults, kDeviceKeyboard, kMacros).fields.layoutVisible);
    EXPECT_TRUE(ShowCode({0x72, 0x01, 0}, defaults, kDeviceMouse, kMacros).fields.layoutVisible);
    EXPECT_FALSE(ShowCode({0x23, 0, 0}, defaults, kDeviceMouse, kMacros).fields.layoutVisible);
}

TEST(ShowCode, KeyboardCodesChooseTheirModifierBox)
{
    const AssignmentCode defaults {0x10, 0x01, 0x00};
    const struct {
        AssignmentCode code;
        int category;
        int box;
        const char* keyName;
        AssignmentCode shown;
    } cases[] = {
        {{0x20, 0x00, 0x04}, category::kKeyboardKey, 0, "keyboard_key_A", {0x20, 0x00, 0x04}},
        {{0x20, 0x10, 0x04}, category::kKeyboardKey, 1, "keyboard_key_A", {0x20, 0x10, 0x04}},
        {{0x20, 0x40, 0x05}, category::kKeyboardKey, 3, "keyboard_key_B", {0x20, 0x40, 0x05}},
        {{0x20, 0x80, 0x00}, category::kKeyboardKey, 4, "", {0x20, 0x80, 0x00}},
        // a combination of modifier bits matches no box: box 0 and the modifier cleared
        {{0x20, 0x03, 0x06}, category::kKeyboardKey, 0, "keyboard_key_C", {0x20, 0x00, 0x06}},
        // a usage missing from the key table clears the code
        {{0x20, 0x00, 0xF0}, category::kKeyboardKey, -1, "", {0x20, 0x00, 0x00}},
        {{0x20, 0x81, 0x06}, category::kCombination, -1, "", {0x20, 0x81, 0x06}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code.b1) << "/" << int(c.code.b2));
        const auto shown = ShowCode(c.code, defaults, kDeviceKeyboard, kMacros);
        EXPECT_EQ(shown.fields.category, c.category);
        EXPECT_EQ(shown.fields.modifierBox, c.box);
        EXPECT_EQ(shown.fields.keyName, c.keyName);
        EXPECT_EQ(shown.shownCode, c.shown);
    }
}

TEST(ShowCode, ShownFieldsBuildTheSameCodeAgain)
{
    const AssignmentCode defaults {0x10, 0x08, 0x00};
    const AssignmentCode codes[] = {
        {0x10, 0x02, 0}, {0x11, 0x29, 0x83}, {0x11, 0xFF, 0x01}, {0x12, 0x00, 0xFB}, {0x12, 0x51, 0x7F},
        {0x13, 0x02, 0}, {0x14, 0x50, 0x02}, {0x20, 0x00, 0x2C}, {0x20, 0x04, 0x3A}, {0x30, 0xE9, 0x00},
        {0x30, 0x27, 0x02}, {0x40, 0x04, 0}, {0x70, 1, 3}, {0x71, 4, 200}, {0x72, 3, 0},
    };
    for (const AssignmentCode code : codes) {
        SCOPED_TRACE(testing::Message() << std::hex << int(code.type) << "/" << int(code.b1) << "/" << int(code.b2));
        const auto shown = ShowCode(code, defaults, kDeviceMouse, kMacros);
        EXPECT_EQ(BuildCode(shown.fields, {defaults, defaults}, kMacros).code, code);
    }
}

TEST(CaptureKey, RightCtrlSelectsTheCtrlBoxAndBuildsTheLeftCtrlBit)
{
    KeySetFields f = SelectCategory(Fields(category::kDefault), category::kKeyboardKey);
    ASSERT_TRUE(CaptureKey(f, 0x1D, true));
    EXPECT_EQ(f.modifierBox, 1);
    EXPECT_TRUE(f.keyName.empty());
    EXPECT_EQ(BuildCode(f, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x20, 0x01, 0x00}));

    ASSERT_TRUE(CaptureKey(f, 0x1E, false)); // A keeps the Ctrl box
    EXPECT_EQ(f.keyName, "keyboard_key_A");
    EXPECT_EQ(BuildCode(f, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x20, 0x01, 0x04}));
}

TEST(CaptureKey, IgnoresKeysOutsideTheTableAndSelectsBoxZeroForAPlainKey)
{
    KeySetFields f = SelectCategory(Fields(category::kDefault), category::kKeyboardKey);
    const KeySetFields before = f;
    EXPECT_FALSE(CaptureKey(f, 0x36, false));
    EXPECT_EQ(f, before);
    ASSERT_TRUE(CaptureKey(f, 0x45, true));
    EXPECT_EQ(f.modifierBox, 0);
    EXPECT_EQ(f.keyName, "keyboard_key_Num Lock");
    EXPECT_EQ(BuildCode(f, {kDefaultLeft, kDefaultLeft}, kMacros).code, (AssignmentCode {0x20, 0x00, 0x53}));
}

TEST(ModifierBoxOf, LeftAndRightShareABox)
{
    const int boxes[] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(ModifierBoxOf(i), boxes[i]) << i;
    }
}

} // namespace
