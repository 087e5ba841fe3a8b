#include "tools/orvelctl/device_session.h"

#include "devicelink/device_tables.h"
#include "devices/device_core.h"

#include <span>

namespace orvel::ctl {

std::string LinkStatusText(int status)
{
    switch (status) {
    case kLinkOk:
        return "ok";
    case kLinkNoAnswer:
        return "no answer";
    case kLinkWriteFailed:
        return "could not send to the device";
    case kLinkUnreachable:
        return "not reachable";
    case kLinkRejected:
    case kLinkBadArgument:
        return "refused by the device";
    case kLinkInvalidArgument:
        return "invalid argument";
    case devices::kProfileNotSaved:
        return "the profile could not be saved";
    case devices::kProfileNotLoaded:
        return "its identifier names no profile document, so none was read or written";
    default:
        return "link error " + std::to_string(status);
    }
}

PowerStatus DecodePower(const std::array<std::uint8_t, 6>& report, bool viaReceiver)
{
    PowerStatus status;
    status.batteryPercent = report[0];
    status.chargeState = report[1];
    status.viaReceiver = viaReceiver;
    status.phone = report[5];
    return status;
}

std::string ChargeStateText(int chargeState)
{
    switch (chargeState) {
    case 0:
        return "powered";
    case 1:
        return "charging";
    case 2:
        return "charged";
    default:
        return "on battery";
    }
}

DeviceSession::DeviceSession(const FoundDevice& device) : device_(device) {}

DeviceSession::~DeviceSession()
{
    link_.linkOpen = 0;
    link_.primaryHid->Close();
    link_.dongleHid->Close();
}

int DeviceSession::Open()
{
    const bool viaReceiver = device_.ViaReceiver();
    IHidPort& port = viaReceiver ? *link_.dongleHid : *link_.primaryHid;
    if (port.Open(device_.CommandPath(), true, true, true, false) != 1)
        return kLinkWriteFailed;
    // As the window's attach: only a keyboard or a mouse, which has a receiver, sets the link's
    // mode; the link of a mouse pad or a headset keeps its 24 bytes per frame.
    const int kind = KindNumber(device_.name.kindRow);
    if (kind == kKindMouse || kind == kKindKeyboard)
        link_.SetLinkMode(viaReceiver ? 2 : 1);
    link_.linkOpen = 1;
    return kLinkOk;
}

bool DeviceSession::Reachable()
{
    return link_.linkOpen != 0 && link_.QueryWirelessLink();
}

int DeviceSession::ReadPower(PowerStatus& status)
{
    std::array<std::uint8_t, 6> report{};
    const int result = link_.ReadSmall(std::span<std::uint8_t>(report), 0);
    if (result == kLinkOk)
        status = DecodePower(report, device_.ViaReceiver());
    return result;
}

} // namespace orvel::ctl
