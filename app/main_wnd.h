#pragma once
// CMainWnd: the program's only top-level window. It owns the device pages, their selector items
// and power displays, the worker slots, the light scheduler and the tray icon, and routes every
// notification and window message: what it handles itself is in its message map and in
// HandleCustomMessage; everything else goes to the selected page (devices/qt/routed_pump.h).

#include "app/app_messages.h"
#include "app/language.h"
#include "app/skin_settings.h"
#include "devicelink/device_scan.h"
#include "devices/same_mode_group.h"
#include "devices/qt/device_page.h"
#include "input/hook/device_hook.h"
#include "lighting/light_scheduler.h"
#include "platform/worker.h"
#include "ui/UIlib.h"

#include <array>
#include <memory>
#include <vector>

namespace orvel {
class CHidProbe;
class HidChangeWatch;
namespace ipc {
class Endpoint;
}
namespace update {
class CSetWnd;
}
namespace lighting {
class CMusicLighting;
}
}

namespace orvel::app {

class CAboutWnd;
class CGameEvents;
class CMainPage;

// The subject every skin change goes through (the skin popup notifies it).
SkinObserver& SkinSubject();

class CMainWnd : public DuiLib::WindowImplBase, public SkinReceiver {
public:
    static constexpr int kWorkerSlots = 20;
    static constexpr std::size_t kAudioWatchdogSlot = 1;
    // Timers of the main window (one-shot: killed when they fire).
    static constexpr UINT kFirstLayoutTimer = 1011;
    static constexpr UINT kTrayMenuTimer = 1032;
    static constexpr UINT kProfileSwitchTimer = 1055;
    static constexpr UINT kGameLightTimer = 1066;

    CMainWnd();
    ~CMainWnd() override;

    // The program's message box: a CMsgWnd run modally; 1 for "confirm_btn", 0 otherwise.
    // buttons 1 shows both buttons, 0 only "confirm_btn". A dpi the toolkit does not take is
    // written to the debug log and 96 is used.
    static int MessageBox(HWND parent, DuiLib::LPCTSTR title, DuiLib::LPCTSTR text, int dpi, bool textIsRich,
                          int buttons);

    // State, for the screenshot run and the tests.
    pages::CQuorsineUSBDevice* PageOfKindRow(int kindRow) const;
    pages::CQuorsineUSBDevice* SelectedPage() const;
    bool ItemVisible(int kindRow) const;
    bool AnyItemVisible() const;
    SlotList& Slots() { return slots_; }
    lighting::CMusicLighting* MusicLighting() const { return music_.get(); }
    int Dpi() const { return dpi_; }
    bool LightControl() const { return lightControl_; }
    int LanguageIndex() const { return languageIndex_; }
    const std::vector<LanguageEntry>& Languages() const { return languages_; }
    // Selects the item of a kind row's page (as a click on it does).
    void SelectKindRow(int kindRow);
    void SwitchLanguage(int index);
    // The layout scale rule run now, with the given DPI instead of the monitor's when not 0.
    void RunLayoutStep(int forcedDpi = 0);
    // The tray's "exit": child windows and the main window closed, the program ends.
    void ExitProgram();
    // The settings window, run modally: beside the main window ("setbtn") or centred; one at a
    // time (an open one is brought forward).
    void OpenSettings(bool beside);
    update::CSetWnd* SettingsWindow() const { return settingsWindow_; }

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"XML_MAIN"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return kMainWindowClass.data(); }
    UINT GetClassStyle() const override { return 0x0008; } // CS_DBLCLKS
    void InitWindow() override;
    DuiLib::CControlUI* CreateControl(DuiLib::LPCTSTR pstrClass) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LPCTSTR QueryControlText(DuiLib::LPCTSTR, DuiLib::LPCTSTR) override { return nullptr; }
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;
    DuiLib::LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;
    // A skin change: the root's background colour or image.
    int Respond(SkinChangedParam param, SkinObserver* subject) override;

    DUI_DECLARE_MESSAGE_MAP()

private:
    // Notifications the main window handles itself.
    void OnWindowInit(DuiLib::TNotifyUI& msg);
    void OnWindowSize(DuiLib::TNotifyUI& msg);
    void OnCloseButton(DuiLib::TNotifyUI& msg);
    void OnSystemButton(DuiLib::TNotifyUI& msg);
    void OnSkinButton(DuiLib::TNotifyUI& msg);
    void OnSettingsButton(DuiLib::TNotifyUI& msg);
    void OnNoDeviceOk(DuiLib::TNotifyUI& msg);
    void OnLightStatus(DuiLib::TNotifyUI& msg);
    void OnSelectPrevious(DuiLib::TNotifyUI& msg);
    void OnSelectNext(DuiLib::TNotifyUI& msg);
    // The visible item before (-1) or after (+1) the selected one, if there is one.
    void SelectNeighbour(int step);
    void OnDeviceSelect(DuiLib::TNotifyUI& msg);
    void OnFunctionTab(DuiLib::TNotifyUI& msg);
    // The main window's numbered controls ("windowdeviceset_" n); true when the notification
    // was one of theirs.
    bool HandleNumbered(DuiLib::TNotifyUI& msg);

    // Window messages.
    void OnTimer(UINT id);
    void OnTrayNotify(LPARAM lParam);
    void OnMenuCommand(DuiLib::MenuCmd* command);
    void BringForward();
    void AnswerWorkTool();
    void SetLightControl(bool on, bool broadcast);
    void OnPowerBroadcast(WPARAM event);

    // Devices.
    void StartWorkers();
    void StopWorkers();
    void OnDeviceAttach(std::size_t slot);
    void OnDeviceDetach(std::size_t slot);
    void OnDeviceReachable(int itemIndex, bool reachable);
    pages::CQuorsineUSBDevice* CreatePage(int kindRow);
    // Shows an item (selected when select), or hides it as a detach does.
    void ShowDeviceItem(pages::CDeviceOptionUI* item, bool select);
    void HideDeviceItem(pages::CDeviceOptionUI* item);
    // Same mode spans the devices whose items show; every page hears when it may be used.
    void SetSameModeConnected(pages::CDeviceOptionUI* item, bool connected);
    std::vector<pages::CDeviceOptionUI*> Items() const;
    // Which page's LED buttons are worth painting: the selected one, while the window shows.
    void UpdateOnScreen();
    // Hidden to the tray, or back: the mice and keyboards stop polling their power meanwhile.
    void SetHiddenToTray(bool hidden);
    void CloseChildWindows();
    void ShowNoDevice();
    // WM_HOOK_CONTROL: key capture on (1) or off (0), or a recording placement installed.
    DuiLib::LRESULT OnHookControl(WPARAM wParam);
    // A window event that ends key capture or recording (see CDeviceHook::OnWindowEvent).
    void EndCapture(input::HookWindowEvent event);
    // An installation ended without a panel asking: the pages are told (WM_HOOK_ENDED).
    void CaptureEnded();

    // Skin, language and fonts.
    void SetFonts(const std::string& face);
    void LoadStartSkin();

    // Cached lookups (after the layout is built).
    DuiLib::CControlUI* root_ = nullptr;
    DuiLib::CTabLayoutUI* deviceSwitch_ = nullptr;
    DuiLib::CTabLayoutUI* powerSwitch_ = nullptr;
    DuiLib::CContainerUI* selectLayout_ = nullptr;
    DuiLib::CControlUI* noDevice_ = nullptr;
    DuiLib::CControlUI* lightStatus_ = nullptr;
    DuiLib::CControlUI* setButton_ = nullptr;

    std::unique_ptr<CMainPage> mainPage_;
    // The music lighting: its controls and messages come here before the selected page.
    std::unique_ptr<lighting::CMusicLighting> music_;
    // Other programs reach the window through it (a second start, the light and WorkTool requests).
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::unique_ptr<DuiLib::CTrayIcon> tray_;
    // Key capture for the key-set panel and macro recording, on the whole desktop where it
    // can be listened to.
    std::unique_ptr<input::CDeviceHook> hook_;
    // The game events: the shown page's lighting for a while.
    std::unique_ptr<CGameEvents> gameEvents_;
    CAboutWnd* aboutWindow_ = nullptr;
    update::CSetWnd* settingsWindow_ = nullptr;

    std::array<pages::CQuorsineUSBDevice*, 4> pages_{};
    SlotList slots_;
    std::unique_ptr<CHidProbe> probe_;
    std::unique_ptr<HidChangeWatch> watch_;
    DeviceScanContext scanContext_;
    std::array<WorkerSlot, kWorkerSlots> workers_;
    lighting::LightScheduler scheduler_;
    // After the scheduler: it leaves the scheduler before the scheduler ends.
    devices::SameModeGroup sameMode_;

    std::vector<LanguageEntry> languages_;
    int languageIndex_ = -1;
    std::string fontFace_;
    int dpi_ = 96;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    bool firstLayout_ = true;
    bool lightControl_ = true;
    bool awake_ = true;
    bool windowActive_ = false;
    bool stopped_ = false;
};

} // namespace orvel::app
