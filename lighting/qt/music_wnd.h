#pragma once
// MusicWnd: the music settings window ("music.xml"). It edits a copy of the four colour styles
// and closes with 1 (confirm) or 0 (its close button, Escape or the system's close).

#include "lighting/audio_styles.h"
#include "ui/UIlib.h"

#include <array>

namespace orvel::lighting {

class MusicWnd : public DuiLib::WindowImplBase {
public:
    static constexpr int kWidth = 369;
    static constexpr int kHeight = 276;

    // dpi: the main window's; one the toolkit does not take is logged and 96 is used.
    MusicWnd(const AudioStyleSettings& settings, int dpi);
    const AudioStyleSettings& Settings() const { return settings_; }

    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"music.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"MusicWnd"; }
    DuiLib::LRESULT OnSysCommand(DuiLib::UINT uMsg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                 DuiLib::BOOL& bHandled) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT uMsg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        DuiLib::BOOL& bHandled) override;

private:
    void OnWindowInit(DuiLib::TNotifyUI& msg);
    void OnTab(DuiLib::TNotifyUI& msg);
    void OnSlider(DuiLib::TNotifyUI& msg);
    void OnNameLeft(DuiLib::TNotifyUI& msg);
    void OnOk(DuiLib::TNotifyUI&) { Close(1); }
    void OnCancel(DuiLib::TNotifyUI&) { Close(0); }
    void ShowLevels();

    AudioStyleSettings settings_;
    int dpi_;
    std::array<DuiLib::COptionUI*, kAudioStyles> tabs_{};
    std::array<DuiLib::CSliderUI*, 3> sliders_{};
    std::array<DuiLib::CControlUI*, kAudioStyles> names_{};
};

} // namespace orvel::lighting
