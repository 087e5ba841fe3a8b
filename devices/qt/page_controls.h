#pragma once
// The control classes of the device pages, and the seam where each panel's issue registers
// its class: the pages' layouts name the panels by tag, and the main window builds them here.

#include "ui/UIlib.h"

namespace orvel::pages {

// Registers "CDeviceOptionUI", "CMpDevicePowerUI", "CQuorsineUSBDevice",
// "CQuorsineMousePadDevice" and "CQuorsineHS6533Device" with the control factory.
void RegisterPageControls();

// A panel class for its layout tag ("DeviceProfile", "LightControl", ...): the panel's own
// issue registers it here at start-up, before the first page is built.
void RegisterPanelClass(const wchar_t* tag, DuiLib::CreateClass create);

// The control of a page or panel tag the main window's builder callback is asked for: the
// four device page classes, then the panel classes. A panel tag whose class is not registered
// yet gives a plain horizontal layout, so the panel's layout shows (its controls do nothing
// until their class binds them). Null for any other tag.
DuiLib::CControlUI* CreatePageControl(DuiLib::LPCTSTR tag);

// The sub-layout file of a panel tag (for "LightSetControlUI" the file LightControl.xml of
// the custom-control folder); null for other tags. Tags compare without case.
DuiLib::LPCTSTR SubLayoutOf(DuiLib::LPCTSTR tag);

} // namespace orvel::pages
