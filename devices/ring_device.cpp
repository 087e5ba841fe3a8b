#include "devices/ring_device.h"

#include <algorithm>
#include <array>

namespace orvel::devices {

CRingDeviceCore::CRingDeviceCore(int kind, CDeviceLink& link, DeviceFolders folders,
                                 std::unique_ptr<profiles::CBasicProfiledata> profile)
    : DeviceCore(kind, link, std::move(folders)), profile_(std::move(profile))
{
}

int CRingDeviceCore::LoadProfile()
{
    if (!LoadProfileDocument(*profile_, ProfileSource::User))
        return kProfileNotLoaded;
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
    if (!LoadProfileDocument(*profile_, ProfileSource::Default))
        return kProfileNotLoaded;
    ProfileLoaded();
    LoadProfileState();
    const bool saved = SaveProfile();
    ApplyProfile();
    return saved ? kLinkOk : kProfileNotSaved;
}

int CRingDeviceCore::WriteSettings(int profile)
{
    return WriteSettingsBlock(settings_.DeviceImage(Modes()), RingBlockAddress(profile));
}

RingRead CRingDeviceCore::ReadSettingsBlock()
{
    std::uint8_t bank = 0;
    std::array<std::uint8_t, kRingReadSize> read{};
    RingRead result{ReadActiveBlock(bank, read, kRingProfileStride), Block()[0]};
    if (result.status != kLinkOk)
        return result;
    settings_.TakeRead(read, bank, Modes());
    result.bank = bank;
    if (onLightingState)
        onLightingState(*this);
    return result;
}

lighting::LightSettings CRingDeviceCore::LightThreadSettings() const
{
    const RingLight block = BlockLight();
    lighting::LightSettings settings;
    settings.mode = block.mode;
    settings.speed = block.speed;
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
    SequenceResult result;
    result.TakeLoad(LoadProfile() == kLinkOk);
    if (result.status != kLinkOk)
        return result;
    ApplyProfile();
    result.Take(WriteSettings(0));
    return result;
}

SequenceResult CRingDeviceCore::RestoreDefaults()
{
    // No keys to write: the settings follow the defaults at once.
    return RestoreSequence([] { return kLinkOk; }, [this] { return WriteSettings(0); });
}

SequenceResult CRingDeviceCore::ResetProfile()
{
    return SwitchProfile();
}

} // namespace orvel::devices
