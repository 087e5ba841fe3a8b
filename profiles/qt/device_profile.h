#pragma once
// CDeviceProfileUI: the profile panel of every device page ("DeviceProfileItem"): the profile
// combo with its delayed switch, add, delete, copy, import, export, reset and rename, and the
// row of function tab options. The list and its files are the page model's profile list
// (profiles/profilelist.h); the device takes another profile through the page's switch and a
// reset profile through devices/profile_sequences.h.

#include "devices/qt/page_panel.h"
#include "profiles/profilelist.h"
#include "ui/UIlib.h"

#include <array>

namespace orvel::pages {
class CQuorsineUSBDevice;
}

namespace orvel::profiles {

class CDeviceProfileUI : public DuiLib::CHorizontalLayoutUI, public pages::CPagePanel {
public:
    // The combo's timer: the switch runs this long after the last pick.
    static constexpr DuiLib::UINT kSwitchTimer = 1055;
    static constexpr DuiLib::UINT kSwitchDelayMs = 400;

    DuiLib::LPCTSTR GetClass() const override { return L"DeviceProfileUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void BindPage(pages::CQuorsineUSBDevice& page) override;
    // The list's names and selection, and which tools apply.
    void ShowProfile() override;

    // Selects tab option n (1 to 8) and deselects the others, without notifications; any other
    // n deselects them all.
    void ShowTab(int n);
    void ShowMenu(bool show);
    bool IsMenuVisible() const;

    DUI_DECLARE_MESSAGE_MAP()

private:
    void OnPick(DuiLib::TNotifyUI& msg);
    void OnSwitchTimer(DuiLib::TNotifyUI& msg);
    void OnAdd(DuiLib::TNotifyUI& msg);
    void OnDelete(DuiLib::TNotifyUI& msg);
    void OnCopy(DuiLib::TNotifyUI& msg);
    void OnImport(DuiLib::TNotifyUI& msg);
    void OnExport(DuiLib::TNotifyUI& msg);
    void OnReset(DuiLib::TNotifyUI& msg);
    void OnRename(DuiLib::TNotifyUI& msg);
    void OnMenuButton(DuiLib::TNotifyUI& msg);
    void OnTab(DuiLib::TNotifyUI& msg);

    DuiLib::CControlUI* Child(const wchar_t* name);
    DeviceProfileList& List();
    // The list's selected profile on the device, and everything on the page showing it.
    void SwitchToSelection();
    // Shows the message of a profile list result, if it has one; whether it succeeded.
    bool Report(const ProfileResult& result);
    // The message of a language key in the page's message box; nothing for an empty key.
    void ShowKey(const std::string& key);

    pages::CQuorsineUSBDevice* page_ = nullptr;
    DuiLib::CComboUI* combo_ = nullptr;
    DuiLib::CControlUI* nameEdit_ = nullptr;
    DuiLib::CControlUI* menu_ = nullptr;
    DuiLib::CControlUI* add_ = nullptr;
    DuiLib::CControlUI* delete_ = nullptr;
    std::array<DuiLib::CControlUI*, 4> needSelection_{}; // copy, export, rename, reset
    std::array<DuiLib::COptionUI*, 8> tabs_{};
};

// The control factory's entry for the "DeviceProfile" tag.
DuiLib::CControlUI* CreateDeviceProfile();

} // namespace orvel::profiles
