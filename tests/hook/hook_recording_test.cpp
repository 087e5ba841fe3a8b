// The panels' entry points for hook messages: key capture and macro recording, fed the very
// messages the hook sends.

#include "input/hook/hook_recording.h"
#include "input/key_tables.h"

#include <gtest/gtest.h>

namespace orvel::input {
namespace {

// evdev codes
constexpr std::uint16_t kA = 30;
constexpr std::uint16_t kB = 48;
constexpr std::uint16_t kLeftCtrl = 29;
constexpr std::uint16_t kRightCtrl = 97;

class Messages {
public:
    RecordedRow Key(MacroEditor& editor, Placement placement, std::uint16_t code, bool down, DWORD time)
    {
        const auto made = keys_.Make({code, down, time});
        return RecordKeyMessage(editor, placement, made->wParam, reinterpret_cast<LPARAM>(&made->record));
    }
    RecordedRow Button(MacroEditor& editor, PointerButton button, bool down, POINT at, DWORD time,
                       const std::optional<ScreenRect>& stop = std::nullopt)
    {
        const MouseMessageRecord made = MakeMouseMessage({button, down, at.x, at.y, time});
        return RecordMouseMessage(editor, Placement::Append, made.wParam, reinterpret_cast<LPARAM>(&made.record), stop);
    }
    std::optional<AssignmentCode> Capture(KeySetPanel& panel, std::uint16_t code, bool down)
    {
        const auto made = keys_.Make({code, down, 0});
        return CaptureKeyMessage(panel, panel.Fields(), made->wParam, reinterpret_cast<LPARAM>(&made->record));
    }

private:
    KeyMessageMaker keys_;
};

TEST(HookRecording, KeysAndButtonsBecomeRowsWithTheirTimes)
{
    MacroEditor editor;
    Messages m;
    editor.StartRecording(TimeMode::Record, 0, 1000);
    m.Key(editor, Placement::Append, kRightCtrl, true, 1000);
    m.Key(editor, Placement::Append, kA, true, 1040);
    m.Key(editor, Placement::Append, kA, false, 1100);
    m.Key(editor, Placement::Append, kRightCtrl, false, 1110);
    m.Button(editor, PointerButton::Back, true, {10, 10}, 1300);
    m.Button(editor, PointerButton::Back, false, {10, 10}, 1350);
    const std::vector<MacroEvent> expected {
        {true, eventtype::kModifier, 0x10, 40}, {true, eventtype::kKey, 0x04, 60},
        {false, eventtype::kKey, 0x04, 10},     {false, eventtype::kModifier, 0x10, 190},
        {true, eventtype::kMouseButton, 8, 50}, {false, eventtype::kMouseButton, 8, 0},
    };
    EXPECT_EQ(editor.CollectEvents(), expected);
}

TEST(HookRecording, OnlyTheLeftClickOnTheStopButtonIsLeftOut)
{
    MacroEditor editor;
    Messages m;
    const ScreenRect stop {100, 200, 180, 230};
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    m.Button(editor, PointerButton::Right, true, {120, 210}, 0, stop);
    m.Button(editor, PointerButton::Right, false, {120, 210}, 0, stop);
    m.Button(editor, PointerButton::Left, true, {120, 210}, 0, stop);
    m.Button(editor, PointerButton::Left, true, {180, 210}, 0, stop); // just outside
    m.Button(editor, PointerButton::Left, false, {99, 229}, 0, stop);
    std::vector<std::uint8_t> buttons;
    for (const MacroRow& row : editor.Rows()) {
        buttons.push_back(row.event.button);
    }
    EXPECT_EQ(buttons, (std::vector<std::uint8_t> {2, 2, 1, 1}));
}

TEST(HookRecording, PlacementsComeFromTheMessageRoute)
{
    MacroEditor editor;
    Messages m;
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    m.Key(editor, Placement::Append, kA, true, 0);
    m.Key(editor, Placement::Append, kA, false, 0);
    editor.Select(0);
    m.Key(editor, Placement::Replace, kB, true, 0);
    EXPECT_EQ(editor.Rows()[0].event, (MacroEvent {true, eventtype::kKey, 0x05, 0}));
    EXPECT_EQ(editor.Rows().size(), 2u);
}

TEST(HookKeyCapture, TakesPressesOnlySoAModifierAndAKeyStayTogether)
{
    KeySetPanel panel;
    panel.ShowKey({{0x20, 0, 0x04}, {0x20, 0, 0x04}});
    panel.PickCategory(panel.Fields(), category::kKeyboardKey);
    Messages m;
    EXPECT_EQ(m.Capture(panel, kLeftCtrl, true), (AssignmentCode {0x20, 0x01, 0x00}));
    EXPECT_EQ(m.Capture(panel, kB, true), (AssignmentCode {0x20, 0x01, 0x05}));
    EXPECT_FALSE(m.Capture(panel, kB, false));
    EXPECT_FALSE(m.Capture(panel, kLeftCtrl, false));
    EXPECT_EQ(panel.Halves().current, (AssignmentCode {0x20, 0x01, 0x05}));
    EXPECT_EQ(panel.Fields().keyName, "keyboard_key_B");
    EXPECT_EQ(panel.Fields().modifierBox, 1);
    // Right Ctrl shares the Ctrl box and builds the left-Ctrl bit.
    EXPECT_EQ(m.Capture(panel, kRightCtrl, true), (AssignmentCode {0x20, 0x01, 0x00}));
}

} // namespace
} // namespace orvel::input
