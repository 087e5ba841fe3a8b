#include "input/key_text.h"

#include "input/key_tables.h"
#include "platform/text.h"

#include <algorithm>

namespace orvel::input {
namespace {

template <typename Match>
std::vector<std::string> NameFrom(std::span<const FunctionEntry> list, Match match)
{
    for (const FunctionEntry& entry : list) {
        if (match(entry.code)) {
            return {entry.nameKey};
        }
    }
    return {};
}

std::vector<std::string> KeyboardNames(AssignmentCode code)
{
    if (const auto exact = FindKeyByCode({codetype::kKeyboardKey, code.b1, code.b2})) {
        return {KeyTable()[*exact].nameKey};
    }
    if (code.b1 == 0 && code.b2 == 0) {
        return {kDisabledName};
    }
    // A key with modifiers: each modifier whose bit is set, then the key of usage b2.
    std::vector<std::string> names;
    for (size_t i = 0; i < kModifierCount; ++i) {
        if (code.b1 & KeyTable()[i].code.b1) {
            names.emplace_back(KeyTable()[i].nameKey);
        }
    }
    if (code.b2 != 0) {
        if (const auto key = FindKeyByCode({codetype::kKeyboardKey, 0, code.b2})) {
            names.emplace_back(KeyTable()[*key].nameKey);
        }
    }
    return names;
}

} // namespace

std::vector<std::string> KeyButtonNameKeys(AssignmentCode code)
{
    const auto sameType = [&](AssignmentCode c) { return c.type == code.type; };
    const auto sameTypeB1 = [&](AssignmentCode c) { return c.type == code.type && c.b1 == code.b1; };
    switch (code.type) {
    case codetype::kNone:
    case codetype::kKeyboardKey:
        return KeyboardNames(code);
    case codetype::kMouseButton:
        return NameFrom(MouseButtonList(), sameTypeB1);
    case codetype::kTilt:
        return {(code.b2 & 0x80) ? kTiltRightName : kTiltLeftName};
    case codetype::kWheel:
        return {(code.b2 & 0x80) ? kWheelDownName : kWheelUpName};
    case codetype::kDpiStep:
        return NameFrom(DpiList(), sameTypeB1);
    case codetype::kAutoFire:
        return {"mouse_key_fire_key"};
    case 0x15:
    case codetype::kDpiShift:
    case 0x21:
    case 0x50:
    case 0x60:
    case codetype::kCombination:
    case 0xC0:
        return NameFrom(OtherFunctionList(), sameType);
    case codetype::kShortcut:
        if (code.b1 == 0 && code.b2 < ShortcutNames().size()) {
            return {ShortcutNames()[code.b2]};
        }
        return {};
    case codetype::kShowWindow:
        return NameFrom(OtherFunctionList(), [&](AssignmentCode c) { return c == code; });
    case codetype::kMedia:
        return NameFrom(MediaList(), [&](AssignmentCode c) { return c == code; });
    case codetype::kSystem:
        return NameFrom(SystemList(), sameTypeB1);
    case codetype::kDeviceFunction:
    case codetype::kMKey: {
        auto names = NameFrom(OtherFunctionList(), sameTypeB1);
        if (names.empty()) {
            if (const auto key = FindKeyByCode(code)) {
                names.emplace_back(KeyTable()[*key].nameKey);
            }
        }
        return names;
    }
    default:
        return {};
    }
}

std::wstring KeyButtonText(AssignmentCode code, const LanguageLookup& lookup, std::span<const std::string> macroNames)
{
    if (IsMacroCode(code)) {
        return code.b1 < macroNames.size() ? text::FromUtf8(macroNames[code.b1]) : std::wstring();
    }
    std::wstring out;
    for (const std::string& key : KeyButtonNameKeys(code)) {
        if (!out.empty()) {
            out += L"+";
        }
        out += lookup(key);
    }
    return out;
}

bool IsOnlyLeftButton(std::span<const AssignmentCode> currentCodes, size_t selected)
{
    constexpr AssignmentCode kLeft {codetype::kMouseButton, 0x01, 0x00};
    if (selected >= currentCodes.size() || currentCodes[selected] != kLeft) {
        return false;
    }
    return std::count(currentCodes.begin(), currentCodes.end(), kLeft) == 1;
}

WriteMessage DescribeMacroWrite(const ImageResult& result, int unitsOf128)
{
    WriteMessage message;
    switch (result.status) {
    case ImageStatus::Ok:
    case ImageStatus::NothingToWrite:
        message.writeKeys = true;
        break;
    case ImageStatus::TooBig:
        message.messageKey = "message_text_16";
        message.number = (result.value - 128 * int64_t(unitsOf128)) / 4 + 1;
        break;
    case ImageStatus::TooManyEvents:
        message.messageKey = "message_text_26";
        message.number = result.value - int64_t(kMacroEventLimit);
        break;
    case ImageStatus::Failed:
        message.messageKey = "message_text_7";
        break;
    }
    return message;
}

} // namespace orvel::input
