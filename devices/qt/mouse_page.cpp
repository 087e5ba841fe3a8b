// The mouse page: its buttons and LEDs, the DPI stages, polling rate, pointer settings and the
// button list, over the mouse's model.
// Layouts: XML\DeviceXml\mousedevice.xml

#include "devices/qt/kind_pages.h"

#include "devices/kind_models.h"
#include "devices/mouse_stages.h"
#include "input/key_text.h"
#include "platform/text.h"

#include <array>
#include <string>

namespace orvel::pages {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kCurrentThumb = L"Control/SliderBar1_Thumb.png";
constexpr const wchar_t* kOtherThumb = L"Control/SliderBar2_Thumb.png";
constexpr const wchar_t* kSliderFore = L"Control/SliderBar_BK1.png";

std::wstring Numbered(const wchar_t* prefix, int n)
{
    return prefix + std::to_wstring(n);
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CQuorsineMouseDevice, CQuorsineUSBDevice)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"pointer_speed_slider", CQuorsineMouseDevice::OnPointerSpeed)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SELECTCHANGED, L"pointer_precision_check", CQuorsineMouseDevice::OnPointerPrecision)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"scroll_speed_slider", CQuorsineMouseDevice::OnScrollLines)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_SELECTCHANGED, L"scrolls_page_check", CQuorsineMouseDevice::OnScrollPage)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"double_click_slider", CQuorsineMouseDevice::OnDoubleClick)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_MOVEVALUECHANGED, L"pointer_speed_slider", CQuorsineMouseDevice::OnSliderMove)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_MOVEVALUECHANGED, L"scroll_speed_slider", CQuorsineMouseDevice::OnSliderMove)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_MOVEVALUECHANGED, L"double_click_slider", CQuorsineMouseDevice::OnSliderMove)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CQuorsineMouseDevice)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"DPI_enable_check_", CQuorsineMouseDevice::OnStageSwitch)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"DPI_select_check_", CQuorsineMouseDevice::OnStageSelect)
ORVEL_ON_PREFIX(DUI_MSGTYPE_VALUECHANGED, L"DPI_slider_", CQuorsineMouseDevice::OnStageSlider)
ORVEL_ON_PREFIX(DUI_MSGTYPE_MOVEVALUECHANGED, L"DPI_slider_", CQuorsineMouseDevice::OnStageSliderMove)
ORVEL_ON_PREFIX(DUI_MSGTYPE_KILLFOCUS, L"DPI_edit_", CQuorsineMouseDevice::OnStageEdit)
ORVEL_ON_PREFIX(DUI_MSGTYPE_CLICK, L"DPI_color_option_", CQuorsineMouseDevice::OnStageColour)
ORVEL_ON_PREFIX(DUI_MSGTYPE_MOVEVALUECHANGED, L"zenta_DPI_slider_", CQuorsineMouseDevice::OnReferenceSliderMove)
ORVEL_ON_PREFIX(DUI_MSGTYPE_KILLFOCUS, L"zenta_DPI_edit_", CQuorsineMouseDevice::OnReferenceEdit)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"polling_rate_option_", CQuorsineMouseDevice::OnPolling)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"mouse_device_seting_option_", CQuorsineMouseDevice::OnView)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CQuorsineMouseDevice)
ORVEL_END_MESSAGE_ROUTES()

devices::MouseModel& CQuorsineMouseDevice::Mouse()
{
    return static_cast<devices::MouseModel&>(Model());
}

void CQuorsineMouseDevice::InitPage()
{
    CQuorsineUSBDevice::InitPage();
    CControlUI* pages = FindOnPage(L"mouse_device_seting_layout");
    if (pages == nullptr || m_pManager == nullptr)
        return;
    BindButtons(nullptr, false);
    for (CControlUI* panel : m_pManager->FindSubControlsByClass(pages, L"SelectPanel"))
        AddButtons(panel, false, false);
    views_ = static_cast<CTabLayoutUI*>(pages);
    for (int n = 0; n < devices::kMouseStages; ++n) {
        StageControls& c = stages_[static_cast<std::size_t>(n)];
        c.layout = FindOnPage(Numbered(L"DPI_layout_", n).c_str());
        c.enable = static_cast<COptionUI*>(FindOnPage(Numbered(L"DPI_enable_check_", n).c_str()));
        c.select = static_cast<COptionUI*>(FindOnPage(Numbered(L"DPI_select_check_", n).c_str()));
        c.slider = static_cast<CSliderUI*>(FindOnPage(Numbered(L"DPI_slider_", n).c_str()));
        c.edit = FindOnPage(Numbered(L"DPI_edit_", n).c_str());
        c.swatch = FindOnPage(Numbered(L"DPI_color_option_", n).c_str());
    }
    for (int n = 0; n < devices::kMousePollingRates; ++n)
        polling_[static_cast<std::size_t>(n)] = static_cast<COptionUI*>(FindOnPage(Numbered(L"polling_rate_option_", n).c_str()));
    pointerSpeed_ = {static_cast<CSliderUI*>(FindOnPage(L"pointer_speed_slider")), FindOnPage(L"pointer_speed_value")};
    precision_ = static_cast<COptionUI*>(FindOnPage(L"pointer_precision_check"));
    scrollLines_ = {static_cast<CSliderUI*>(FindOnPage(L"scroll_speed_slider")), FindOnPage(L"scroll_speed_value")};
    scrollPage_ = static_cast<COptionUI*>(FindOnPage(L"scrolls_page_check"));
    doubleClick_ = {static_cast<CSliderUI*>(FindOnPage(L"double_click_slider")), FindOnPage(L"double_click_value"), L" ms"};
    buttonList_ = static_cast<CListUI*>(FindOnPage(L"device_setkeyinfo_list"));
    hint_ = FindOnPage(L"device_tishi_info");
    if (auto* first = static_cast<COptionUI*>(FindOnPage(L"mouse_device_seting_option_0")))
        first->Selected(true, false);
    // The key-set panel shows once a key is picked.
    if (CControlUI* keySet = FindOnPage(L"KeySetControlItem"))
        keySet->SetVisible(false);
    ApplyProfile();
}

void CQuorsineMouseDevice::SetFunctionTab(int type)
{
    CQuorsineUSBDevice::SetFunctionTab(type);
    if (hint_ != nullptr)
        hint_->SetVisible(false);
}

void CQuorsineMouseDevice::ShowPageControls()
{
    devices::MouseCore& mouse = Mouse().Mouse();
    ShowStages();
    if (COptionUI* option = polling_[static_cast<std::size_t>(mouse.PollingRate())])
        option->Selected(true, false);
    // The pointer settings are only kept in the profile; the page shows what it keeps.
    using devices::MouseSetting;
    doubleClick_.Show(mouse.Setting(MouseSetting::DoubleClick));
    pointerSpeed_.Show(mouse.Setting(MouseSetting::PointerSpeed));
    scrollLines_.Show(mouse.Setting(MouseSetting::ScrollLines));
    if (precision_ != nullptr)
        precision_->Selected(mouse.Setting(MouseSetting::PointerPrecision) != 0, false);
    if (scrollPage_ != nullptr)
        scrollPage_->Selected(mouse.Setting(MouseSetting::ScrollPage) != 0, false);
    ShowButtonList();
}

void CQuorsineMouseDevice::ShowStages()
{
    devices::MouseCore& mouse = Mouse().Mouse();
    const devices::DpiRule& rule = mouse.Dpi();
    const devices::StageRows rows = devices::MouseStageRows(mouse.Stages(), mouse.ActiveStage(), rule);
    for (int n = 0; n < devices::kMouseStages; ++n) {
        const StageControls& c = stages_[static_cast<std::size_t>(n)];
        const devices::StageRowView& row = rows[static_cast<std::size_t>(n)];
        if (c.layout != nullptr)
            c.layout->SetEnabled(row.enabled);
        if (c.enable != nullptr) {
            c.enable->Selected(row.enabled, false);
            c.enable->SetEnabled(row.switchEnabled);
        }
        if (c.select != nullptr)
            c.select->Selected(row.current, false);
        if (c.slider != nullptr) {
            if (mouse.TablesRead()) {
                c.slider->SetMinValue(0);
                c.slider->SetMaxValue(rule.SliderMaximum());
            }
            c.slider->SetValue(row.level);
            c.slider->SetEnabled(row.enabled && row.editable);
            const wchar_t* thumb = row.current ? kCurrentThumb : kOtherThumb;
            c.slider->SetForeImage(kSliderFore);
            c.slider->SetThumbImage(thumb);
            c.slider->SetThumbHotImage(thumb);
            c.slider->SetThumbPushedImage(thumb);
        }
        if (c.edit != nullptr) {
            c.edit->SetText(std::to_wstring(row.shown).c_str());
            c.edit->SetEnabled(row.enabled && row.editable);
        }
        if (c.swatch != nullptr)
            c.swatch->SetBkColor(row.swatch);
    }
}

void CQuorsineMouseDevice::ShowButtonList()
{
    if (buttonList_ == nullptr)
        return;
    devices::MouseCore& mouse = Mouse().Mouse();
    const input::LanguageLookup lookup = [this](std::string_view key) { return LanguageText(key); };
    const std::vector<std::string> macros = mouse.MacroNames();
    buttonList_->RemoveAll();
    const auto& keys = mouse.Keys();
    for (int n = 0; n < devices::kMouseButtons && static_cast<std::size_t>(n) < keys.size(); ++n) {
        const profiles::KeyHalf& current = keys[static_cast<std::size_t>(n)].current;
        const std::wstring line = LanguageText(devices::MouseButtonNameKeys()[static_cast<std::size_t>(n)]) + L": " +
                                  input::KeyButtonText({current.type, current.b1, current.b2}, lookup, macros);
        auto* item = new CListLabelElementUI;
        item->SetText(line.c_str());
        item->SetFixedHeight(22);
        buttonList_->Add(item);
    }
}

std::array<int, devices::kMouseStages> CQuorsineMouseDevice::SliderLevels() const
{
    std::array<int, devices::kMouseStages> levels{};
    for (std::size_t n = 0; n < levels.size(); ++n)
        levels[n] = stages_[n].slider != nullptr ? stages_[n].slider->GetValue() : 0;
    return levels;
}

void CQuorsineMouseDevice::Edit(const std::function<int(devices::MouseCore&)>& edit)
{
    const devices::SequenceResult result = Mouse().Perform([&] { return edit(Mouse().Mouse()); });
    ShowStages();
    ShowResult(result);
}

void CQuorsineMouseDevice::OnStageSwitch(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages)
        return;
    const bool on = static_cast<COptionUI*>(msg.pSender)->IsSelected();
    Edit([&](devices::MouseCore& mouse) { return mouse.SetStageEnabled(n, on); });
}

void CQuorsineMouseDevice::OnStageSelect(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages || !static_cast<COptionUI*>(msg.pSender)->IsSelected())
        return;
    const auto levels = SliderLevels();
    Edit([&](devices::MouseCore& mouse) { return mouse.SelectStage(n, levels); });
}

void CQuorsineMouseDevice::OnStageSlider(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages)
        return;
    const int level = static_cast<CSliderUI*>(msg.pSender)->GetValue();
    Edit([&](devices::MouseCore& mouse) { return mouse.SetStageLevel(n, level); });
}

void CQuorsineMouseDevice::OnStageSliderMove(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages || stages_[static_cast<std::size_t>(n)].edit == nullptr)
        return;
    const int level = static_cast<CSliderUI*>(msg.pSender)->GetValue();
    const int shown = devices::ShownDpi(Mouse().Mouse().Dpi(), level);
    stages_[static_cast<std::size_t>(n)].edit->SetText(std::to_wstring(shown).c_str());
}

void CQuorsineMouseDevice::OnStageEdit(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages || !Mouse().Mouse().Dpi().Editable())
        return;
    const std::string typed = text::ToUtf8(msg.pSender->GetText().str());
    Edit([&](devices::MouseCore& mouse) { return mouse.SetStageDpi(n, typed); });
}

void CQuorsineMouseDevice::OnStageColour(TNotifyUI& msg, int n)
{
    if (n >= devices::kMouseStages || !Setup().pickColour)
        return;
    // The swatch shows the stage's colour; the picker starts there.
    const std::optional<std::uint32_t> picked = Setup().pickColour(msg.pSender->GetBkColor());
    if (!picked)
        return;
    const std::uint32_t colour = *picked;
    Edit([&](devices::MouseCore& mouse) {
        return mouse.SetStageColour(n, static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                                    static_cast<std::uint8_t>(colour));
    });
}

// The reference row's slider and edit follow each other; nothing reaches the mouse.
void CQuorsineMouseDevice::OnReferenceSliderMove(TNotifyUI& msg, int n)
{
    if (CControlUI* edit = FindOnPage(Numbered(L"zenta_DPI_edit_", n).c_str()))
        edit->SetText(std::to_wstring(static_cast<CSliderUI*>(msg.pSender)->GetValue()).c_str());
}

void CQuorsineMouseDevice::OnReferenceEdit(TNotifyUI& msg, int n)
{
    const int dpi = devices::ReferenceDpi(text::ToUtf8(msg.pSender->GetText().str()));
    msg.pSender->SetText(std::to_wstring(dpi).c_str());
    if (auto* slider = static_cast<CSliderUI*>(FindOnPage(Numbered(L"zenta_DPI_slider_", n).c_str())))
        slider->SetValue(dpi);
}

void CQuorsineMouseDevice::OnPolling(TNotifyUI& msg, int n)
{
    if (n >= devices::kMousePollingRates || !static_cast<COptionUI*>(msg.pSender)->IsSelected())
        return;
    Edit([&](devices::MouseCore& mouse) { return mouse.SetPollingRate(n); });
}

void CQuorsineMouseDevice::OnView(TNotifyUI& msg, int n)
{
    if (views_ != nullptr && static_cast<COptionUI*>(msg.pSender)->IsSelected())
        views_->SelectItem(n);
}

void CQuorsineMouseDevice::Keep(devices::MouseSetting setting, int value, int lines)
{
    for (ValueSlider* slider : {&pointerSpeed_, &scrollLines_, &doubleClick_})
        slider->ShowLabel();
    ShowResult(Mouse().Perform([&] { return Mouse().Mouse().SetSetting(setting, value, lines); }));
}

void CQuorsineMouseDevice::OnSliderMove(TNotifyUI&)
{
    for (ValueSlider* slider : {&pointerSpeed_, &scrollLines_, &doubleClick_})
        slider->ShowLabel();
}

void CQuorsineMouseDevice::OnPointerSpeed(TNotifyUI& msg)
{
    Keep(devices::MouseSetting::PointerSpeed, static_cast<CSliderUI*>(msg.pSender)->GetValue());
}

void CQuorsineMouseDevice::OnPointerPrecision(TNotifyUI& msg)
{
    Keep(devices::MouseSetting::PointerPrecision, static_cast<COptionUI*>(msg.pSender)->IsSelected());
}

void CQuorsineMouseDevice::OnScrollLines(TNotifyUI& msg)
{
    if (scrollPage_ != nullptr)
        scrollPage_->Selected(false, false);
    Keep(devices::MouseSetting::ScrollLines, static_cast<CSliderUI*>(msg.pSender)->GetValue());
}

void CQuorsineMouseDevice::OnScrollPage(TNotifyUI& msg)
{
    Keep(devices::MouseSetting::ScrollPage, static_cast<COptionUI*>(msg.pSender)->IsSelected(),
         scrollLines_.slider != nullptr ? scrollLines_.slider->GetValue() : 0);
}

void CQuorsineMouseDevice::OnDoubleClick(TNotifyUI& msg)
{
    Keep(devices::MouseSetting::DoubleClick, static_cast<CSliderUI*>(msg.pSender)->GetValue());
}

} // namespace orvel::pages
