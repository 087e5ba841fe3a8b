// The mouse pad page: the buttons of its own layout.
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
}

} // namespace orvel::pages
