#include "input/key_tables.h"

#include <algorithm>
#include <array>

namespace orvel::input {
namespace {

constexpr AssignmentCode Key(uint8_t usage)
{
    return {codetype::kKeyboardKey, 0, usage};
}
constexpr AssignmentCode Modifier(uint8_t bit)
{
    return {codetype::kKeyboardKey, bit, 0};
}
constexpr AssignmentCode Media(uint16_t usage)
{
    return {codetype::kMedia, uint8_t(usage & 0xFF), uint8_t(usage >> 8)};
}

// Virtual-key values of the program's own for keys Windows gives none, and the shared value
// of the international keys without a virtual key of their own.
constexpr uint16_t kVkNumEnter = 0x101;
constexpr uint16_t kVkPower = 0x103;
constexpr uint16_t kVkSleep = 0x104;
constexpr uint16_t kVkWakeup = 0x105;
constexpr uint16_t kVkNone = 0;

constexpr std::array<KeyTableEntry, kKeyTableSize> kKeys {{
    {0xA2, Modifier(0x01), "keyboard_key_LCtrl"},
    {0xA0, Modifier(0x02), "keyboard_key_LShift"},
    {0xA4, Modifier(0x04), "keyboard_key_LAlt"},
    {0x5B, Modifier(0x08), "keyboard_key_LWin"},
    {0xA3, Modifier(0x10), "keyboard_key_RCtrl"},
    {0xA1, Modifier(0x20), "keyboard_key_RShift"},
    {0xA5, Modifier(0x40), "keyboard_key_RAlt"},
    {0x5C, Modifier(0x80), "keyboard_key_RWin"},
    {'A', Key(0x04), "keyboard_key_A"},
    {'B', Key(0x05), "keyboard_key_B"},
    {'C', Key(0x06), "keyboard_key_C"},
    {'D', Key(0x07), "keyboard_key_D"},
    {'E', Key(0x08), "keyboard_key_E"},
    {'F', Key(0x09), "keyboard_key_F"},
    {'G', Key(0x0A), "keyboard_key_G"},
    {'H', Key(0x0B), "keyboard_key_H"},
    {'I', Key(0x0C), "keyboard_key_I"},
    {'J', Key(0x0D), "keyboard_key_J"},
    {'K', Key(0x0E), "keyboard_key_K"},
    {'L', Key(0x0F), "keyboard_key_L"},
    {'M', Key(0x10), "keyboard_key_M"},
    {'N', Key(0x11), "keyboard_key_N"},
    {'O', Key(0x12), "keyboard_key_O"},
    {'P', Key(0x13), "keyboard_key_P"},
    {'Q', Key(0x14), "keyboard_key_Q"},
    {'R', Key(0x15), "keyboard_key_R"},
    {'S', Key(0x16), "keyboard_key_S"},
    {'T', Key(0x17), "keyboard_key_T"},
    {'U', Key(0x18), "keyboard_key_U"},
    {'V', Key(0x19), "keyboard_key_V"},
    {'W', Key(0x1A), "keyboard_key_W"},
    {'X', Key(0x1B), "keyboard_key_X"},
    {'Y', Key(0x1C), "keyboard_key_Y"},
    {'Z', Key(0x1D), "keyboard_key_Z"},
    {'1', Key(0x1E), "keyboard_key_1"},
    {'2', Key(0x1F), "keyboard_key_2"},
    {'3', Key(0x20), "keyboard_key_3"},
    {'4', Key(0x21), "keyboard_key_4"},
    {'5', Key(0x22), "keyboard_key_5"},
    {'6', Key(0x23), "keyboard_key_6"},
    {'7', Key(0x24), "keyboard_key_7"},
    {'8', Key(0x25), "keyboard_key_8"},
    {'9', Key(0x26), "keyboard_key_9"},
    {'0', Key(0x27), "keyboard_key_0"},
    {0x0D, Key(0x28), "keyboard_key_Enter"},
    {0x1B, Key(0x29), "keyboard_key_Esc"},
    {0x08, Key(0x2A), "keyboard_key_BackSpace"},
    {0x09, Key(0x2B), "keyboard_key_Tab"},
    {0x20, Key(0x2C), "keyboard_key_Space"},
    {0xBD, Key(0x2D), "keyboard_key_-"},
    {0xBB, Key(0x2E), "keyboard_key_="},
    {0xDB, Key(0x2F), "keyboard_key_["},
    {0xDD, Key(0x30), "keyboard_key_]"},
    {0xDC, Key(0x31), "keyboard_key_xiegang"},
    {0xBA, Key(0x33), "keyboard_key_;"},
    {0xDE, Key(0x34), "keyboard_key_'"},
    {0xC0, Key(0x35), "keyboard_key_`"},
    {0xBC, Key(0x36), "keyboard_key_<"},
    {0xBE, Key(0x37), "keyboard_key_."},
    {0xBF, Key(0x38), "keyboard_key_/"},
    {0x14, Key(0x39), "keyboard_key_Caplk"},
    {0x70, Key(0x3A), "keyboard_key_F1"},
    {0x71, Key(0x3B), "keyboard_key_F2"},
    {0x72, Key(0x3C), "keyboard_key_F3"},
    {0x73, Key(0x3D), "keyboard_key_F4"},
    {0x74, Key(0x3E), "keyboard_key_F5"},
    {0x75, Key(0x3F), "keyboard_key_F6"},
    {0x76, Key(0x40), "keyboard_key_F7"},
    {0x77, Key(0x41), "keyboard_key_F8"},
    {0x78, Key(0x42), "keyboard_key_F9"},
    {0x79, Key(0x43), "keyboard_key_F10"},
    {0x7A, Key(0x44), "keyboard_key_F11"},
    {0x7B, Key(0x45), "keyboard_key_F12"},
    {0x2C, Key(0x46), "keyboard_key_Print Scr"},
    {0x91, Key(0x47), "keyboard_key_Scroll Lock"},
    {0x13, Key(0x48), "keyboard_key_Pause"},
    {0x2D, Key(0x49), "keyboard_key_Insert"},
    {0x24, Key(0x4A), "keyboard_key_Home"},
    {0x21, Key(0x4B), "keyboard_key_Page Up"},
    {0x2E, Key(0x4C), "keyboard_key_Delete"},
    {0x23, Key(0x4D), "keyboard_key_End"},
    {0x22, Key(0x4E), "keyboard_key_Page Down"},
    {0x27, Key(0x4F), "keyboard_key_Right"},
    {0x25, Key(0x50), "keyboard_key_Left"},
    {0x28, Key(0x51), "keyboard_key_Down"},
    {0x26, Key(0x52), "keyboard_key_Up"},
    {0x90, Key(0x53), "keyboard_key_Num Lock"},
    {0x6F, Key(0x54), "keyboard_key_Num /"},
    {0x6A, Key(0x55), "keyboard_key_Num *"},
    {0x6D, Key(0x56), "keyboard_key_Num -"},
    {0x6B, Key(0x57), "keyboard_key_Num +"},
    {kVkNumEnter, Key(0x58), "keyboard_key_Num Enter"},
    {0x61, Key(0x59), "keyboard_key_Num 1"},
    {0x62, Key(0x5A), "keyboard_key_Num 2"},
    {0x63, Key(0x5B), "keyboard_key_Num 3"},
    {0x64, Key(0x5C), "keyboard_key_Num 4"},
    {0x65, Key(0x5D), "keyboard_key_Num 5"},
    {0x66, Key(0x5E), "keyboard_key_Num 6"},
    {0x67, Key(0x5F), "keyboard_key_Num 7"},
    {0x68, Key(0x60), "keyboard_key_Num 8"},
    {0x69, Key(0x61), "keyboard_key_Num 9"},
    {0x60, Key(0x62), "keyboard_key_Num 0"},
    {0x6E, Key(0x63), "keyboard_key_Decimal"},
    {0x5D, Key(0x65), "keyboard_key_App"},
    {0xE2, Key(0x64), "keyboard_key_K45"},
    {0xC1, Key(0x87), "keyboard_key_K56"},
    {0xFF, Key(0x89), "keyboard_key_K14"},
    {0xC2, Key(0x85), "keyboard_key_K107"},
    {0xEB, Key(0x8B), "keyboard_key_K131"},
    {0xE9, Key(0x8A), "keyboard_key_K132"},
    {0xFF, Key(0x88), "keyboard_key_K133"},
    {0xFF, Key(0x91), "keyboard_key_K150"},
    {0xFF, Key(0x90), "keyboard_key_K151"},
    {0xBF, Key(0x32), "keyboard_key_K42"},
    {kVkNone, {codetype::kDeviceFunction, 0x44, 0x2C}, "keyboard_key_Space"},
    {kVkNone, {codetype::kDeviceFunction, 0x44, 0x05}, "keyboard_key_B"},
    {0xB7, Media(0x0192), "keyboard_key_Launch App2"},
    {0xAC, Media(0x0223), "keyboard_key_Browaer Home"},
    {0xB3, Media(0x00CD), "keyboard_key_Media Play Pause"},
    {0xAA, Media(0x0221), "keyboard_key_Browser Search"},
    {0xB4, Media(0x018A), "keyboard_key_Launch Mail"},
    {0xAF, Media(0x00E9), "keyboard_key_Volume Up"},
    {0xAD, Media(0x00E2), "keyboard_key_Volume Mute"},
    {0xB2, Media(0x00B7), "keyboard_key_Media Stop"},
    {0xAE, Media(0x00EA), "keyboard_key_Volume Down"},
    {0xAB, Media(0x022A), "keyboard_key_Browser Favorites"},
    {0xA7, Media(0x0225), "keyboard_key_Browser ForWard"},
    {0xA6, Media(0x0224), "keyboard_key_Browser Back"},
    {0xB1, Media(0x00B6), "keyboard_key_Media Prev Track"},
    {0xB0, Media(0x00B5), "keyboard_key_Media Next Track"},
    {0xB6, Media(0x0194), "keyboard_key_Computer"},
    {0xA8, Media(0x0227), "keyboard_key_Browser Refresh"},
    {0xA9, Media(0x0226), "wed_stop"},
    {0xB5, Media(0x0183), "keyboard_key_Launch Media Select"},
    {kVkPower, {codetype::kSystem, 0x01, 0}, "keyboard_key_Power"},
    {kVkSleep, {codetype::kSystem, 0x02, 0}, "keyboard_key_Sleep"},
    {kVkWakeup, {codetype::kSystem, 0x04, 0}, "keyboard_key_Wakeup"},
    {kVkNone, {codetype::kMKey, 0xA2, 1}, "keyboard_key_M1"},
    {kVkNone, {codetype::kMKey, 0xA2, 2}, "keyboard_key_M2"},
    {kVkNone, {codetype::kMKey, 0xA2, 3}, "keyboard_key_M3"},
    {kVkNone, {codetype::kMKey, 0xA2, 4}, "keyboard_key_M4"},
    {kVkNone, {codetype::kMKey, 0xA2, 5}, "keyboard_key_M5"},
    {kVkNone, {codetype::kDeviceFunction, 0x01, 0}, "keyboard_key_FN"},
    {kVkNone, {codetype::kDeviceFunction, 0x1B, 0}, "keyboard_key_GM"},
}};

constexpr ScanCode N(uint8_t code)
{
    return {code, false};
}
constexpr ScanCode E(uint8_t code)
{
    return {code, true};
}

// Set-1 codes with the extended flag as reported for key-table entries 0-112.
constexpr std::array<ScanCode, kScanCodeCount> kScanCodes {{
    // modifiers: left Ctrl, Shift, Alt, Win; right Ctrl, Shift, Alt, Win
    N(0x1D), N(0x2A), N(0x38), E(0x5B), E(0x1D), E(0x36), E(0x38), E(0x5C),
    // A-Z
    N(0x1E), N(0x30), N(0x2E), N(0x20), N(0x12), N(0x21), N(0x22), N(0x23), N(0x17), N(0x24),
    N(0x25), N(0x26), N(0x32), N(0x31), N(0x18), N(0x19), N(0x10), N(0x13), N(0x1F), N(0x14),
    N(0x16), N(0x2F), N(0x11), N(0x2D), N(0x15), N(0x2C),
    // 1-9, 0
    N(0x02), N(0x03), N(0x04), N(0x05), N(0x06), N(0x07), N(0x08), N(0x09), N(0x0A), N(0x0B),
    // Enter Esc BackSpace Tab Space - = [ ] \ ; ' ` , . / CapsLock
    N(0x1C), N(0x01), N(0x0E), N(0x0F), N(0x39), N(0x0C), N(0x0D), N(0x1A), N(0x1B), N(0x2B),
    N(0x27), N(0x28), N(0x29), N(0x33), N(0x34), N(0x35), N(0x3A),
    // F1-F12
    N(0x3B), N(0x3C), N(0x3D), N(0x3E), N(0x3F), N(0x40), N(0x41), N(0x42), N(0x43), N(0x44),
    N(0x57), N(0x58),
    // Print Screen, Scroll Lock, Pause, navigation cluster, arrows
    E(0x37), N(0x46), N(0x45), E(0x52), E(0x47), E(0x49), E(0x53), E(0x4F), E(0x51), E(0x4D),
    E(0x4B), E(0x50), E(0x48),
    // Num Lock, Num /, Num *, Num -, Num +, Num Enter
    E(0x45), E(0x35), N(0x37), N(0x4A), N(0x4E), E(0x1C),
    // Num 1-9, Num 0, Decimal
    N(0x4F), N(0x50), N(0x51), N(0x4B), N(0x4C), N(0x4D), N(0x47), N(0x48), N(0x49), N(0x52),
    N(0x53),
    // App
    E(0x5D),
    // K45 K56 K14 K107 K131 K132 K133 K150 K151
    N(0x56), N(0x73), N(0x7D), N(0x7E), N(0x7B), N(0x79), N(0x70), N(0x71), N(0x72),
}};

constexpr std::array<FunctionEntry, 5> kMouseButtons {{
    {{codetype::kMouseButton, 0x01, 0}, "mouse_key_left"},
    {{codetype::kMouseButton, 0x04, 0}, "mouse_key_middle"},
    {{codetype::kMouseButton, 0x02, 0}, "mouse_key_right"},
    {{codetype::kMouseButton, 0x10, 0}, "mouse_key_forward"},
    {{codetype::kMouseButton, 0x08, 0}, "mouse_key_back"},
}};

constexpr std::array<FunctionEntry, 3> kDpi {{
    {{codetype::kDpiStep, 0x01, 0}, "mouse_key_DPI_add"},
    {{codetype::kDpiStep, 0x02, 0}, "mouse_key_DPI_sub"},
    {{codetype::kDpiStep, 0x03, 0}, "mouse_key_DPI_loop"},
}};

constexpr std::array<FunctionEntry, 18> kMedia {{
    {Media(0x0183), "media_text"},     {Media(0x00CD), "media_play"},    {Media(0x00B7), "media_stop"},
    {Media(0x00B6), "media_prev"},     {Media(0x00B5), "media_next"},    {Media(0x00EA), "media_vol_sub"},
    {Media(0x00E9), "media_vol_add"},  {Media(0x00E2), "media_mute"},    {Media(0x0223), "web_text"},
    {Media(0x0227), "web_refresh"},    {Media(0x0226), "wed_stop"},      {Media(0x0224), "wed_back"},
    {Media(0x0225), "wed_forward"},    {Media(0x022A), "wed_favorite"},  {Media(0x0221), "web_search"},
    {Media(0x0194), "media_mypc"},     {Media(0x0192), "media_calc"},    {Media(0x018A), "media_mail"},
}};

constexpr std::array<FunctionEntry, 3> kSystem {{
    {{codetype::kSystem, 0x01, 0}, "system_power"},
    {{codetype::kSystem, 0x02, 0}, "system_sleep"},
    {{codetype::kSystem, 0x04, 0}, "system_wake_up"},
}};

// Left Ctrl with O, N, Z, S, C, X, V, F, A, "-" and "="; named like the keys they send.
constexpr std::array<FunctionEntry, 11> kCombinations {{
    {{codetype::kKeyboardKey, 0x01, 0x12}, "keyboard_key_O"},
    {{codetype::kKeyboardKey, 0x01, 0x11}, "keyboard_key_N"},
    {{codetype::kKeyboardKey, 0x01, 0x1D}, "keyboard_key_Z"},
    {{codetype::kKeyboardKey, 0x01, 0x16}, "keyboard_key_S"},
    {{codetype::kKeyboardKey, 0x01, 0x06}, "keyboard_key_C"},
    {{codetype::kKeyboardKey, 0x01, 0x1B}, "keyboard_key_X"},
    {{codetype::kKeyboardKey, 0x01, 0x19}, "keyboard_key_V"},
    {{codetype::kKeyboardKey, 0x01, 0x09}, "keyboard_key_F"},
    {{codetype::kKeyboardKey, 0x01, 0x04}, "keyboard_key_A"},
    {{codetype::kKeyboardKey, 0x01, 0x2D}, "keyboard_key_-"},
    {{codetype::kKeyboardKey, 0x01, 0x2E}, "keyboard_key_="},
}};

constexpr std::array<FunctionEntry, 10> kOtherFunctions {{
    {{codetype::kAutoFire, 0x50, 0x02}, "mouse_key_fire_key"},
    {{codetype::kKeyboardKey, 0x00, 0x00}, "mouse_key_shortcut_key"},
    {{codetype::kKeyboardKey, 0x80, 0x00}, "win_key_text"},
    {{codetype::kDeviceFunction, 0x02, 0x00}, "mouse_key_smart_key"},
    {{codetype::kDeviceFunction, 0x00, 0x00}, "close_text"},
    {{codetype::kDpiStep, 0x03, 0x00}, "mouse_key_DPI_loop"},
    {{codetype::kDpiStep, 0x01, 0x00}, "mouse_key_DPI_add"},
    {{codetype::kDpiStep, 0x02, 0x00}, "mouse_key_DPI_sub"},
    {{codetype::kDpiShift, 0x00, 0x00}, "mouse_key_DPI_shift"},
    {{codetype::kShowWindow, 0x00, 0x00}, "show_window"},
}};

constexpr std::array<const char*, 9> kShortcuts {
    "custem_cut", "custem_copy", "custem_paste", "custem_undo", "custem_select_all",
    "custem_find", "custem_new", "custem_save", "custem_open",
};

} // namespace

std::span<const KeyTableEntry> KeyTable()
{
    return kKeys;
}

std::span<const ScanCode> ScanCodeTable()
{
    return kScanCodes;
}

std::optional<size_t> FindKeyByScanCode(uint8_t scanCode, bool extended)
{
    for (size_t i = 0; i < kScanCodes.size(); ++i) {
        if (kScanCodes[i].code == scanCode && kScanCodes[i].extended == extended) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindKeyByCode(AssignmentCode code)
{
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].code == code) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindModifier(uint8_t mask)
{
    for (size_t i = 0; i < kModifierCount; ++i) {
        if (kKeys[i].code.b1 == mask) {
            return i;
        }
    }
    return std::nullopt;
}

std::span<const FunctionEntry> MouseButtonList()
{
    return kMouseButtons;
}
std::span<const FunctionEntry> DpiList()
{
    return kDpi;
}
std::span<const FunctionEntry> MediaList()
{
    return kMedia;
}
std::span<const FunctionEntry> SystemList()
{
    return kSystem;
}
std::span<const FunctionEntry> CombinationList()
{
    return kCombinations;
}
std::span<const FunctionEntry> OtherFunctionList()
{
    return kOtherFunctions;
}
std::span<const char* const> ShortcutNames()
{
    return kShortcuts;
}

std::optional<size_t> FindInList(std::span<const FunctionEntry> list, AssignmentCode code)
{
    const auto it = std::find_if(list.begin(), list.end(), [&](const FunctionEntry& e) { return e.code == code; });
    if (it == list.end()) {
        return std::nullopt;
    }
    return static_cast<size_t>(it - list.begin());
}

std::vector<int> FunctionCategories(int deviceKind)
{
    std::vector<int> out;
    for (int c = category::kDefault; c <= category::kCombination; ++c) {
        if (deviceKind == kDeviceKeyboard && (c == category::kDpi || c == category::kGunKey)) {
            continue;
        }
        out.push_back(c);
    }
    return out;
}

} // namespace orvel::input
