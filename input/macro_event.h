#pragma once
// One key or mouse event of a macro or a shoot pattern, its JSON object and its 4-byte
// device form (delay low, delay high, type with bit 7 for a press, button).

#include <json/value.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orvel::input {

namespace eventtype {
inline constexpr uint8_t kMouseButton = 1;
inline constexpr uint8_t kMoveHorizontal = 4; // press = left, release = right
inline constexpr uint8_t kMoveVertical = 5;   // press = up, release = down
inline constexpr uint8_t kModifier = 9;
inline constexpr uint8_t kKey = 10;
} // namespace eventtype

struct MacroEvent {
    bool down = false;
    uint8_t type = 0;
    uint8_t button = 0;
    uint16_t delay = 0; // milliseconds after this event, before the next

    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

inline constexpr int kMaxDelay = 65535;

// Reads an event object. "Type" must be an integer 0-127 and "Button" an integer; "Delay" a
// decimal string or an integer. Numbers out of range are clamped (Button 0-255, Delay
// 0-65535); anything else that is not of the right type rejects the event.
std::optional<MacroEvent> ParseEvent(const Json::Value& object);

// The event object; macros store "Delay" as a decimal string, shoot files as an integer.
enum class DelayForm { String, Integer };
Json::Value EventToJson(const MacroEvent& event, DelayForm form);

// True for a JSON object whose "Events" array holds at most maxEvents events, each of which
// ParseEvent accepts.
bool HasWellFormedEvents(const Json::Value& document, size_t maxEvents);

std::array<uint8_t, 4> DeviceEvent(const MacroEvent& event);

// Mouse messages the recorder receives from the hook.
enum class MouseMessage { LButtonDown, LButtonUp, RButtonDown, RButtonUp, MButtonDown, MButtonUp, XButtonDown, XButtonUp, Move, Wheel };
// xButton: 1 first (back), 2 second (forward). Moves and the wheel give no event.
std::optional<MacroEvent> MouseButtonEvent(MouseMessage message, int xButton);

// The language key naming an editor row; empty for events without a name (types 2 and 3 and
// unknown codes).
std::string RowNameKey(const MacroEvent& event);
bool IsKeyboardEvent(const MacroEvent& event);
bool IsMoveEvent(const MacroEvent& event);

} // namespace orvel::input
