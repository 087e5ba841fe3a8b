// The main window's devices: the worker slots and the scan thread, attach and detach of
// interfaces, the pages created once per identity, and the selector items.
// Layouts: XML_MAIN, XML\CustomControlXML\DeviceOption.xml, XML\CustomControlXML\DevicePower.xml,
//          XML\DeviceXml\mousedevice.xml, XML\DeviceXml\keyboarddevice.xml,
//          XML\DeviceXml\mousepaddevice.xml, XML\DeviceXml\hs6533device.xml

#include "app/main_wnd.h"

#include "devicelink/hid_adapters.h"
#include "devicelink/link_attach.h"
#include "devices/qt/device_option.h"
#include "devices/qt/device_power.h"
#include "devices/qt/page_panel.h"
#include "lighting/qt/colour_select_wnd.h"
#include "platform/debuglog.h"
#include "platform/hid/hid_change_watch.h"
#include "platform/text.h"

namespace orvel::app {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kPowerLayout = L"XML\\CustomControlXML\\DevicePower.xml";

template <typename T>
T* Built(CControlUI* control, LPCTSTR interfaceName)
{
    return control != nullptr ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

} // namespace

void CMainWnd::StartWorkers()
{
    probe_ = std::make_unique<CHidProbe>();
    scanContext_.mainWindow = m_hWnd;
    scanContext_.slots = &slots_;
    scanContext_.probe = probe_.get();
    scanContext_.instanceMessage = RegisterProgramMessages().instance;
    scanContext_.changed = CreateEventW(false, false);
    watch_ = std::make_unique<HidChangeWatch>(scanContext_.changed);
    sameMode_.Join(scheduler_);
    scheduler_.Start();
    workers_[0].Start(&scanContext_, DeviceScanThread);
}

void CMainWnd::StopWorkers()
{
    if (stopped_)
        return;
    stopped_ = true;
    // Sends from the scan thread return at once now that the window is closing.
    for (std::size_t i = 0; i < workers_.size(); ++i) {
        if (workers_[i].Running())
            workers_[i].Stop();
    }
    watch_.reset();
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page != nullptr)
            page->Shutdown();
    }
    scheduler_.Stop();
}

pages::CQuorsineUSBDevice* CMainWnd::PageOfKindRow(int kindRow) const
{
    return kindRow >= 0 && static_cast<std::size_t>(kindRow) < pages_.size() ? pages_[static_cast<std::size_t>(kindRow)]
                                                                              : nullptr;
}

std::vector<pages::CDeviceOptionUI*> CMainWnd::Items() const
{
    std::vector<pages::CDeviceOptionUI*> items;
    if (selectLayout_ == nullptr)
        return items;
    for (int i = 0; i < selectLayout_->GetCount(); ++i) {
        if (auto* item = Built<pages::CDeviceOptionUI>(selectLayout_->GetItemAt(i), L"DeviceOption"))
            items.push_back(item);
    }
    return items;
}

pages::CQuorsineUSBDevice* CMainWnd::SelectedPage() const
{
    for (pages::CDeviceOptionUI* item : Items()) {
        if (item->IsVisible() && item->IsSelected())
            return item->GetPage();
    }
    return nullptr;
}

bool CMainWnd::ItemVisible(int kindRow) const
{
    const pages::CQuorsineUSBDevice* page = PageOfKindRow(kindRow);
    return page != nullptr && page->SelectorItem() != nullptr && page->SelectorItem()->IsVisible();
}

bool CMainWnd::AnyItemVisible() const
{
    for (pages::CDeviceOptionUI* item : Items()) {
        if (item->IsVisible())
            return true;
    }
    return false;
}

void CMainWnd::SelectKindRow(int kindRow)
{
    if (pages::CQuorsineUSBDevice* page = PageOfKindRow(kindRow); page != nullptr && page->SelectorItem() != nullptr)
        page->SelectorItem()->Select();
}

pages::CQuorsineUSBDevice* CMainWnd::CreatePage(int kindRow)
{
    if (PageOfKindRow(kindRow) != nullptr)
        return PageOfKindRow(kindRow);
    if (kindRow < 0 || static_cast<std::size_t>(kindRow) >= pages_.size() || deviceSwitch_ == nullptr ||
        powerSwitch_ == nullptr || selectLayout_ == nullptr)
        return nullptr;
    const DeviceKindRow& kind = DeviceKindTable[static_cast<std::size_t>(kindRow)];
    const DevicePageRow& pageRow = DevicePageTable[static_cast<std::size_t>(kindRow)];
    const std::wstring itemLayout = text::FromUtf8(kind.itemLayout);
    const std::wstring pageLayout = text::FromUtf8(pageRow.pageLayout);

    CDialogBuilder powerBuilder, itemBuilder, pageBuilder;
    auto* power = Built<pages::CMpDevicePowerUI>(powerBuilder.Create(kPowerLayout, nullptr, this, &m_pm), L"MpDevicePower");
    auto* item = Built<pages::CDeviceOptionUI>(itemBuilder.Create(itemLayout.c_str(), nullptr, this, &m_pm), L"DeviceOption");
    auto* page = Built<pages::CQuorsineUSBDevice>(pageBuilder.Create(pageLayout.c_str(), nullptr, this, &m_pm),
                                                  L"QuorsineUSBDevice");
    if (power == nullptr || item == nullptr || page == nullptr) {
        debuglog::Writef("the page of %s could not be built", std::string(kind.kindName).c_str());
        delete power;
        delete item;
        delete page;
        return nullptr;
    }
    powerSwitch_->Add(power);
    const HWND self = m_hWnd;
    auto model = devices::DeviceModel::Create(kindRow, [self, kindRow](devices::NotifySource source, std::uint16_t usage) {
        orvel::PostMessageW(self, pages::WM_DEVICE_NOTIFICATION, static_cast<WPARAM>(kindRow),
                            static_cast<LPARAM>(static_cast<int>(source) << 16 | usage));
    });
    pages::PageSetup setup;
    setup.layoutName = pageLayout;
    setup.ownerWindow = m_hWnd;
    setup.keyCount = pageRow.keyCount;
    setup.ledCount = pageRow.ledCount;
    setup.deviceIndex = kindRow;
    setup.wirelessCapable = pageRow.wirelessCapable != 0;
    setup.reserved = pageRow.reserved;
    setup.profileFolder = text::FromUtf8(kind.kindName);
    setup.lightFileBase = text::FromUtf8(pageRow.lightFileBase);
    setup.pageOrder = kind.pageOrder;
    setup.powerDisplay = power;
    setup.sameMode = &sameMode_;
    setup.messageBox = [this](const std::wstring& text, bool question) {
        return MessageBox(m_hWnd, L"", text.c_str(), dpi_, false, question ? 1 : 0) == 1;
    };
    setup.pickColour = [this](std::uint32_t colour) -> std::optional<std::uint32_t> {
        if (const auto picked = lighting::PickColour(m_hWnd, colour, {.dpi = dpi_}))
            return picked->colour;
        return std::nullopt;
    };
    setup.descriptor = DeviceMatchTable[0];
    for (const CDeviceSlot& row : DeviceMatchTable) {
        if (row.vendorId == kind.vendorId && row.productId == kind.productId && row.kind == kind.kind &&
            row.role == kRoleCommand)
            setup.descriptor = row;
    }
    model->SetScreenSize(screenWidth_, screenHeight_);
    model->JoinScheduler(scheduler_);
    page->Setup(setup, std::move(model));
    sameMode_.Add(page->Model(), [page] { page->ApplyProfile(); });
    deviceSwitch_->Add(page);
    page->InitPage();
    page->SetLightOwnership(lightControl_ || kind.kind == kKindHeadset);

    selectLayout_->Add(item);
    item->SetVisible(false);
    item->Bind(pages::CDeviceOptionUI::Binding{L"tab_header_device", L"device_switch", deviceSwitch_->GetItemIndex(page),
                                               powerSwitch_->GetItemIndex(power)},
               kind.kind, kind.sub, text::FromUtf8(kind.kindName).c_str());
    item->SetPage(page);
    pages_[static_cast<std::size_t>(kindRow)] = page;
    return page;
}

void CMainWnd::OnDeviceAttach(std::size_t slot)
{
    if (slot >= slots_.size())
        return;
    const CDeviceSlot& s = slots_[slot];
    debuglog::Write(DeviceChangeLine(s.kind, true));
    pages::CQuorsineUSBDevice* page = CreatePage(KindRowOf(slots_, slot));
    if (page == nullptr)
        return;
    if (s.role == kRoleCommand) {
        const bool noneVisible = !AnyItemVisible();
        const LinkActions actions = page->OnCommandAttach(slots_, slot);
        // A mouse pad or headset has no receiver to wait for: it shows as soon as it is open.
        const bool cableOnly = s.hasPartner == 0 && actions.opened;
        if (actions.showItem || cableOnly)
            ShowDeviceItem(page->SelectorItem(), noneVisible);
    } else {
        page->OnNotifyAttach(slots_, slot);
    }
    BringForward();
}

void CMainWnd::OnDeviceDetach(std::size_t slot)
{
    if (slot >= slots_.size())
        return;
    debuglog::Write(DeviceChangeLine(slots_[slot].kind, false));
    pages::CQuorsineUSBDevice* page = PageOfKindRow(KindRowOf(slots_, slot));
    if (page == nullptr)
        return;
    if (page == SelectedPage())
        EndCapture(input::HookWindowEvent::Detached);
    if (slots_[slot].role == kRoleCommand) {
        if (page->OnCommandDetach(slots_, slot).hideItem)
            HideDeviceItem(page->SelectorItem());
    } else {
        page->OnNotifyDetach(slots_, slot);
    }
}

void CMainWnd::OnDeviceReachable(int itemIndex, bool reachable)
{
    const auto items = Items();
    if (itemIndex < 0 || static_cast<std::size_t>(itemIndex) >= items.size())
        return;
    pages::CDeviceOptionUI* item = items[static_cast<std::size_t>(itemIndex)];
    if (!reachable) {
        debuglog::Write("2.4gcesvdfherhue 1");
        HideDeviceItem(item);
    } else if (!item->IsVisible()) {
        ShowDeviceItem(item, !AnyItemVisible());
    }
}

void CMainWnd::ShowDeviceItem(pages::CDeviceOptionUI* item, bool select)
{
    if (item == nullptr)
        return;
    debuglog::Write("selector item shown: " + item->GetPage()->Model().Core().Folders().deviceFolderName);
    item->SetVisible(true);
    SetSameModeConnected(item, true);
    ShowNoDevice();
    if (select || SelectedPage() == nullptr)
        item->Select();
    UpdateOnScreen();
}

void CMainWnd::HideDeviceItem(pages::CDeviceOptionUI* item)
{
    if (item == nullptr || !item->IsVisible())
        return;
    debuglog::Write("selector item hidden: " + item->GetPage()->Model().Core().Folders().deviceFolderName);
    const bool wasSelected = item->IsSelected();
    item->SetVisible(false);
    SetSameModeConnected(item, false);
    if (wasSelected) {
        const auto items = Items();
        for (pages::CDeviceOptionUI* other : items) {
            if (other->IsVisible()) {
                other->Select();
                break;
            }
        }
    }
    if (!AnyItemVisible()) {
        ShowNoDevice();
        if (powerSwitch_ != nullptr)
            powerSwitch_->SelectItem(0);
        if (deviceSwitch_ != nullptr)
            deviceSwitch_->SelectItem(0);
    }
    UpdateOnScreen();
}

void CMainWnd::SetSameModeConnected(pages::CDeviceOptionUI* item, bool connected)
{
    if (item->GetPage() == nullptr || !sameMode_.SetConnected(item->GetPage()->Model(), connected))
        return;
    for (pages::CQuorsineUSBDevice* page : pages_) {
        LRESULT result = 0;
        if (page != nullptr)
            page->RouteMessage(pages::WM_SAME_MODE_ALLOWED, sameMode_.Allowed() ? 1 : 0, 0, result);
    }
}

void CMainWnd::ShowNoDevice()
{
    const bool none = !AnyItemVisible();
    if (noDevice_ != nullptr)
        noDevice_->SetVisible(none);
    if (deviceSwitch_ != nullptr)
        deviceSwitch_->SetVisible(!none);
    if (powerSwitch_ != nullptr)
        powerSwitch_->SetVisible(!none);
}

void CMainWnd::UpdateOnScreen()
{
    const bool shown = IsWindowVisible() && !IsMinimized();
    pages::CQuorsineUSBDevice* selected = SelectedPage();
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page != nullptr)
            page->SetOnScreen(shown && page == selected);
    }
}

void CMainWnd::SetHiddenToTray(bool hidden)
{
    if (hidden)
        EndCapture(input::HookWindowEvent::Hidden);
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page == nullptr)
            continue;
        const int kind = page->Model().KindRowData().kind;
        if (kind == kKindMouse || kind == kKindKeyboard)
            page->SetWindowHidden(hidden);
    }
}

} // namespace orvel::app
