#include "devices/mousepad_device.h"

#include "devicelink/command_sequence.h"

namespace orvel::devices {

CMousePadCore::CMousePadCore(CDeviceLink& link, DeviceFolders folders)
    : CRingDeviceCore(kKind, link, std::move(folders), std::make_unique<profiles::CBasicProfiledata>())
{
}

int CMousePadCore::LoadFromDevice()
{
    int status = kLinkNoAnswer;
    if (LinkOpen()) {
        CCommandSequence sequence(Link());
        sequence.Begin();
        sequence.Run([&](CDeviceLink& l) { return l.ReadDeviceInfo(info_); });
        status = sequence.End();
    }
    const int read = ReadSettingsBlock().status;
    const int loaded = LoadProfile();
    ApplyProfile();
    if (status != kLinkOk)
        return status;
    return read != kLinkOk ? read : loaded;
}

} // namespace orvel::devices
