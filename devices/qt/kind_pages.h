#pragma once
// The four device pages: each binds the controls of its own layout, shows its model's profile
// in them and turns their notifications into the model's operations.

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "devices/qt/device_page.h"

#include <array>
#include <functional>

namespace orvel::devices {
class MouseModel;
class KeyboardModel;
}

namespace orvel::pages {

// The four kinds. The mouse answers the base's class string.
class CQuorsineMouseDevice : public CQuorsineUSBDevice {
public:
    void InitPage() override;
    void SetFunctionTab(int type) override;
    void ShowKeyTexts() override { ShowButtonList(); }

protected:
    void ShowPageControls() override;

private:
    struct StageControls {
        DuiLib::CControlUI* layout = nullptr;
        DuiLib::COptionUI* enable = nullptr;
        DuiLib::COptionUI* select = nullptr;
        DuiLib::CSliderUI* slider = nullptr;
        DuiLib::CControlUI* edit = nullptr;
        DuiLib::CControlUI* swatch = nullptr;
    };

    devices::MouseModel& Mouse();
    void ShowStages();
    void ShowButtonList();
    std::array<int, devices::kMouseStages> SliderLevels() const;
    // A stage or polling edit: the mouse's operation, the stages shown anew, its message.
    void Edit(const std::function<int(devices::MouseCore&)>& edit);
    // A pointer setting, kept in the profile only.
    void Keep(devices::MouseSetting setting, int value, int lines = 0);

    void OnStageSwitch(DuiLib::TNotifyUI& msg, int n);
    void OnStageSelect(DuiLib::TNotifyUI& msg, int n);
    void OnStageSlider(DuiLib::TNotifyUI& msg, int n);
    void OnStageSliderMove(DuiLib::TNotifyUI& msg, int n);
    void OnStageEdit(DuiLib::TNotifyUI& msg, int n);
    void OnStageColour(DuiLib::TNotifyUI& msg, int n);
    void OnReferenceSliderMove(DuiLib::TNotifyUI& msg, int n);
    void OnReferenceEdit(DuiLib::TNotifyUI& msg, int n);
    void OnPolling(DuiLib::TNotifyUI& msg, int n);
    void OnView(DuiLib::TNotifyUI& msg, int n);
    void OnPointerSpeed(DuiLib::TNotifyUI& msg);
    void OnPointerPrecision(DuiLib::TNotifyUI& msg);
    void OnScrollLines(DuiLib::TNotifyUI& msg);
    void OnScrollPage(DuiLib::TNotifyUI& msg);
    void OnDoubleClick(DuiLib::TNotifyUI& msg);
    void OnSliderMove(DuiLib::TNotifyUI& msg);

    std::array<StageControls, devices::kMouseStages> stages_{};
    std::array<DuiLib::COptionUI*, devices::kMousePollingRates> polling_{};
    DuiLib::CTabLayoutUI* views_ = nullptr;
    ValueSlider pointerSpeed_;
    DuiLib::COptionUI* precision_ = nullptr;
    ValueSlider scrollLines_;
    DuiLib::COptionUI* scrollPage_ = nullptr;
    ValueSlider doubleClick_;
    DuiLib::CListUI* buttonList_ = nullptr;
    DuiLib::CControlUI* hint_ = nullptr;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()
};

class CQuorsineKeyboardDevice : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineKeyboardDevice"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
    // Types 1 and 2 show the Fn key selected or not; the power display shows on tabs 1 and 2.
    void SetFunctionTab(int type) override;
    bool RouteNotify(DuiLib::TNotifyUI& msg) override;
    void ShowKeyTexts() override { ShowKeys(); }

protected:
    void ShowPageControls() override;
    std::uint32_t ShownEntry(std::uint32_t entry) const override;

private:
    devices::KeyboardModel& Keyboard();
    // Key texts, tooltips and key-set marks from the assignments.
    void ShowKeys();
    void ShowRepeatDelay(int n);
    void Option(devices::KeyboardOption option, int value);
    void OnKey(int n);

    void OnPolling(DuiLib::TNotifyUI& msg, int n);
    void OnRepeatDelay(DuiLib::TNotifyUI& msg, int n);
    void OnWinLock(DuiLib::TNotifyUI& msg);
    void OnWFlag(DuiLib::TNotifyUI& msg);
    void OnSixKey(DuiLib::TNotifyUI& msg);
    void OnRepeatRate(DuiLib::TNotifyUI& msg);
    void OnRepeatRateMove(DuiLib::TNotifyUI& msg);
    void OnResetRepeat(DuiLib::TNotifyUI& msg);

    std::array<DuiLib::COptionUI*, 4> polling_{};
    std::array<DuiLib::COptionUI*, 4> delays_{};
    DuiLib::COptionUI* winLock_ = nullptr;
    DuiLib::COptionUI* wFlag_ = nullptr;
    DuiLib::COptionUI* sixKey_ = nullptr;
    ValueSlider repeatRate_;
    DuiLib::CControlUI* delayLabel_ = nullptr;
    DuiLib::CRichEditUI* tryOut_ = nullptr;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()
};

class CQuorsineMousePadDevice : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineMousePadDevice"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
};

class CQuorsineHS6533Device : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineHS6533Device"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
};

} // namespace orvel::pages
