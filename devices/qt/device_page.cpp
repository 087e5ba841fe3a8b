// Layouts: XML\DeviceXml\mousedevice.xml, XML\DeviceXml\keyboarddevice.xml,
//          XML\DeviceXml\mousepaddevice.xml, XML\DeviceXml\hs6533device.xml

#include "devices/qt/device_page.h"

#include "devicelink/device_scan.h"
#include "devices/qt/device_option.h"
#include "devices/qt/device_power.h"
#include "devices/qt/page_panel.h"
#include "lighting/colour.h"
#include "platform/debuglog.h"
#include "platform/text.h"
#include "profiles/profilelist.h"

#include <algorithm>

namespace orvel::pages {
namespace {

using namespace DuiLib;

// A name as a prefix up to and including its last '_' and the decimal number after it;
// number -1 when the name does not end so.
std::pair<std::wstring, int> SplitName(const std::wstring& name)
{
    const std::size_t last = name.rfind(L'_');
    if (last == std::wstring::npos)
        return {name, -1};
    const std::wstring prefix = name.substr(0, last + 1);
    return {prefix, NumberAfterPrefix(name, prefix)};
}

// The colour a bound LED button shows before the first frame: white at full level.
constexpr std::uint32_t kWhiteEntry = lighting::PackLed({0xFF, 0xFF, 0xFF}, 0xFF);

void ShowEntry(CDeviceKeyButtonUI* button, std::uint32_t entry)
{
    button->SetLightColor(lighting::PackForButton(lighting::ColourOf(entry)), lighting::LevelOf(entry));
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CQuorsineUSBDevice, DuiLib::CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"default_btn", CQuorsineUSBDevice::OnDefaultButton)
DUI_END_MESSAGE_MAP()

void ValueSlider::Show(int value)
{
    if (slider != nullptr)
        slider->SetValue(value);
    ShowLabel();
}

void ValueSlider::ShowLabel()
{
    if (slider != nullptr && label != nullptr)
        label->SetText((std::to_wstring(slider->GetValue()) + unit).c_str());
}

CQuorsineUSBDevice::CQuorsineUSBDevice() : heartbeat_(static_cast<devices::IHeartbeatHost&>(*this)) {}

CQuorsineUSBDevice::~CQuorsineUSBDevice()
{
    Shutdown();
    if (selectorItem_ != nullptr && selectorItem_->GetPage() == this)
        selectorItem_->SetPage(nullptr);
}

LPVOID CQuorsineUSBDevice::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"QuorsineUSBDevice")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

void CQuorsineUSBDevice::Setup(const PageSetup& setup, std::unique_ptr<devices::DeviceModel> model)
{
    setup_ = setup;
    model_ = std::move(model);
    heartbeat_.SetLedCount(setup_.ledCount);
    if (setup_.powerDisplay != nullptr)
        setup_.powerDisplay->SetDevice(model_->KindRowData().kind, setup_.wirelessCapable);
}

void CQuorsineUSBDevice::InitPage()
{
    if (setup_.layoutName.empty()) {
        setup_.keyCount = setup_.ledCount = 0;
        keyButtons_.clear();
        lightButtons_.clear();
        ledViews_.clear();
        return;
    }
    keyPanel_ = m_pManager != nullptr ? m_pManager->FindSubControlByClass(this, L"SelectPanel") : nullptr;
    BindButtons(keyPanel_, false);
    // The profile panel's function tabs that the kind has.
    const profiles::TabVisibility tabs = profiles::TabVisibilityForKind(model_->KindRowData().kind);
    for (const auto& [names, visible] : {std::pair(tabs.hidden, false), std::pair(tabs.shown, true)}) {
        for (const std::string& name : names) {
            if (CControlUI* tab = FindOnPage(text::FromUtf8(name).c_str()))
                tab->SetVisible(visible);
        }
    }
    textTest_ = FindOnPage(L"text_test");
    BindPanel(L"DeviceProfileItem");
    BindPanel(L"LightControlItem");
    BindPanel(L"KeySetControlItem");
    BindPanel(L"MacroControlItem");
    BindPanel(L"ShootControlItem");
}

void CQuorsineUSBDevice::BindPanel(const wchar_t* itemName)
{
    CControlUI* item = FindOnPage(itemName);
    auto* panel = item != nullptr ? static_cast<CPagePanel*>(item->GetInterface(kPagePanelInterface)) : nullptr;
    if (panel == nullptr || std::find(panels_.begin(), panels_.end(), panel) != panels_.end())
        return;
    panels_.push_back(panel);
    AddPanel(panel);
    panel->BindPage(*this);
}

void CQuorsineUSBDevice::ApplyProfile()
{
    ShowPageControls();
    for (CPagePanel* panel : panels_)
        panel->ShowProfile();
}

void CQuorsineUSBDevice::RefreshLanguage()
{
    ShowPageControls();
    for (CPagePanel* panel : panels_)
        panel->RefreshLanguage();
}

void CQuorsineUSBDevice::SwitchProfile()
{
    const devices::SequenceResult result = model_->SwitchProfile();
    ApplyProfile();
    ShowResult(result);
}

std::wstring CQuorsineUSBDevice::LanguageText(std::string_view key)
{
    const std::wstring id = text::FromUtf8(key);
    if (textTest_ == nullptr)
        return CResourceManager::GetInstance()->GetText(id.c_str()).str();
    textTest_->SetText(id.c_str());
    return textTest_->GetText().str();
}

bool CQuorsineUSBDevice::ShowResult(const devices::SequenceResult& result)
{
    if (!result.messages.empty()) {
        std::wstring text;
        for (const devices::UserMessage& message : result.messages)
            text += (text.empty() ? L"" : L"\n") + devices::MessageText(LanguageText(message.key), message);
        debuglog::Write("page message: " + text::ToUtf8(text));
        if (setup_.messageBox)
            setup_.messageBox(text, false);
    }
    return result.status == kLinkOk;
}

bool CQuorsineUSBDevice::Ask(const char* key)
{
    return setup_.messageBox && setup_.messageBox(LanguageText(key), true);
}

void CQuorsineUSBDevice::OnDefaultButton(TNotifyUI&)
{
    if (!Ask(devices::kRestoreQuestion))
        return;
    const devices::SequenceResult result = model_->RestoreDefaults();
    ApplyProfile();
    ShowResult(result);
}

void CQuorsineUSBDevice::BindButtons(CControlUI* container, bool descendants, bool useUserData)
{
    keyButtons_.assign(static_cast<std::size_t>(std::max(setup_.keyCount, 0)), nullptr);
    lightButtons_.assign(static_cast<std::size_t>(std::max(setup_.ledCount, 0)), nullptr);
    ledViews_.clear();
    AddButtons(container, descendants, useUserData);
}

void CQuorsineUSBDevice::AddButtons(CControlUI* container, bool descendants, bool useUserData)
{
    if (container == nullptr || m_pManager == nullptr)
        return;
    std::vector<CControlUI*> buttons;
    if (descendants) {
        buttons = m_pManager->FindSubControlsByClass(container, L"DeviceKeyButton");
    } else if (auto* children = static_cast<IContainerUI*>(container->GetInterface(DUI_CTR_ICONTAINER))) {
        for (int i = 0; i < children->GetCount(); ++i) {
            if (CControlUI* child = children->GetItemAt(i); CDuiString(child->GetClass()) == L"DeviceKeyButton")
                buttons.push_back(child);
        }
    }
    for (CControlUI* control : buttons) {
        auto* button = static_cast<CDeviceKeyButtonUI*>(control->GetInterface(L"DeviceKeyButton"));
        if (button == nullptr)
            continue;
        BindButton(button, button->GetName().str());
        if (useUserData && SplitName(button->GetName().str()).second < 0)
            BindButton(button, button->GetUserData().str());
    }
}

void CQuorsineUSBDevice::BindButton(CDeviceKeyButtonUI* button, const std::wstring& name)
{
    const auto [prefix, n] = SplitName(name);
    if (n < 0)
        return;
    if (prefix == L"key_" && n < setup_.keyCount) {
        keyButtons_[static_cast<std::size_t>(n)] = button;
    } else if ((prefix == L"light_" || prefix == L"light_0_") && n < setup_.ledCount) {
        if (prefix == L"light_")
            lightButtons_[static_cast<std::size_t>(n)] = button;
        button->SetShowLightImage(true);
        ShowEntry(button, kWhiteEntry);
        ledViews_.push_back(LedView{button, n, kWhiteEntry});
    }
}

CControlUI* CQuorsineUSBDevice::FindOnPage(const wchar_t* name) const
{
    return m_pManager != nullptr ? m_pManager->FindSubControlByName(const_cast<CQuorsineUSBDevice*>(this), name)
                                 : nullptr;
}

void CQuorsineUSBDevice::SetFunctionTab(int type)
{
    functionTabType_ = type;
    if (functionTab_ == nullptr)
        functionTab_ = static_cast<CTabLayoutUI*>(FindOnPage(L"device_function_switch"));
    if (keyFunctionTab_ == nullptr)
        keyFunctionTab_ = static_cast<CTabLayoutUI*>(FindOnPage(L"device_key_function_switch"));
    const int kind = model_ ? model_->KindRowData().kind : 0;
    const bool keysOrMouse = kind == kKindKeyboard || kind == kKindMouse;
    int page = 0;
    if (type == 3 || type == 8)
        page = 1;
    else if (type == 5)
        page = 2;
    else if (type == 4 && keysOrMouse)
        page = 3;
    if (functionTab_ != nullptr)
        functionTab_->SelectItem(page);
    if (page != 0)
        return;
    int keyPage = 0;
    if (type == 2 || type == 6)
        keyPage = 1;
    else if (type == 4 || type == 7)
        keyPage = 2;
    if (keyFunctionTab_ != nullptr)
        keyFunctionTab_->SelectItem(keyPage);
}

bool CQuorsineUSBDevice::IsOwnControl(const CControlUI* control) const
{
    for (const CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (c == this)
            return true;
    }
    return false;
}

void CQuorsineUSBDevice::Notify(TNotifyUI& msg)
{
    RouteNotify(msg);
}

bool CQuorsineUSBDevice::RouteNotify(TNotifyUI& msg)
{
    if (!IsOwnControl(msg.pSender))
        return false;
    debuglog::Write("测试成功   、n");
    return CRoutedPump::RouteNotify(msg);
}

int CQuorsineUSBDevice::ItemIndex() const
{
    if (selectorItem_ == nullptr || selectorItem_->GetParent() == nullptr)
        return -1;
    auto* container = static_cast<IContainerUI*>(selectorItem_->GetParent()->GetInterface(DUI_CTR_ICONTAINER));
    return container != nullptr ? container->GetItemIndex(selectorItem_) : -1;
}

LinkActions CQuorsineUSBDevice::OnCommandAttach(SlotList& slots, std::size_t slot)
{
    const LinkActions actions = model_->OnCommandAttach(slots, slot);
    heartbeat_.OnLinkActions(actions);
    return actions;
}

LinkActions CQuorsineUSBDevice::OnCommandDetach(SlotList& slots, std::size_t slot)
{
    LinkActions actions = model_->OnCommandDetach(slots, slot);
    // A move to the other path that could not open it leaves the device without a link: it
    // is gone until a scan pass offers the path again.
    if (!model_->LinkOpen())
        actions.hideItem = true;
    heartbeat_.OnLinkActions(actions);
    return actions;
}

void CQuorsineUSBDevice::OnNotifyAttach(const SlotList& slots, std::size_t slot)
{
    model_->OnNotifyAttach(slots, slot);
}

void CQuorsineUSBDevice::OnNotifyDetach(const SlotList& slots, std::size_t slot)
{
    model_->OnNotifyDetach(slots, slot);
}

void CQuorsineUSBDevice::OnDeviceNotification(devices::NotifySource source, std::uint16_t usage)
{
    const devices::NotifyEffect effect = model_->ApplyNotification(source, usage);
    heartbeat_.ScheduleResync(effect.resyncAfterMs);
    if (effect.keyPress)
        model_->KeyPressed();
    if (effect.refreshPage)
        ApplyProfile();
}

void CQuorsineUSBDevice::SetOnScreen(bool onScreen)
{
    onScreen_ = onScreen;
    if (model_)
        model_->SetPreviewShown(onScreen);
    if (onScreen) {
        RefreshPreview();
        heartbeat_.OnPreviewWanted();
    }
}

void CQuorsineUSBDevice::RefreshPreview()
{
    if (!model_)
        return;
    const lighting::LedBuffer& leds = model_->Lighting().Leds();
    for (LedView& view : ledViews_) {
        const std::uint32_t entry = ShownEntry(leds.GetLedColor(view.led));
        if (entry != view.shown) {
            ShowEntry(view.button, entry);
            view.shown = entry;
        }
    }
}

void CQuorsineUSBDevice::Shutdown()
{
    if (model_)
        model_->Shutdown();
    if (selectorItem_ != nullptr) {
        for (unsigned id = CDeviceOptionUI::kFirstHeartbeatTimer; id <= CDeviceOptionUI::kLastHeartbeatTimer; ++id)
            selectorItem_->KillHeartbeatTimer(id);
    }
}

void CQuorsineUSBDevice::ArmTimer(unsigned id, unsigned ms)
{
    if (selectorItem_ != nullptr)
        selectorItem_->ArmTimer(id, ms);
}

void CQuorsineUSBDevice::KillTimer(unsigned id)
{
    if (selectorItem_ != nullptr)
        selectorItem_->KillHeartbeatTimer(id);
}

void CQuorsineUSBDevice::LoadFromDevice()
{
    const int status = model_->LoadFromDevice();
    if (status != kLinkOk)
        debuglog::Writef("reading the device failed: %d", status);
    ApplyProfile();
    RefreshPreview();
}

void CQuorsineUSBDevice::ResyncFromDevice()
{
    if (const int status = model_->ResyncFromDevice(); status != kLinkOk)
        debuglog::Writef("reading the device's settings failed: %d", status);
    ApplyProfile();
}

void CQuorsineUSBDevice::QueryPower()
{
    const devices::PowerResult power = model_->QueryPower();
    if (power.status == kLinkOk && setup_.powerDisplay != nullptr)
        setup_.powerDisplay->ShowPower(power.report);
}

bool CQuorsineUSBDevice::ItemShown() const
{
    return selectorItem_ != nullptr && selectorItem_->IsVisible();
}

void CQuorsineUSBDevice::ResendSettings()
{
    if (model_->Core().SettingsPending())
        model_->Perform([this] { return model_->Core().ResendSettings(); });
}

void CQuorsineUSBDevice::ReportReachable(bool reachable)
{
    if (setup_.ownerWindow != nullptr)
        orvel::SendMessageW(setup_.ownerWindow, WM_DEVICE_REACHABLE, static_cast<WPARAM>(ItemIndex()), reachable ? 1 : 0);
}

} // namespace orvel::pages
