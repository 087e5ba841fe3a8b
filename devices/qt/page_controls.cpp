#include "devices/qt/page_controls.h"

#include "devices/qt/device_option.h"
#include "devices/qt/kind_pages.h"
#include "devices/qt/device_power.h"

#include <map>
#include <string>

namespace orvel::pages {
namespace {

using namespace DuiLib;

bool SameTag(LPCTSTR a, LPCTSTR b)
{
    return CDuiString(a).CompareNoCase(b) == 0;
}

template <typename T>
CControlUI* Make()
{
    return new T;
}

// The panel tags of the page layouts.
constexpr const wchar_t* kPanelTags[] = {L"DeviceProfile", L"LightControl", L"KeySetControl", L"MacroControl",
                                         L"ShootControl",  L"Voice6533Control", L"MagicControl"};

constexpr std::pair<const wchar_t*, const wchar_t*> kSubLayouts[] = {
    {L"DeviceProfileUI", L"XML\\CustomControlXML\\DeviceProfile.xml"},
    {L"LightSetControlUI", L"XML\\CustomControlXML\\LightControl.xml"},
    {L"Voice6533SetControlUI", L"XML\\CustomControlXML\\Voice6533Control.xml"},
    {L"MagicSetControlUI", L"XML\\CustomControlXML\\MagicControl.xml"},
    {L"KeySetControlUI", L"XML\\CustomControlXML\\KeySetControl.xml"},
    {L"MacroSetControlUI", L"XML\\CustomControlXML\\MacroControl.xml"},
    {L"ShootKeySetControlUI", L"XML\\CustomControlXML\\ShootControl.xml"},
    {L"VirtualSetControlUI", L"XML\\CustomControlXML\\VirtualSet.xml"},
};

std::map<std::wstring, CreateClass>& PanelClasses()
{
    static std::map<std::wstring, CreateClass> classes;
    return classes;
}

std::wstring Lower(LPCTSTR tag)
{
    CDuiString s(tag);
    s.MakeLower();
    return s.str();
}

} // namespace

void RegisterPageControls()
{
    CControlFactory* factory = CControlFactory::GetInstance();
    factory->RegistControl(L"CDeviceOptionUI", &Make<CDeviceOptionUI>);
    factory->RegistControl(L"CMpDevicePowerUI", &Make<CMpDevicePowerUI>);
    factory->RegistControl(L"CQuorsineUSBDevice", &Make<CQuorsineUSBDevice>);
    factory->RegistControl(L"CQuorsineMousePadDevice", &Make<CQuorsineMousePadDevice>);
    factory->RegistControl(L"CQuorsineHS6533Device", &Make<CQuorsineHS6533Device>);
}

void RegisterPanelClass(const wchar_t* tag, CreateClass create)
{
    if (tag != nullptr && create != nullptr)
        PanelClasses()[Lower(tag)] = create;
}

CControlUI* CreatePageControl(LPCTSTR tag)
{
    if (tag == nullptr)
        return nullptr;
    if (SameTag(tag, L"QuorsineMouseDevice"))
        return new CQuorsineMouseDevice;
    if (SameTag(tag, L"QuorsineKeyboardDevice"))
        return new CQuorsineKeyboardDevice;
    if (SameTag(tag, L"QuorsineMousePadDevice"))
        return new CQuorsineMousePadDevice;
    if (SameTag(tag, L"QuorsineHS6533Device"))
        return new CQuorsineHS6533Device;
    if (auto it = PanelClasses().find(Lower(tag)); it != PanelClasses().end())
        return it->second();
    for (const wchar_t* panel : kPanelTags) {
        if (SameTag(tag, panel))
            return new CHorizontalLayoutUI;
    }
    return nullptr;
}

LPCTSTR SubLayoutOf(LPCTSTR tag)
{
    if (tag == nullptr)
        return nullptr;
    for (const auto& [name, file] : kSubLayouts) {
        if (SameTag(tag, name))
            return file;
    }
    return nullptr;
}

} // namespace orvel::pages
