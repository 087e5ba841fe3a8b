// Layouts: XML\CustomControlXML\DeviceProfile.xml

#include "profiles/qt/device_profile.h"

#include "devices/profile_sequences.h"
#include "devices/page_texts.h"
#include "devices/qt/device_page.h"
#include "devices/qt/panel_child.h"
#include "lighting/qt/music_lighting.h"
#include "platform/text.h"
#include "ui/filedialog.h"

#include <algorithm>

namespace orvel::profiles {

using namespace DuiLib;

namespace {

constexpr int kItemHeight = 30;

// The profile documents a user imports and exports; the dialogs match the extension in any case.
const std::vector<TFileFilter>& ProfileFilter()
{
    static const std::vector<TFileFilter> filter = {{L"Profile Files(*.json)", L"*.json;"}};
    return filter;
}

// A profile name as a file name: no folder separators.
std::wstring FileNameOf(const std::string& profileName)
{
    std::wstring name = text::FromUtf8(profileName);
    std::replace(name.begin(), name.end(), L'/', L'_');
    return name.empty() ? L"profile.json" : name + L".json";
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CDeviceProfileUI, CNotifyPump)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"device_profile_combo", CDeviceProfileUI::OnPick)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_TIMER, L"device_profile_combo", CDeviceProfileUI::OnSwitchTimer)
DUI_ON_CLICK_CTRNAME(L"device_add_btn", CDeviceProfileUI::OnAdd)
DUI_ON_CLICK_CTRNAME(L"device_sub_btn", CDeviceProfileUI::OnDelete)
DUI_ON_CLICK_CTRNAME(L"device_copy_btn", CDeviceProfileUI::OnCopy)
DUI_ON_CLICK_CTRNAME(L"device_import_btn", CDeviceProfileUI::OnImport)
DUI_ON_CLICK_CTRNAME(L"device_export_btn", CDeviceProfileUI::OnExport)
DUI_ON_CLICK_CTRNAME(L"device_reset_btn", CDeviceProfileUI::OnReset)
DUI_ON_CLICK_CTRNAME(L"device_profile_edit_save_btn", CDeviceProfileUI::OnRename)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_RETURN, L"device_profile_name_edit", CDeviceProfileUI::OnRename)
DUI_ON_CLICK_CTRNAME(L"profile_fun_spread_btn", CDeviceProfileUI::OnMenuButton)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"key_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"macro_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"system_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"cursor_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"6533_voice_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"magic_Op_tab", CDeviceProfileUI::OnTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"Virtual7.1_Op_tab", CDeviceProfileUI::OnTab)
DUI_END_MESSAGE_MAP()

CControlUI* CreateDeviceProfile()
{
    return new CDeviceProfileUI;
}

LPVOID CDeviceProfileUI::GetInterface(LPCTSTR pstrName)
{
    const CDuiString name(pstrName);
    if (name == L"DeviceProfile")
        return this;
    if (name == pages::kPagePanelInterface)
        return static_cast<pages::CPagePanel*>(this);
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CControlUI* CDeviceProfileUI::Child(const wchar_t* name)
{
    return pages::PanelChild(*this, name, "profile panel");
}

DeviceProfileList& CDeviceProfileUI::List()
{
    return page_->Model().Profiles();
}

void CDeviceProfileUI::BindPage(pages::CQuorsineUSBDevice& page)
{
    page_ = &page;
    CControlUI* combo = Child(L"device_profile_combo");
    combo_ = combo != nullptr ? static_cast<CComboUI*>(combo->GetInterface(DUI_CTR_COMBO)) : nullptr;
    nameEdit_ = Child(L"device_profile_name_edit");
    menu_ = Child(L"profile_menu_layout");
    add_ = Child(L"device_add_btn");
    delete_ = Child(L"device_sub_btn");
    needSelection_ = {Child(L"device_copy_btn"), Child(L"device_export_btn"), Child(L"device_profile_edit_save_btn"),
                      Child(L"device_reset_btn")};
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        CControlUI* tab = Child(CDuiString::FromUtf8(kProfileTabNames[i]));
        tabs_[i] = tab != nullptr ? static_cast<COptionUI*>(tab->GetInterface(DUI_CTR_OPTION)) : nullptr;
    }
    ShowTab(page.GetFunctionTab());
    ShowProfile();
}

void CDeviceProfileUI::ShowProfile()
{
    if (page_ == nullptr)
        return;
    const std::vector<std::string>& names = List().Names();
    const int selected = List().GetSelectedIndex();
    if (combo_ != nullptr) {
        bool same = combo_->GetCount() == static_cast<int>(names.size());
        for (int i = 0; same && i < combo_->GetCount(); ++i)
            same = combo_->GetItemAt(i)->GetText().str() == text::FromUtf8(names[static_cast<std::size_t>(i)]);
        if (!same) {
            combo_->RemoveAll();
            for (const std::string& name : names) {
                auto* item = new CListLabelElementUI;
                const std::wstring text = text::FromUtf8(name);
                item->SetText(text.c_str());
                item->SetUserData(text.c_str());
                item->SetFixedHeight(kItemHeight);
                combo_->Add(item);
            }
        }
        combo_->SelectItem(selected, false, false);
    }
    const bool hasSelection = selected >= 0 && selected < static_cast<int>(names.size());
    if (nameEdit_ != nullptr)
        nameEdit_->SetText(hasSelection ? text::FromUtf8(names[static_cast<std::size_t>(selected)]).c_str() : L"");
    if (add_ != nullptr)
        add_->SetEnabled(static_cast<int>(names.size()) < kMaxProfiles);
    if (delete_ != nullptr)
        delete_->SetEnabled(hasSelection && names.size() >= 2);
    for (CControlUI* tool : needSelection_) {
        if (tool != nullptr)
            tool->SetEnabled(hasSelection);
    }
}

void CDeviceProfileUI::ShowTab(int n)
{
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        const bool selected = static_cast<int>(i) + 1 == n;
        if (tabs_[i] != nullptr && tabs_[i]->IsSelected() != selected)
            tabs_[i]->Selected(selected, false);
    }
}

void CDeviceProfileUI::ShowMenu(bool show)
{
    if (menu_ != nullptr)
        menu_->SetVisible(show);
}

bool CDeviceProfileUI::IsMenuVisible() const
{
    return menu_ != nullptr && menu_->IsVisible();
}

void CDeviceProfileUI::ShowKey(const std::string& key)
{
    if (!key.empty())
        page_->ShowResult({kLinkOk, {{key}}});
}

bool CDeviceProfileUI::Report(const ProfileResult& result)
{
    ShowKey(result.messageKey);
    return result.ok();
}

void CDeviceProfileUI::SwitchToSelection()
{
    page_->Model().Core().SetProfileIdentifier(List().GetSelectedIdentifier());
    page_->SwitchProfile();
}

// The switch waits until the user has stopped picking for a moment.
void CDeviceProfileUI::OnPick(TNotifyUI&)
{
    if (combo_ == nullptr || m_pManager == nullptr)
        return;
    m_pManager->KillTimer(combo_, kSwitchTimer);
    m_pManager->SetTimer(combo_, kSwitchTimer, kSwitchDelayMs);
}

void CDeviceProfileUI::OnSwitchTimer(TNotifyUI& msg)
{
    if (msg.wParam != kSwitchTimer || combo_ == nullptr)
        return;
    m_pManager->KillTimer(combo_, kSwitchTimer);
    const int index = combo_->GetCurSel();
    if (index < 0)
        return;
    if (Report(List().SetSelectedProfile(index)))
        SwitchToSelection();
    else
        ShowProfile();
}

// A new profile holds the defaults and becomes the selected one, on the page and the device.
void CDeviceProfileUI::OnAdd(TNotifyUI&)
{
    const int count = static_cast<int>(List().Names().size());
    if (!Report(List().AddProfile()))
        return;
    if (Report(List().SetSelectedProfile(count)))
        SwitchToSelection();
    else
        ShowProfile();
}

// The profile before the deleted one becomes the selected one, on the page and the device.
void CDeviceProfileUI::OnDelete(TNotifyUI&)
{
    if (Report(List().DeleteProfile()))
        SwitchToSelection();
    else
        ShowProfile();
}

void CDeviceProfileUI::OnCopy(TNotifyUI&)
{
    Report(List().CopyProfile());
    ShowProfile();
}

void CDeviceProfileUI::OnImport(TNotifyUI&)
{
    if (List().GetSelectedIndex() < 0)
        return;
    const CDuiString path = ShowOpenFileDialog(page_->Setup().ownerWindow, ProfileFilter());
    if (path.IsEmpty())
        return;
    Report(List().ImportProfile(std::filesystem::path(path.ToUtf8())));
    ShowProfile();
}

void CDeviceProfileUI::OnExport(TNotifyUI&)
{
    const int selected = List().GetSelectedIndex();
    if (selected < 0 || selected >= static_cast<int>(List().Names().size()))
        return;
    const std::wstring name = FileNameOf(List().Names()[static_cast<std::size_t>(selected)]);
    const CDuiString path = ShowSaveFileDialog(page_->Setup().ownerWindow, ProfileFilter(), nullptr, L"json", name.c_str());
    if (!path.IsEmpty())
        Report(List().ExportProfile(std::filesystem::path(path.ToUtf8())));
}

void CDeviceProfileUI::OnReset(TNotifyUI&)
{
    if (List().GetSelectedIndex() < 0 || !page_->Ask(devices::kRestoreQuestion))
        return;
    if (!Report(List().ResetProfile()))
        return;
    const devices::SequenceResult result = devices::ResetModelProfile(page_->Model());
    // A reset gives the music lighting its default styles back too, whatever the device said.
    orvel::SendMessageW(page_->Setup().ownerWindow, lighting::WM_RESET_AUDIO_FILE, 0, 0);
    page_->ApplyProfile();
    page_->ShowResult(result);
}

void CDeviceProfileUI::OnRename(TNotifyUI&)
{
    if (nameEdit_ == nullptr)
        return;
    // A name that is refused stays in the edit, to be corrected.
    const int result = List().RenameProfile(nameEdit_->GetText().ToUtf8());
    if (result == kRenameDone)
        ShowProfile();
    ShowKey(RenameMessageKey(result));
}

void CDeviceProfileUI::OnMenuButton(TNotifyUI&)
{
    ShowMenu(!IsMenuVisible());
}

// The main window has switched the page's function already. The options have no group, so a
// click on the selected one would deselect it: it stays selected.
void CDeviceProfileUI::OnTab(TNotifyUI& msg)
{
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        if (tabs_[i] != nullptr && msg.pSender == tabs_[i])
            ShowTab(static_cast<int>(i) + 1);
    }
}

} // namespace orvel::profiles
