#include "input/macro_event.h"

#include "input/decimal.h"
#include "input/key_tables.h"

#include <algorithm>

namespace orvel::input {

std::optional<MacroEvent> ParseEvent(const Json::Value& object)
{
    if (!object.isObject()) {
        return std::nullopt;
    }
    const Json::Value& type = object["Type"];
    const Json::Value& button = object["Button"];
    const Json::Value& delay = object["Delay"];
    if (!type.isIntegral() || !button.isIntegral()) {
        return std::nullopt;
    }
    if (type.isUInt64() ? type.asUInt64() > 127 : type.asInt64() < 0) {
        return std::nullopt;
    }
    MacroEvent event;
    event.type = static_cast<uint8_t>(type.asInt64());
    event.button = button.isUInt64() ? static_cast<uint8_t>(std::min<uint64_t>(button.asUInt64(), 255)) : 0;
    if (delay.isString()) {
        event.delay = static_cast<uint16_t>(ParseClamped(delay.asString(), 0, kMaxDelay));
    } else if (delay.isIntegral()) {
        event.delay = delay.isUInt64() ? static_cast<uint16_t>(std::min<uint64_t>(delay.asUInt64(), kMaxDelay)) : 0;
    } else {
        return std::nullopt;
    }
    const Json::Value& action = object["Action"];
    event.down = action.isString() && action.asString() == "down";
    return event;
}

Json::Value EventToJson(const MacroEvent& event, DelayForm form)
{
    Json::Value object(Json::objectValue);
    object["Action"] = event.down ? "down" : "up";
    object["Type"] = event.type;
    object["Button"] = event.button;
    if (form == DelayForm::String) {
        object["Delay"] = std::to_string(event.delay);
    } else {
        object["Delay"] = event.delay;
    }
    return object;
}

bool HasWellFormedEvents(const Json::Value& document, size_t maxEvents)
{
    if (!document.isObject() || !document["Events"].isArray() || document["Events"].size() > maxEvents) {
        return false;
    }
    const Json::Value& list = document["Events"];
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        if (!ParseEvent(list[i])) {
            return false;
        }
    }
    return true;
}

std::array<uint8_t, 4> DeviceEvent(const MacroEvent& event)
{
    return {static_cast<uint8_t>(event.delay & 0xFF), static_cast<uint8_t>(event.delay >> 8),
            static_cast<uint8_t>((event.type & 0x7F) | (event.down ? 0x80 : 0)), event.button};
}

std::optional<MacroEvent> MouseButtonEvent(MouseMessage message, int xButton)
{
    uint8_t button = 0;
    bool down = false;
    switch (message) {
    case MouseMessage::LButtonDown: button = 1; down = true; break;
    case MouseMessage::LButtonUp: button = 1; break;
    case MouseMessage::RButtonDown: button = 2; down = true; break;
    case MouseMessage::RButtonUp: button = 2; break;
    case MouseMessage::MButtonDown: button = 4; down = true; break;
    case MouseMessage::MButtonUp: button = 4; break;
    case MouseMessage::XButtonDown:
    case MouseMessage::XButtonUp:
        if (xButton != 1 && xButton != 2) {
            return std::nullopt;
        }
        button = xButton == 2 ? 16 : 8;
        down = message == MouseMessage::XButtonDown;
        break;
    default:
        return std::nullopt;
    }
    return MacroEvent {down, eventtype::kMouseButton, button, 0};
}

std::string RowNameKey(const MacroEvent& event)
{
    switch (event.type) {
    case eventtype::kKey:
        if (const auto i = FindKeyByCode({codetype::kKeyboardKey, 0, event.button}); i && event.button != 0) {
            return KeyTable()[*i].nameKey;
        }
        return {};
    case eventtype::kModifier:
        if (const auto i = FindModifier(event.button)) {
            return KeyTable()[*i].nameKey;
        }
        return {};
    case eventtype::kMouseButton:
        if (const auto i = FindInList(MouseButtonList(), {codetype::kMouseButton, event.button, 0})) {
            return MouseButtonList()[*i].nameKey;
        }
        return {};
    case eventtype::kMoveHorizontal:
        return event.down ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
    case eventtype::kMoveVertical:
        return event.down ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
    default:
        return {};
    }
}

bool IsKeyboardEvent(const MacroEvent& event)
{
    return event.type == eventtype::kKey || event.type == eventtype::kModifier;
}

bool IsMoveEvent(const MacroEvent& event)
{
    return event.type == eventtype::kMoveHorizontal || event.type == eventtype::kMoveVertical;
}

} // namespace orvel::input
