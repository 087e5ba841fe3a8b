// The macro panel's rules: its row menu and buttons, how a row looks, and the questions asked
// before a macro is deleted.

#include "input/macro_panel.h"

#include "profiles/jsonfile.h"
#include "tests/support/temp_folder.h"

#include <json/reader.h>

#include <gtest/gtest.h>

namespace {

using namespace orvel::input;

TEST(MacroPanelMenu, EveryItemOfTheRowMenuHasItsCommand)
{
    using Kind = MacroMenuCommand::Kind;
    const struct {
        const char* item;
        bool constantChecked;
        Kind kind;
        std::uint8_t mask;
        ClickKind click;
        Placement placement;
        TimeMode mode;
    } cases[] = {
        {"left_down", false, Kind::InsertButton, 0x01, ClickKind::Press, Placement::Append, TimeMode::Record},
        {"left_up", false, Kind::InsertButton, 0x01, ClickKind::Release, Placement::Append, TimeMode::Record},
        {"left_click", false, Kind::InsertButton, 0x01, ClickKind::Click, Placement::Append, TimeMode::Record},
        {"right_click", false, Kind::InsertButton, 0x02, ClickKind::Click, Placement::Append, TimeMode::Record},
        {"middle_down", false, Kind::InsertButton, 0x04, ClickKind::Press, Placement::Append, TimeMode::Record},
        {"back_up", false, Kind::InsertButton, 0x08, ClickKind::Release, Placement::Append, TimeMode::Record},
        {"forward_click", false, Kind::InsertButton, 0x10, ClickKind::Click, Placement::Append, TimeMode::Record},
        {"redio_previous_record_time", false, Kind::Record, 0, ClickKind::Click, Placement::Before, TimeMode::Record},
        {"redio_previous_record_time", true, Kind::Record, 0, ClickKind::Click, Placement::Before, TimeMode::Constant},
        {"redio_previous_constant_time", false, Kind::Record, 0, ClickKind::Click, Placement::Before,
         TimeMode::Constant},
        {"redio_previous_ignore_time", true, Kind::Record, 0, ClickKind::Click, Placement::Before, TimeMode::Ignore},
        {"redio_later_record_time", false, Kind::Record, 0, ClickKind::Click, Placement::After, TimeMode::Record},
        {"redio_later_constant_time", false, Kind::Record, 0, ClickKind::Click, Placement::After, TimeMode::Constant},
        {"redio_later_ignore_time", false, Kind::Record, 0, ClickKind::Click, Placement::After, TimeMode::Ignore},
        {"macro_action_edit", true, Kind::Record, 0, ClickKind::Click, Placement::Replace, TimeMode::Ignore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        const auto command = MacroMenuCommandOf(c.item, c.constantChecked);
        ASSERT_TRUE(command);
        EXPECT_EQ(command->kind, c.kind);
        if (c.kind == Kind::InsertButton) {
            EXPECT_EQ(command->buttonMask, c.mask);
            EXPECT_EQ(command->click, c.click);
        } else {
            EXPECT_EQ(command->placement, c.placement);
            EXPECT_EQ(command->mode, c.mode);
        }
        EXPECT_EQ(command->stopsAfterFirstEvent, std::string(c.item) == "macro_action_edit");
    }
    for (const char* unknown : {"left_", "left_press", "wheel_down", "redio_later_", "redio_middle_record_time", ""}) {
        EXPECT_FALSE(MacroMenuCommandOf(unknown, false)) << unknown;
    }
    EXPECT_EQ(RecordingTimeMode(true), TimeMode::Constant);
    EXPECT_EQ(RecordingTimeMode(false), TimeMode::Record);
}

TEST(MacroPanelMenu, MoveButtonsTakeTheirOwnDistanceEdit)
{
    EXPECT_EQ(MoveInsertOf("macro_inset_moveleftkey_btn")->direction, MoveDirection::Left);
    EXPECT_STREQ(MoveInsertOf("macro_inset_moveleftkey_btn")->distanceEdit, "mouse_x_left_edit");
    EXPECT_STREQ(MoveInsertOf("macro_inset_moverightkey_btn")->distanceEdit, "mouse_x_right_edit");
    EXPECT_EQ(MoveInsertOf("macro_inset_moveupkey_btn")->direction, MoveDirection::Up);
    EXPECT_STREQ(MoveInsertOf("macro_inset_movedownkey_btn")->distanceEdit, "mouse_y_down_edit");
    EXPECT_FALSE(MoveInsertOf("macro_btn_up"));
}

TEST(MacroPanelRows, EachKindOfEventHasItsLabelsAndStyles)
{
    const struct {
        MacroEvent event;
        std::string name;
        std::string nameStyle;
        std::string actionStyle;
        std::string actionText;
    } cases[] = {
        {{true, eventtype::kKey, 0x04, 120}, "keyboard_key_A", "macro_label_keyboard_style", "macro_label_down_style",
         ""},
        {{false, eventtype::kModifier, 0x10, 0}, "keyboard_key_RCtrl", "macro_label_keyboard_style",
         "macro_label_up_style", ""},
        {{true, eventtype::kMouseButton, 16, 5}, "mouse_key_forward", "macro_label_mouse_style",
         "macro_label_down_style", ""},
        {{true, eventtype::kMoveHorizontal, 12, 5}, "mouse_move_to_left_text", "macro_label_mouse_style",
         "macro_label_text_style", "12"},
        {{false, eventtype::kMoveVertical, 7, 5}, "mouse_move_to_down_text", "macro_label_mouse_style",
         "macro_label_text_style", "7"},
        {{true, 2, 1, 0}, "", "macro_label_mouse_style", "macro_label_down_style", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MacroRowLook look = RowLook({c.event, "0120"});
        EXPECT_EQ(look.nameKey, c.name);
        EXPECT_EQ(look.nameStyle, c.nameStyle);
        EXPECT_EQ(look.actionStyle, c.actionStyle);
        EXPECT_EQ(look.actionText, c.actionText);
        EXPECT_EQ(look.delayText, "0120");
        Json::Value data;
        std::istringstream text(look.userData);
        ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), text, &data, nullptr));
        EXPECT_EQ(ParseEvent(data), c.event);
        EXPECT_TRUE(data["Delay"].isString());
    }
}

TEST(MacroPanelDelete, BothQuestionsComeBeforeAnyChange)
{
    orvel::testing::TempFolder dir;
    MacroLibrary library(dir.path());
    int index = -1;
    ASSERT_EQ(library.Add(index), MacroStatus::Done);
    ASSERT_EQ(library.Add(index), MacroStatus::Done);
    Json::Value profile;
    Json::Value key;
    key["Assignment"] = 0x700100; // macro 1 (the second)
    key["DefaultAssignment"] = 0x100100;
    profile["Device"][0]["KeyList"].append(key);
    ASSERT_TRUE(orvel::profiles::SaveJsonFile(dir / "current.Json", profile));

    EXPECT_EQ(DeleteQuestions(library, 1, dir / "current.Json"),
              (std::vector<std::string> {"message_text_4", "message_text_2"}));
    EXPECT_EQ(DeleteQuestions(library, 0, dir / "current.Json"), (std::vector<std::string> {"message_text_4"}));
    EXPECT_EQ(DeleteQuestions(library, 1, {}), (std::vector<std::string> {"message_text_4"}));
    EXPECT_TRUE(DeleteQuestions(library, 2, dir / "current.Json").empty());
    EXPECT_TRUE(DeleteQuestions(library, -1, dir / "current.Json").empty());
}

} // namespace
