#include "input/qt/keyset_control.h"

#include "devices/kind_models.h"
#include "devices/qt/device_page.h"
#include "devices/qt/panel_child.h"
#include "input/hook/hook_messages.h"
#include "input/hook/hook_recording.h"
#include "input/qt/key_write.h"
#include "platform/text.h"

#include <algorithm>

namespace orvel::input {

using namespace DuiLib;

namespace {

int Selection(const CComboUI* combo)
{
    return combo != nullptr ? combo->GetCurSel() : -1;
}

void Choose(CComboUI* combo, int index)
{
    if (combo != nullptr)
        combo->SelectItem(index, false, false);
}

std::string TextOf(const CControlUI* edit)
{
    return edit != nullptr ? text::ToUtf8(edit->GetText().str()) : std::string();
}

void SetTextOf(CControlUI* edit, const std::string& value)
{
    if (edit != nullptr)
        edit->SetText(text::FromUtf8(value).c_str());
}

int UserDataNumber(CControlUI* item)
{
    const std::wstring data = item != nullptr ? item->GetUserData().str() : std::wstring();
    return data.empty() ? -1 : static_cast<int>(std::wcstol(data.c_str(), nullptr, 10));
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CKeySetControlUI, DuiLib::CNotifyPump)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_function_combo", CKeySetControlUI::OnFunction)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_mousekey_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_mouseswing_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_mousewheel_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_mousedpi_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_media_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_system_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_macro_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_gunkey_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_combokey_combo", CKeySetControlUI::OnSaveCombo)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"keyset_macro_over_combo", CKeySetControlUI::OnRepeatMode)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mouseswing_num_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mouseswing_delay_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mouseswing_speed_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mousewheel_num_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mousewheel_delay_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mousewheel_speed_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mousefire_interval_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_mousefire_num_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_macro_cycle_edit", CKeySetControlUI::OnNumberEdit)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SETFOCUS, L"keyset_keyboard_text_edit", CKeySetControlUI::OnKeyEditFocus)
DUI_ON_KILLFOCUS_CTRNAME(L"keyset_keyboard_text_edit", CKeySetControlUI::OnKeyEditFocusLost)
DUI_ON_CLICK_CTRNAME(L"key_butt_keysave", CKeySetControlUI::OnSave)
DUI_ON_CLICK_CTRNAME(L"key_butt_keydefalut", CKeySetControlUI::OnDefault)
DUI_ON_CLICK_CTRNAME(L"key_butt_keycancel", CKeySetControlUI::OnCancel)
DUI_ON_CLICK_CTRNAME(L"key_butt_prosave", CKeySetControlUI::OnWrite)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CKeySetControlUI)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"key_ComBox_check_", CKeySetControlUI::OnModifier)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CKeySetControlUI)
ORVEL_ON_REGISTERED(L"WM_HOOK_KEY_SINGLEKEY_MSG", CKeySetControlUI::OnCapturedKey)
ORVEL_END_MESSAGE_ROUTES()

LPVOID CKeySetControlUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == pages::kPagePanelInterface)
        return static_cast<pages::CPagePanel*>(this);
    if (CDuiString(pstrName) == L"KeySetControlUI")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

bool CKeySetControlUI::RouteNotify(TNotifyUI& msg)
{
    // A key click goes on to the page's other panels as well.
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender != nullptr) {
        if (const int n = pages::NumberAfterPrefix(msg.pSender->GetName().str(), L"key_"); n >= 0) {
            OnKey(msg, n);
            return false;
        }
    }
    return CPagePanel::RouteNotify(msg);
}

CControlUI* CKeySetControlUI::Find(const wchar_t* name) const
{
    return pages::PanelChild(*const_cast<CKeySetControlUI*>(this), name, "key-set panel");
}

devices::KeyboardCore* CKeySetControlUI::Keyboard() const
{
    auto* model = page_ != nullptr ? dynamic_cast<devices::KeyboardModel*>(&page_->Model()) : nullptr;
    return model != nullptr ? &model->Keyboard() : nullptr;
}

devices::MouseCore* CKeySetControlUI::Mouse() const
{
    auto* model = page_ != nullptr ? dynamic_cast<devices::MouseModel*>(&page_->Model()) : nullptr;
    return model != nullptr ? &model->Mouse() : nullptr;
}

std::vector<profiles::KeyEntry>* CKeySetControlUI::Keys() const
{
    if (devices::KeyboardCore* keyboard = Keyboard())
        return &keyboard->Keys();
    if (devices::MouseCore* mouse = Mouse())
        return &mouse->Keys();
    return nullptr;
}

void CKeySetControlUI::BindPage(pages::CQuorsineUSBDevice& page)
{
    page_ = &page;
    const int kind = Mouse() != nullptr ? kDeviceMouse : kDeviceKeyboard;
    panel_.SetDeviceKind(kind);
    function_ = static_cast<CComboUI*>(Find(L"keyset_function_combo"));
    functionPages_ = static_cast<CTabLayoutUI*>(Find(L"function_switch_tablayout"));
    functionLayout_ = Find(L"keyset_layout");
    mouseButton_ = static_cast<CComboUI*>(Find(L"keyset_mousekey_combo"));
    tilt_ = static_cast<CComboUI*>(Find(L"keyset_mouseswing_combo"));
    tiltCount_ = Find(L"keyset_mouseswing_num_edit");
    tiltDelay_ = Find(L"keyset_mouseswing_delay_edit");
    tiltSpeed_ = Find(L"keyset_mouseswing_speed_edit");
    wheel_ = static_cast<CComboUI*>(Find(L"keyset_mousewheel_combo"));
    wheelCount_ = Find(L"keyset_mousewheel_num_edit");
    wheelDelay_ = Find(L"keyset_mousewheel_delay_edit");
    wheelSpeed_ = Find(L"keyset_mousewheel_speed_edit");
    dpi_ = static_cast<CComboUI*>(Find(L"keyset_mousedpi_combo"));
    fireInterval_ = Find(L"keyset_mousefire_interval_edit");
    fireCount_ = Find(L"keyset_mousefire_num_edit");
    keyEdit_ = Find(L"keyset_keyboard_text_edit");
    modifiers_.clear();
    for (int n = 0; n < 5; ++n)
        modifiers_.push_back(static_cast<COptionUI*>(Find((L"key_ComBox_check_" + std::to_wstring(n)).c_str())));
    media_ = static_cast<CComboUI*>(Find(L"keyset_media_combo"));
    system_ = static_cast<CComboUI*>(Find(L"keyset_system_combo"));
    macro_ = static_cast<CComboUI*>(Find(L"keyset_macro_combo"));
    macroMode_ = static_cast<CComboUI*>(Find(L"keyset_macro_over_combo"));
    macroRepeat_ = Find(L"keyset_macro_cycle_edit");
    repeatRow_ = Find(L"keyset_macro_cycle_layout");
    gun_ = static_cast<CComboUI*>(Find(L"keyset_gunkey_combo"));
    combination_ = static_cast<CComboUI*>(Find(L"keyset_combokey_combo"));
    saveButtons_ = {Find(L"key_butt_keysave"), Find(L"key_butt_keycancel"), Find(L"key_butt_prosave")};
    // The function list offers what the kind has (a keyboard has no DPI and no gun keys).
    if (function_ != nullptr) {
        const std::vector<int> offered = FunctionCategories(kind);
        for (int i = 0; i < function_->GetCount(); ++i) {
            CControlUI* item = function_->GetItemAt(i);
            item->SetVisible(std::find(offered.begin(), offered.end(), UserDataNumber(item)) != offered.end());
        }
    }
    FillMacroList();
    ShowSaveButtons();
}

void CKeySetControlUI::ShowProfile()
{
    FillMacroList();
    std::vector<profiles::KeyEntry>* keys = Keys();
    if (keys == nullptr || key_ < 0 || static_cast<std::size_t>(key_) >= keys->size())
        return;
    const profiles::KeyEntry& entry = (*keys)[static_cast<std::size_t>(key_)];
    ShowFields(panel_.ShowKey({{entry.current.type, entry.current.b1, entry.current.b2},
                               {entry.defaults.type, entry.defaults.b1, entry.defaults.b2}}));
    panel_.Cancel();
    ShowSaveButtons();
}

void CKeySetControlUI::RefreshLanguage()
{
    FillMacroList();
    ShowFields(panel_.Fields());
}

void CKeySetControlUI::FillMacroList()
{
    if (macro_ == nullptr || page_ == nullptr)
        return;
    const int selected = macro_->GetCurSel();
    macro_->RemoveAll();
    const std::vector<std::string> names = page_->Model().Core().MacroNames();
    for (const std::string& name : names) {
        auto* item = new CListLabelElementUI;
        item->SetText(text::FromUtf8(name).c_str());
        macro_->Add(item);
    }
    panel_.SetMacroCount(static_cast<int>(names.size()));
    Choose(macro_, selected < static_cast<int>(names.size()) ? selected : -1);
}

KeySetFields CKeySetControlUI::ReadFields() const
{
    KeySetFields f;
    if (function_ != nullptr && function_->GetCurSel() >= 0)
        f.category = UserDataNumber(function_->GetItemAt(function_->GetCurSel()));
    f.layoutVisible = functionLayout_ == nullptr || functionLayout_->IsVisible();
    f.mouseButton = Selection(mouseButton_);
    f.tiltDirection = Selection(tilt_);
    f.tiltCount = TextOf(tiltCount_);
    f.tiltDelay = TextOf(tiltDelay_);
    f.tiltSpeed = TextOf(tiltSpeed_);
    f.wheelDirection = Selection(wheel_);
    f.wheelCount = TextOf(wheelCount_);
    f.wheelDelay = TextOf(wheelDelay_);
    f.wheelSpeed = TextOf(wheelSpeed_);
    f.dpi = Selection(dpi_);
    f.fireInterval = TextOf(fireInterval_);
    f.fireCount = TextOf(fireCount_);
    // The key edit is read-only: it shows the name of what the panel last captured or showed.
    f.keyName = panel_.Fields().keyName;
    f.keyUsage = panel_.Fields().keyUsage;
    for (std::size_t n = 0; n < modifiers_.size(); ++n) {
        if (modifiers_[n] != nullptr && modifiers_[n]->IsSelected())
            f.modifierBox = static_cast<int>(n);
    }
    f.media = Selection(media_);
    f.system = Selection(system_);
    f.macro = Selection(macro_);
    f.macroMode = Selection(macroMode_);
    f.macroRepeat = TextOf(macroRepeat_);
    f.repeatRowVisible = repeatRow_ != nullptr && repeatRow_->IsVisible();
    f.gun = Selection(gun_);
    f.combination = Selection(combination_);
    return f;
}

void CKeySetControlUI::ShowFields(const KeySetFields& f)
{
    if (function_ != nullptr) {
        for (int i = 0; i < function_->GetCount(); ++i) {
            if (UserDataNumber(function_->GetItemAt(i)) == f.category)
                Choose(function_, i);
        }
    }
    if (functionLayout_ != nullptr)
        functionLayout_->SetVisible(f.layoutVisible);
    if (functionPages_ != nullptr)
        functionPages_->SelectItem(f.category);
    Choose(mouseButton_, f.mouseButton);
    Choose(tilt_, f.tiltDirection);
    SetTextOf(tiltCount_, f.tiltCount);
    SetTextOf(tiltDelay_, f.tiltDelay);
    SetTextOf(tiltSpeed_, f.tiltSpeed);
    Choose(wheel_, f.wheelDirection);
    SetTextOf(wheelCount_, f.wheelCount);
    SetTextOf(wheelDelay_, f.wheelDelay);
    SetTextOf(wheelSpeed_, f.wheelSpeed);
    Choose(dpi_, f.dpi);
    SetTextOf(fireInterval_, f.fireInterval);
    SetTextOf(fireCount_, f.fireCount);
    if (keyEdit_ != nullptr && page_ != nullptr)
        keyEdit_->SetText(f.keyName.empty() ? L"" : page_->LanguageText(f.keyName).c_str());
    for (std::size_t n = 0; n < modifiers_.size(); ++n) {
        if (modifiers_[n] != nullptr)
            modifiers_[n]->Selected(static_cast<int>(n) == f.modifierBox, false);
    }
    Choose(media_, f.media);
    Choose(system_, f.system);
    Choose(macro_, f.macro);
    Choose(macroMode_, f.macroMode);
    SetTextOf(macroRepeat_, f.macroRepeat);
    if (repeatRow_ != nullptr)
        repeatRow_->SetVisible(f.repeatRowVisible);
    Choose(gun_, f.gun);
    Choose(combination_, f.combination);
}

void CKeySetControlUI::ShowSaveButtons()
{
    const bool enabled = panel_.SaveButtonsEnabled() && key_ >= 0;
    for (CControlUI* button : saveButtons_) {
        if (button != nullptr)
            button->SetEnabled(enabled);
    }
}

void CKeySetControlUI::Store(AssignmentCode code)
{
    std::vector<profiles::KeyEntry>* keys = Keys();
    if (keys == nullptr || key_ < 0 || static_cast<std::size_t>(key_) >= keys->size())
        return;
    profiles::KeyHalf& current = (*keys)[static_cast<std::size_t>(key_)].current;
    current.type = code.type;
    current.b1 = code.b1;
    current.b2 = code.b2;
    if (devices::KeyboardCore* keyboard = Keyboard())
        keyboard->Profile().SetKeyAssignments(*keys);
    else if (devices::MouseCore* mouse = Mouse())
        mouse->Profile().SetKeyAssignments(*keys);
    ShowFields(panel_.Fields());
    ShowSaveButtons();
    page_->ShowKeyTexts();
}

void CKeySetControlUI::OnKey(TNotifyUI& msg, int n)
{
    std::vector<profiles::KeyEntry>* keys = Keys();
    const auto& buttons = page_ != nullptr ? page_->KeyButtons() : std::vector<CDeviceKeyButtonUI*>();
    if (keys == nullptr || n < 0 || static_cast<std::size_t>(n) >= buttons.size() ||
        static_cast<std::size_t>(n) >= keys->size() || buttons[static_cast<std::size_t>(n)] != msg.pSender)
        return;
    if (Mouse() != nullptr) {
        std::vector<AssignmentCode> codes;
        for (const profiles::KeyEntry& entry : *keys)
            codes.push_back({entry.current.type, entry.current.b1, entry.current.b2});
        if (IsOnlyLeftButton(codes, static_cast<std::size_t>(n))) {
            devices::SequenceResult refusal;
            refusal.messages.push_back({kLeftButtonMessage});
            page_->ShowResult(refusal);
            return;
        }
    }
    key_ = n;
    SetVisible(true);
    const profiles::KeyEntry& entry = (*keys)[static_cast<std::size_t>(n)];
    ShowFields(panel_.ShowKey({{entry.current.type, entry.current.b1, entry.current.b2},
                               {entry.defaults.type, entry.defaults.b1, entry.defaults.b2}}));
    panel_.Cancel();
    ShowSaveButtons();
}

void CKeySetControlUI::OnFunction(TNotifyUI& msg)
{
    if (key_ < 0 || function_ == nullptr)
        return;
    const int item = static_cast<int>(msg.wParam);
    Store(panel_.PickCategory(ReadFields(), UserDataNumber(function_->GetItemAt(item))));
}

void CKeySetControlUI::OnSaveCombo(TNotifyUI&)
{
    if (key_ >= 0)
        Store(panel_.Save(ReadFields()));
}

void CKeySetControlUI::OnRepeatMode(TNotifyUI& msg)
{
    if (key_ >= 0)
        Store(panel_.PickRepeatMode(ReadFields(), static_cast<int>(msg.wParam)));
}

void CKeySetControlUI::OnModifier(TNotifyUI& msg, int box)
{
    if (key_ >= 0 && static_cast<COptionUI*>(msg.pSender)->IsSelected())
        Store(panel_.PickModifier(ReadFields(), box));
}

void CKeySetControlUI::OnNumberEdit(TNotifyUI&)
{
    if (key_ >= 0)
        Store(panel_.Save(ReadFields()));
}

void CKeySetControlUI::OnKeyEditFocus(TNotifyUI&)
{
    if (page_ != nullptr && key_ >= 0)
        orvel::SendMessageW(page_->Setup().ownerWindow, WM_HOOK_CONTROL, 1, 0);
}

void CKeySetControlUI::OnKeyEditFocusLost(TNotifyUI&)
{
    if (page_ != nullptr)
        orvel::SendMessageW(page_->Setup().ownerWindow, WM_HOOK_CONTROL, 0, 0);
}

LRESULT CKeySetControlUI::OnCapturedKey(WPARAM wParam, LPARAM lParam)
{
    if (key_ < 0 || !IsVisible())
        return 0;
    if (const std::optional<AssignmentCode> code = CaptureKeyMessage(panel_, ReadFields(), wParam, lParam))
        Store(*code);
    return 0;
}

void CKeySetControlUI::OnSave(TNotifyUI&)
{
    if (key_ >= 0)
        Store(panel_.Save(ReadFields()));
}

void CKeySetControlUI::OnDefault(TNotifyUI&)
{
    if (key_ < 0)
        return;
    ShowFields(panel_.Default());
    ShowSaveButtons();
}

void CKeySetControlUI::OnCancel(TNotifyUI&)
{
    ShowFields(panel_.Cancel());
    ShowSaveButtons();
}

void CKeySetControlUI::OnWrite(TNotifyUI&)
{
    if (page_ == nullptr || key_ < 0)
        return;
    const devices::SequenceResult result =
        WriteKeys(page_->Model(), [this](const KeyWriteSteps& steps) { return panel_.WriteToDevice(steps); });
    ShowSaveButtons();
    page_->ShowResult(result);
}

} // namespace orvel::input
