// The keyboard page: the buttons of its own layout.
// Layouts: XML\DeviceXml\keyboarddevice.xml

#include "devices/qt/kind_pages.h"

namespace orvel::pages {

using namespace DuiLib;

LPVOID CQuorsineKeyboardDevice::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"QuorsineKeyboardDevice")
        return this;
    return CQuorsineUSBDevice::GetInterface(pstrName);
}

void CQuorsineKeyboardDevice::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    if (!Setup().layoutName.empty())
        BindButtons(FindOnPage(L"keyboard_device_key_light"), true);
}

} // namespace orvel::pages
