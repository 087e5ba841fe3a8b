#include "input/macro_panel.h"

#include <json/writer.h>

namespace orvel::input {
namespace {

struct NamedButton {
    std::string_view prefix;
    std::uint8_t mask;
};
constexpr std::array<NamedButton, 5> kMenuButtons {{
    {"left_", 0x01},
    {"right_", 0x02},
    {"middle_", 0x04},
    {"back_", 0x08},
    {"forward_", 0x10},
}};

struct NamedClick {
    std::string_view suffix;
    ClickKind click;
};
constexpr std::array<NamedClick, 3> kMenuClicks {{
    {"down", ClickKind::Press},
    {"up", ClickKind::Release},
    {"click", ClickKind::Click},
}};

std::optional<TimeMode> RecordTimeOf(std::string_view rest, bool constantChecked)
{
    if (rest == "record_time") {
        // As the start button: the constant delay when the user asked for one.
        return RecordingTimeMode(constantChecked);
    }
    if (rest == "constant_time") {
        return TimeMode::Constant;
    }
    if (rest == "ignore_time") {
        return TimeMode::Ignore;
    }
    return std::nullopt;
}

} // namespace

TimeMode RecordingTimeMode(bool constantChecked)
{
    return constantChecked ? TimeMode::Constant : TimeMode::Record;
}

std::optional<MacroMenuCommand> MacroMenuCommandOf(std::string_view item, bool constantChecked)
{
    MacroMenuCommand command;
    if (item == "macro_action_edit") {
        command.kind = MacroMenuCommand::Kind::Record;
        command.placement = Placement::Replace;
        command.mode = TimeMode::Ignore;
        command.stopsAfterFirstEvent = true;
        return command;
    }
    for (const auto& [prefix, placement] : {std::pair {std::string_view("redio_previous_"), Placement::Before},
                                            std::pair {std::string_view("redio_later_"), Placement::After}}) {
        if (item.starts_with(prefix)) {
            const auto mode = RecordTimeOf(item.substr(prefix.size()), constantChecked);
            if (!mode) {
                return std::nullopt;
            }
            command.kind = MacroMenuCommand::Kind::Record;
            command.placement = placement;
            command.mode = *mode;
            return command;
        }
    }
    for (const NamedButton& button : kMenuButtons) {
        if (!item.starts_with(button.prefix)) {
            continue;
        }
        for (const NamedClick& click : kMenuClicks) {
            if (item.substr(button.prefix.size()) == click.suffix) {
                command.buttonMask = button.mask;
                command.click = click.click;
                return command;
            }
        }
    }
    return std::nullopt;
}

std::optional<MoveInsert> MoveInsertOf(std::string_view button)
{
    constexpr std::array<std::pair<std::string_view, MoveInsert>, 4> kButtons {{
        {"macro_inset_moveleftkey_btn", {MoveDirection::Left, "mouse_x_left_edit"}},
        {"macro_inset_moverightkey_btn", {MoveDirection::Right, "mouse_x_right_edit"}},
        {"macro_inset_moveupkey_btn", {MoveDirection::Up, "mouse_y_up_edit"}},
        {"macro_inset_movedownkey_btn", {MoveDirection::Down, "mouse_y_down_edit"}},
    }};
    for (const auto& [name, insert] : kButtons) {
        if (name == button) {
            return insert;
        }
    }
    return std::nullopt;
}

MacroRowLook RowLook(const MacroRow& row)
{
    const MacroEvent& event = row.event;
    MacroRowLook look;
    look.nameKey = RowNameKey(event);
    look.nameStyle = IsKeyboardEvent(event) ? "macro_label_keyboard_style" : "macro_label_mouse_style";
    if (IsMoveEvent(event)) {
        look.actionStyle = "macro_label_text_style";
        look.actionText = std::to_string(event.button);
    } else {
        look.actionStyle = event.down ? "macro_label_down_style" : "macro_label_up_style";
    }
    look.delayText = row.delayText;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    look.userData = Json::writeString(writer, EventToJson(event, DelayForm::String));
    return look;
}

std::vector<std::string> DeleteQuestions(const MacroLibrary& library, int index,
                                         const std::filesystem::path& currentProfile)
{
    if (index < 0 || static_cast<size_t>(index) >= library.Macros().size()) {
        return {};
    }
    std::vector<std::string> questions {"message_text_4"};
    if (!currentProfile.empty() && ProfileUsesMacro(currentProfile, index)) {
        questions.emplace_back("message_text_2");
    }
    return questions;
}

const char* MacroMessage(MacroStatus status)
{
    switch (status) {
    case MacroStatus::Done:
    case MacroStatus::Blank:
    case MacroStatus::NoSelection:
        return "";
    case MacroStatus::Duplicate:
        return "message_text_5";
    case MacroStatus::Full:
        return "message_macro_list_full";
    case MacroStatus::TooLarge:
        return "message_macro_file_too_large";
    case MacroStatus::NotJson:
        return "message_macro_file_not_json";
    case MacroStatus::WrongShape:
        return "message_macro_file_wrong_shape";
    case MacroStatus::Failed:
        return "message_macro_file_failed";
    }
    return "message_macro_file_failed";
}

} // namespace orvel::input
