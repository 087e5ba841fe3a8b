// The key-set, macro and shoot panels of the device pages, driven by control name in the program's
// window against the emulators: a key captured through the hook's message, a macro assigned,
// "key_butt_prosave" with its order (macros first, keys only once the macros reached the
// device), and a macro recorded from the hook's messages while the window is not active.

#include "devices/kind_models.h"
#include "input/hook/hook_messages.h"
#include "input/hook/hook_records.h"
#include "input/macro_event.h"
#include "input/key_tables.h"
#include "input/macro_library.h"
#include "input/qt/keyset_control.h"
#include "sim/devices/command_frame.h"
#include "sim/devices/factory_tables.h"
#include "tests/app/file_dialog_answer.h"
#include "tests/app/window_bench.h"
#include "tests/support/file_text.h"
#include "ui/host_widget.h"

#include <cstdlib>

namespace orvel::app::testing {
namespace {

using pages::CQuorsineUSBDevice;

constexpr int kKeyboard = 1;
constexpr std::uint16_t kEvdevB = 48;

template <typename T = DuiLib::CControlUI>
T* On(CQuorsineUSBDevice* page, const std::wstring& name)
{
    auto* control = page->GetManager()->FindSubControlByName(page, name.c_str());
    EXPECT_NE(control, nullptr) << QString::fromStdWString(name).toStdString();
    return static_cast<T*>(control);
}

CQuorsineUSBDevice* Shown(WindowBench& bench, int row)
{
    EXPECT_TRUE(SpinUntil([&] { return bench.Ready({row}); }, 8000ms));
    bench.window->SelectKindRow(row);
    return bench.window->PageOfKindRow(row);
}

// The page's keys tab, picked in its profile panel.
void ShowTab(WindowBench& bench, CQuorsineUSBDevice* page, const wchar_t* name)
{
    for (const wchar_t* other : {L"deng_Op_tab", L"key_Op_tab", L"macro_Op_tab", L"system_Op_tab", L"cursor_Op_tab"}) {
        if (auto* option = static_cast<DuiLib::COptionUI*>(page->GetManager()->FindSubControlByName(page, other)))
            option->Selected(false, false);
    }
    auto* tab = On<DuiLib::COptionUI>(page, name);
    tab->Selected(true, false);
    bench.Send(tab, DuiLib::DUI_MSGTYPE_SELECTCHANGED);
}

// The page's button of the emulated keyboard's key n, and the key's place in the page's list.
int PositionOfKey(std::size_t n)
{
    return sim::KeyboardKeyPositions()[n];
}

// Picks the item of a combo as the user does (the toolkit sends "itemselect").
void Pick(DuiLib::CComboUI* combo, int index)
{
    ASSERT_NE(combo, nullptr);
    combo->SelectItem(index, false, true);
}

// The function combo's item of a category.
int FunctionItem(DuiLib::CComboUI* combo, int category)
{
    for (int i = 0; i < combo->GetCount(); ++i) {
        if (combo->GetItemAt(i)->GetUserData() == std::to_wstring(category).c_str())
            return i;
    }
    ADD_FAILURE() << "no item for category " << category;
    return -1;
}

profiles::KeyHalf Current(CQuorsineUSBDevice* page, int position)
{
    auto& keyboard = static_cast<devices::KeyboardModel&>(page->Model()).Keyboard();
    return keyboard.Keys().at(static_cast<std::size_t>(position)).current;
}

std::array<std::uint8_t, 3> KeyTableEntry(sim::ServedDevice& device, std::size_t key)
{
    const std::vector<std::uint8_t> table = device.Device().Snapshot().keyTable;
    return {table.at(3 * key), table.at(3 * key + 1), table.at(3 * key + 2)};
}

bool SaveButtonsEnabled(CQuorsineUSBDevice* page)
{
    return On(page, L"key_butt_keysave")->IsEnabled() && On(page, L"key_butt_keycancel")->IsEnabled() &&
           On(page, L"key_butt_prosave")->IsEnabled();
}

// A key as the hook reports it while the key edit captures.
void PressKey(WindowBench& bench, std::uint16_t evdev)
{
    input::KeyMessageMaker maker;
    const std::optional<input::KeyMessage> made = maker.Make({evdev, true, 0});
    ASSERT_TRUE(made.has_value());
    orvel::SendMessageW(bench.window->GetHWND(), input::RegisterHookMessages().keySingleKey, made->wParam,
                         reinterpret_cast<LPARAM>(&made->record));
}

std::filesystem::path KeyboardFolder(WindowBench& bench)
{
    return bench.temp / "data" / "VARNO Orvel 80" / "keyboard";
}

// A macro of the keyboard's folder with count key presses and releases.
void AddMacro(const std::filesystem::path& folder, std::size_t count)
{
    std::filesystem::create_directories(folder);
    input::MacroLibrary library(folder);
    library.Load();
    int index = 0;
    ASSERT_EQ(library.Add(index), input::MacroStatus::Done);
    std::vector<input::MacroEvent> events;
    for (std::size_t i = 0; i < count; ++i)
        events.push_back({i % 2 == 0, input::eventtype::kKey, 0x04, 10});
    ASSERT_EQ(library.SaveEvents(index, events), input::MacroStatus::Done);
}

TEST(KeySetPanelWindow, ACapturedKeyIsShownStoredAndReachesTheKeyboard)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"key_Op_tab");
    const std::size_t key = 10;
    const int position = PositionOfKey(key);
    const auto before = KeyTableEntry(keyboard, key);

    auto* panel = On(page, L"KeySetControlItem");
    EXPECT_FALSE(panel->IsVisible());
    bench.Send(On(page, L"key_" + std::to_wstring(position)), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_FALSE(SaveButtonsEnabled(page)) << "nothing changed yet";

    // The keyboard has no DPI or gun functions to offer.
    auto* function = On<DuiLib::CComboUI>(page, L"keyset_function_combo");
    EXPECT_FALSE(function->GetItemAt(FunctionItem(function, input::category::kDpi))->IsVisible());
    EXPECT_FALSE(function->GetItemAt(FunctionItem(function, input::category::kGunKey))->IsVisible());

    Pick(function, FunctionItem(function, input::category::kKeyboardKey));
    PressKey(bench, kEvdevB);
    const profiles::KeyHalf shown = Current(page, position);
    EXPECT_EQ((std::array<int, 3>{shown.type, shown.b1, shown.b2}), (std::array<int, 3>{0x20, 0x00, 0x05}));
    EXPECT_EQ(On(page, L"keyset_keyboard_text_edit")->GetText(), page->LanguageText("keyboard_key_B"));
    EXPECT_EQ(On(page, L"key_" + std::to_wstring(position))->GetText(), page->LanguageText("keyboard_key_B"));
    EXPECT_TRUE(SaveButtonsEnabled(page));
    EXPECT_EQ(KeyTableEntry(keyboard, key), before) << "nothing is written before the write button";

    // Ctrl is added with its box; the key stays.
    auto* ctrl = On<DuiLib::COptionUI>(page, L"key_ComBox_check_1");
    ctrl->Selected(true, false);
    bench.Send(ctrl, DuiLib::DUI_MSGTYPE_SELECTCHANGED);
    const profiles::KeyHalf withCtrl = Current(page, position);
    EXPECT_EQ((std::array<int, 3>{withCtrl.type, withCtrl.b1, withCtrl.b2}), (std::array<int, 3>{0x20, 0x01, 0x05}));

    MessageBoxes boxes(L"confirm_btn");
    bench.Send(On(page, L"key_butt_prosave"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(KeyTableEntry(keyboard, key), (std::array<std::uint8_t, 3>{0x20, 0x01, 0x05}));
    EXPECT_FALSE(SaveButtonsEnabled(page)) << "the keys reached the keyboard";
    EXPECT_TRUE(boxes.Texts().empty());

    bench.Restart();
    page = Shown(bench, kKeyboard);
    const profiles::KeyHalf kept = Current(page, position);
    EXPECT_EQ((std::array<int, 3>{kept.type, kept.b1, kept.b2}), (std::array<int, 3>{0x20, 0x01, 0x05}));
}

TEST(KeySetPanelWindow, TheKeysWaitUntilTheirMacrosReachedTheDevice)
{
    struct Case {
        const char* name;
        std::size_t events;   // of the macro assigned
        bool refused;         // the keyboard refuses the macro image
        const char* message;  // what the box says
        std::int64_t number;  // formatted into it
        bool hasNumber;
    };
    const Case cases[] = {
        {"too many events", input::kMacroEventLimit + 3, false, "message_text_26", 3, true},
        {"macros refused by the keyboard", 4, true, devices::kDeviceNotUpdatedMessage, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowBench bench;
        sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
        AddMacro(KeyboardFolder(bench), c.events);
        bench.Start();
        CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
        ShowTab(bench, page, L"key_Op_tab");
        const std::size_t key = 20;
        const int position = PositionOfKey(key);
        const auto tableBefore = KeyTableEntry(keyboard, key);
        const auto macrosBefore = keyboard.Device().Snapshot().macros;

        bench.Send(On(page, L"key_" + std::to_wstring(position)), DuiLib::DUI_MSGTYPE_CLICK);
        auto* function = On<DuiLib::CComboUI>(page, L"keyset_function_combo");
        Pick(function, FunctionItem(function, input::category::kMacro));
        Pick(On<DuiLib::CComboUI>(page, L"keyset_macro_combo"), 0);
        Pick(On<DuiLib::CComboUI>(page, L"keyset_macro_over_combo"), 1);
        const profiles::KeyHalf assigned = Current(page, position);
        EXPECT_EQ((std::array<int, 3>{assigned.type, assigned.b1, assigned.b2}), (std::array<int, 3>{0x70, 0x00, 0x01}));

        if (c.refused) {
            keyboard.Device().AddFault({sim::cmd::kWriteMacroData, std::nullopt, sim::FaultAction::RejectedStatus, 0, -1});
        }
        MessageBoxes boxes(L"confirm_btn");
        bench.Send(On(page, L"key_butt_prosave"), DuiLib::DUI_MSGTYPE_CLICK);
        EXPECT_TRUE(SpinUntil([&] { return !boxes.Texts().empty(); }, 3000ms));
        ASSERT_EQ(boxes.Texts().size(), 1u);
        devices::UserMessage expected{c.message, c.number, c.hasNumber};
        EXPECT_EQ(boxes.Texts()[0], devices::MessageText(page->LanguageText(c.message), expected));
        EXPECT_EQ(KeyTableEntry(keyboard, key), tableBefore) << "the keys were not written";
        EXPECT_EQ(keyboard.Device().Snapshot().macros, macrosBefore);
        EXPECT_TRUE(SaveButtonsEnabled(page)) << "the user can write again";

        // The assignment stays in the saved profile.
        keyboard.Device().ClearFaults();
        bench.Restart();
        page = Shown(bench, kKeyboard);
        const profiles::KeyHalf kept = Current(page, position);
        EXPECT_EQ((std::array<int, 3>{kept.type, kept.b1, kept.b2}), (std::array<int, 3>{0x70, 0x00, 0x01}));
    }
}


TEST(MacroPanelWindow, ARecordingGoesOnWhileOtherWindowsAreUsedAndEndsSavedOnATabSwitch)
{
    WindowBench bench;
    // The hook listens to the program's own window only: the test's display is shared with
    // other tests, whose keyboard grabs would make the recording refuse to start.
    bench.temp.setEnv("WAYLAND_DISPLAY", "orvel-test-no-desktop");
    bench.Serve(sim::DeviceKind::Keyboard);
    bench.Start();
    MessageBoxes boxes(L"confirm_btn");
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"macro_Op_tab");
    const HWND window = bench.window->GetHWND();
    const input::HookMessages& hook = input::RegisterHookMessages();

    EXPECT_TRUE(On(page, L"macro_capture_note")->IsVisible()) << "the panel says it hears only this window";
    EXPECT_FALSE(On(page, L"macro_btn_export")->IsEnabled()) << "no macro yet";
    bench.Send(On(page, L"macro_btn_name_add"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"macro_name_list")->GetCount(), 1);
    EXPECT_TRUE(On(page, L"macro_btn_export")->IsEnabled());
    EXPECT_EQ(On<DuiLib::CComboUI>(page, L"keyset_macro_combo")->GetCount(), 1) << "the key-set panel offers it";

    bench.Send(On(page, L"macro_btn_starredio"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(On(page, L"macro_btn_stopredio")->IsVisible());
    EXPECT_FALSE(On(page, L"macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(On(page, L"macro_action_list")->IsEnabled());
    EXPECT_FALSE(bench.Find(L"device_select_layout")->IsEnabled());

    // The user clicks into another program: the recording goes on.
    bench.window->SendMessage(WM_ACTIVATE, 0, 0);
    input::KeyMessageMaker keys;
    for (bool down : {true, false}) {
        const auto made = keys.Make({kEvdevB, down, 0});
        SendMessageW(window, hook.keyKbMacro, made->wParam, reinterpret_cast<LPARAM>(&made->record));
    }
    for (bool down : {true, false}) {
        const input::MouseMessageRecord made = input::MakeMouseMessage({input::PointerButton::Right, down, 5, 5, 0});
        SendMessageW(window, hook.keyMsMacro, made.wParam, reinterpret_cast<LPARAM>(&made.record));
    }
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"macro_action_list")->GetCount(), 4);

    // Another function tab ends it; the rows are saved.
    ShowTab(bench, page, L"key_Op_tab");
    ShowTab(bench, page, L"macro_Op_tab");
    EXPECT_FALSE(On(page, L"macro_btn_stopredio")->IsVisible());
    EXPECT_TRUE(On(page, L"macro_btn_starredio")->IsVisible());
    EXPECT_TRUE(On(page, L"macro_action_list")->IsEnabled());
    EXPECT_TRUE(bench.Find(L"device_select_layout")->IsEnabled());
    input::MacroLibrary library(KeyboardFolder(bench));
    library.Load();
    ASSERT_EQ(library.Macros().size(), 1u);
    const std::vector<input::MacroEvent> events = library.LoadEvents(0);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ((std::vector<bool>{events[0].down, events[1].down, events[2].down, events[3].down}),
              (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(events[0].type, input::eventtype::kKey);
    EXPECT_EQ(events[2].type, input::eventtype::kMouseButton);

    EXPECT_TRUE(boxes.Texts().empty());

    // Messages after the end are not recorded.
    const auto late = keys.Make({kEvdevB, true, 0});
    SendMessageW(window, hook.keyKbMacro, late->wParam, reinterpret_cast<LPARAM>(&late->record));
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"macro_action_list")->GetCount(), 4);
}

// The name list: the macro shown is highlighted (also one picked while the panel was hidden),
// and a hint takes the list's place once no macro is left.
TEST(MacroPanelWindow, TheNameListHighlightsTheMacroShownAndHintsWhenEmpty)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 2);
    AddMacro(KeyboardFolder(bench), 2);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"macro_Op_tab");
    auto* names = On<DuiLib::CListUI>(page, L"macro_name_list");
    auto* hint = On(page, L"macro_empty_hint");
    ASSERT_EQ(names->GetCount(), 2);
    auto selectedRows = [&] {
        std::vector<int> rows;
        for (int i = 0; i < names->GetCount(); ++i) {
            if (static_cast<DuiLib::CListLabelElementUI*>(names->GetItemAt(i))->IsSelected())
                rows.push_back(i);
        }
        return rows;
    };
    auto* host = dynamic_cast<DuiLib::CUIHostWidget*>(bench.window->GetWidget());
    ASSERT_NE(host, nullptr);
    // The colour at the right end of a row, where no text is.
    auto rowColour = [&](int row) {
        const QImage picture = host->RenderWindow();
        const DuiLib::RECT& rc = names->GetItemAt(row)->GetPos();
        const double scale = static_cast<double>(picture.width()) / bench.window->GetPaintManager().GetClientSize().cx;
        return picture.pixel(static_cast<int>((rc.right - 8) * scale), static_cast<int>((rc.top + rc.bottom) / 2 * scale));
    };
    EXPECT_EQ(selectedRows(), std::vector<int>{0}) << "the macro shown since the page was built";
    EXPECT_NE(rowColour(0), rowColour(1));
    EXPECT_FALSE(hint->IsVisible());

    names->SelectItem(1, false, true);
    ShowTab(bench, page, L"key_Op_tab");
    ShowTab(bench, page, L"macro_Op_tab");
    EXPECT_EQ(selectedRows(), std::vector<int>{1}) << "still the one picked after the panel was shown again";
    EXPECT_NE(rowColour(1), rowColour(0));

    MessageBoxes boxes(L"confirm_btn");
    for (int i = 0; i < 2; ++i)
        bench.Send(On(page, L"macro_btn_name_sub"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(names->GetCount(), 0);
    EXPECT_FALSE(names->IsVisible());
    EXPECT_TRUE(hint->IsVisible());
    EXPECT_EQ(hint->GetText(), page->LanguageText("macro_empty_hint").c_str());
    EXPECT_FALSE(On(page, L"macro_btn_starredio")->IsEnabled()) << "nothing to record into";
    bench.Send(On(page, L"macro_btn_name_add"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(names->IsVisible());
    EXPECT_FALSE(hint->IsVisible());
    EXPECT_TRUE(On(page, L"macro_btn_starredio")->IsEnabled());
}

// A macro deleted while a key plays it: after both questions the key is back on its default in
// the profile and on the keyboard, which must not go on playing the deleted macro.
TEST(MacroPanelWindow, DeletingTheMacroOfAKeyWritesTheKeyBackToTheKeyboard)
{
    WindowBench bench;
    sim::ServedDevice& keyboard = bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 2);
    AddMacro(KeyboardFolder(bench), 4);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"key_Op_tab");
    const std::size_t key = 20;
    const int position = PositionOfKey(key);
    const auto factory = KeyTableEntry(keyboard, key);
    bench.Send(On(page, L"key_" + std::to_wstring(position)), DuiLib::DUI_MSGTYPE_CLICK);
    auto* function = On<DuiLib::CComboUI>(page, L"keyset_function_combo");
    Pick(function, FunctionItem(function, input::category::kMacro));
    Pick(On<DuiLib::CComboUI>(page, L"keyset_macro_combo"), 1);
    Pick(On<DuiLib::CComboUI>(page, L"keyset_macro_over_combo"), 1);
    MessageBoxes boxes(L"confirm_btn");
    bench.Send(On(page, L"key_butt_prosave"), DuiLib::DUI_MSGTYPE_CLICK);
    ASSERT_EQ(KeyTableEntry(keyboard, key), (std::array<std::uint8_t, 3>{0x70, 0x00, 0x01})) << "the only macro of the image";

    ShowTab(bench, page, L"macro_Op_tab");
    On<DuiLib::CListUI>(page, L"macro_name_list")->SelectItem(1, false, true);
    boxes.Clear();
    bench.Send(On(page, L"macro_btn_name_sub"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(SpinUntil([&] { return boxes.Texts().size() >= 2; }, 3000ms));
    EXPECT_EQ(boxes.Texts().size(), 2u) << "the two questions, and no failure";
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"macro_name_list")->GetCount(), 1);

    const profiles::KeyHalf current = Current(page, position);
    auto& core = static_cast<devices::KeyboardModel&>(page->Model()).Keyboard();
    EXPECT_EQ(current.Code(), core.Keys().at(static_cast<std::size_t>(position)).defaults.Code());
    EXPECT_EQ(KeyTableEntry(keyboard, key), factory);
}

// A click on a mouse button's picture opens it in the key-set panel, except on the only button
// that is still the left button: without it the mouse could not click any more.
TEST(KeySetPanelWindow, TheOnlyLeftButtonIsNotOpenedForAssignment)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, 0);
    ShowTab(bench, page, L"key_Op_tab");
    auto& mouse = static_cast<devices::MouseModel&>(page->Model()).Mouse();
    auto* panel = static_cast<input::CKeySetControlUI*>(On(page, L"KeySetControlItem")->GetInterface(L"KeySetControlUI"));
    ASSERT_NE(panel, nullptr);
    auto buttonWith = [&](std::uint8_t b1) {
        for (std::size_t n = 0; n < mouse.Keys().size() && n < page->KeyButtons().size(); ++n) {
            const profiles::KeyHalf& c = mouse.Keys()[n].current;
            if (c.type == input::codetype::kMouseButton && c.b1 == b1)
                return static_cast<int>(n);
        }
        return -1;
    };
    const struct {
        const char* what;
        std::uint8_t button; // the mouse button the key plays
        bool refused;
    } cases[] = {
        {"the only left button", 0x01, true},
        {"the right button", 0x02, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int n = buttonWith(c.button);
        ASSERT_GE(n, 0);
        const int before = panel->SelectedKey();
        MessageBoxes boxes(L"confirm_btn");
        bench.Send(page->KeyButtons()[static_cast<std::size_t>(n)], DuiLib::DUI_MSGTYPE_CLICK);
        uitest::Spin(100);
        if (c.refused) {
            ASSERT_EQ(boxes.Texts().size(), 1u);
            EXPECT_EQ(boxes.Texts()[0], page->LanguageText(input::kLeftButtonMessage));
            EXPECT_EQ(panel->SelectedKey(), before);
        } else {
            EXPECT_TRUE(boxes.Texts().empty());
            EXPECT_EQ(panel->SelectedKey(), n);
        }
    }
}

// Export writes the macro's file as it is; import adds it as a new macro; a file that is no
// macro is refused with its message, and a cancelled dialog changes nothing.
TEST(MacroPanelWindow, MacrosGoOutAndComeInThroughTheFileDialogs)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 4);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"macro_Op_tab");
    auto* names = On<DuiLib::CListUI>(page, L"macro_name_list");
    input::MacroLibrary library(KeyboardFolder(bench));
    library.Load();
    MessageBoxes boxes(L"confirm_btn");

    // Typed without ".mac": the dialog adds it.
    const auto exported = bench.temp / "shared.mac";
    const DialogAnswer out = AnswerFileDialog([&] { bench.Send(On(page, L"macro_btn_export"), DuiLib::DUI_MSGTYPE_CLICK); },
                                              exported, false, true);
    EXPECT_TRUE(out.dialog);
    ASSERT_TRUE(std::filesystem::exists(exported));
    EXPECT_EQ(orvel::testing::FileText(exported), orvel::testing::FileText(library.MacroFile(0)));

    const DialogAnswer in = AnswerFileDialog([&] { bench.Send(On(page, L"macro_btn_import"), DuiLib::DUI_MSGTYPE_CLICK); },
                                             exported, false);
    EXPECT_TRUE(in.listed);
    ASSERT_EQ(names->GetCount(), 2);
    EXPECT_EQ(names->GetCurSel(), 1) << "the imported macro is shown";
    EXPECT_EQ(On<DuiLib::CListUI>(page, L"macro_action_list")->GetCount(), 4);
    library.Load();
    EXPECT_EQ(library.LoadEvents(1), library.LoadEvents(0));

    const auto notMacro = bench.temp / "notes.mac";
    orvel::testing::WriteText(notMacro, "shopping list");
    AnswerFileDialog([&] { bench.Send(On(page, L"macro_btn_import"), DuiLib::DUI_MSGTYPE_CLICK); }, notMacro, false);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], page->LanguageText("message_macro_file_not_json"));
    EXPECT_EQ(names->GetCount(), 2);

    // The user closes the dialog: nothing is imported.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    cancel.start(20);
    bench.Send(On(page, L"macro_btn_import"), DuiLib::DUI_MSGTYPE_CLICK);
    EXPECT_EQ(names->GetCount(), 2);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

// Every item of the row menu: the mouse-button items insert the press, the release or both
// after the row and save; the recording items start recording at their place.
TEST(MacroPanelWindow, EachItemOfTheRowMenuDoesItsPart)
{
    WindowBench bench;
    bench.temp.setEnv("WAYLAND_DISPLAY", "orvel-test-no-desktop"); // the program's own window only
    bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 2);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    ShowTab(bench, page, L"macro_Op_tab");
    auto* rows = On<DuiLib::CListUI>(page, L"macro_action_list");
    auto menu = [&](const std::wstring& item) {
        auto* command = new DuiLib::MenuCmd;
        command->szName = item.c_str();
        bench.window->SendMessage(DuiLib::WM_MENU_COMMAND, reinterpret_cast<WPARAM>(command), 0);
    };
    input::MacroLibrary library(KeyboardFolder(bench));
    const struct {
        const char* button;
        std::uint8_t mask;
    } buttons[] = {{"left", 0x01}, {"right", 0x02}, {"middle", 0x04}, {"back", 0x08}, {"forward", 0x10}};
    const struct {
        const char* click;
        std::vector<bool> downs; // the rows inserted after the selected one
    } clicks[] = {{"down", {true}}, {"up", {false}}, {"click", {true, false}}};
    for (const auto& b : buttons) {
        for (const auto& c : clicks) {
            const std::string item = std::string(b.button) + "_" + c.click;
            SCOPED_TRACE(item);
            library.Load();
            const std::vector<input::MacroEvent> before = library.LoadEvents(0);
            menu(std::wstring(item.begin(), item.end()));
            library.Load();
            std::vector<input::MacroEvent> events = library.LoadEvents(0);
            ASSERT_EQ(events.size(), before.size() + c.downs.size()) << "inserted and saved";
            // The inserted block starts where the saved events first differ.
            std::size_t at = 0;
            while (at < before.size() && events[at] == before[at])
                ++at;
            for (std::size_t i = 0; i < c.downs.size(); ++i) {
                EXPECT_EQ(events[at + i].type, input::eventtype::kMouseButton);
                EXPECT_EQ(events[at + i].button, b.mask);
                EXPECT_EQ(events[at + i].down, c.downs[i]);
            }
            events.erase(events.begin() + static_cast<std::ptrdiff_t>(at),
                         events.begin() + static_cast<std::ptrdiff_t>(at + c.downs.size()));
            EXPECT_EQ(events, before) << "the other events stay as they were";
            EXPECT_EQ(rows->GetCount(), static_cast<int>(before.size() + c.downs.size()));
        }
    }
    for (const wchar_t* item : {L"redio_previous_record_time", L"redio_previous_constant_time", L"redio_previous_ignore_time",
                                L"redio_later_record_time", L"redio_later_constant_time", L"redio_later_ignore_time",
                                L"macro_action_edit"}) {
        SCOPED_TRACE(QString::fromWCharArray(item).toStdString());
        rows->SelectItem(0, false, false);
        menu(item);
        EXPECT_TRUE(On(page, L"macro_btn_stopredio")->IsVisible()) << "recording";
        EXPECT_FALSE(rows->IsEnabled());
        bench.Send(On(page, L"macro_btn_stopredio"), DuiLib::DUI_MSGTYPE_CLICK);
        EXPECT_FALSE(On(page, L"macro_btn_stopredio")->IsVisible());
    }
}

// Deleting a macro asks first, and asks again when a key of the profile plays it: a no to either
// question keeps the macro.
TEST(MacroPanelWindow, AMacroIsDeletedOnlyAfterEveryQuestionWasAnsweredYes)
{
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 2);
    AddMacro(KeyboardFolder(bench), 2);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, kKeyboard);
    // Key 20 plays the second macro.
    ShowTab(bench, page, L"key_Op_tab");
    bench.Send(On(page, L"key_" + std::to_wstring(PositionOfKey(20))), DuiLib::DUI_MSGTYPE_CLICK);
    auto* function = On<DuiLib::CComboUI>(page, L"keyset_function_combo");
    Pick(function, FunctionItem(function, input::category::kMacro));
    Pick(On<DuiLib::CComboUI>(page, L"keyset_macro_combo"), 1);
    ShowTab(bench, page, L"macro_Op_tab");
    auto* names = On<DuiLib::CListUI>(page, L"macro_name_list");
    const std::wstring deleteIt = page->LanguageText("message_text_4");
    const std::wstring keyUsesIt = page->LanguageText("message_text_2");

    const struct {
        const char* what;
        int macro;
        std::vector<const wchar_t*> answers;
        std::vector<std::wstring> asked;
        int left; // macros afterwards
    } cases[] = {
        {"no to the first question", 1, {L"cancel_btn"}, {deleteIt}, 2},
        {"yes, then no to the key's question", 1, {L"confirm_btn", L"cancel_btn"}, {deleteIt, keyUsesIt}, 2},
        {"an unused macro: one question", 0, {L"confirm_btn"}, {deleteIt}, 1},
        {"yes to both", 0, {L"confirm_btn"}, {deleteIt, keyUsesIt}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        names->SelectItem(c.macro, false, true);
        MessageBoxes boxes(c.answers);
        bench.Send(On(page, L"macro_btn_name_sub"), DuiLib::DUI_MSGTYPE_CLICK);
        EXPECT_EQ(boxes.Texts(), c.asked);
        EXPECT_EQ(names->GetCount(), c.left);
    }
    // The key that played the deleted macro is back on its default, though it was never written.
    auto& keyboard = static_cast<devices::KeyboardModel&>(page->Model()).Keyboard();
    const profiles::KeyEntry& entry = keyboard.Keys().at(static_cast<std::size_t>(PositionOfKey(20)));
    EXPECT_EQ(entry.current.Code(), entry.defaults.Code());
}

TEST(ShootPanelWindow, ABulletEditIsKeptAndTheWriteReachesTheMouse)
{
    WindowBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse);
    bench.Start();
    CQuorsineUSBDevice* page = Shown(bench, 0);
    auto pick = [&](const std::wstring& name) {
        auto* option = On<DuiLib::COptionUI>(page, name);
        option->Selected(true, false);
        bench.Send(option, DuiLib::DUI_MSGTYPE_SELECTCHANGED);
    };
    pick(L"shoot_gun_op_1");
    pick(L"bullet_op_2");
    EXPECT_EQ(On(page, L"bullet_select_index")->GetText(), L"3");
    auto* x = On(page, L"bullet_x_eidt");
    auto* delay = On(page, L"bullet_delay_eidt");
    x->SetText(L"7");
    bench.Send(x, DuiLib::DUI_MSGTYPE_KILLFOCUS);
    delay->SetText(L"33");
    bench.Send(delay, DuiLib::DUI_MSGTYPE_KILLFOCUS);
    const std::wstring shownX = x->GetText().str(), shownDelay = delay->GetText().str();

    const auto before = mouse.Device().Snapshot().shoot;
    MessageBoxes boxes(L"confirm_btn");
    bench.Send(On(page, L"shootdate_save_btn"), DuiLib::DUI_MSGTYPE_CLICK);
    const auto written = mouse.Device().Snapshot().shoot;
    EXPECT_FALSE(written.empty());
    EXPECT_NE(written, before);
    EXPECT_TRUE(boxes.Texts().empty());

    bench.Restart();
    page = Shown(bench, 0);
    pick(L"shoot_gun_op_1");
    pick(L"bullet_op_2");
    EXPECT_EQ(On(page, L"bullet_x_eidt")->GetText(), shownX.c_str());
    EXPECT_EQ(On(page, L"bullet_delay_eidt")->GetText(), shownDelay.c_str());
    EXPECT_EQ(shownDelay, L"33");
}

// Pictures of the three panels in every language, for a person to look at: written only when
// ORVEL_PANEL_SHOTS names a folder.
TEST(PanelPictures, EachPanelInEachLanguage)
{
    const char* folder = std::getenv("ORVEL_PANEL_SHOTS");
    if (folder == nullptr)
        GTEST_SKIP() << "set ORVEL_PANEL_SHOTS to a folder to write the pictures";
    WindowBench bench;
    bench.Serve(sim::DeviceKind::Mouse);
    bench.Serve(sim::DeviceKind::Keyboard);
    AddMacro(KeyboardFolder(bench), 6);
    bench.Start();
    CQuorsineUSBDevice* keyboard = Shown(bench, kKeyboard);
    auto* host = dynamic_cast<DuiLib::CUIHostWidget*>(bench.window->GetWidget());
    ASSERT_NE(host, nullptr);
    auto shoot = [&](const std::string& name) {
        bench.window->GetPaintManager().SetFocus(nullptr);
        uitest::Spin(50);
        const std::string file = std::string(folder) + "/" + name + ".png";
        EXPECT_TRUE(host->RenderWindow().save(QString::fromStdString(file))) << file;
    };
    for (int language = 0; language < static_cast<int>(bench.window->Languages().size()); ++language) {
        bench.window->SwitchLanguage(language);
        const std::string tag = bench.window->Languages()[static_cast<std::size_t>(language)].name;
        bench.window->SelectKindRow(kKeyboard);
        ShowTab(bench, keyboard, L"key_Op_tab");
        bench.Send(On(keyboard, L"key_" + std::to_wstring(PositionOfKey(30))), DuiLib::DUI_MSGTYPE_CLICK);
        auto* function = On<DuiLib::CComboUI>(keyboard, L"keyset_function_combo");
        Pick(function, FunctionItem(function, input::category::kKeyboardKey));
        PressKey(bench, kEvdevB);
        shoot("keyset-" + tag);
        ShowTab(bench, keyboard, L"macro_Op_tab");
        shoot("macro-" + tag);
        CQuorsineUSBDevice* mouse = Shown(bench, 0);
        ShowTab(bench, mouse, L"macro_Op_tab");
        shoot("macro-empty-" + tag); // the mouse has no macro yet
        On<DuiLib::CTabLayoutUI>(mouse, L"ms_macro_switch")->SelectItem(1);
        auto* bullet = On<DuiLib::COptionUI>(mouse, L"bullet_op_4");
        bullet->Selected(true, false);
        bench.Send(bullet, DuiLib::DUI_MSGTYPE_SELECTCHANGED);
        shoot("shoot-" + tag);
        On<DuiLib::CTabLayoutUI>(mouse, L"ms_macro_switch")->SelectItem(0);
    }
}

} // namespace
} // namespace orvel::app::testing
