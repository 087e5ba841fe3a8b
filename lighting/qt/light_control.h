#pragma once
// CLightControlUI: the lighting panel of every device page ("LightControlItem"): the effect,
// brightness, speed, direction, colour or colour cycle, the keyboard's sub-modes and colour sets,
// the music colours and same mode across devices. It shows the page model's lighting record and
// hands every change to the model (devices/light_panel_model.h); which groups a mode offers and
// the colour rules are in lighting/light_panel_view.h and lighting/light_panel_colours.h.

#include "devices/light_lists.h"
#include "devices/qt/page_panel.h"
#include "lighting/colour.h"
#include "lighting/light_panel_view.h"
#include "profiles/records.h"
#include "ui/UIlib.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel::pages {
class CQuorsineUSBDevice;
}

namespace orvel::lighting {

class CLightControlUI : public DuiLib::CHorizontalLayoutUI, public pages::CPagePanel {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"LightControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void BindPage(pages::CQuorsineUSBDevice& page) override;
    // The model's lists, lighting record and music colours.
    void ShowProfile() override;

    // The panel kind (1 keyboard, 2 mouse, 3 mouse pad, 7 headset; 4 and 5 are taken too).
    void SetDeviceKind(int kind) { kind_ = kind; }
    // The mode combo: the built-in modes (language keys) and then the user's effects.
    void FillModeList(const devices::LightPanelLists& lists, int maxBrightness, int maxSpeed);
    void SetLightInfo(const profiles::LightRecord& record);
    void SetSameModeAllowed(bool allowed);
    void SetAudioLightInfo(const profiles::AudioLightRecord& record);
    profiles::AudioLightRecord GetAudioLightInfo(bool takeColour) const;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()

private:
    void OnMode(DuiLib::TNotifyUI& msg);
    void OnSubMode(DuiLib::TNotifyUI& msg);
    void OnCustomGroup(DuiLib::TNotifyUI& msg);
    void OnBrightness(DuiLib::TNotifyUI& msg);
    void OnSpeed(DuiLib::TNotifyUI& msg);
    void OnColourEdit(DuiLib::TNotifyUI& msg);
    void OnPalette(DuiLib::TNotifyUI& msg);
    void OnSwatch(DuiLib::TNotifyUI& msg, int n);
    // "deng_colordp_btn": the colour picker over the main window, started at the fixed colour.
    void OnPickColour(DuiLib::TNotifyUI& msg);
    void OnSevenColour(DuiLib::TNotifyUI& msg);
    void OnDirection(DuiLib::TNotifyUI& msg);
    void OnSameMode(DuiLib::TNotifyUI& msg);
    void OnAudioMode(DuiLib::TNotifyUI& msg);
    void OnAudioSevenColour(DuiLib::TNotifyUI& msg);
    void OnAudioColourType(DuiLib::TNotifyUI& msg);
    void OnAudioPalette(DuiLib::TNotifyUI& msg);
    void OnAudioSwatch(DuiLib::TNotifyUI& msg, int n);
    void OnAudioEdit(DuiLib::TNotifyUI& msg);
    void OnNoBackground(DuiLib::TNotifyUI& msg);
    DuiLib::LRESULT OnSameModeAllowed(DuiLib::WPARAM allowed, DuiLib::LPARAM);

    DuiLib::CControlUI* Child(const wchar_t* name);
    // The record in use, and a changed one applied (and shown, with any message).
    profiles::LightRecord Current() const;
    void Apply(const profiles::LightRecord& record);
    void StoreAudio(const profiles::AudioLightRecord& record);
    void ShowGroups(int mode);
    void ShowColour(Rgb colour);
    void ShowAudioAreas();
    // An exclusive pair of options without a group: the one clicked stays selected.
    bool KeepSelected(DuiLib::TNotifyUI& msg);

    pages::CQuorsineUSBDevice* page_ = nullptr;
    int kind_ = 0;
    bool sameModeAllowed_ = false;
    devices::LightPanelLists lists_;
    profiles::AudioLightRecord audio_;

    DuiLib::CComboUI* mode_ = nullptr;
    DuiLib::CComboUI* subMode_ = nullptr;
    DuiLib::CComboUI* customGroup_ = nullptr;
    DuiLib::CSliderUI* brightness_ = nullptr;
    DuiLib::CSliderUI* speed_ = nullptr;
    std::array<DuiLib::CControlUI*, 3> edits_{};
    DuiLib::CColorPaletteUI* palette_ = nullptr;
    DuiLib::CControlUI* colourButton_ = nullptr;
    DuiLib::COptionUI* sevenColour_ = nullptr;
    DuiLib::COptionUI* directionFirst_ = nullptr;
    DuiLib::COptionUI* directionSecond_ = nullptr;
    DuiLib::CTabLayoutUI* colourTabs_ = nullptr;
    DuiLib::CComboUI* audioMode_ = nullptr;
    std::array<DuiLib::CControlUI*, 3> audioEdits_{};
    DuiLib::CColorPaletteUI* audioPalette_ = nullptr;
    DuiLib::CControlUI* audioColourButton_ = nullptr;
    DuiLib::COptionUI* audioSevenColour_ = nullptr;
    DuiLib::COptionUI* audioBackground_ = nullptr;
    DuiLib::COptionUI* audioForeground_ = nullptr;
    DuiLib::CControlUI* audioArea_ = nullptr;
    DuiLib::CControlUI* audioPaletteArea_ = nullptr;
    // The groups the mode rules name, outer containers first (enabling a container enables
    // everything in it, so the groups inside it are set after it).
    std::vector<std::pair<std::string_view, DuiLib::CControlUI*>> groups_;
};

// The control factory's entry for the "LightControl" tag.
DuiLib::CControlUI* CreateLightControl();

} // namespace orvel::lighting
