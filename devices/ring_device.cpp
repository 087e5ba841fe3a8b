#include "devices/ring_device.h"

namespace orvel::devices {

CRingDeviceCore::CRingDeviceCore(int kind, CDeviceLink& link, DeviceFolders folders,
                                 std::unique_ptr<profiles::CBasicProfiledata> profile)
    : DeviceCore(kind, link, std::move(folders)), profile_(std::move(profile))
{
}

int CRingDeviceCore::LoadProfile()
{
    if (Folders().Profile(ProfileIdentifier()).empty())
        return 0;
    LoadProfileDocument(*profile_, ProfileSource::User);
    ProfileLoaded();
    LoadProfileState();
    return 1;
}

int CRingDeviceCore::LoadProfileState()
{
    record_ = profile_->GetLightInfo();
    TakeLightRecord(settings_.Block(), record_);
    lightList_ = profile_->GetLightList();
    profile_->LoadLightConfig(profile_->GetLightConfigPath());
    effects_ = profile_->GetLightEffects();
    if (onLightingState)
        onLightingState(*this);
    return 1;
}

void CRingDeviceCore::ApplyProfile()
{
    if (onShowLighting)
        onShowLighting(record_);
}

int CRingDeviceCore::LoadDefaultProfile()
{
    LoadProfileDocument(*profile_, ProfileSource::Default);
    ProfileLoaded();
    LoadProfileState();
    const bool saved = SaveProfile();
    ApplyProfile();
    return saved ? 1 : 0;
}

int CRingDeviceCore::WriteSettings(int profile)
{
    return settings_.Write(Link(), profile, Modes());
}

RingRead CRingDeviceCore::ReadSettingsBlock()
{
    Link().syncFlag = 0;
    return settings_.Read(Link(), Modes());
}

void CRingDeviceCore::SetLightInfo(const profiles::LightRecord& record)
{
    record_ = record;
    profile_->SetLightInfo(record);
}

SequenceResult CRingDeviceCore::ChangeLighting(const profiles::LightRecord& record)
{
    Link().syncFlag = 0;
    SetLightInfo(record);
    SaveProfile();
    LoadProfileState();
    SequenceResult result;
    result.Take(WriteSettings(0));
    return result;
}

SequenceResult CRingDeviceCore::FollowSameMode(const profiles::LightRecord& source, int commonCode)
{
    SequenceResult result;
    const std::optional<int> mode = lighting::ModeIndexOf(SyncKind(), commonCode);
    if (!mode) {
        result.status = kLinkNoAnswer;
        return result;
    }
    Link().syncFlag = 1;
    profiles::LightRecord record = source;
    record.selectItem = static_cast<std::uint8_t>(*mode);
    SetLightInfo(record);
    SaveProfile();
    LoadProfileState();
    ApplyProfile();
    result.Take(WriteSettings(0));
    return result;
}

SequenceResult CRingDeviceCore::SwitchProfile()
{
    LoadProfile();
    ApplyProfile();
    SequenceResult result;
    result.Take(WriteSettings(0));
    return result;
}

SequenceResult CRingDeviceCore::RestoreDefaults()
{
    LoadDefaultProfile();
    SequenceResult result;
    result.Take(WriteSettings(0));
    return result;
}

SequenceResult CRingDeviceCore::ResetProfile()
{
    return SwitchProfile();
}

} // namespace orvel::devices
