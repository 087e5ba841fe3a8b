#include "devices/ring_device.h"

#include <algorithm>

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
    return saved ? kLinkOk : kProfileNotSaved;
}

int CRingDeviceCore::WriteSettings(int profile)
{
    return settings_.Write(Link(), profile, Modes());
}

RingRead CRingDeviceCore::ReadSettingsBlock()
{
    Link().syncFlag = 0;
    const RingRead read = settings_.Read(Link(), Modes());
    if (read.status == kLinkOk && onLightingState)
        onLightingState(*this);
    return read;
}

lighting::LightSettings CRingDeviceCore::LightThreadSettings() const
{
    lighting::LightSettings settings;
    settings.mode = Block()[1];
    settings.speed = std::min<int>(Block()[3], kMaxSpeed);
    settings.brightness = std::min<int>(record_.light, kMaxSpeed);
    settings.direction = record_.fx != 0;
    settings.fx = record_.fx;
    settings.multicolor = record_.multiColor != 0;
    settings.colour = {record_.red, record_.green, record_.blue};
    return settings;
}

void CRingDeviceCore::SetLightInfo(const profiles::LightRecord& record)
{
    record_ = record;
    profile_->SetLightInfo(record);
}

SequenceResult CRingDeviceCore::ChangeLighting(const profiles::LightRecord& record)
{
    Link().syncFlag = 0;
    return ApplyLight(record);
}

SequenceResult CRingDeviceCore::ApplyLight(const profiles::LightRecord& record)
{
    SetLightInfo(record);
    const bool saved = SaveProfile();
    LoadProfileState();
    ApplyProfile();
    SequenceResult result;
    result.Take(WriteSettings(0));
    result.TakeSave(saved);
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
    const bool saved = LoadDefaultProfile() == kLinkOk;
    SequenceResult result;
    result.Take(WriteSettings(0));
    result.TakeSave(saved);
    return result;
}

SequenceResult CRingDeviceCore::ResetProfile()
{
    return SwitchProfile();
}

} // namespace orvel::devices
