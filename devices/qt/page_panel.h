#pragma once
// A panel of a device page (the lighting panel, the profile panel, ...): a control of the page's
// layout that the page binds once, routes its notifications to, and tells when the profile on
// show changed. The panel's class answers GetInterface(kPagePanelInterface) with itself.

#include "devices/qt/routed_pump.h"

namespace orvel::pages {

class CQuorsineUSBDevice;

inline constexpr const wchar_t* kPagePanelInterface = L"PagePanel";

// Routed by the main window to every page whenever same mode starts (wParam 1) or stops (0)
// being allowed; the lighting panels show or hide their same-mode button.
inline constexpr DuiLib::UINT WM_SAME_MODE_ALLOWED = 0x0D05;

class CPagePanel : public CRoutedPump {
public:
    // The page the panel sits on, once, after the page bound its own controls.
    virtual void BindPage(CQuorsineUSBDevice& page) = 0;
    // The page's profile was loaded or changed (a switch, a reset, a read from the device):
    // show what the model holds now.
    virtual void ShowProfile() {}
    // The language changed.
    virtual void RefreshLanguage() {}
};

} // namespace orvel::pages
