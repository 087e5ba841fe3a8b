// The key-set panel's state: the halves it remembers, the save buttons, and the order of the
// write to the device.

#include "input/keyset_panel.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::input;

constexpr AssignmentCode kTilt {0x11, 0x29, 0x83};
constexpr AssignmentCode kKeyA {0x20, 0x00, 0x04};

TEST(KeySetPanel, SaveDefaultAndCancelMoveTheHalvesAndTheButtons)
{
    KeySetPanel panel(kDeviceMouse);
    panel.ShowKey({kTilt, kKeyA});
    EXPECT_EQ(panel.Fields().category, category::kTilt);
    EXPECT_EQ(panel.Fields().tiltCount, "3");
    EXPECT_FALSE(panel.SaveButtonsEnabled());

    KeySetFields controls = panel.Fields();
    controls.wheelDirection = 1;
    controls.wheelCount = "5";
    controls.wheelDelay = "0";
    controls.wheelSpeed = "20"; // beyond 15: used as 15 and shown so
    EXPECT_EQ(panel.PickCategory(controls, category::kWheel), (AssignmentCode {0x12, 0x0F, 0xFB}));
    EXPECT_EQ(panel.Halves().current, (AssignmentCode {0x12, 0x0F, 0xFB}));
    EXPECT_EQ(panel.Fields().wheelSpeed, "15");
    EXPECT_TRUE(panel.SaveButtonsEnabled());

    // "key_butt_keydefalut" shows the default without storing it; cancel shows the current again.
    EXPECT_EQ(panel.Default().category, category::kDefault);
    EXPECT_EQ(panel.Halves().current, (AssignmentCode {0x12, 0x0F, 0xFB}));
    EXPECT_TRUE(panel.SaveButtonsEnabled());
    EXPECT_EQ(panel.Cancel().category, category::kWheel);
    EXPECT_EQ(panel.Fields().wheelCount, "5");
    EXPECT_FALSE(panel.SaveButtonsEnabled());

    // Default, then save: the default becomes the current half.
    panel.Default();
    EXPECT_EQ(panel.Save(panel.Fields()), kKeyA);
    EXPECT_EQ(panel.Halves().current, kKeyA);
    EXPECT_EQ(panel.Cancel().category, category::kDefault);
}

TEST(KeySetPanel, ACodeThePanelCannotShowBecomesTheCodeShown)
{
    const struct {
        AssignmentCode code;
        AssignmentCode shown;
    } cases[] = {
        {{0x20, 0x03, 0x04}, {0x20, 0x00, 0x04}}, // two modifier bits: box 0, modifier cleared
        {{0x20, 0x00, 0xF0}, {0x20, 0x00, 0x00}}, // a usage missing from the key table
        {{0x20, 0x02, 0x05}, {0x20, 0x02, 0x05}},
    };
    for (const auto& c : cases) {
        KeySetPanel panel;
        panel.ShowKey({c.code, kTilt});
        EXPECT_EQ(panel.Halves().current, c.shown);
    }
}

TEST(KeySetPanel, RepeatModeFourShowsTheCountRow)
{
    KeySetPanel panel;
    panel.SetMacroCount(2);
    panel.ShowKey({{0x70, 0x01, 0x02}, kKeyA});
    KeySetFields controls = panel.Fields();
    controls.macroRepeat = "9";
    EXPECT_EQ(panel.PickRepeatMode(controls, 4), (AssignmentCode {0x71, 0x01, 0x09}));
    EXPECT_TRUE(panel.Fields().repeatRowVisible);
    EXPECT_EQ(panel.PickRepeatMode(panel.Fields(), 3), (AssignmentCode {0x70, 0x01, 0x03}));
    EXPECT_FALSE(panel.Fields().repeatRowVisible);
    EXPECT_EQ(panel.PickModifier(panel.Fields(), 2), (AssignmentCode {0x70, 0x01, 0x03}))
        << "a modifier box means nothing to a macro code";
}

TEST(KeySetPanel, TheDeviceGetsTheKeysOnlyOnceItHasTheirMacros)
{
    const struct {
        const char* what;
        MacroWriteOutcome macros;
        int keyStatus;
        std::vector<std::string> steps;
        bool written;
        std::string message;
        std::optional<int64_t> number;
        bool notUpdated;
    } cases[] = {
        {"written", {ImageStatus::Ok, 0, 1, 32}, 1, {"save", "macros", "keys"}, true, "", std::nullopt, false},
        {"no macros", {ImageStatus::NothingToWrite, 0, 0, 32}, 1, {"save", "macros", "keys"}, true, "", std::nullopt,
         false},
        {"10 bytes too big", {ImageStatus::TooBig, 128 * 32 + 10, 0, 32}, 1, {"save", "macros"}, false,
         "message_text_16", 3, false},
        {"251 events", {ImageStatus::TooManyEvents, 251, 0, 32}, 1, {"save", "macros"}, false, "message_text_26", 1,
         false},
        {"macros unreadable", {ImageStatus::Failed, 0, 0, 32}, 1, {"save", "macros"}, false, "message_text_7",
         std::nullopt, false},
        {"macros did not arrive", {ImageStatus::Ok, 0, -101, 32}, 1, {"save", "macros"}, false, "", std::nullopt,
         true},
        {"keys did not arrive", {ImageStatus::Ok, 0, 1, 32}, 0, {"save", "macros", "keys"}, false, "", std::nullopt,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeySetPanel panel;
        panel.ShowKey({kTilt, kKeyA});
        panel.Default();
        panel.Save(panel.Fields());
        std::vector<std::string> steps;
        const KeyWriteSteps device {
            [&] { steps.push_back("save"); return true; },
            [&] { steps.push_back("macros"); return c.macros; },
            [&] { steps.push_back("keys"); return c.keyStatus; },
        };
        const KeyWriteResult result = panel.WriteToDevice(device);
        EXPECT_EQ(steps, c.steps);
        EXPECT_TRUE(result.profileSaved);
        EXPECT_EQ(result.keysWritten, c.written);
        EXPECT_EQ(result.refusal.messageKey, c.message);
        EXPECT_EQ(result.refusal.number, c.number);
        EXPECT_EQ(result.deviceNotUpdated, c.notUpdated);
        EXPECT_EQ(panel.SaveButtonsEnabled(), !c.written);
        EXPECT_EQ(panel.Halves().current, kKeyA) << "the assignment is kept whatever the device did";
    }
}

} // namespace
