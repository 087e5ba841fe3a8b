#include "input/macro_editor.h"

#include "input/macro_library.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::input;

constexpr uint8_t kScanA = 0x1E;
constexpr uint8_t kScanB = 0x30;

std::vector<uint16_t> Delays(const MacroEditor& editor)
{
    std::vector<uint16_t> out;
    for (const MacroRow& row : editor.Rows()) {
        out.push_back(row.event.delay);
        EXPECT_EQ(row.delayText, std::to_string(row.event.delay));
    }
    return out;
}

std::vector<uint8_t> Buttons(const MacroEditor& editor)
{
    std::vector<uint8_t> out;
    for (const MacroRow& row : editor.Rows()) {
        out.push_back(row.event.button);
    }
    return out;
}

TEST(MacroRecording, DelaysFollowTheTimeMode)
{
    const struct {
        TimeMode mode;
        std::vector<uint16_t> delays;
    } cases[] = {
        {TimeMode::Record, {120, 180, 0}},
        {TimeMode::Constant, {50, 50, 50}},
        {TimeMode::Ignore, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        MacroEditor editor;
        editor.StartRecording(c.mode, 50, 1000);
        editor.RecordKey(Placement::Append, kScanA, false, true, 1000);
        editor.RecordKey(Placement::Append, kScanA, false, false, 1120);
        editor.RecordKey(Placement::Append, kScanB, false, true, 1300);
        EXPECT_EQ(Delays(editor), c.delays);
        EXPECT_EQ(editor.Rows()[2].event, (MacroEvent {true, 10, 0x05, c.delays[2]}));
        EXPECT_EQ(editor.Selected(), 2);
    }
}

TEST(MacroRecording, LongPausesAreCappedAt65535)
{
    MacroEditor editor;
    editor.StartRecording(TimeMode::Record, 0, 0);
    editor.RecordKey(Placement::Append, kScanA, false, true, 0);
    editor.RecordKey(Placement::Append, kScanA, false, false, 200000);
    EXPECT_EQ(Delays(editor), (std::vector<uint16_t> {65535, 0}));
}

TEST(MacroRecording, AutoRepeatRecordsOneDownAndOneUp)
{
    MacroEditor editor;
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    for (int i = 0; i < 5; ++i) {
        editor.RecordKey(Placement::Append, kScanA, false, true, uint64_t(i) * 30);
    }
    editor.RecordKey(Placement::Append, kScanA, false, false, 200);
    editor.RecordKey(Placement::Append, kScanA, false, true, 300); // a new press after the release
    ASSERT_EQ(editor.Rows().size(), 3u);
    EXPECT_TRUE(editor.Rows()[0].event.down);
    EXPECT_FALSE(editor.Rows()[1].event.down);
    EXPECT_TRUE(editor.Rows()[2].event.down);
}

TEST(MacroRecording, ModifiersKeepTheirSideAndUnknownKeysAreIgnored)
{
    MacroEditor editor;
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    EXPECT_TRUE(editor.RecordKey(Placement::Append, 0x1D, true, true, 0));  // right Ctrl
    EXPECT_TRUE(editor.RecordKey(Placement::Append, 0x1D, false, true, 0)); // left Ctrl
    EXPECT_FALSE(editor.RecordKey(Placement::Append, 0x7F, false, true, 0));
    ASSERT_EQ(editor.Rows().size(), 2u);
    EXPECT_EQ(editor.Rows()[0].event, (MacroEvent {true, 9, 0x10, 0}));
    EXPECT_EQ(editor.Rows()[1].event, (MacroEvent {true, 9, 0x01, 0}));
}

TEST(MacroRecording, MouseFiltersRepeatsAndTheStopButtonClick)
{
    MacroEditor editor;
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    EXPECT_TRUE(editor.RecordMouse(Placement::Append, MouseMessage::RButtonDown, 0, true, 0));
    EXPECT_FALSE(editor.RecordMouse(Placement::Append, MouseMessage::RButtonDown, 0, false, 0));
    EXPECT_FALSE(editor.RecordMouse(Placement::Append, MouseMessage::Move, 0, false, 0));
    EXPECT_FALSE(editor.RecordMouse(Placement::Append, MouseMessage::Wheel, 0, false, 0));
    EXPECT_TRUE(editor.RecordMouse(Placement::Append, MouseMessage::XButtonDown, 2, false, 0));
    EXPECT_TRUE(editor.RecordMouse(Placement::Append, MouseMessage::XButtonDown, 1, false, 0));
    EXPECT_FALSE(editor.RecordMouse(Placement::Append, MouseMessage::LButtonDown, 0, true, 0));
    EXPECT_EQ(Buttons(editor), (std::vector<uint8_t> {2, 16, 8}));
    editor.StopRecording();
    EXPECT_FALSE(editor.RecordMouse(Placement::Append, MouseMessage::MButtonDown, 0, false, 0));
}

TEST(MacroRecording, PlacementsBeforeAfterAndReplace)
{
    const std::vector<MacroEvent> existing = {{true, 1, 1, 11}, {false, 1, 1, 22}};
    {
        MacroEditor editor;
        editor.SetEvents(existing);
        editor.Select(1);
        editor.StartRecording(TimeMode::Record, 0, 0);
        EXPECT_EQ(editor.RecordKey(Placement::Before, kScanA, false, true, 100), 1u);
        EXPECT_EQ(editor.RecordKey(Placement::Before, kScanA, false, false, 150), 2u);
        EXPECT_EQ(Buttons(editor), (std::vector<uint8_t> {1, 0x04, 0x04, 1}));
        EXPECT_EQ(Delays(editor), (std::vector<uint16_t> {100, 50, 0, 22}));
        EXPECT_EQ(editor.Selected(), 3);
    }
    {
        MacroEditor editor;
        editor.SetEvents(existing);
        editor.Select(0);
        editor.StartRecording(TimeMode::Record, 0, 0);
        EXPECT_EQ(editor.RecordKey(Placement::After, kScanA, false, true, 100), 1u);
        EXPECT_EQ(editor.RecordKey(Placement::After, kScanA, false, false, 150), 2u);
        EXPECT_EQ(Buttons(editor), (std::vector<uint8_t> {1, 0x04, 0x04, 1}));
        EXPECT_EQ(Delays(editor), (std::vector<uint16_t> {11, 50, 0, 22}));
        EXPECT_EQ(editor.Selected(), 2);
    }
    {
        MacroEditor editor;
        editor.SetEvents(existing);
        editor.Select(1);
        editor.StartRecording(TimeMode::Ignore, 0, 0);
        EXPECT_EQ(editor.RecordKey(Placement::Replace, kScanB, false, true, 100), 1u);
        EXPECT_EQ(editor.Rows()[1].event, (MacroEvent {false, 10, 0x05, 22}));
        EXPECT_EQ(editor.Rows().size(), 2u);
    }
}

TEST(MacroRecording, AddsNothingBeyond4000Rows)
{
    MacroEditor editor;
    editor.SetEvents(std::vector<MacroEvent>(kMacroRowLimit, MacroEvent {true, 10, 4, 0}));
    editor.StartRecording(TimeMode::Ignore, 0, 0);
    EXPECT_FALSE(editor.RecordKey(Placement::Append, kScanB, false, true, 0));
    std::string distance = "3";
    EXPECT_FALSE(editor.InsertMove(MoveDirection::Up, distance, 0));
    EXPECT_EQ(editor.Rows().size(), kMacroRowLimit);
}

TEST(MacroRows, MovesKeepTheMovedRowSelected)
{
    const struct {
        const char* name;
        int selected;
        bool (MacroEditor::*move)();
        std::vector<uint8_t> order;
        int selectedAfter;
    } cases[] = {
        {"up", 2, &MacroEditor::MoveUp, {1, 3, 2, 4}, 1},
        {"up at top", 0, &MacroEditor::MoveUp, {1, 2, 3, 4}, 0},
        {"down", 1, &MacroEditor::MoveDown, {1, 3, 2, 4}, 2},
        {"down at bottom", 3, &MacroEditor::MoveDown, {1, 2, 3, 4}, 3},
        {"top", 2, &MacroEditor::MoveToTop, {3, 1, 2, 4}, 0},
        {"bottom", 1, &MacroEditor::MoveToBottom, {1, 3, 4, 2}, 3},
        {"none selected", -1, &MacroEditor::MoveDown, {1, 2, 3, 4}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MacroEditor editor;
        editor.SetEvents({{true, 10, 1, 0}, {true, 10, 2, 0}, {true, 10, 3, 0}, {true, 10, 4, 0}});
        editor.SetDelayText(2, "77"); // the delay edit travels with its row
        editor.Select(c.selected);
        (editor.*c.move)();
        EXPECT_EQ(Buttons(editor), c.order);
        EXPECT_EQ(editor.Selected(), c.selectedAfter);
        for (const MacroRow& row : editor.Rows()) {
            EXPECT_EQ(row.delayText == "77", row.event.button == 3);
        }
    }
}

TEST(MacroRows, InsertsGoAfterTheSelectionOrTheFirstRow)
{
    MacroEditor editor;
    EXPECT_TRUE(editor.InsertMouseButton(2, ClickKind::Click, 30));
    ASSERT_EQ(editor.Rows().size(), 2u);
    EXPECT_EQ(editor.Rows()[0].event, (MacroEvent {true, 1, 2, 30}));
    EXPECT_EQ(editor.Rows()[1].event, (MacroEvent {false, 1, 2, 30}));
    EXPECT_EQ(editor.Selected(), 1);

    editor.Select(-1);
    std::string distance = "300";
    EXPECT_TRUE(editor.InsertMove(MoveDirection::Left, distance, 0));
    EXPECT_EQ(distance, "255");
    EXPECT_EQ(editor.Rows()[1].event, (MacroEvent {true, 4, 255, 0}));
    EXPECT_EQ(editor.Selected(), 1);

    distance = "7";
    EXPECT_TRUE(editor.InsertMove(MoveDirection::Down, distance, 0));
    EXPECT_EQ(editor.Rows()[2].event, (MacroEvent {false, 5, 7, 0}));
    EXPECT_TRUE(editor.DeleteSelected());
    EXPECT_EQ(editor.Rows().size(), 3u);
    editor.DeleteAll();
    EXPECT_TRUE(editor.Rows().empty());
}

TEST(MacroRows, CollectEventsNormalisesTheDelayEdits)
{
    MacroEditor editor;
    editor.SetEvents({{true, 10, 4, 1}, {false, 10, 4, 2}, {true, 10, 5, 3}});
    editor.SetDelayText(0, "");
    editor.SetDelayText(1, "70000");
    editor.SetDelayText(2, "0042");
    const auto events = editor.CollectEvents();
    EXPECT_EQ(events[0].delay, 0);
    EXPECT_EQ(events[1].delay, 65535);
    EXPECT_EQ(events[2].delay, 42);
    EXPECT_EQ(editor.Rows()[0].delayText, "0");
    EXPECT_EQ(editor.Rows()[2].delayText, "42");
}

} // namespace
