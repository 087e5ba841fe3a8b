#pragma once
// CQuorsineUSBDevice: the page of one device (a horizontal layout built from the kind's page
// layout) and the shell of its model. It binds its key and LED buttons once the layout is
// built, routes the notifications of its own controls to its tables and its panels, runs the
// heartbeat on its selector item's timers and paints its LED buttons from the colour buffer.
// Everything the device does is in its DeviceModel (devices/device_model.h).

#include "devicelink/device_slot.h"
#include "devices/device_heartbeat.h"
#include "devices/device_model.h"
#include "devices/page_texts.h"
#include "devices/qt/routed_pump.h"
#include "ui/UIlib.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::devices {
class SameModeGroup;
}

namespace orvel::pages {

class CDeviceOptionUI;
class CMpDevicePowerUI;
class CPagePanel;

// Posted to the main window by a notification reader: wParam = the page's selector item index,
// lParam = (source << 16) | usage; the main window hands it to that page.
inline constexpr DuiLib::UINT WM_DEVICE_NOTIFICATION = 0x0D04;

// What the main window gives a page when it creates it.
struct PageSetup {
    std::wstring layoutName;
    HWND ownerWindow = nullptr;
    int keyCount = 0;
    int ledCount = 0;
    int deviceIndex = -1; // the kind row's index
    bool wirelessCapable = false;
    int reserved = -1;
    std::wstring profileFolder;
    std::wstring lightFileBase;
    int pageOrder = 0;
    CMpDevicePowerUI* powerDisplay = nullptr;
    CDeviceSlot descriptor;
    // The main window's message box with a text already resolved: a question shows both
    // buttons; true when the user confirmed.
    std::function<bool(const std::wstring& text, bool question)> messageBox;
    // The main window's colour picker (seven colours hidden) started at colour 0xAARRGGBB: the
    // colour the user confirmed, nothing when they cancelled or a picker is open already.
    std::function<std::optional<std::uint32_t>(std::uint32_t colour)> pickColour;
    // The window's devices that same mode spans (this one among them).
    devices::SameModeGroup* sameMode = nullptr;
};

// A slider with the label that shows its value.
struct ValueSlider {
    DuiLib::CSliderUI* slider = nullptr;
    DuiLib::CControlUI* label = nullptr;
    const wchar_t* unit = L"";
    // The slider at value, and its label.
    void Show(int value);
    // The label shows where the slider is.
    void ShowLabel();
};

class CQuorsineUSBDevice : public DuiLib::CHorizontalLayoutUI,
                           public CRoutedPump,
                           public DuiLib::INotifyUI,
                           private devices::IHeartbeatHost {
public:
    CQuorsineUSBDevice();
    ~CQuorsineUSBDevice() override;

    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineUSBDevice"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    // Set once by the main window, before InitPage.
    void Setup(const PageSetup& setup, std::unique_ptr<devices::DeviceModel> model);
    // Binds the key and LED buttons (once the layout is built; the lookups are cached).
    virtual void InitPage();
    // The page's function tab: 1 lighting, 2 keys, 3 macros, 4 system, 5 cursor, 6 voice,
    // 7 voice effects, 8 Virtual 7.1.
    virtual void SetFunctionTab(int type);
    int GetFunctionTab() const { return functionTabType_; }
    // Language-dependent texts after a language switch (the page's and its panels').
    virtual void RefreshLanguage();

    // The page's controls show the model's profile, then every bound panel shows it too. Run
    // after anything that loads or changes the profile behind the page's back.
    void ApplyProfile();
    // The key buttons' texts (or the button list) from the model's key list, after a panel
    // changed an assignment.
    virtual void ShowKeyTexts() {}
    // Another profile picked (its identifier set on the core first): the kind's switch
    // sequence, the page refreshed, and the outcome's message.
    void SwitchProfile();
    // Shows a result's messages in one message box, a line each (nothing when it has none);
    // true when the result is a success.
    bool ShowResult(const devices::SequenceResult& result);
    // A question by language key; true when the user confirmed.
    bool Ask(const char* key);
    // The text of a language key, through the page's hidden "text_test".
    std::wstring LanguageText(std::string_view key);

    // Only notifications of this page's own controls reach its tables and panels.
    void Notify(DuiLib::TNotifyUI& msg) override;
    bool RouteNotify(DuiLib::TNotifyUI& msg) override;

    devices::DeviceModel& Model() { return *model_; }
    devices::DeviceHeartbeat& Heartbeat() { return heartbeat_; }
    const PageSetup& Setup() const { return setup_; }
    int DeviceIndex() const { return setup_.deviceIndex; }
    int KeyCount() const { return setup_.keyCount; }
    int LedCount() const { return setup_.ledCount; }
    CMpDevicePowerUI* PowerDisplay() const { return setup_.powerDisplay; }
    CDeviceOptionUI* SelectorItem() const { return selectorItem_; }
    void SetSelectorItem(CDeviceOptionUI* item) { selectorItem_ = item; }
    // The index of the selector item in its container: what WM_DEVICE_REACHABLE carries.
    int ItemIndex() const;

    const std::vector<DuiLib::CDeviceKeyButtonUI*>& KeyButtons() const { return keyButtons_; }
    const std::vector<DuiLib::CDeviceKeyButtonUI*>& LightButtons() const { return lightButtons_; }

    // Discovery, from the main window (UI thread). The actions are also the heartbeat's.
    LinkActions OnCommandAttach(SlotList& slots, std::size_t slot);
    LinkActions OnCommandDetach(SlotList& slots, std::size_t slot);
    void OnNotifyAttach(const SlotList& slots, std::size_t slot);
    void OnNotifyDetach(const SlotList& slots, std::size_t slot);
    // A usage a reader posted.
    void OnDeviceNotification(devices::NotifySource source, std::uint16_t usage);

    // The main window's state as the page needs it.
    void SetOnScreen(bool onScreen);
    bool OnScreen() const { return onScreen_; }
    void SetWindowHidden(bool hidden) { model_->SetWindowHidden(hidden); }
    void SetLightOwnership(bool on) { model_->SetLightOwnership(on); }
    void SetActive(bool active) { active_ = active; }

    // A timer of the selector item fired (it was killed first).
    void OnHeartbeatTimer(unsigned id) { heartbeat_.OnTimer(id); }
    // The page's LED buttons from the colour buffer (only those whose colour changed).
    void RefreshPreview() override;
    // Readers, frame output and light loop stopped, links closed; the page stays as it is.
    void Shutdown();

protected:
    // Binds the "key_" n and "light_" n buttons (and the mouse's "light_0_" n) found below
    // container: its descendants, or its direct children only; names are split at the last '_'
    // into a prefix and a decimal number, and with useUserData a button's user data may name it.
    void BindButtons(DuiLib::CControlUI* container, bool descendants, bool useUserData = false);
    // The same, keeping the buttons bound so far.
    void AddButtons(DuiLib::CControlUI* container, bool descendants, bool useUserData);
    DuiLib::CControlUI* FindOnPage(const wchar_t* name) const;
    // The kind's own controls from the model (ApplyProfile runs it first).
    virtual void ShowPageControls() {}
    // What an LED button shows of its colour entry (red, green, blue, level).
    virtual std::uint32_t ShownEntry(std::uint32_t entry) const { return entry; }
    // Binds the panel of an item of the layout (once): routed, and told of profile changes.
    void BindPanel(const wchar_t* itemName);
    // "default_btn": the kind's defaults replace the profile after the question.
    void OnDefaultButton(DuiLib::TNotifyUI& msg);

    int functionTabType_ = 1;
    int selectedKey_ = -1;

private:
    struct LedView {
        DuiLib::CDeviceKeyButtonUI* button;
        int led;
        std::uint32_t shown;
    };
    void BindButton(DuiLib::CDeviceKeyButtonUI* button, const std::wstring& name);
    bool IsOwnControl(const DuiLib::CControlUI* control) const;

    // IHeartbeatHost
    void ArmTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    bool LinkOpen() const override { return model_->LinkOpen(); }
    bool ViaReceiver() const override { return model_->ViaReceiver(); }
    bool WirelessCapable() const override { return model_->WirelessCapable(); }
    bool PollsPower() const override { return model_->PollsPower(); }
    bool IsWirelessLinkUp() override { return model_->IsWirelessLinkUp(); }
    void LoadFromDevice() override;
    void ResyncFromDevice() override;
    void QueryPower() override;
    LinkActions SwitchStep() override { return model_->SwitchStep(); }
    bool ItemShown() const override;
    void ReportReachable(bool reachable) override;
    void ResendSettings() override;
    bool PreviewWanted() const override { return onScreen_; }

    PageSetup setup_;
    std::unique_ptr<devices::DeviceModel> model_;
    devices::DeviceHeartbeat heartbeat_;
    CDeviceOptionUI* selectorItem_ = nullptr;
    DuiLib::CControlUI* keyPanel_ = nullptr;
    DuiLib::CTabLayoutUI* functionTab_ = nullptr;
    DuiLib::CTabLayoutUI* keyFunctionTab_ = nullptr;
    std::vector<DuiLib::CDeviceKeyButtonUI*> keyButtons_;
    std::vector<DuiLib::CDeviceKeyButtonUI*> lightButtons_;
    std::vector<LedView> ledViews_;
    std::vector<CPagePanel*> panels_;
    DuiLib::CControlUI* textTest_ = nullptr;
    bool onScreen_ = false;
    bool active_ = true;

    DUI_DECLARE_MESSAGE_MAP()
};

} // namespace orvel::pages
