// The mouse page: the buttons of its own layout.
// Layouts: XML\DeviceXml\mousedevice.xml

#include "devices/qt/kind_pages.h"

namespace orvel::pages {

using namespace DuiLib;

void CQuorsineMouseDevice::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    CControlUI* pages = FindOnPage(L"mouse_device_seting_layout");
    if (pages == nullptr || m_pManager == nullptr)
        return;
    BindButtons(nullptr, false);
    for (CControlUI* panel : m_pManager->FindSubControlsByClass(pages, L"SelectPanel"))
        AddButtons(panel, false, false);
    if (auto* first = static_cast<COptionUI*>(FindOnPage(L"mouse_device_seting_option_0")))
        first->Selected(true, false);
}

} // namespace orvel::pages
