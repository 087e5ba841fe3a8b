// The hook's registered messages, its mode table, where the main window hands each message,
// and the records a message carries.

#include "input/hook/hook_messages.h"
#include "input/hook/hook_records.h"

#include <gtest/gtest.h>

#include <set>

namespace orvel::input {
namespace {

TEST(HookMessages, TwentyFourNamesGiveTwentyThreeNumbersThatStay)
{
    const HookMessages& m = RegisterHookMessages();
    std::set<UINT> numbers;
    for (const std::wstring_view name : kHookMessageNames) {
        const UINT n = RegisterWindowMessageW(name);
        EXPECT_GE(n, 0xC000u);
        EXPECT_LE(n, 0xFFFFu);
        numbers.insert(n);
    }
    EXPECT_EQ(numbers.size(), 23u);
    EXPECT_EQ(winmsg::MessageName(m.mouseRButtonDown), L"UWM_MOUSERBUTTONDOWN_USER_MSG");
    EXPECT_EQ(winmsg::MessageName(m.keySingleKey), L"WM_HOOK_KEY_SINGLEKEY_MSG");
    EXPECT_EQ(winmsg::MessageName(m.gameDeath), L"Game_Death");
    EXPECT_EQ(&RegisterHookMessages(), &m);
    EXPECT_EQ(WM_HOOK_CONTROL, 1054u);
}

TEST(HookMessages, EachModeReportsWithItsMessages)
{
    const struct {
        int mode;
        const wchar_t* keyboard;
        const wchar_t* mouse;
    } cases[] = {
        {1, L"WM_HOOK_KEY_SINGLEKEY_MSG", nullptr},
        {2, L"WM_HOOK_KEY_HITKEY_MSG", nullptr},
        {4, L"WM_HOOK_KEY_KBMACRO_MSG", L"WM_HOOK_KEY_MSMACRO_MSG"},
        {8, L"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", L"WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
        {16, L"WM_HOOK_KEY_KBMACROLATER_MSG", L"WM_HOOK_KEY_MSMACROLATER_MSG"},
        {32, L"WM_HOOK_KEY_KBMACROSINGLE_MSG", L"WM_HOOK_KEY_MSMACROSINGLE_MSG"},
        {256, L"WM_HOOK_MOU_SINGLEKEY_MSG", nullptr},
        {512, L"WM_HOOK_MOU_HITKEY_MSG", nullptr},
        {1024, L"WM_HOOK_MOU_KBMACRO_MSG", nullptr},
        {0, nullptr, nullptr},
        {3, nullptr, nullptr},
        {64, nullptr, nullptr},
        {2048, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(KeyboardMessageOf(c.mode), c.keyboard ? RegisterWindowMessageW(c.keyboard) : 0u);
        EXPECT_EQ(MouseMessageOf(c.mode), c.mouse ? RegisterWindowMessageW(c.mouse) : 0u);
    }
}

TEST(HookMessages, RoutesGoToTheirPanelsAndPlacements)
{
    RegisterHookMessages();
    const struct {
        const wchar_t* name;
        HookTarget target;
        Placement placement;
    } cases[] = {
        {L"WM_HOOK_KEY_SINGLEKEY_MSG", HookTarget::KeyCapture, Placement::Append},
        {L"WM_HOOK_KEY_KBMACRO_MSG", HookTarget::KeyboardRecording, Placement::Append},
        {L"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", HookTarget::KeyboardRecording, Placement::Before},
        {L"WM_HOOK_KEY_KBMACROLATER_MSG", HookTarget::KeyboardRecording, Placement::After},
        {L"WM_HOOK_KEY_KBMACROSINGLE_MSG", HookTarget::KeyboardRecording, Placement::Replace},
        {L"WM_HOOK_KEY_MSMACRO_MSG", HookTarget::MouseRecording, Placement::Append},
        {L"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", HookTarget::MouseRecording, Placement::Before},
        {L"WM_HOOK_KEY_MSMACROLATER_MSG", HookTarget::MouseRecording, Placement::After},
        {L"WM_HOOK_KEY_MSMACROSINGLE_MSG", HookTarget::MouseRecording, Placement::Replace},
        {L"Game_Start", HookTarget::GameLighting, Placement::Append},
        {L"Game_End", HookTarget::GameLighting, Placement::Append},
        {L"Game_Kill", HookTarget::GameLighting, Placement::Append},
        {L"Game_Death", HookTarget::GameLighting, Placement::Append},
        {L"WM_HOOK_KEY_HITKEY_MSG", HookTarget::Ignored, Placement::Append},
        {L"WM_HOOK_MOU_MSMACRO_MSG", HookTarget::Ignored, Placement::Append},
        {L"UWM_MOUSEMOVE_USER_MSG", HookTarget::Ignored, Placement::Append},
        {L"UWM_MOUSERBUTTONDOWN_USER_MSG", HookTarget::Ignored, Placement::Append},
        {L"a message of some other program", HookTarget::NotHook, Placement::Append},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        const HookRoute route = RouteHookMessage(RegisterWindowMessageW(c.name));
        EXPECT_EQ(route.target, c.target);
        EXPECT_EQ(route.placement, c.placement);
    }
    EXPECT_EQ(RouteHookMessage(WM_HOOK_CONTROL).target, HookTarget::NotHook);
    EXPECT_EQ(RouteHookMessage(0).target, HookTarget::NotHook);
}

TEST(HookRecords, KeysBecomeTheMessagesAndRecordsOfTheirScanCodes)
{
    // evdev codes: 30 A, 29 left Ctrl, 97 right Ctrl, 56 left Alt, 96 keypad Enter, 69 Num Lock,
    // 119 Pause, 102 Home, 183 F13 (no set-1 code).
    const struct {
        const char* what;
        std::vector<RawKey> before; // keys already down
        RawKey key;
        std::optional<KeyMessage> expected;
    } cases[] = {
        {"A", {}, {30, true, 7}, KeyMessage {WM_KEYDOWN, {'A', 0x1E, 0, 7, 0}}},
        {"A released", {}, {30, false, 9}, KeyMessage {WM_KEYUP, {'A', 0x1E, LLKHF_UP, 9, 0}}},
        {"right Ctrl", {}, {97, true, 0}, KeyMessage {WM_KEYDOWN, {0xA3, 0x1D, LLKHF_EXTENDED, 0, 0}}},
        {"keypad Enter", {}, {96, true, 0}, KeyMessage {WM_KEYDOWN, {0x101, 0x1C, LLKHF_EXTENDED, 0, 0}}},
        {"Num Lock", {}, {69, true, 0}, KeyMessage {WM_KEYDOWN, {0x90, 0x45, LLKHF_EXTENDED, 0, 0}}},
        {"Pause", {}, {119, true, 0}, KeyMessage {WM_KEYDOWN, {0x13, 0x45, 0, 0, 0}}},
        {"Home", {}, {102, true, 0}, KeyMessage {WM_KEYDOWN, {0x24, 0x47, LLKHF_EXTENDED, 0, 0}}},
        {"Alt", {}, {56, true, 0}, KeyMessage {WM_SYSKEYDOWN, {0xA4, 0x38, LLKHF_ALTDOWN, 0, 0}}},
        {"Alt released", {{56, true, 0}}, {56, false, 0}, KeyMessage {WM_SYSKEYUP, {0xA4, 0x38, LLKHF_UP, 0, 0}}},
        {"Alt+A", {{56, true, 0}}, {30, true, 0}, KeyMessage {WM_SYSKEYDOWN, {'A', 0x1E, LLKHF_ALTDOWN, 0, 0}}},
        {"Ctrl+Alt+A", {{29, true, 0}, {56, true, 0}}, {30, true, 0},
         KeyMessage {WM_KEYDOWN, {'A', 0x1E, LLKHF_ALTDOWN, 0, 0}}},
        {"A after Alt was released", {{56, true, 0}, {56, false, 0}}, {30, true, 0},
         KeyMessage {WM_KEYDOWN, {'A', 0x1E, 0, 0, 0}}},
        {"F13", {}, {183, true, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyMessageMaker maker;
        for (const RawKey& k : c.before) {
            maker.Make(k);
        }
        const auto made = maker.Make(c.key);
        ASSERT_EQ(made.has_value(), c.expected.has_value());
        if (!made) {
            continue;
        }
        EXPECT_EQ(made->wParam, c.expected->wParam);
        EXPECT_EQ(made->record.vkCode, c.expected->record.vkCode);
        EXPECT_EQ(made->record.scanCode, c.expected->record.scanCode);
        EXPECT_EQ(made->record.flags, c.expected->record.flags);
        EXPECT_EQ(made->record.time, c.expected->record.time);

        const auto read = ReadKeyMessage(made->wParam, reinterpret_cast<LPARAM>(&made->record));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->scanCode, c.expected->record.scanCode);
        EXPECT_EQ(read->extended, (c.expected->record.flags & LLKHF_EXTENDED) != 0);
        EXPECT_EQ(read->down, c.key.down);
        EXPECT_EQ(read->time, c.key.time);
    }
}

TEST(HookRecords, ButtonsBecomeMouseMessagesWithThePointAndTheXButton)
{
    const struct {
        PointerButton button;
        bool down;
        WPARAM wParam;
        MouseMessage message;
        int xButton;
    } cases[] = {
        {PointerButton::Left, true, WM_LBUTTONDOWN, MouseMessage::LButtonDown, 0},
        {PointerButton::Left, false, WM_LBUTTONUP, MouseMessage::LButtonUp, 0},
        {PointerButton::Right, true, WM_RBUTTONDOWN, MouseMessage::RButtonDown, 0},
        {PointerButton::Right, false, WM_RBUTTONUP, MouseMessage::RButtonUp, 0},
        {PointerButton::Middle, true, WM_MBUTTONDOWN, MouseMessage::MButtonDown, 0},
        {PointerButton::Middle, false, WM_MBUTTONUP, MouseMessage::MButtonUp, 0},
        {PointerButton::Back, true, WM_XBUTTONDOWN, MouseMessage::XButtonDown, 1},
        {PointerButton::Forward, false, WM_XBUTTONUP, MouseMessage::XButtonUp, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wParam);
        const MouseMessageRecord made = MakeMouseMessage({c.button, c.down, -40, 1070, 123});
        EXPECT_EQ(made.wParam, c.wParam);
        // The handlers read the point from the first two 32-bit fields and the X button from the
        // high half of the 32 bits at byte 20.
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&made.record);
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::uint32_t data = 0;
        std::memcpy(&x, bytes, 4);
        std::memcpy(&y, bytes + 4, 4);
        std::memcpy(&data, bytes + 20, 4);
        EXPECT_EQ(x, -40);
        EXPECT_EQ(y, 1070);
        EXPECT_EQ(static_cast<int>(data >> 16), c.xButton);

        const auto read = ReadMouseMessage(made.wParam, reinterpret_cast<LPARAM>(&made.record));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->message, c.message);
        EXPECT_EQ(read->xButton, c.xButton);
        EXPECT_EQ(read->time, 123u);
    }
}

TEST(HookRecords, MessagesWithoutARecordOrOfAnotherKindReadAsNothing)
{
    KBDLLHOOKSTRUCT key {'A', 0x1E, 0, 0, 0};
    MOUSEHOOKSTRUCTEX mouse;
    EXPECT_FALSE(ReadKeyMessage(WM_KEYDOWN, 0));
    EXPECT_FALSE(ReadKeyMessage(WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&key)));
    key.scanCode = 0x1E0;
    EXPECT_FALSE(ReadKeyMessage(WM_KEYDOWN, reinterpret_cast<LPARAM>(&key)));
    EXPECT_FALSE(ReadMouseMessage(WM_LBUTTONDOWN, 0));
    EXPECT_FALSE(ReadMouseMessage(WM_KEYDOWN, reinterpret_cast<LPARAM>(&mouse)));
    EXPECT_FALSE(ReadMouseMessage(0x020A, reinterpret_cast<LPARAM>(&mouse))); // the wheel
}

} // namespace
} // namespace orvel::input
