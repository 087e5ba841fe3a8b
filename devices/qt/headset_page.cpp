// The headset page: the buttons of its own layout.
// Layouts: XML\DeviceXml\hs6533device.xml

#include "devices/qt/kind_pages.h"

namespace orvel::pages {

using namespace DuiLib;

LPVOID CQuorsineHS6533Device::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"QuorsineHS6533Device")
        return this;
    return CQuorsineUSBDevice::GetInterface(pstrName);
}

void CQuorsineHS6533Device::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    if (!Setup().layoutName.empty())
        BindButtons(FindOnPage(L"hs6533_device_key_light"), true);
}

} // namespace orvel::pages
