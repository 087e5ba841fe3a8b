// Layouts: XML\CustomControlXML\DeviceOption.xml

#include "devices/qt/device_option.h"

#include "devices/selector_icons.h"
#include "devices/qt/device_page.h"
#include "platform/text.h"

namespace orvel::pages {

using namespace DuiLib;

CDeviceOptionUI::~CDeviceOptionUI()
{
    if (page_ != nullptr && page_->SelectorItem() == this)
        page_->SetSelectorItem(nullptr);
}

LPVOID CDeviceOptionUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"DeviceOption")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

void CDeviceOptionUI::DoEvent(TEventUI& event)
{
    const unsigned id = static_cast<unsigned>(event.wParam);
    if (event.Type == UIEVENT_TIMER && id >= kFirstHeartbeatTimer && id <= kLastHeartbeatTimer) {
        // Every heartbeat timer is one-shot.
        KillHeartbeatTimer(id);
        if (page_ != nullptr)
            page_->OnHeartbeatTimer(id);
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::KillHeartbeatTimer(unsigned id)
{
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, id);
}

void CDeviceOptionUI::SetPage(CQuorsineUSBDevice* page)
{
    page_ = page;
    if (page != nullptr)
        page->SetSelectorItem(this);
}

void CDeviceOptionUI::Bind(const Binding& binding, int kind, int sub, const wchar_t* name)
{
    powerTabIndex_ = binding.powerTabIndex;
    if (m_pManager != nullptr)
        option_ = static_cast<COptionUI*>(m_pManager->FindSubControlByName(this, L"device_select"));
    if (option_ != nullptr) {
        option_->SetGroup(binding.group);
        option_->SetAttribute(L"bindtablayoutname", binding.tabLayout);
        option_->SetAttribute(L"bindtabindex", std::to_wstring(binding.tabIndex).c_str());
    }
    const devices::IconSet icons = devices::IconSetFor(kind, sub);
    if (!icons.name.empty()) {
        if (option_ != nullptr) {
            option_->SetNormalImage(text::FromUtf8(icons.normal).c_str());
            option_->SetSelectedImage(text::FromUtf8(icons.selected).c_str());
            option_->SetDisabledImage(text::FromUtf8(icons.normal).c_str());
            option_->SetResourceText(true);
            option_->SetToolTip(text::FromUtf8(icons.tooltipKey).c_str());
        }
        if (m_pManager != nullptr) {
            if (auto* synchro = static_cast<COptionUI*>(m_pManager->FindSubControlByName(this, L"synchro_device_select"))) {
                synchro->SetNormalImage(text::FromUtf8(icons.synchroNormal).c_str());
                synchro->SetSelectedImage(text::FromUtf8(icons.synchroSelected).c_str());
            }
        }
    }
    if (m_pManager != nullptr) {
        if (CControlUI* label = m_pManager->FindSubControlByName(this, L"device_select_name"))
            label->SetText(name);
    }
}

bool CDeviceOptionUI::IsSelected() const
{
    return option_ != nullptr && option_->IsSelected();
}

void CDeviceOptionUI::Select()
{
    if (option_ != nullptr)
        option_->Activate();
}

} // namespace orvel::pages
