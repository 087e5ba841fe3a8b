#pragma once
// CKeySetControlUI: the key-set panel of the keyboard and mouse pages (what a key or button
// does). It reads its controls into the panel core's fields, calls one core operation per
// notification and shows what comes back; the code an operation returns becomes the key's
// current half in the page's key list and profile.
// Layout: XML\CustomControlXML\KeySetControl.xml

#include "devices/qt/page_panel.h"
#include "input/keyset_panel.h"
#include "profiles/records.h"
#include "ui/UIlib.h"

#include <optional>
#include <vector>

namespace orvel::devices {
class KeyboardCore;
class MouseCore;
} // namespace orvel::devices

namespace orvel::input {

class CKeySetControlUI : public DuiLib::CHorizontalLayoutUI, public pages::CPagePanel {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"KeySetControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void BindPage(pages::CQuorsineUSBDevice& page) override;
    void ShowProfile() override;
    void RefreshLanguage() override;
    bool RouteNotify(DuiLib::TNotifyUI& msg) override;

    // The key shown, -1 before one is picked.
    int SelectedKey() const { return key_; }

private:
    void OnKey(DuiLib::TNotifyUI& msg, int n);
    void OnFunction(DuiLib::TNotifyUI& msg);
    void OnSaveCombo(DuiLib::TNotifyUI& msg);
    void OnRepeatMode(DuiLib::TNotifyUI& msg);
    void OnModifier(DuiLib::TNotifyUI& msg, int box);
    void OnNumberEdit(DuiLib::TNotifyUI& msg);
    void OnKeyEditFocus(DuiLib::TNotifyUI& msg);
    void OnKeyEditFocusLost(DuiLib::TNotifyUI& msg);
    void OnSave(DuiLib::TNotifyUI& msg);
    void OnDefault(DuiLib::TNotifyUI& msg);
    void OnCancel(DuiLib::TNotifyUI& msg);
    void OnWrite(DuiLib::TNotifyUI& msg);
    DuiLib::LRESULT OnCapturedKey(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);

    DuiLib::CControlUI* Find(const wchar_t* name) const;
    // The core of the page's device; null on a page without keys.
    devices::KeyboardCore* Keyboard() const;
    devices::MouseCore* Mouse() const;
    std::vector<profiles::KeyEntry>* Keys() const;

    void FillMacroList();
    KeySetFields ReadFields() const;
    void ShowFields(const KeySetFields& fields);
    // A code from the core: the key's current half in the key list and the profile.
    void Store(AssignmentCode code);
    void ShowSaveButtons();

    pages::CQuorsineUSBDevice* page_ = nullptr;
    KeySetPanel panel_;
    int key_ = -1;

    DuiLib::CComboUI* function_ = nullptr;
    DuiLib::CTabLayoutUI* functionPages_ = nullptr;
    DuiLib::CControlUI* functionLayout_ = nullptr;
    DuiLib::CComboUI* mouseButton_ = nullptr;
    DuiLib::CComboUI* tilt_ = nullptr;
    DuiLib::CControlUI* tiltCount_ = nullptr;
    DuiLib::CControlUI* tiltDelay_ = nullptr;
    DuiLib::CControlUI* tiltSpeed_ = nullptr;
    DuiLib::CComboUI* wheel_ = nullptr;
    DuiLib::CControlUI* wheelCount_ = nullptr;
    DuiLib::CControlUI* wheelDelay_ = nullptr;
    DuiLib::CControlUI* wheelSpeed_ = nullptr;
    DuiLib::CComboUI* dpi_ = nullptr;
    DuiLib::CControlUI* fireInterval_ = nullptr;
    DuiLib::CControlUI* fireCount_ = nullptr;
    DuiLib::CControlUI* keyEdit_ = nullptr;
    std::vector<DuiLib::COptionUI*> modifiers_;
    DuiLib::CComboUI* media_ = nullptr;
    DuiLib::CComboUI* system_ = nullptr;
    DuiLib::CComboUI* macro_ = nullptr;
    DuiLib::CComboUI* macroMode_ = nullptr;
    DuiLib::CControlUI* macroRepeat_ = nullptr;
    DuiLib::CControlUI* repeatRow_ = nullptr;
    DuiLib::CComboUI* gun_ = nullptr;
    DuiLib::CComboUI* combination_ = nullptr;
    std::vector<DuiLib::CControlUI*> saveButtons_;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()
};

} // namespace orvel::input
