// Layouts: XML_MAIN, XML\CustomControlXML\DeviceOption.xml, XML\CustomControlXML\DevicePower.xml,
//          XML\DeviceXml\mousedevice.xml, XML\DeviceXml\keyboarddevice.xml,
//          XML\DeviceXml\mousepaddevice.xml, XML\DeviceXml\hs6533device.xml

#include "app/main_wnd.h"

#include "app/about_wnd.h"
#include "app/game_events.h"
#include "app/main_page.h"
#include "app/msg_wnd.h"
#include "app/skin_frame.h"
#include "update/qt/setwnd.h"
#include "app/window_rules.h"
#include "devicelink/device_tables.h"
#include "devices/qt/device_option.h"
#include "devicelink/hid_adapters.h"
#include "devices/qt/page_controls.h"
#include "input/hook/hook_messages.h"
#include "input/hook/x11_capture.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/qt/music_lighting.h"
#include "platform/debuglog.h"
#include "platform/hid/hid_change_watch.h"
#include "platform/paths.h"
#include "platform/ipc.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "profiles/profilelist.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include <filesystem>

namespace orvel::app {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kAppIcon = L"common/app_icon.svg";
constexpr const wchar_t* kAppIconFallback = L"common/mark_large.svg";

} // namespace

SkinObserver& SkinSubject()
{
    static SkinObserver subject;
    return subject;
}

DUI_BEGIN_MESSAGE_MAP(CMainWnd, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_WINDOWINIT, CMainWnd::OnWindowInit)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_WINDOWSIZE, L"root", CMainWnd::OnWindowSize)
DUI_ON_CLICK_CTRNAME(L"closebtn", CMainWnd::OnCloseButton)
DUI_ON_CLICK_CTRNAME(L"minbtn", CMainWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"maxbtn", CMainWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"restorebtn", CMainWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"skinbtn", CMainWnd::OnSkinButton)
DUI_ON_CLICK_CTRNAME(L"setbtn", CMainWnd::OnSettingsButton)
DUI_ON_CLICK_CTRNAME(L"nodevice_ok_btn", CMainWnd::OnNoDeviceOk)
DUI_ON_CLICK_CTRNAME(L"control_light_status", CMainWnd::OnLightStatus)
DUI_ON_CLICK_CTRNAME(L"device_select_prev", CMainWnd::OnSelectPrevious)
DUI_ON_CLICK_CTRNAME(L"device_select_next", CMainWnd::OnSelectNext)
DUI_ON_SELECTCHANGED_CTRNAME(L"device_select", CMainWnd::OnDeviceSelect)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"key_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"macro_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"system_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"cursor_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"6533_voice_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"magic_Op_tab", CMainWnd::OnFunctionTab)
DUI_ON_SELECTCHANGED_CTRNAME(L"Virtual7.1_Op_tab", CMainWnd::OnFunctionTab)
DUI_END_MESSAGE_MAP()

CMainWnd::CMainWnd()
    : mainPage_(std::make_unique<CMainPage>()), scheduler_(std::make_shared<lighting::SteadyWaiter>())
{
}

CMainWnd::~CMainWnd()
{
    StopWorkers();
}

void CMainWnd::InitWindow()
{
    debuglog::Write("InitWindow");
    CResourceManager::GetInstance()->SetTextQueryInterface(this);
    CResourceManager::GetInstance()->LoadLanguage(L"lan_cn.xml");
    SkinSubject().AddReceiver(this);
    root_ = m_pm.FindControl(L"root");
    deviceSwitch_ = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"device_switch"));
    powerSwitch_ = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"device_power_switch"));
    selectLayout_ = static_cast<CContainerUI*>(m_pm.FindControl(L"device_select_layout"));
    noDevice_ = m_pm.FindControl(L"No_device_Link");
    lightStatus_ = m_pm.FindControl(L"control_light_status");
    setButton_ = m_pm.FindControl(L"setbtn");
    AddVirtualWnd(L"mainpage", mainPage_.get());
    std::string error;
    endpoint_ = ipc::Endpoint::Create(m_hWnd, MessagesFromOtherPrograms(), &error);
    if (!endpoint_)
        debuglog::Write("other programs cannot reach the window: " + error);
    std::string why;
    hook_ = std::make_unique<input::CDeviceHook>(input::OpenCaptureBackend(&why));
    if (!why.empty())
        debuglog::Write("input capture: " + why);
    if (QWidget* widget = GetWidget())
        hook_->SetNativeWindow(static_cast<std::uint64_t>(widget->winId()));
    hook_->SetEndedHandler([hwnd = m_hWnd] { PostMessageW(hwnd, input::WM_HOOK_ENDED, 0, 0); });
    gameEvents_ = std::make_unique<CGameEvents>(m_hWnd, kGameLightTimer, [this] { return SelectedPage(); });
    lighting::CMusicLighting::Window music;
    music.hwnd = m_hWnd;
    music.commandMessage = RegisterProgramMessages().audioRecord;
    music.firstKeyboard = [this]() -> lighting::AudioInputSink* {
        pages::CQuorsineUSBDevice* keyboard = PageOfKindRow(1);
        if (keyboard == nullptr || !keyboard->Model().LinkOpen())
            return nullptr;
        return dynamic_cast<lighting::KeyboardLighting*>(&keyboard->Model().Lighting());
    };
    music.showMessage = [this](const std::wstring& text) { MessageBox(m_hWnd, L"", text.c_str(), dpi_, false, 0); };
    music.dpi = [this] { return dpi_; };
    music_ = std::make_unique<lighting::CMusicLighting>(std::move(music));
    tray_ = std::make_unique<CTrayIcon>();
    tray_->CreateTrayIcon(m_hWnd, 107, L"VARNO Orvel 80", WM_TRAY_NOTIFY);
    // The program's icon: the window's, the tray's and the desktop entry's (installed by CMake).
    std::error_code ec;
    const CDuiString icon = std::filesystem::exists(CPaintManagerUI::GetResourceFile(kAppIcon).ToUtf8(), ec)
                                ? CDuiString(kAppIcon)
                                : CDuiString(kAppIconFallback);
    tray_->SetIcon(icon);
    QApplication::setWindowIcon(QIcon(QString::fromStdWString(CPaintManagerUI::GetResourceFile(icon).str())));
    LoadStartSkin();
}

CControlUI* CMainWnd::CreateControl(LPCTSTR pstrClass)
{
    if (LPCTSTR file = pages::SubLayoutOf(pstrClass)) {
        CDialogBuilder builder;
        return builder.Create(file, nullptr, this, &m_pm);
    }
    return pages::CreatePageControl(pstrClass);
}

void CMainWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == L"click_wpremove" || msg.sType == L"click_wpedit")
        return;
    if (msg.sType != DUI_MSGTYPE_TIMER) {
        debuglog::Write(msg.sType.ToUtf8());
        debuglog::Write(msg.pSender != nullptr ? msg.pSender->GetName().ToUtf8() : std::string());
    }
    if (LoopDispatch(msg) || HandleNumbered(msg))
        return;
    if (msg.sVirtualWnd.CompareNoCase(L"mainpage") == 0 && mainPage_->LoopDispatch(msg))
        return;
    if (music_ && music_->RouteNotify(msg))
        return;
    if (pages::CQuorsineUSBDevice* page = SelectedPage())
        page->RouteNotify(msg);
}

bool CMainWnd::HandleNumbered(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return false;
    const CDuiString name = msg.pSender->GetName();
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        const int n = pages::NumberAfterPrefix(name.str(), L"windowdeviceset_");
        if (n == 0 || n == 1) {
            shell::OpenControlPanel(n == 0 ? shell::ControlPanel::Keyboard : shell::ControlPanel::Mouse);
            return true;
        }
    }
    return false;
}

void CMainWnd::OnWindowInit(TNotifyUI&)
{
    const RegisteredMessages& messages = RegisterProgramMessages();
    ipc::BroadcastSystemMessageW(messages.lightOwner, 1, 1);
    languages_ = ReadLanguageList(paths::FromBackslashName(paths::ProgramFolder(), "DefaultData\\Language.config"));
    SwitchLanguage(ReadLanguageIndex(languages_));
    if (fontFace_.empty())
        SetFonts(kDefaultFace);
    slots_ = MakeSlotList();
    // The mouse and keyboard pages exist before any device is seen.
    CreatePage(0);
    CreatePage(1);
    if (QScreen* screen = GetWidget() != nullptr ? GetWidget()->screen() : nullptr) {
        screenWidth_ = screen->geometry().width();
        screenHeight_ = screen->geometry().height();
    }
    ShowWindow(false);
    StartWorkers();
    if (music_)
        music_->Start(workers_[kAudioWatchdogSlot]);
    orvel::SetTimer(m_hWnd, kFirstLayoutTimer, 100);
}

void CMainWnd::OnWindowSize(TNotifyUI&)
{
    if (firstLayout_) {
        firstLayout_ = false;
        RunLayoutStep();
    }
}

void CMainWnd::OnCloseButton(TNotifyUI&)
{
    if (!CTrayIcon::IsTrayAvailable()) {
        // Without a tray nothing could bring the window back or end the program.
        ExitProgram();
        return;
    }
    CloseChildWindows();
    ShowWindow(false);
    SetHiddenToTray(true);
    UpdateOnScreen();
}

void CMainWnd::OnSystemButton(TNotifyUI& msg)
{
    const CDuiString name = msg.pSender->GetName();
    const UINT command = name == L"minbtn" ? SC_MINIMIZE : name == L"maxbtn" ? SC_MAXIMIZE : SC_RESTORE;
    if (command == SC_MINIMIZE)
        EndCapture(input::HookWindowEvent::Minimised);
    SendMessage(WM_SYSCOMMAND, command, 0);
    UpdateOnScreen();
}

void CMainWnd::OnSkinButton(TNotifyUI& msg)
{
    RECT anchor = msg.pSender->GetPos();
    const RECT window = GetWindowRect();
    anchor = RECT{anchor.left + window.left, anchor.top + window.top, anchor.right + window.left,
                  anchor.bottom + window.top};
    auto* frame = new CSkinFrame(SkinSubject(), paths::UserDataFolder() / kSkinSettingsFile, anchor);
    if (frame->Create(m_hWnd, L"skinframe", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST) == nullptr)
        delete frame;
}

void CMainWnd::OnSettingsButton(TNotifyUI&)
{
    OpenSettings(true);
}

void CMainWnd::OnNoDeviceOk(TNotifyUI&)
{
    ShowWindow(false);
    SetHiddenToTray(true);
    UpdateOnScreen();
}

void CMainWnd::OnLightStatus(TNotifyUI&)
{
    SetLightControl(!lightControl_, true);
}

void CMainWnd::SetLightControl(bool on, bool broadcast)
{
    lightControl_ = on;
    if (broadcast)
        ipc::BroadcastSystemMessageW(RegisterProgramMessages().lightOwner, 1, on ? 1 : 0);
    if (lightStatus_ != nullptr)
        lightStatus_->SetText(on ? kLightControlText : kNoLightControlText);
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page != nullptr && page->Model().KindRowData().kind != kKindHeadset)
            page->SetLightOwnership(on);
    }
}

void CMainWnd::OnSelectPrevious(TNotifyUI&)
{
    SelectNeighbour(-1);
}

void CMainWnd::OnSelectNext(TNotifyUI&)
{
    SelectNeighbour(+1);
}

void CMainWnd::SelectNeighbour(int step)
{
    std::vector<bool> visible;
    int current = -1;
    const auto items = Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        visible.push_back(items[i]->IsVisible());
        if (items[i]->IsSelected())
            current = static_cast<int>(i);
    }
    if (const int next = NextVisibleItem(visible, current, step); next >= 0)
        items[static_cast<std::size_t>(next)]->Select();
}

void CMainWnd::OnDeviceSelect(TNotifyUI& msg)
{
    auto* option = static_cast<COptionUI*>(msg.pSender);
    if (!option->IsSelected())
        return;
    pages::CDeviceOptionUI* item = nullptr;
    for (CControlUI* c = option; c != nullptr && item == nullptr; c = c->GetParent())
        item = static_cast<pages::CDeviceOptionUI*>(c->GetInterface(L"DeviceOption"));
    if (item == nullptr)
        return;
    EndCapture(input::HookWindowEvent::DeviceSwitched);
    if (powerSwitch_ != nullptr) {
        powerSwitch_->SetVisible(item->GetPowerTabIndex() >= 0);
        if (item->GetPowerTabIndex() >= 0)
            powerSwitch_->SelectItem(item->GetPowerTabIndex());
    }
    UpdateOnScreen();
}

void CMainWnd::OnFunctionTab(TNotifyUI& msg)
{
    pages::CQuorsineUSBDevice* page = SelectedPage();
    if (page == nullptr)
        return;
    EndCapture(input::HookWindowEvent::PageSwitched);
    const std::string name = msg.pSender->GetName().ToUtf8();
    for (std::size_t i = 0; i < profiles::kProfileTabNames.size(); ++i) {
        if (name == profiles::kProfileTabNames[i] && static_cast<COptionUI*>(msg.pSender)->IsSelected())
            page->SetFunctionTab(static_cast<int>(i) + 1);
    }
    // The page's profile panel takes the tab as well (and keeps a tab clicked again selected).
    page->RouteNotify(msg);
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    const RegisteredMessages& messages = RegisterProgramMessages();
    if (IsAwakeGated(uMsg)) {
        LRESULT result = 0;
        if (!awake_ || (gameEvents_ && gameEvents_->RouteMessage(uMsg, wParam, lParam, result)))
            return result;
        if (pages::CQuorsineUSBDevice* page = SelectedPage())
            page->RouteMessage(uMsg, wParam, lParam, result);
        return result;
    }
    if (uMsg == messages.instance && uMsg != 0) {
        debuglog::Writef("软件标示 %u，%xd%xd", uMsg, static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        BringForward();
        return 0;
    }
    if (uMsg == messages.updateStatus && uMsg != 0) {
        if (settingsWindow_ != nullptr)
            settingsWindow_->PostMessage(uMsg, wParam, lParam);
        return 0;
    }
    if (uMsg == messages.lightControl && uMsg != 0) {
        if (wParam == 1 && (lParam == 0 || lParam == 1))
            SetLightControl(lParam == 1, false);
        return 0;
    }
    if (uMsg == messages.workToolQuery && uMsg != 0) {
        AnswerWorkTool();
        return 0;
    }
    if (LRESULT result = 0; music_ && music_->RouteMessage(uMsg, wParam, lParam, result))
        return result;
    switch (uMsg) {
    case input::WM_HOOK_CONTROL: return OnHookControl(wParam);
    case input::WM_HOOK_ENDED: CaptureEnded(); return 0;
    case input::WM_HOOK_SCOPE: return hook_ && hook_->Scope() == input::CaptureScope::Desktop ? 1 : 0;
    case WM_ACTIVATE:
        windowActive_ = wParam != 0;
        // Recording goes on while the user clicks elsewhere on the desktop (that is what it is
        // for); only the key edit's capture ends when another window becomes active.
        if (!windowActive_ && hook_ && hook_->Mode() == input::hookmode::kSingleKey)
            EndCapture(input::HookWindowEvent::Deactivated);
        for (pages::CQuorsineUSBDevice* page : pages_) {
            if (page != nullptr)
                page->SetActive(windowActive_);
        }
        bHandled = FALSE;
        return 0;
    case WM_MOUSELEAVE:
    case WM_MOUSEHOVER:
        debuglog::Write(uMsg == WM_MOUSELEAVE ? "鼠标移出" : "鼠标移入");
        for (pages::CQuorsineUSBDevice* page : pages_) {
            if (page != nullptr)
                page->SetActive(uMsg == WM_MOUSEHOVER);
        }
        return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(wParam); return 0;
    case WM_DEVICE_ATTACH: OnDeviceAttach(wParam); return 0;
    case WM_DEVICE_DETACH: OnDeviceDetach(wParam); return 0;
    case WM_DEVICE_REACHABLE: OnDeviceReachable(static_cast<int>(wParam), lParam != 0); return 0;
    case pages::WM_DEVICE_NOTIFICATION:
        if (pages::CQuorsineUSBDevice* page = PageOfKindRow(static_cast<int>(wParam)))
            page->OnDeviceNotification(static_cast<devices::NotifySource>(lParam >> 16),
                                       static_cast<std::uint16_t>(lParam & 0xFFFF));
        return 0;
    case WM_OPEN_SETTINGS: OpenSettings(false); return 0;
    case WM_CLEAR_SET_BADGE:
        if (setButton_ != nullptr)
            setButton_->SetForeImage(L"");
        return 0;
    case WM_LANGUAGE_CHANGED:
        SwitchLanguage(static_cast<int>(wParam));
        return 0;
    case WM_SHOW_PROGRESS:
        if (CControlUI* progress = m_pm.FindControl(L"setting_progress"))
            progress->SetVisible(true);
        return 0;
    case WM_DPI_NOTICE: debuglog::Write("界面 DPI 1发生变化"); return 0;
    case WM_DPICHANGED: return 0; // the layout scale follows the monitor's size, not its DPI
    case WM_TRAY_NOTIFY: OnTrayNotify(lParam); return 0;
    case WM_MENU_COMMAND: OnMenuCommand(reinterpret_cast<MenuCmd*>(wParam)); return 0;
    case WM_TIMER: OnTimer(static_cast<UINT>(wParam)); return 0;
    case WM_DISPLAYCHANGE:
        debuglog::Write("显示器分辨率发生变化");
        RunLayoutStep();
        return 0;
    default: break;
    }
    LRESULT result = 0;
    if (pages::CQuorsineUSBDevice* page = SelectedPage()) {
        if (page->RouteMessage(uMsg, wParam, lParam, result))
            return result;
    }
    bHandled = FALSE;
    return 0;
}

void CMainWnd::OnPowerBroadcast(WPARAM event)
{
    if (event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMSUSPEND)
        return;
    awake_ = event == PBT_APMRESUMEAUTOMATIC;
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page != nullptr && page->Model().KindRowData().kind != kKindHeadset)
            page->SetLightOwnership(awake_ && lightControl_);
    }
}

void CMainWnd::OnTimer(UINT id)
{
    orvel::KillTimer(m_hWnd, id);
    switch (id) {
    case kFirstLayoutTimer:
        RunLayoutStep();
        m_pm.Invalidate();
        if (music_)
            music_->OnConnectTimer();
        return;
    case kTrayMenuTimer: {
        const QPoint cursor = QCursor::pos();
        CMenuWnd::CreateMenu(nullptr, L"menu.xml", POINT{cursor.x(), cursor.y()}, &m_pm, nullptr,
                             eMenuAlignment_Left | eMenuAlignment_Bottom);
        return;
    }
    case kGameLightTimer:
        if (gameEvents_)
            gameEvents_->OnRestoreTimer(id);
        return;
    default: {
        // The profile switch (1055) belongs to the shown page's panels.
        LRESULT result = 0;
        if (pages::CQuorsineUSBDevice* page = SelectedPage())
            page->RouteMessage(WM_TIMER, id, 0, result);
        return;
    }
    }
}

void CMainWnd::OnTrayNotify(LPARAM lParam)
{
    if (lParam == WM_RBUTTONUP) {
        orvel::SetTimer(m_hWnd, kTrayMenuTimer, 10);
        return;
    }
    if (lParam != WM_LBUTTONUP)
        return;
    ShowNoDevice();
    CloseChildWindows();
    if (IsWindowVisible() && !IsMinimized()) {
        ShowWindow(false);
        SetHiddenToTray(true);
    } else {
        ShowWindow(true, true);
        RunLayoutStep();
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        ShowWindow(true, true);
        m_pm.Invalidate();
        SetHiddenToTray(false);
    }
    UpdateOnScreen();
}

void CMainWnd::OnMenuCommand(MenuCmd* command)
{
    if (command == nullptr)
        return;
    const CDuiString name = command->szName;
    if (name == L"exit") {
        delete command;
        ExitProgram();
        return;
    }
    if (name == L"about_menu") {
        delete command;
        if (aboutWindow_ != nullptr)
            return;
        CAboutWnd about(CDuiString::FromUtf8(UpdateProductTable.back().versionText));
        if (about.Create(m_hWnd, L"  ", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 800, 572) != nullptr) {
            aboutWindow_ = &about;
            about.CenterWindow();
            about.ShowModal();
            aboutWindow_ = nullptr;
        }
        return;
    }
    if (name == L"setwnd_menu") {
        delete command;
        OpenSettings(false);
        return;
    }
    // The macro editor's commands go to the shown page.
    LRESULT result = 0;
    if (pages::CQuorsineUSBDevice* page = SelectedPage())
        page->RouteMessage(WM_MENU_COMMAND, reinterpret_cast<WPARAM>(command), 0, result);
    delete command;
}

void CMainWnd::BringForward()
{
    ShowNoDevice();
    SetHiddenToTray(false);
    SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(true, true);
    UpdateOnScreen();
}

void CMainWnd::AnswerWorkTool()
{
    const auto tool = ipc::FindWindowW(L"", kWorkToolTitle);
    if (!tool)
        return;
    const auto block = BuildWorkToolAnswer();
    COPYDATASTRUCT data;
    data.dwData = kWorkToolDataId;
    data.cbData = static_cast<std::uint32_t>(block.size());
    data.lpData = block.data();
    // Sent without waiting for its answer: a WorkTool that reads nothing must not hold the window.
    if (!ipc::SendNotifyMessageW(*tool, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&data), m_hWnd))
        debuglog::Write("the WorkTool window did not take the answer");
}

void CMainWnd::ExitProgram()
{
    // The program's end closes the settings window even while it downloads.
    if (settingsWindow_ != nullptr)
        settingsWindow_->EndWithProgram();
    CloseChildWindows();
    Close(0);
}

LRESULT CMainWnd::OnHookControl(WPARAM wParam)
{
    if (!hook_)
        return 0;
    if (wParam <= 1) {
        if (wParam == 0 && selectLayout_ != nullptr)
            selectLayout_->SetEnabled(true);
        return hook_->OnHookControl(m_hWnd, wParam);
    }
    // A recording placement: the device cannot be switched meanwhile.
    const LRESULT installed = hook_->Install(static_cast<int>(wParam), m_hWnd, true, true);
    if (selectLayout_ != nullptr)
        selectLayout_->SetEnabled(installed != 1);
    return installed;
}

void CMainWnd::EndCapture(input::HookWindowEvent event)
{
    if (hook_ && hook_->OnWindowEvent(event))
        CaptureEnded();
}

void CMainWnd::CaptureEnded()
{
    if (selectLayout_ != nullptr)
        selectLayout_->SetEnabled(true);
    // The page that recorded stops its recording.
    for (pages::CQuorsineUSBDevice* page : pages_) {
        LRESULT result = 0;
        if (page != nullptr)
            page->RouteMessage(input::WM_HOOK_ENDED, 0, 0, result);
    }
}

void CMainWnd::CloseChildWindows()
{
    if (aboutWindow_ != nullptr)
        aboutWindow_->Close(0);
    // Asked, not told: it stays while a download runs.
    if (settingsWindow_ != nullptr)
        settingsWindow_->Close(IDCANCEL);
    if (music_)
        music_->CloseWindows();
}

LRESULT CMainWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    debuglog::Write("退出测试");
    EndCapture(input::HookWindowEvent::Exiting);
    ShowWindow(false);
    // A restore still pending is not run on devices about to close.
    gameEvents_.reset();
    StopWorkers();
    // The capture program is told to end once its watchdog has stopped.
    if (music_)
        music_->Shutdown();
    if (tray_)
        tray_->DeleteTrayIcon();
    endpoint_.reset();
    SkinSubject().RemoveReceiver(this);
    PostQuitMessage(0);
    bHandled = TRUE;
    return 0;
}

int CMainWnd::MessageBox(HWND parent, LPCTSTR title, LPCTSTR text, int dpi, bool textIsRich, int buttons)
{
    CMsgWnd box(title != nullptr ? title : L"", text != nullptr ? text : L"", textIsRich, buttons, dpi);
    if (box.Create(parent, L"msgwnd", WS_POPUP, WS_EX_TOOLWINDOW) == nullptr)
        return 0;
    box.CenterWindow();
    return box.ShowModal() == 1 ? 1 : 0;
}

} // namespace orvel::app
