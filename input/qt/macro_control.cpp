#include "input/qt/macro_control.h"

#include "devices/qt/device_page.h"
#include "devices/qt/panel_child.h"
#include "input/decimal.h"
#include "input/hook/hook_messages.h"
#include "input/hook/hook_recording.h"
#include "input/key_text.h"
#include "input/qt/key_write.h"
#include "platform/text.h"
#include "ui/filedialog.h"
#include "ui/menu.h"

#include <QCursor>

namespace orvel::input {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kRowMenu = L"XML\\Menus\\macro_action_menu.xml";
constexpr int kRowHeight = 30;
constexpr DWORD kDelayEditColour = 0xFF444444;
// The primary text colour: the dim text of the row's style is too faint on the delay's grey.
constexpr DWORD kDelayEditTextColour = 0xFFE8EAF0;
constexpr int kDelayEditWidth = 72;
// Shown when the hook could not start (another program holds the keyboard).
constexpr const char* kCaptureUnavailableMessage = "message_capture_unavailable";

std::wstring Wide(std::string_view utf8)
{
    return text::FromUtf8(utf8);
}

std::filesystem::path AskFile(HWND owner, bool save)
{
    const std::vector<TFileFilter> filters = {{L"Macro Files(*.mac)", L"*.mac;"}};
    const CDuiString file = save ? ShowSaveFileDialog(owner, filters, nullptr, L"mac")
                                 : ShowOpenFileDialog(owner, filters, nullptr, L"mac");
    return file.IsEmpty() ? std::filesystem::path() : std::filesystem::path(file.ToUtf8());
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CMacroControlUI, DuiLib::CNotifyPump)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"macro_name_list", CMacroControlUI::OnMacroSelect)
DUI_ON_CLICK_CTRNAME(L"macro_btn_name_add", CMacroControlUI::OnAdd)
DUI_ON_CLICK_CTRNAME(L"macro_btn_name_sub", CMacroControlUI::OnDelete)
DUI_ON_CLICK_CTRNAME(L"macro_btn_name_edit", CMacroControlUI::OnRename)
DUI_ON_CLICK_CTRNAME(L"macro_btn_save", CMacroControlUI::OnSave)
DUI_ON_CLICK_CTRNAME(L"macro_btn_cancel", CMacroControlUI::OnCancel)
DUI_ON_CLICK_CTRNAME(L"macro_btn_import", CMacroControlUI::OnImport)
DUI_ON_CLICK_CTRNAME(L"macro_btn_export", CMacroControlUI::OnExport)
DUI_ON_CLICK_CTRNAME(L"macro_btn_up", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_btn_down", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_btn_uptop", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_btn_downbottom", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_btn_delete", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_btn_deleteall", CMacroControlUI::OnRowEdit)
DUI_ON_CLICK_CTRNAME(L"macro_inset_moveleftkey_btn", CMacroControlUI::OnMove)
DUI_ON_CLICK_CTRNAME(L"macro_inset_moverightkey_btn", CMacroControlUI::OnMove)
DUI_ON_CLICK_CTRNAME(L"macro_inset_moveupkey_btn", CMacroControlUI::OnMove)
DUI_ON_CLICK_CTRNAME(L"macro_inset_movedownkey_btn", CMacroControlUI::OnMove)
DUI_ON_CLICK_CTRNAME(L"macro_btn_starredio", CMacroControlUI::OnStart)
DUI_ON_CLICK_CTRNAME(L"macro_btn_stopredio", CMacroControlUI::OnStop)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_MENU, L"macro_action", CMacroControlUI::OnRowMenu)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMACTIVATE, L"macro_action", CMacroControlUI::OnRowMenu)
DUI_ON_KILLFOCUS_CTRNAME(L"macro_delay", CMacroControlUI::OnDelayEdit)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CMacroControlUI)
ORVEL_END_PREFIX_ROUTES()

// Each recording message at its placement (the hook sends the one of the mode installed).
ORVEL_BEGIN_MESSAGE_ROUTES(CMacroControlUI)
{0, L"WM_HOOK_KEY_KBMACRO_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Append, false>)},
{0, L"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Before, false>)},
{0, L"WM_HOOK_KEY_KBMACROLATER_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::After, false>)},
{0, L"WM_HOOK_KEY_KBMACROSINGLE_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Replace, false>)},
{0, L"WM_HOOK_KEY_MSMACRO_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Append, true>)},
{0, L"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Before, true>)},
{0, L"WM_HOOK_KEY_MSMACROLATER_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::After, true>)},
{0, L"WM_HOOK_KEY_MSMACROSINGLE_MSG", static_cast<pages::MessageHandler>(&CMacroControlUI::OnRecorded<Placement::Replace, true>)},
ORVEL_ON_MESSAGE(WM_MENU_COMMAND, CMacroControlUI::OnMenuCommand)
ORVEL_ON_MESSAGE(WM_HOOK_ENDED, CMacroControlUI::OnHookEnded)
ORVEL_END_MESSAGE_ROUTES()

LPVOID CMacroControlUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == pages::kPagePanelInterface)
        return static_cast<pages::CPagePanel*>(this);
    if (CDuiString(pstrName) == L"MacroControlUI")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CControlUI* CMacroControlUI::Find(const char* name) const
{
    return pages::PanelChild(*const_cast<CMacroControlUI*>(this), Wide(name).c_str(), "macro panel");
}

void CMacroControlUI::BindPage(pages::CQuorsineUSBDevice& page)
{
    page_ = &page;
    library_ = std::make_unique<MacroLibrary>(page.Model().Core().Folders().profileFolder);
    names_ = static_cast<CListUI*>(Find("macro_name_list"));
    rows_ = static_cast<CListUI*>(Find("macro_action_list"));
    if (auto* edit = static_cast<CEditUI*>(Find("macro_edit_macroname")))
        edit->SetMaxChar(32);
    // Where the hook hears only this window, the panel says so before anyone records.
    if (CControlUI* note = Find("macro_capture_note"))
        note->SetVisible(SendMessageW(page.Setup().ownerWindow, WM_HOOK_SCOPE, 0, 0) != 1);
    ShowMacros(0);
}

void CMacroControlUI::ShowProfile()
{
    // Another program (orvelctl) may have changed the list meanwhile.
    if (!editor_.Recording())
        ShowMacros(macro_ < 0 ? 0 : macro_);
}

void CMacroControlUI::SetInternVisible(bool visible)
{
    CHorizontalLayoutUI::SetInternVisible(visible);
    SelectShownMacro();
}

void CMacroControlUI::SetVisible(bool visible)
{
    CHorizontalLayoutUI::SetVisible(visible);
    SelectShownMacro();
}

void CMacroControlUI::SelectShownMacro()
{
    if (IsVisible() && names_ != nullptr && macro_ >= 0 && names_->GetCurSel() != macro_)
        names_->SelectItem(macro_, false, false);
}

void CMacroControlUI::ShowMacros(int select)
{
    if (library_ == nullptr || names_ == nullptr)
        return;
    library_->Load();
    names_->RemoveAll();
    for (const MacroInfo& info : library_->Macros()) {
        auto* item = new CListLabelElementUI;
        item->SetText(Wide(info.name).c_str());
        item->SetUserData(Wide(info.guid).c_str());
        item->SetFixedHeight(kRowHeight);
        names_->Add(item);
    }
    const int count = static_cast<int>(library_->Macros().size());
    // An empty list says how to make a macro instead of showing a blank box.
    names_->SetVisible(count > 0);
    if (CControlUI* hint = Find("macro_empty_hint"))
        hint->SetVisible(count == 0);
    ShowMacro(count == 0 ? -1 : std::clamp(select, 0, count - 1));
}

void CMacroControlUI::ShowMacro(int index)
{
    macro_ = index;
    if (names_ != nullptr && index >= 0)
        names_->SelectItem(index, false, false);
    editor_.SetEvents(index >= 0 ? library_->LoadEvents(index) : std::vector<MacroEvent>());
    EnableMacroControls(index >= 0);
    ShowRows();
}

void CMacroControlUI::ShowRows()
{
    if (rows_ == nullptr || page_ == nullptr)
        return;
    rows_->RemoveAll();
    for (const MacroRow& row : editor_.Rows()) {
        const MacroRowLook look = RowLook(row);
        auto* element = new CListContainerElementUI;
        element->SetName(L"macro_action");
        element->SetFixedHeight(kRowHeight);
        element->SetChildPadding(4);
        element->SetUserData(Wide(look.userData).c_str());
        rows_->Add(element);
        auto* name = new CLabelUI;
        element->Add(name);
        name->ApplyAttributeList(Wide(look.nameStyle).c_str());
        name->SetText(look.nameKey.empty() ? L"" : page_->LanguageText(look.nameKey).c_str());
        auto* action = new CLabelUI;
        element->Add(action);
        action->ApplyAttributeList(Wide(look.actionStyle).c_str());
        action->SetText(Wide(look.actionText).c_str());
        auto* delay = new CEditUI;
        element->Add(delay);
        delay->SetName(L"macro_delay");
        delay->ApplyAttributeList(L"macro_label_text_style");
        delay->SetBkColor(kDelayEditColour);
        delay->SetTextColor(kDelayEditTextColour);
        delay->SetFixedWidth(kDelayEditWidth);
        delay->SetAttribute(L"textpadding", L"4,0,6,0");
        delay->SetMaxChar(kDelayEditMaxChars);
        delay->SetNumberOnly(true);
        delay->SetText(Wide(look.delayText).c_str());
    }
    if (editor_.Selected() >= 0)
        rows_->SelectItem(editor_.Selected(), false, false);
}

void CMacroControlUI::ShowMessage(MacroStatus status)
{
    if (const char* key = MacroMessage(status); key != nullptr && *key != 0 && page_ != nullptr) {
        devices::SequenceResult result;
        result.messages.push_back({key});
        page_->ShowResult(result);
    }
}

void CMacroControlUI::SaveRows()
{
    if (macro_ < 0)
        return;
    const MacroStatus status = library_->SaveEvents(macro_, editor_.CollectEvents());
    ShowRows();
    ShowMessage(status);
}

uint16_t CMacroControlUI::ConstantDelay() const
{
    const CControlUI* edit = Find("macro_fixed_time_edit");
    return static_cast<uint16_t>(ParseClamped(edit != nullptr ? text::ToUtf8(edit->GetText().str()) : "", 0, 65535));
}

void CMacroControlUI::EnableMacroControls(bool enabled)
{
    for (const char* name : kControlsNeedingAMacro) {
        if (CControlUI* control = Find(name))
            control->SetEnabled(enabled);
    }
}

void CMacroControlUI::OnMacroSelect(TNotifyUI& msg)
{
    if (!editor_.Recording())
        ShowMacro(static_cast<int>(msg.wParam));
}

void CMacroControlUI::OnAdd(TNotifyUI&)
{
    int index = -1;
    const MacroStatus status = library_->Add(index);
    ShowMessage(status);
    if (status == MacroStatus::Done) {
        ShowMacros(index);
        page_->ApplyProfile();
    }
}

void CMacroControlUI::OnDelete(TNotifyUI&)
{
    if (macro_ < 0)
        return;
    const std::filesystem::path profile =
        page_->Model().Core().Folders().Profile(page_->Model().Core().ProfileIdentifier());
    // The questions and the renumbering read the profile files: the keys assigned since the last
    // write must be in the file, or a key would be left on the deleted macro's number.
    if (!SaveKeys(page_->Model())) {
        devices::SequenceResult result;
        result.TakeSave(false);
        page_->ShowResult(result);
        return;
    }
    for (const std::string& question : DeleteQuestions(*library_, macro_, profile)) {
        if (!page_->Ask(question.c_str()))
            return;
    }
    const DeleteOutcome outcome = library_->Delete(macro_, profile);
    ShowMessage(outcome.status);
    // The keys of the shown profile that used the deleted macro, or a macro after it, were
    // renumbered: the page takes them, and the device gets the new image and key table, or its
    // keys would go on playing the deleted macro.
    if (outcome.currentProfileChanged) {
        devices::SequenceResult result = page_->Model().Perform([this] { return page_->Model().Core().LoadProfile(); });
        if (result.status == 1)
            result = WriteKeys(page_->Model(), WriteMacrosThenKeys);
        page_->ShowResult(result);
    }
    ShowMacros(macro_);
    page_->ApplyProfile();
}

void CMacroControlUI::OnRename(TNotifyUI&)
{
    CControlUI* edit = Find("macro_edit_macroname");
    if (macro_ < 0 || edit == nullptr)
        return;
    const MacroStatus status = library_->Rename(macro_, text::ToUtf8(edit->GetText().str()));
    ShowMessage(status);
    if (status == MacroStatus::Done) {
        edit->SetText(L"");
        ShowMacros(macro_);
        page_->ApplyProfile();
    }
}

void CMacroControlUI::OnSave(TNotifyUI&)
{
    SaveRows();
}

void CMacroControlUI::OnCancel(TNotifyUI&)
{
    ShowMacro(macro_);
}

void CMacroControlUI::OnImport(TNotifyUI&)
{
    const std::filesystem::path file = dialog_ ? dialog_(false) : AskFile(page_->Setup().ownerWindow, false);
    if (file.empty())
        return;
    int index = -1;
    const MacroStatus status = library_->Import(file, index);
    ShowMessage(status);
    if (status == MacroStatus::Done) {
        ShowMacros(index);
        page_->ApplyProfile();
    }
}

void CMacroControlUI::OnExport(TNotifyUI&)
{
    if (macro_ < 0)
        return;
    const std::filesystem::path file = dialog_ ? dialog_(true) : AskFile(page_->Setup().ownerWindow, true);
    if (!file.empty())
        ShowMessage(library_->Export(macro_, file));
}

void CMacroControlUI::OnRowEdit(TNotifyUI& msg)
{
    if (rows_ != nullptr && rows_->GetCurSel() >= 0)
        editor_.Select(rows_->GetCurSel());
    const CDuiString name = msg.pSender->GetName();
    if (name == L"macro_btn_up")
        editor_.MoveUp();
    else if (name == L"macro_btn_down")
        editor_.MoveDown();
    else if (name == L"macro_btn_uptop")
        editor_.MoveToTop();
    else if (name == L"macro_btn_downbottom")
        editor_.MoveToBottom();
    else if (name == L"macro_btn_delete")
        editor_.DeleteSelected();
    else
        editor_.DeleteAll();
    ShowRows();
}

void CMacroControlUI::OnMove(TNotifyUI& msg)
{
    const std::optional<MoveInsert> move = MoveInsertOf(msg.pSender->GetName().ToUtf8());
    CControlUI* edit = move ? Find(move->distanceEdit) : nullptr;
    if (edit == nullptr || macro_ < 0)
        return;
    if (rows_ != nullptr && rows_->GetCurSel() >= 0)
        editor_.Select(rows_->GetCurSel());
    std::string distance = text::ToUtf8(edit->GetText().str());
    editor_.InsertMove(move->direction, distance, ConstantDelay());
    edit->SetText(Wide(distance).c_str());
    SaveRows();
}

void CMacroControlUI::OnStart(TNotifyUI&)
{
    const auto* check = static_cast<COptionUI*>(Find("macro_check_time"));
    StartRecording(Placement::Append, RecordingTimeMode(check != nullptr && check->IsSelected()), false);
}

void CMacroControlUI::OnStop(TNotifyUI&)
{
    StopRecording(true);
}

void CMacroControlUI::StartRecording(Placement placement, TimeMode mode, bool stopsAfterFirstEvent)
{
    if (macro_ < 0 || editor_.Recording())
        return;
    if (rows_ != nullptr && rows_->GetCurSel() >= 0)
        editor_.Select(rows_->GetCurSel());
    // The main window installs the hook of the placement; 0 when the keyboard cannot be held.
    if (SendMessageW(page_->Setup().ownerWindow, WM_HOOK_CONTROL, static_cast<WPARAM>(placement), 0) != 1) {
        devices::SequenceResult refusal;
        refusal.messages.push_back({kCaptureUnavailableMessage});
        page_->ShowResult(refusal);
        return;
    }
    editor_.StartRecording(mode, ConstantDelay(), HookTickCount());
    stopAfterFirst_ = stopsAfterFirstEvent;
    ShowRecording(true);
}

void CMacroControlUI::StopRecording(bool uninstall)
{
    if (!editor_.Recording())
        return;
    if (uninstall)
        SendMessageW(page_->Setup().ownerWindow, WM_HOOK_CONTROL, 0, 0);
    editor_.StopRecording();
    ShowRecording(false);
    SaveRows();
}

void CMacroControlUI::ShowRecording(bool recording)
{
    for (const char* name : kControlsDisabledWhileRecording) {
        if (CControlUI* control = Find(name))
            control->SetEnabled(!recording);
    }
    if (CControlUI* start = Find("macro_btn_starredio"))
        start->SetVisible(!recording);
    if (CControlUI* stop = Find("macro_btn_stopredio")) {
        stop->SetVisible(recording);
        if (auto* blinking = static_cast<CRedioMacroButtonUI*>(stop->GetInterface(L"RedioMacroButton")))
            blinking->SetBlink(recording);
    }
    if (CControlUI* profile = page_->GetManager()->FindSubControlByName(page_, L"DeviceProfileItem"))
        profile->SetEnabled(!recording);
}

template <Placement placement, bool mouse>
LRESULT CMacroControlUI::OnRecorded(WPARAM wParam, LPARAM lParam)
{
    if (!editor_.Recording())
        return 0;
    RecordedRow row;
    if constexpr (mouse) {
        std::optional<ScreenRect> stop;
        if (CControlUI* button = Find("macro_btn_stopredio"); button != nullptr && button->IsVisible()) {
            const RECT pos = button->GetPos();
            CWindowWnd* window = CWindowWnd::FromHandle(page_->Setup().ownerWindow);
            const RECT origin = window != nullptr ? window->GetWindowRect() : RECT{};
            stop = ScreenRect{pos.left + origin.left, pos.top + origin.top, pos.right + origin.left,
                              pos.bottom + origin.top};
        }
        row = RecordMouseMessage(editor_, placement, wParam, lParam, stop);
    } else {
        row = RecordKeyMessage(editor_, placement, wParam, lParam);
    }
    if (!row)
        return 0;
    ShowRows();
    if (rows_ != nullptr && *row < static_cast<std::size_t>(rows_->GetCount()))
        rows_->EnsureVisible(static_cast<int>(*row));
    if (stopAfterFirst_)
        StopRecording(true);
    return 0;
}

LRESULT CMacroControlUI::OnHookEnded(WPARAM, LPARAM)
{
    StopRecording(false);
    return 0;
}

void CMacroControlUI::OnRowMenu(TNotifyUI& msg)
{
    if (editor_.Recording() || rows_ == nullptr)
        return;
    const int row = rows_->GetItemIndex(msg.pSender);
    if (row >= 0) {
        rows_->SelectItem(row, false, false);
        editor_.Select(row);
    }
    const QPoint cursor = QCursor::pos();
    CMenuWnd::CreateMenu(nullptr, kRowMenu, DuiLib::POINT{cursor.x(), cursor.y()}, page_->GetManager());
}

LRESULT CMacroControlUI::OnMenuCommand(WPARAM wParam, LPARAM)
{
    const auto* command = reinterpret_cast<const MenuCmd*>(wParam);
    const auto* check = static_cast<COptionUI*>(Find("macro_check_time"));
    const std::optional<MacroMenuCommand> c =
        command != nullptr ? MacroMenuCommandOf(command->szName.ToUtf8(), check != nullptr && check->IsSelected())
                           : std::nullopt;
    if (!c || macro_ < 0)
        return 0;
    if (c->kind == MacroMenuCommand::Kind::InsertButton) {
        editor_.InsertMouseButton(c->buttonMask, c->click, ConstantDelay());
        SaveRows();
    } else {
        StartRecording(c->placement, c->mode, c->stopsAfterFirstEvent);
    }
    return 1;
}

void CMacroControlUI::OnDelayEdit(TNotifyUI& msg)
{
    if (rows_ == nullptr)
        return;
    const int row = rows_->GetItemIndex(msg.pSender->GetParent());
    if (row < 0)
        return;
    editor_.SetDelayText(static_cast<std::size_t>(row), msg.pSender->GetText().ToUtf8());
    SaveRows();
}

} // namespace orvel::input
