// The mouse pad page: its LEDs; the lighting and profile panels and the restore button do the rest.
// Layouts: XML\DeviceXml\mousepaddevice.xml

#include "devices/qt/kind_pages.h"

namespace orvel::pages {

using namespace DuiLib;

LPVOID CQuorsineMousePadDevice::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"QuorsineMousePadDevice")
        return this;
    return CQuorsineUSBDevice::GetInterface(pstrName);
}

void CQuorsineMousePadDevice::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    if (!Setup().layoutName.empty())
        BindButtons(FindOnPage(L"mousepad_device_key_light"), false, true);
    ApplyProfile();
}

} // namespace orvel::pages
