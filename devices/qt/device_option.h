#pragma once
// CDeviceOptionUI: one card of the device selector. It binds its option to the device's page
// and power display, shows the device kind's pictures and name, and runs the device's
// heartbeat timers (1000-1007), which it hands to the page.

#include "ui/UIlib.h"

namespace orvel::pages {

class CQuorsineUSBDevice;

class CDeviceOptionUI : public DuiLib::CHorizontalLayoutUI {
public:
    static constexpr unsigned kFirstHeartbeatTimer = 1000;
    static constexpr unsigned kLastHeartbeatTimer = 1007;

    CDeviceOptionUI() = default;
    CDeviceOptionUI(const CDeviceOptionUI&) = delete;
    CDeviceOptionUI& operator=(const CDeviceOptionUI&) = delete;
    // The page forgets the item: either may go first when the window is torn down.
    ~CDeviceOptionUI() override;

    DuiLib::LPCTSTR GetClass() const override { return L"DeviceOption"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void DoEvent(DuiLib::TEventUI& event) override;

    // Links item and page both ways.
    void SetPage(CQuorsineUSBDevice* page);
    CQuorsineUSBDevice* GetPage() const { return page_; }

    struct Binding {
        const wchar_t* group;           // the option group of every item
        const wchar_t* tabLayout;       // the page's tab layout, and the page's index in it
        int tabIndex = -1;
        int powerTabIndex = -1;         // the power display's index in its container, -1 none
    };
    // Sets the option's group and tab binding, the kind's pictures and tooltip, and the name.
    void Bind(const Binding& binding, int kind, int sub, const wchar_t* name);
    int GetPowerTabIndex() const { return powerTabIndex_; }

    DuiLib::COptionUI* GetOption() const { return option_; }
    bool IsSelected() const;
    // Selects the item (its option), as a click does.
    void Select();

    bool ArmTimer(unsigned id, unsigned ms) { return SetTimer(id, ms); }
    void KillHeartbeatTimer(unsigned id);

private:
    CQuorsineUSBDevice* page_ = nullptr;
    DuiLib::COptionUI* option_ = nullptr;
    int powerTabIndex_ = -1;
};

} // namespace orvel::pages
