#pragma once
// What a key button shows for its code, which key a mouse must keep, and how the result of
// building the macro image is told to the user.

#include "input/assignment_code.h"
#include "input/event_image.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::input {

// Resolves a language key to its text (the toolkit's language file).
using LanguageLookup = std::function<std::wstring(std::string_view key)>;

// The language keys that name code, in display order (several for a key combination joined
// by "+"); empty when the code has no name. macroNames are the "MacroName"s of
// "macro.config" in list order.
std::vector<std::string> KeyButtonNameKeys(AssignmentCode code);

// The text of a key button: the names resolved through lookup and joined by "+"; macro
// codes show the macro's name (nothing when b1 is not below the number of macros).
std::wstring KeyButtonText(AssignmentCode code, const LanguageLookup& lookup, std::span<const std::string> macroNames);

// On a mouse, one key always keeps the left button: true when the key at selected is the
// only one whose current code is 0x10/01/00 (the panel then shows kLeftButtonMessage).
bool IsOnlyLeftButton(std::span<const AssignmentCode> currentCodes, size_t selected);
inline constexpr const char* kLeftButtonMessage = "message_text_6";

// The message for a macro image that was not written, or none.
struct WriteMessage {
    std::string messageKey;        // "message_text_…"; empty when there is nothing to say
    std::optional<int64_t> number; // formatted into the message text when present
    bool writeKeys = false;        // keys may be written: the macros they use are on the device
};
// unitsOf128 is the device's macro memory size in units of 128 bytes.
WriteMessage DescribeMacroWrite(const ImageResult& result, int unitsOf128);

} // namespace orvel::input
