#pragma once
// CMpDevicePowerUI: the power display of one device page: the link through the receiver, the
// battery, and on the mouse pad the phone lying on it. It shows what the device's power report
// decodes to (devices/power_report.h).

#include "ui/UIlib.h"

#include <cstdint>
#include <span>

namespace orvel::pages {

class CMpDevicePowerUI : public DuiLib::CHorizontalLayoutUI {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"MpDevicePower"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    // The device's kind number and whether it is wireless-capable (which shows the battery).
    void SetDevice(int kind, bool wirelessCapable);
    // A power report (6 bytes; shorter reads as zeros).
    void ShowPower(std::span<const std::uint8_t> report);

private:
    DuiLib::CControlUI* Child(const wchar_t* name);
    int kind_ = 0;
    bool wirelessCapable_ = false;
};

} // namespace orvel::pages
