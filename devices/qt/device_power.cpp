// Layouts: XML\CustomControlXML\DevicePower.xml

#include "devices/qt/device_power.h"

#include "devices/power_report.h"
#include "platform/text.h"

namespace orvel::pages {

using namespace DuiLib;

LPVOID CMpDevicePowerUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"MpDevicePower")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CControlUI* CMpDevicePowerUI::Child(const wchar_t* name)
{
    return m_pManager != nullptr ? m_pManager->FindSubControlByName(this, name) : nullptr;
}

void CMpDevicePowerUI::SetDevice(int kind, bool wirelessCapable)
{
    kind_ = kind;
    wirelessCapable_ = wirelessCapable;
    if (CControlUI* battery = Child(L"device_power_Layout"))
        battery->SetVisible(wirelessCapable);
    if (CControlUI* phone = Child(L"device_phone_type"))
        phone->SetVisible(kind == 3);
}

void CMpDevicePowerUI::ShowPower(std::span<const std::uint8_t> report)
{
    const devices::PowerView view = devices::DecodePowerReport(report, kind_, wirelessCapable_);
    if (CControlUI* battery = Child(L"device_power_Layout"))
        battery->SetVisible(view.powerLayoutVisible);
    if (CControlUI* value = Child(L"device_power_value"))
        value->SetText(text::FromUtf8(view.valueText).c_str());
    if (auto* progress = static_cast<CProgressUI*>(Child(L"device_Power_progress"))) {
        progress->SetValue(view.progressValue);
        progress->SetVisible(view.progressVisible);
    }
    if (!view.statusImage.empty()) {
        if (CControlUI* status = Child(L"device_power_status"))
            status->SetBkImage(text::FromUtf8(view.statusImage).c_str());
    }
    if (view.receiverLogo) {
        if (CControlUI* logo = Child(L"device_wuxian_logo"))
            logo->SetVisible(*view.receiverLogo);
    }
    if (!view.phoneText.empty()) {
        if (CControlUI* phone = Child(L"device_phone_type")) {
            phone->SetText(text::FromUtf8(view.phoneText).c_str());
            phone->SetBkImage(text::FromUtf8(view.phoneImage).c_str());
        }
    }
}

} // namespace orvel::pages
