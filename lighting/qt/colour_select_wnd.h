#pragma once
// CColorSelectWnd: the colour picker ("PalletDialog.xml"), a modal dialog of the main window,
// over the picker's rules (lighting/colour_picker.h). It closes with 1 (confirm), 0 (its cancel
// buttons, Escape, the system's close) or 2 (confirm without a palette: the owner cancels).
//
// Owners open it with PickColour, one dialog at a time in the whole program:
//
//   if (auto choice = lighting::PickColour(ownerWindow, current, {.dpi = dpi}))
//       apply(choice->colour);                       // 0xAARRGGBB
//
// The lighting panel offers the seven colours too ({.sevenColour = on, .offerSevenColour = true})
// and takes choice->sevenColour; the mouse page leaves them hidden.

#include "lighting/colour_picker.h"
#include "ui/UIlib.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace orvel::lighting {

struct PickOptions {
    int dpi = 96;               // the owner's; one the toolkit does not take gives 96
    bool sevenColour = false;   // the seven-colour choice as the owner has it
    bool offerSevenColour = false; // show "7color" (its layout hidden otherwise)
};

struct PickedColour {
    uint32_t colour = 0; // 0xAARRGGBB
    bool sevenColour = false;
};

// Runs the dialog modally over owner, starting with colour; the choice when the user
// confirmed, nothing when cancelled or when a colour picker is open already.
std::optional<PickedColour> PickColour(HWND owner, uint32_t colour, const PickOptions& options = {});
// Whether a picker is open now, and closing it as a cancel (the owner's windows close).
bool ColourPickerOpen();
void CloseColourPicker();

class CColorSelectWnd : public DuiLib::WindowImplBase {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;

    CColorSelectWnd();
    ~CColorSelectWnd() override;

    // The owner's steps before the dialog runs (and after it, GetColour).
    void SetDpi(int dpi);
    void SetColour(uint32_t colour);
    void SetSevenColour(bool on);
    void ShowSevenColour(bool show);
    uint32_t GetColour() const;
    bool GetSevenColour() const;

    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"PalletDialog.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"ColorSelectWnd"; }
    DuiLib::LRESULT OnSysCommand(DuiLib::UINT uMsg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                 DuiLib::BOOL& bHandled) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT uMsg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        DuiLib::BOOL& bHandled) override;

private:
    void OnWindowInit(DuiLib::TNotifyUI& msg);
    void OnCancel(DuiLib::TNotifyUI&) { Close(0); }
    void OnOk(DuiLib::TNotifyUI& msg);
    void OnSystemButton(DuiLib::TNotifyUI& msg);
    void OnSwatch(DuiLib::TNotifyUI& msg);
    void OnSevenColour(DuiLib::TNotifyUI& msg);
    void OnEditLeft(DuiLib::TNotifyUI& msg);
    void OnPalette(DuiLib::TNotifyUI& msg);
    // Shows the picker's view on the controls.
    void Show();

    std::unique_ptr<ColourPicker> picker_;
    // What the owner set before the layout existed.
    uint32_t startColour_ = 0xFFFFFFFF;
    bool startSeven_ = false;
    bool offerSeven_ = true;
    int dpi_ = 96;

    DuiLib::CColorPaletteUI* palette_ = nullptr;
    DuiLib::CControlUI* preview_ = nullptr;
    std::array<DuiLib::CControlUI*, 3> edits_{};
    DuiLib::CCheckBoxUI* seven_ = nullptr;
    DuiLib::CControlUI* sevenLayout_ = nullptr;
    std::array<DuiLib::COptionUI*, kPickerSwatches> collected_{};
    // How the layout draws an empty collected swatch (its white stands for "empty" in the file,
    // and would look like a white colour the user collected).
    std::array<uint32_t, kPickerSwatches> emptyLook_{};
};

} // namespace orvel::lighting
