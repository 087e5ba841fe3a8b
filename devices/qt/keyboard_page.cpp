// The keyboard page: its 170 key and LED places, the polling rate, Win lock and the other key
// options, key repeat with its try-out field, and the custom colours painted key by key.
// Layouts: XML\DeviceXml\keyboarddevice.xml

#include "devices/qt/kind_pages.h"

#include "devices/kind_models.h"
#include "devices/qt/device_power.h"
#include "input/key_text.h"
#include "lighting/colour.h"

#include <QString>

namespace orvel::pages {

using namespace DuiLib;

namespace {

constexpr int kPollingRates = 4;
constexpr int kRepeatDelays = 4;
constexpr int kFnPosition = 110;
constexpr int kKeysTab = 2;

std::wstring Numbered(const wchar_t* prefix, int n)
{
    return prefix + std::to_wstring(n);
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return QString::fromStdWString(a).compare(QString::fromStdWString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CQuorsineKeyboardDevice, CQuorsineUSBDevice)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SELECTCHANGED, L"winlockflag_option", CQuorsineKeyboardDevice::OnWinLock)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SELECTCHANGED, L"wflag_option", CQuorsineKeyboardDevice::OnWFlag)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SELECTCHANGED, L"6flag_option", CQuorsineKeyboardDevice::OnSixKey)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"repeat_rate_slider", CQuorsineKeyboardDevice::OnRepeatRate)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_MOVEVALUECHANGED, L"repeat_rate_slider", CQuorsineKeyboardDevice::OnRepeatRateMove)
DUI_ON_CLICK_CTRNAME(L"reset_repeat_btn", CQuorsineKeyboardDevice::OnResetRepeat)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CQuorsineKeyboardDevice)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"polling_rate_option_", CQuorsineKeyboardDevice::OnPolling)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"repeat_delay_check_", CQuorsineKeyboardDevice::OnRepeatDelay)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CQuorsineKeyboardDevice)
ORVEL_END_MESSAGE_ROUTES()

LPVOID CQuorsineKeyboardDevice::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"QuorsineKeyboardDevice")
        return this;
    return CQuorsineUSBDevice::GetInterface(pstrName);
}

devices::KeyboardModel& CQuorsineKeyboardDevice::Keyboard()
{
    return static_cast<devices::KeyboardModel&>(Model());
}

void CQuorsineKeyboardDevice::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    if (Setup().layoutName.empty())
        return;
    BindButtons(FindOnPage(L"keyboard_device_key_light"), true);
    for (int n = 0; n < kPollingRates; ++n)
        polling_[static_cast<std::size_t>(n)] = static_cast<COptionUI*>(FindOnPage(Numbered(L"polling_rate_option_", n).c_str()));
    for (int n = 0; n < kRepeatDelays; ++n)
        delays_[static_cast<std::size_t>(n)] = static_cast<COptionUI*>(FindOnPage(Numbered(L"repeat_delay_check_", n).c_str()));
    winLock_ = static_cast<COptionUI*>(FindOnPage(L"winlockflag_option"));
    wFlag_ = static_cast<COptionUI*>(FindOnPage(L"wflag_option"));
    sixKey_ = static_cast<COptionUI*>(FindOnPage(L"6flag_option"));
    repeatRate_ = {static_cast<CSliderUI*>(FindOnPage(L"repeat_rate_slider")), FindOnPage(L"repeat_rate_value")};
    delayLabel_ = FindOnPage(L"repeat_delay_time_label1");
    tryOut_ = static_cast<CRichEditUI*>(FindOnPage(L"repeat_input_richedit"));
    // The key-set panel shows once a key is picked.
    if (CControlUI* keySet = FindOnPage(L"KeySetControlItem"))
        keySet->SetVisible(false);
    ApplyProfile();
}

void CQuorsineKeyboardDevice::SetFunctionTab(int type)
{
    CQuorsineUSBDevice::SetFunctionTab(type);
    const auto& keys = KeyButtons();
    if ((type == 1 || type == kKeysTab) && keys.size() > kFnPosition && keys[kFnPosition] != nullptr)
        keys[kFnPosition]->SetSelect(type == 1);
    if (PowerDisplay() != nullptr && type >= 1 && type <= 4)
        PowerDisplay()->SetVisible(type <= kKeysTab);
    RefreshPreview();
}

std::uint32_t CQuorsineKeyboardDevice::ShownEntry(std::uint32_t entry) const
{
    // On the keys tab the caps are read, not lit.
    return GetFunctionTab() == kKeysTab ? 0 : entry;
}

void CQuorsineKeyboardDevice::ShowPageControls()
{
    devices::KeyboardCore& keyboard = Keyboard().Keyboard();
    const int polling = keyboard.Option(devices::KeyboardOption::PollingRate);
    if (COptionUI* option = polling_[static_cast<std::size_t>(polling)])
        option->Selected(true, false);
    if (winLock_ != nullptr)
        winLock_->Selected(keyboard.Option(devices::KeyboardOption::WinLock) != 0, false);
    if (wFlag_ != nullptr)
        wFlag_->Selected(keyboard.Option(devices::KeyboardOption::WFlag) != 0, false);
    if (sixKey_ != nullptr)
        sixKey_->Selected(keyboard.Option(devices::KeyboardOption::SixKey) != 0, false);
    repeatRate_.Show(keyboard.Option(devices::KeyboardOption::Repeat));
    const int delay = keyboard.Option(devices::KeyboardOption::RepeatDelay);
    if (COptionUI* option = delays_[static_cast<std::size_t>(delay)])
        option->Selected(true, false);
    ShowRepeatDelay(delay);
    if (tryOut_ != nullptr) {
        tryOut_->SetText(L"");
        tryOut_->SetTipValue(LanguageText(devices::kRepeatTryOutTip).c_str());
    }
    ShowKeys();
}

void CQuorsineKeyboardDevice::ShowRepeatDelay(int n)
{
    if (delayLabel_ != nullptr)
        delayLabel_->SetText((LanguageText(devices::kRepeatDelayText) + std::to_wstring(250 * (n + 1)) + L"ms").c_str());
}

void CQuorsineKeyboardDevice::ShowKeys()
{
    devices::KeyboardCore& keyboard = Keyboard().Keyboard();
    const input::LanguageLookup lookup = [this](std::string_view key) { return LanguageText(key); };
    const std::vector<std::string> macros = keyboard.MacroNames();
    const std::wstring keySet = LanguageText(devices::kKeySetText);
    const auto& entries = keyboard.Keys();
    const auto& buttons = KeyButtons();
    for (std::size_t j = 0; j < buttons.size() && j < entries.size(); ++j) {
        CDeviceKeyButtonUI* button = buttons[j];
        if (button == nullptr)
            continue;
        const profiles::KeyHalf& d = entries[j].defaults;
        const profiles::KeyHalf& c = entries[j].current;
        const std::wstring defaultName = input::KeyButtonText({d.type, d.b1, d.b2}, lookup, macros);
        const std::wstring currentName = input::KeyButtonText({c.type, c.b1, c.b2}, lookup, macros);
        button->SetText(currentName.c_str());
        button->SetToolTip((defaultName + keySet + currentName).c_str());
        button->SetHideKeySetImage(SameIgnoringCase(defaultName, currentName));
    }
}

void CQuorsineKeyboardDevice::Option(devices::KeyboardOption option, int value)
{
    ShowResult(Keyboard().Perform([&] { return Keyboard().Keyboard().SetOption(option, value); }));
}

void CQuorsineKeyboardDevice::OnPolling(TNotifyUI& msg, int n)
{
    if (n < kPollingRates && static_cast<COptionUI*>(msg.pSender)->IsSelected())
        Option(devices::KeyboardOption::PollingRate, n);
}

void CQuorsineKeyboardDevice::OnRepeatDelay(TNotifyUI& msg, int n)
{
    if (n >= kRepeatDelays || !static_cast<COptionUI*>(msg.pSender)->IsSelected())
        return;
    ShowRepeatDelay(n);
    Option(devices::KeyboardOption::RepeatDelay, n);
}

void CQuorsineKeyboardDevice::OnWinLock(TNotifyUI& msg)
{
    Option(devices::KeyboardOption::WinLock, static_cast<COptionUI*>(msg.pSender)->IsSelected());
}

void CQuorsineKeyboardDevice::OnWFlag(TNotifyUI& msg)
{
    Option(devices::KeyboardOption::WFlag, static_cast<COptionUI*>(msg.pSender)->IsSelected());
}

void CQuorsineKeyboardDevice::OnSixKey(TNotifyUI& msg)
{
    Option(devices::KeyboardOption::SixKey, static_cast<COptionUI*>(msg.pSender)->IsSelected());
}

void CQuorsineKeyboardDevice::OnRepeatRate(TNotifyUI& msg)
{
    repeatRate_.ShowLabel();
    Option(devices::KeyboardOption::Repeat, static_cast<CSliderUI*>(msg.pSender)->GetValue());
}

void CQuorsineKeyboardDevice::OnRepeatRateMove(TNotifyUI&)
{
    repeatRate_.ShowLabel();
}

void CQuorsineKeyboardDevice::OnResetRepeat(TNotifyUI&)
{
    const devices::SequenceResult result = Keyboard().Perform([this] { return Keyboard().Keyboard().ResetRepeat(); });
    ShowPageControls();
    ShowResult(result);
}

bool CQuorsineKeyboardDevice::RouteNotify(TNotifyUI& msg)
{
    // A key click also goes on to the panels (the key-set panel shows the key).
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender != nullptr) {
        const int n = NumberAfterPrefix(msg.pSender->GetName().str(), L"key_");
        if (n >= 0 && n < KeyCount() && KeyButtons()[static_cast<std::size_t>(n)] == msg.pSender)
            OnKey(n);
    }
    return CQuorsineUSBDevice::RouteNotify(msg);
}

void CQuorsineKeyboardDevice::OnKey(int n)
{
    selectedKey_ = n;
    // On the lighting tab in the custom-colour mode a click paints the key.
    if (GetFunctionTab() == 1 && Keyboard().Keyboard().Settings().mode == devices::kCustomColourMode) {
        ShowResult(Keyboard().PaintCustomPosition(n));
        RefreshPreview();
    }
}

} // namespace orvel::pages
