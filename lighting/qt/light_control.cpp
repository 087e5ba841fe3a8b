// Layouts: XML\CustomControlXML\LightControl.xml

#include "lighting/qt/light_control.h"

#include "devices/kind_models.h"
#include "devices/light_panel_model.h"
#include "devices/qt/device_page.h"
#include "devices/qt/panel_child.h"
#include "devices/same_mode_group.h"
#include "lighting/light_panel_colours.h"
#include "lighting/qt/colour_select_wnd.h"
#include "platform/text.h"

#include <algorithm>

namespace orvel::lighting {

using namespace DuiLib;

namespace {

constexpr int kMaxLevel = 4;
constexpr int kModeItemHeight = 30;

// The group names the mode rules use, in no particular order.
constexpr std::string_view kGroupNames[] = {kEffectGroup,     kSevenColourOption, kColourGroup,  kPaletteGroup,
                                            kBrightnessGroup, kSpeedGroup,        kDirectionGroup, kSameModeButton,
                                            kCustomGroup,     kSubModeGroup,      kColourArea,   kAudioModeGroup};

template <typename T>
T* As(CControlUI* control, LPCTSTR interfaceName)
{
    return control != nullptr ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

int Depth(const CControlUI* control, const CControlUI* root)
{
    int depth = 0;
    for (const CControlUI* c = control; c != nullptr && c != root; c = c->GetParent())
        ++depth;
    return depth;
}

void SelectOption(COptionUI* option, bool selected)
{
    if (option != nullptr && option->IsSelected() != selected)
        option->Selected(selected, false);
}

void SelectComboItem(CComboUI* combo, int index)
{
    if (combo == nullptr)
        return;
    combo->SelectItem(index >= 0 && index < combo->GetCount() ? index : -1, false, false);
}

// Which of three edits sent a notification: 0, 1 or 2, or -1.
int EditIndex(const std::array<CControlUI*, 3>& edits, const CControlUI* sender)
{
    const auto it = std::find(edits.begin(), edits.end(), sender);
    return it == edits.end() || sender == nullptr ? -1 : static_cast<int>(it - edits.begin());
}

void ShowComponents(const std::array<CControlUI*, 3>& edits, Rgb colour)
{
    const uint8_t components[] = {colour.r, colour.g, colour.b};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (edits[i] != nullptr)
            edits[i]->SetText(std::to_wstring(components[i]).c_str());
    }
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CLightControlUI, CNotifyPump)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"light_combo_modeSelect", CLightControlUI::OnMode)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"light_combo_ZZCCmodeSelect", CLightControlUI::OnSubMode)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"light_combo_custommodeSelect", CLightControlUI::OnCustomGroup)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"deng_light_slider", CLightControlUI::OnBrightness)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"deng_speed_slider", CLightControlUI::OnSpeed)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_edit_R", CLightControlUI::OnColourEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_edit_G", CLightControlUI::OnColourEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_edit_B", CLightControlUI::OnColourEdit)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_COLORCHANGED, L"deng_Color_Pallet", CLightControlUI::OnPalette)
DUI_ON_CLICK_CTRNAME(L"deng_colordp_btn", CLightControlUI::OnPickColour)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_7color_check", CLightControlUI::OnSevenColour)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_FXL_check", CLightControlUI::OnDirection)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_FXR_check", CLightControlUI::OnDirection)
DUI_ON_CLICK_CTRNAME(L"deng_same_mode", CLightControlUI::OnSameMode)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"light_combo_audiomodeSelect", CLightControlUI::OnAudioMode)
DUI_ON_SELECTCHANGED_CTRNAME(L"deng_7audiocolor_check", CLightControlUI::OnAudioSevenColour)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_BkColor_check", CLightControlUI::OnAudioColourType)
DUI_ON_SELECTCHANGED_CTRNAME(L"audio_FgColor_check", CLightControlUI::OnAudioColourType)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_COLORCHANGED, L"deng_audioColor_Pallet", CLightControlUI::OnAudioPalette)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_audioedit_R", CLightControlUI::OnAudioEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_audioedit_G", CLightControlUI::OnAudioEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"deng_audioedit_B", CLightControlUI::OnAudioEdit)
DUI_ON_CLICK_CTRNAME(L"Close_bkColor_btn", CLightControlUI::OnNoBackground)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CLightControlUI)
ORVEL_ON_PREFIX(DUI_MSGTYPE_CLICK, L"color_option_", CLightControlUI::OnSwatch)
ORVEL_ON_PREFIX(DUI_MSGTYPE_CLICK, L"audiocolor_option_", CLightControlUI::OnAudioSwatch)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CLightControlUI)
ORVEL_ON_MESSAGE(pages::WM_SAME_MODE_ALLOWED, CLightControlUI::OnSameModeAllowed)
ORVEL_END_MESSAGE_ROUTES()

CControlUI* CreateLightControl()
{
    return new CLightControlUI;
}

LPVOID CLightControlUI::GetInterface(LPCTSTR pstrName)
{
    const CDuiString name(pstrName);
    if (name == L"LightControl")
        return this;
    if (name == pages::kPagePanelInterface)
        return static_cast<pages::CPagePanel*>(this);
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CControlUI* CLightControlUI::Child(const wchar_t* name)
{
    return pages::PanelChild(*this, name, "light panel");
}

void CLightControlUI::BindPage(pages::CQuorsineUSBDevice& page)
{
    page_ = &page;
    mode_ = As<CComboUI>(Child(L"light_combo_modeSelect"), DUI_CTR_COMBO);
    subMode_ = As<CComboUI>(Child(L"light_combo_ZZCCmodeSelect"), DUI_CTR_COMBO);
    customGroup_ = As<CComboUI>(Child(L"light_combo_custommodeSelect"), DUI_CTR_COMBO);
    brightness_ = As<CSliderUI>(Child(L"deng_light_slider"), DUI_CTR_SLIDER);
    speed_ = As<CSliderUI>(Child(L"deng_speed_slider"), DUI_CTR_SLIDER);
    edits_ = {Child(L"deng_edit_R"), Child(L"deng_edit_G"), Child(L"deng_edit_B")};
    palette_ = As<CColorPaletteUI>(Child(L"deng_Color_Pallet"), DUI_CTR_COLORPALETTE);
    colourButton_ = Child(L"deng_colordp_btn");
    sevenColour_ = As<COptionUI>(Child(L"deng_7color_check"), DUI_CTR_OPTION);
    directionFirst_ = As<COptionUI>(Child(L"deng_FXL_check"), DUI_CTR_OPTION);
    directionSecond_ = As<COptionUI>(Child(L"deng_FXR_check"), DUI_CTR_OPTION);
    colourTabs_ = As<CTabLayoutUI>(Child(L"light_color_tablayout"), DUI_CTR_TABLAYOUT);
    audioMode_ = As<CComboUI>(Child(L"light_combo_audiomodeSelect"), DUI_CTR_COMBO);
    audioEdits_ = {Child(L"deng_audioedit_R"), Child(L"deng_audioedit_G"), Child(L"deng_audioedit_B")};
    audioPalette_ = As<CColorPaletteUI>(Child(L"deng_audioColor_Pallet"), DUI_CTR_COLORPALETTE);
    audioColourButton_ = Child(L"deng_audiocolordp_btn");
    audioSevenColour_ = As<COptionUI>(Child(L"deng_7audiocolor_check"), DUI_CTR_OPTION);
    audioBackground_ = As<COptionUI>(Child(L"audio_BkColor_check"), DUI_CTR_OPTION);
    audioForeground_ = As<COptionUI>(Child(L"audio_FgColor_check"), DUI_CTR_OPTION);
    audioArea_ = Child(L"light_audiocolor_layout");
    audioPaletteArea_ = Child(L"audiocolorpallet_layout");

    groups_.clear();
    for (std::string_view group : kGroupNames) {
        if (CControlUI* control = Child(text::FromUtf8(group).c_str()))
            groups_.emplace_back(group, control);
    }
    std::stable_sort(groups_.begin(), groups_.end(),
                     [this](const auto& a, const auto& b) { return Depth(a.second, this) < Depth(b.second, this); });

    SetDeviceKind(page.Model().KindRowData().kind);
    if (page.Setup().sameMode != nullptr)
        sameModeAllowed_ = page.Setup().sameMode->Allowed();
    ShowProfile();
}

void CLightControlUI::ShowProfile()
{
    if (page_ == nullptr)
        return;
    devices::LightPanelLists lists = devices::LoadModelLightLists(page_->Model(), lists_);
    const bool changed = mode_ == nullptr || mode_->GetCount() == 0 || lists.userEffects != lists_.userEffects ||
                         lists.modes.Size() != lists_.modes.Size();
    lists_ = std::move(lists);
    if (changed)
        FillModeList(lists_, kMaxLevel, kMaxLevel);
    SetLightInfo(Current());
    if (const auto stored = devices::StoredAudioLight(page_->Model()))
        audio_ = *stored;
    SetAudioLightInfo(audio_);
}

void CLightControlUI::FillModeList(const devices::LightPanelLists& lists, int maxBrightness, int maxSpeed)
{
    if (mode_ != nullptr) {
        mode_->RemoveAll();
        auto add = [this](const std::string& name, bool visible, bool resourceText) {
            auto* item = new CListLabelElementUI;
            const std::wstring text = text::FromUtf8(name);
            item->SetResourceText(resourceText);
            item->SetText(text.c_str());
            item->SetUserData(text.c_str());
            item->SetFixedHeight(kModeItemHeight);
            item->SetVisible(visible);
            mode_->Add(item);
        };
        for (const devices::ModeEntry& entry : lists.modes.Entries())
            add(entry.name, entry.visible, true);
        for (const std::string& name : lists.userEffects)
            add(name, true, false);
    }
    if (brightness_ != nullptr)
        brightness_->SetMaxValue(maxBrightness);
    if (speed_ != nullptr)
        speed_->SetMaxValue(maxSpeed);
}

profiles::LightRecord CLightControlUI::Current() const
{
    return page_ != nullptr ? page_->Model().Core().CurrentLight() : profiles::LightRecord{};
}

void CLightControlUI::SetLightInfo(const profiles::LightRecord& r)
{
    SelectComboItem(mode_, r.selectItem);
    if (brightness_ != nullptr)
        brightness_->SetValue(r.light);
    if (speed_ != nullptr)
        speed_->SetValue(r.speed);
    const Rgb colour = FixedColour(r);
    ShowComponents(edits_, colour);
    ShowColour(colour);
    SelectOption(sevenColour_, r.multiColor != 0);
    SelectComboItem(subMode_, r.zzccLedMode);
    SelectComboItem(customGroup_, r.customGroup);
    SelectOption(directionFirst_, r.fx == 1);
    SelectOption(directionSecond_, r.fx != 1);
    ShowGroups(r.selectItem);
}

void CLightControlUI::ShowColour(Rgb colour)
{
    if (palette_ != nullptr)
        palette_->SetSelectColor(ToArgb(colour));
    if (colourButton_ != nullptr)
        colourButton_->SetBkColor(ToArgb(colour));
}

void CLightControlUI::ShowGroups(int mode)
{
    const LightPanelView view = LightPanelViewFor(kind_, mode, sameModeAllowed_);
    for (const auto& [name, control] : groups_) {
        const GroupState* state = view.Find(name);
        if (state == nullptr)
            continue;
        if (state->enabled)
            control->SetEnabled(*state->enabled);
        if (state->visible)
            control->SetVisible(*state->visible);
    }
    if (view.directionTexts) {
        COptionUI* options[] = {directionFirst_, directionSecond_};
        for (std::size_t i = 0; i < 2; ++i) {
            if (options[i] != nullptr)
                options[i]->SetText(text::FromUtf8((*view.directionTexts)[i]).c_str());
        }
    }
    if (view.colourPage && colourTabs_ != nullptr && colourTabs_->GetCurSel() != *view.colourPage)
        colourTabs_->SelectItem(*view.colourPage);
    // The music colour areas follow the music style inside the colour area just set.
    ShowAudioAreas();
}

void CLightControlUI::SetSameModeAllowed(bool allowed)
{
    sameModeAllowed_ = allowed;
    ShowGroups(mode_ != nullptr ? mode_->GetCurSel() : Current().selectItem);
}

LRESULT CLightControlUI::OnSameModeAllowed(WPARAM allowed, LPARAM)
{
    SetSameModeAllowed(allowed != 0);
    // Every page hears it; the others' panels must see it too.
    return 0;
}

void CLightControlUI::Apply(const profiles::LightRecord& record)
{
    if (page_ == nullptr)
        return;
    const devices::SequenceResult result = page_->Model().ChangeLighting(record);
    SetLightInfo(Current());
    page_->ShowResult(result);
}

void CLightControlUI::OnMode(TNotifyUI&)
{
    if (mode_ == nullptr || mode_->GetCurSel() < 0)
        return;
    profiles::LightRecord record = Current();
    record.selectItem = static_cast<uint8_t>(mode_->GetCurSel());
    Apply(record);
}

void CLightControlUI::OnSubMode(TNotifyUI&)
{
    if (subMode_ == nullptr || subMode_->GetCurSel() < 0 || kind_ != 1)
        return;
    profiles::LightRecord record = Current();
    record.zzccLedMode = static_cast<uint8_t>(subMode_->GetCurSel());
    Apply(record);
}

void CLightControlUI::OnCustomGroup(TNotifyUI&)
{
    auto* keyboard = page_ != nullptr ? dynamic_cast<devices::KeyboardModel*>(&page_->Model()) : nullptr;
    if (customGroup_ == nullptr || customGroup_->GetCurSel() < 0 || keyboard == nullptr)
        return;
    const devices::SequenceResult result = keyboard->SetCustomGroup(customGroup_->GetCurSel());
    SetLightInfo(Current());
    page_->ShowResult(result);
}

void CLightControlUI::OnBrightness(TNotifyUI& msg)
{
    const auto* slider = As<CSliderUI>(msg.pSender, DUI_CTR_SLIDER);
    profiles::LightRecord record = Current();
    if (slider == nullptr || slider->GetValue() == record.light)
        return;
    record.light = static_cast<uint8_t>(std::clamp(slider->GetValue(), 0, kMaxLevel));
    Apply(record);
}

void CLightControlUI::OnSpeed(TNotifyUI& msg)
{
    const auto* slider = As<CSliderUI>(msg.pSender, DUI_CTR_SLIDER);
    profiles::LightRecord record = Current();
    if (slider == nullptr || slider->GetValue() == record.speed)
        return;
    record.speed = static_cast<uint8_t>(std::clamp(slider->GetValue(), 0, kMaxLevel));
    Apply(record);
}

void CLightControlUI::OnColourEdit(TNotifyUI& msg)
{
    const int index = EditIndex(edits_, msg.pSender);
    if (index < 0)
        return;
    const TypedComponent typed = ReadTypedComponent(msg.pSender->GetText().str());
    msg.pSender->SetText(typed.text.c_str());
    const profiles::LightRecord current = Current();
    const profiles::LightRecord record = WithComponent(current, index, typed.value);
    SelectOption(sevenColour_, false);
    ShowColour(FixedColour(record));
    if (!(record == current))
        Apply(record);
}

void CLightControlUI::OnPalette(TNotifyUI& msg)
{
    Apply(WithFixedColour(Current(), FromArgb(static_cast<uint32_t>(msg.wParam))));
}

void CLightControlUI::OnSwatch(TNotifyUI& msg, int)
{
    Apply(WithFixedColour(Current(), FromArgb(msg.pSender->GetBkColor())));
}

void CLightControlUI::OnPickColour(TNotifyUI&)
{
    if (page_ == nullptr || m_pManager == nullptr)
        return;
    const profiles::LightRecord current = Current();
    // The picker offers the colour cycle only where the mode has one.
    const bool offerSeven = sevenColour_ != nullptr && sevenColour_->IsEnabled() && sevenColour_->IsVisible();
    const std::optional<PickedColour> picked =
        PickColour(page_->Setup().ownerWindow, ToArgb(FixedColour(current)),
                   {.dpi = m_pManager->GetDPI(), .sevenColour = current.multiColor != 0, .offerSevenColour = offerSeven});
    if (!picked)
        return;
    profiles::LightRecord record = WithFixedColour(current, FromArgb(picked->colour));
    record.multiColor = offerSeven && picked->sevenColour ? 1 : 0;
    if (!(record == current))
        Apply(record);
}

void CLightControlUI::OnSevenColour(TNotifyUI&)
{
    profiles::LightRecord record = Current();
    record.multiColor = sevenColour_ != nullptr && sevenColour_->IsSelected() ? 1 : 0;
    Apply(record);
}

bool CLightControlUI::KeepSelected(TNotifyUI& msg)
{
    auto* option = As<COptionUI>(msg.pSender, DUI_CTR_OPTION);
    if (option == nullptr || option->IsSelected())
        return false;
    option->Selected(true, false);
    return true;
}

void CLightControlUI::OnDirection(TNotifyUI& msg)
{
    if (KeepSelected(msg))
        return;
    profiles::LightRecord record = Current();
    record.fx = msg.pSender == directionFirst_ ? 1 : 0;
    Apply(record);
}

void CLightControlUI::OnSameMode(TNotifyUI&)
{
    if (page_ == nullptr || page_->Setup().sameMode == nullptr)
        return;
    const devices::SameModeResult result = page_->Setup().sameMode->Apply(page_->Model());
    page_->ShowResult(result.writes);
}

void CLightControlUI::SetAudioLightInfo(const profiles::AudioLightRecord& record)
{
    audio_ = record;
    SelectComboItem(audioMode_, record.audioMode);
    const AudioColourView view = AudioColourViewOf(record);
    ShowComponents(audioEdits_, view.colour);
    if (audioPalette_ != nullptr)
        audioPalette_->SetSelectColor(ToArgb(view.colour));
    if (audioColourButton_ != nullptr)
        audioColourButton_->SetBkColor(ToArgb(view.colour));
    SelectOption(audioForeground_, view.foreground);
    SelectOption(audioBackground_, !view.foreground);
    if (view.sevenColourEnabled)
        SelectOption(audioSevenColour_, view.sevenColour);
    ShowAudioAreas();
}

void CLightControlUI::ShowAudioAreas()
{
    const AudioColourView view = AudioColourViewOf(audio_);
    for (CControlUI* area : {audioArea_, audioPaletteArea_}) {
        if (area != nullptr)
            area->SetEnabled(view.areasEnabled);
    }
    if (audioSevenColour_ != nullptr)
        audioSevenColour_->SetEnabled(view.areasEnabled && view.sevenColourEnabled);
}

profiles::AudioLightRecord CLightControlUI::GetAudioLightInfo(bool takeColour) const
{
    AudioPanelState state;
    state.audioMode = audioMode_ != nullptr ? audioMode_->GetCurSel() : -1;
    state.sevenColour = audioSevenColour_ != nullptr && audioSevenColour_->IsSelected();
    state.backgroundSelected = audioBackground_ != nullptr && audioBackground_->IsSelected();
    state.foregroundSelected = audioForeground_ != nullptr && audioForeground_->IsSelected();
    if (audioColourButton_ != nullptr)
        state.shownColour = FromArgb(audioColourButton_->GetBkColor());
    else
        takeColour = false;
    return ReadAudioPanel(audio_, state, takeColour);
}

void CLightControlUI::StoreAudio(const profiles::AudioLightRecord& record)
{
    SetAudioLightInfo(record);
    // Only the keyboard has music lighting; the other kinds' panels keep the colours shown.
    if (auto* keyboard = page_ != nullptr ? dynamic_cast<devices::KeyboardModel*>(&page_->Model()) : nullptr)
        page_->ShowResult(keyboard->SetAudioLight(record));
}

void CLightControlUI::OnAudioMode(TNotifyUI&)
{
    StoreAudio(GetAudioLightInfo(true));
}

void CLightControlUI::OnAudioSevenColour(TNotifyUI&)
{
    StoreAudio(GetAudioLightInfo(true));
}

void CLightControlUI::OnAudioColourType(TNotifyUI& msg)
{
    if (KeepSelected(msg))
        return;
    StoreAudio(GetAudioLightInfo(false));
}

void CLightControlUI::OnAudioPalette(TNotifyUI& msg)
{
    StoreAudio(WithAudioColour(audio_, FromArgb(static_cast<uint32_t>(msg.wParam))));
}

void CLightControlUI::OnAudioSwatch(TNotifyUI& msg, int)
{
    StoreAudio(WithAudioColour(audio_, FromArgb(msg.pSender->GetBkColor())));
}

void CLightControlUI::OnAudioEdit(TNotifyUI& msg)
{
    const int index = EditIndex(audioEdits_, msg.pSender);
    if (index < 0)
        return;
    const TypedComponent typed = ReadTypedComponent(msg.pSender->GetText().str());
    msg.pSender->SetText(typed.text.c_str());
    const profiles::AudioLightRecord record = WithAudioComponent(audio_, index, typed.value);
    if (!(record == audio_))
        StoreAudio(record);
}

void CLightControlUI::OnNoBackground(TNotifyUI&)
{
    StoreAudio(WithoutBackground(audio_));
}

} // namespace orvel::lighting
