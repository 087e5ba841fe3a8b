#pragma once
// A panel of a device page (the profile panel, the lighting panel, ...): a control of the page's
// layout that is also a routing pump. Once its model exists the page binds every panel it finds
// under the panel's item name and routes the panel's notifications and messages to it.

#include "devices/qt/routed_pump.h"

namespace orvel::pages {

class CQuorsineUSBDevice;

// Sent by the main window to every page whenever same mode starts or stops being allowed.
inline constexpr DuiLib::UINT WM_SAME_MODE_ALLOWED = 0x0D05;

class CPagePanel : public CRoutedPump {
public:
    // The interface name a panel control answers with itself.
    static constexpr const wchar_t* kInterface = L"PagePanel";

    // Once, from the page's InitPage, after its model was set up.
    virtual void BindPage(CQuorsineUSBDevice& page) = 0;
    // The page's profile changed (another profile, a reset, a read of the device): show it.
    virtual void ShowProfile() {}
};

} // namespace orvel::pages
