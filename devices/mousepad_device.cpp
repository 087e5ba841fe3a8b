#include "devices/mousepad_device.h"

#include "devicelink/command_sequence.h"

namespace orvel::devices {

CMousePadCore::CMousePadCore(CDeviceLink& link, RingDeviceSetup setup)
    : CRingDeviceCore(link, WithKind(std::move(setup), kKind), std::make_unique<profiles::CBasicProfiledata>())
{
}

int CMousePadCore::LoadFromDevice()
{
    int status = kLinkNoAnswer;
    if (link_.linkOpen != 0) {
        CCommandSequence sequence(link_);
        sequence.Begin();
        sequence.Run([&](CDeviceLink& l) { return l.ReadDeviceInfo(deviceInfo_); });
        status = sequence.End();
    }
    LoadProfile();
    ApplyProfile();
    return status;
}

} // namespace orvel::devices
