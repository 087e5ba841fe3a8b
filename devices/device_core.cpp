#include "devices/device_core.h"

#include "devicelink/command_frame.h"
#include "profiles/profilefiles.h"

namespace orvel::devices {

std::filesystem::path DeviceFolders::Profile(const std::string& identifier) const
{
    return profiles::ProfileDocumentPath(profileFolder, identifier);
}

void SequenceResult::Take(int linkStatus)
{
    if (linkStatus == kLinkOk || status != kLinkOk) {
        return;
    }
    status = linkStatus;
    messages.push_back({kDeviceNotUpdatedMessage});
}

DeviceCore::DeviceCore(int kind, CDeviceLink& link, DeviceFolders folders)
    : kind_(kind), listKind_(kind), link_(link), folders_(std::move(folders)), modes_(ModeList::Load(folders_.defaultData, kind))
{
}

bool DeviceCore::Reachable()
{
    if (!LinkOpen()) {
        return false;
    }
    return !ViaReceiver() || link_.QueryWirelessLink();
}

bool DeviceCore::IsWirelessLinkUp()
{
    return !ViaReceiver() || (LinkOpen() && link_.QueryWirelessLink());
}

void DeviceCore::SetWindowHidden(bool hidden)
{
    if (wirelessCapable_) {
        windowHidden_ = hidden;
    }
}

int DeviceCore::SetLightOwnership(bool on)
{
    hostLightControl_ = on;
    if (on && Family() == DeviceFamily::Keyboard) {
        return link_.SetHostLightControl();
    }
    return kLinkOk;
}

PowerResult DeviceCore::QueryPower()
{
    PowerResult result;
    if (windowHidden_ || !Reachable()) {
        return result;
    }
    std::array<std::uint8_t, 6> report{};
    result.status = link_.ReadSmall(report, 0);
    if (result.status == kLinkOk) {
        report[3] = ViaReceiver() ? 1 : 0;
        result.report = report;
    }
    return result;
}

SequenceResult DeviceCore::ApplyLight(const profiles::LightRecord&)
{
    return {kLinkNoAnswer, {}};
}

NotifyEffect DeviceCore::ApplyNotification(const NotifyMeaning& meaning)
{
    NotifyEffect effect;
    if (meaning.action == NotifyAction::Resync) {
        effect.resyncAfterMs = meaning.resyncDelayMs;
    }
    return effect;
}

void DeviceCore::LoadProfileDocument(profiles::CBasicProfiledata& data, ProfileSource source)
{
    data.SetProfilePath(folders_.Profile(profileIdentifier_));
    data.SetDefaultProfilePath(folders_.DefaultProfile());
    data.SetLightConfigPath(folders_.LightConfig());
    data.SetBuiltInLightCount(modes_.Size());
    data.SetLightListIndex(listKind_);
    data.Load(source == ProfileSource::Default ? folders_.DefaultProfile() : data.GetProfilePath());
}

} // namespace orvel::devices
