#include "devices/power_report.h"

#include <algorithm>
#include <array>

namespace orvel::devices {

namespace {

bool IsMouseOrKeyboard(int kind)
{
    return kind == 1 || kind == 2 || kind == 6 || kind == 9;
}

struct Phone {
    const char* text;
    const char* image;
};

Phone PhoneOf(std::uint8_t type)
{
    switch (type) {
    case 1:
        return {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"};
    case 2:
        return {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"};
    case 3:
        return {"Phone_type_other", "file='power/Phone_type_other.png'"};
    default:
        return {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"};
    }
}

} // namespace

PowerView DecodePowerReport(std::span<const std::uint8_t> report, int kind, bool wirelessCapable)
{
    std::array<std::uint8_t, 64> bytes{};
    std::copy_n(report.begin(), std::min(report.size(), bytes.size()), bytes.begin());

    PowerView view;
    view.powerLayoutVisible = wirelessCapable;
    const int percent = std::clamp<int>(bytes[0], 0, 100);
    view.valueText = std::to_string(percent) + "%";
    view.progressValue = 100 - percent;
    const bool viaReceiver = bytes[3] != 0;
    if (IsMouseOrKeyboard(kind)) {
        view.receiverLogo = viaReceiver;
    }
    switch (bytes[1]) {
    case 0:
        view.progressVisible = false;
        view.statusImage = "file='power/powered.png'";
        break;
    case 1:
        view.progressVisible = false;
        view.statusImage = viaReceiver ? "file='power/wuxian_powering.png'" : "file='power/powering.png'";
        break;
    case 2:
        view.progressVisible = false;
        view.statusImage = "file='power/power.png'";
        break;
    default:
        view.progressVisible = true;
        break;
    }
    if (kind == 3) {
        const Phone phone = PhoneOf(bytes[5]);
        view.phoneText = phone.text;
        view.phoneImage = phone.image;
    }
    return view;
}

} // namespace orvel::devices
