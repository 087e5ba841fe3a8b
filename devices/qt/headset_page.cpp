// The headset page: its LEDs and its two audio panels; the lighting and profile panels and the
// restore button do the rest.
// Layouts: XML\DeviceXml\hs6533device.xml

#include "audio/qt/audio_panels.h"
#include "devices/kind_models.h"
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
    if (!Setup().layoutName.empty()) {
        BindButtons(FindOnPage(L"hs6533_device_key_light"), true);
        // The sound and voice-effect panels, over the process's audio library.
        auto& headset = static_cast<devices::HeadsetModel&>(Model()).Headset();
        for (CRoutedPump* panel : audio::BindHeadsetAudio(this, headset, audio::ProcessAudioSdk()))
            AddPanel(panel);
    }
    ApplyProfile();
}

} // namespace orvel::pages
