#include "devices/ring_device.h"

#include "profiles/jsonfile.h"
#include "profiles/profilefiles.h"

namespace orvel::devices {

CRingDeviceCore::CRingDeviceCore(CDeviceLink& link, RingDeviceSetup setup,
                                 std::unique_ptr<profiles::CBasicProfiledata> profile)
    : link_(link), setup_(std::move(setup)), profile_(std::move(profile))
{
    profile_->SetDefaultProfilePath(setup_.defaultProfile);
    profile_->SetLightListIndex(setup_.kind);
}

void CRingDeviceCore::EnsureProfileFiles()
{
    profile_->SetProfilePath(profiles::ProfileDocumentPath(setup_.profileFolder, profileId_));
    profile_->SetLightConfigPath(setup_.profileFolder / (setup_.lightFileBase + ".config"));
}

int CRingDeviceCore::LoadProfile()
{
    EnsureProfileFiles();
    const std::filesystem::path path = profiles::ProfileDocumentPath(setup_.profileFolder, profileId_);
    if (path.empty())
        return 0;
    profile_->Load(path);
    ProfileLoaded();
    LoadProfileState();
    return 1;
}

void CRingDeviceCore::LoadProfileState()
{
    record_ = profile_->GetLightInfo();
    TakeLightRecord(settings_.Block(), record_);
    lightList_ = profile_->GetLightList();
    profile_->LoadLightConfig(profile_->GetLightConfigPath());
    effects_ = profile_->GetLightEffects();
    if (onLightingState)
        onLightingState(*this);
}

void CRingDeviceCore::LoadLightLists()
{
    modes_ = ReadModeCodes(profiles::LoadJsonFile(setup_.defaultLight), setup_.kind);
    profile_->SetBuiltInLightCount(static_cast<int>(modes_.size()));
}

void CRingDeviceCore::ApplyProfile()
{
    LoadLightLists();
    if (onShowLighting)
        onShowLighting(record_);
}

void CRingDeviceCore::LoadDefaultProfile()
{
    EnsureProfileFiles();
    profile_->Load(setup_.defaultProfile);
    ProfileLoaded();
    LoadProfileState();
    SaveProfile();
    ApplyProfile();
}

int CRingDeviceCore::WriteSettings(int profile)
{
    return settings_.Write(link_, profile, modes_);
}

RingRead CRingDeviceCore::ReadSettingsBlock()
{
    link_.syncFlag = 0;
    return settings_.Read(link_, modes_);
}

StatusReading CRingDeviceCore::ReadStatus()
{
    StatusReading reading;
    if (link_.linkOpen == 0)
        return reading;
    reading.status = link_.ReadSmall(reading.report, 0);
    if (reading.status == kLinkOk)
        reading.report[3] = ThroughDongle() ? 1 : 0;
    return reading;
}

void CRingDeviceCore::SetLightInfo(const profiles::LightRecord& record)
{
    record_ = record;
    profile_->SetLightInfo(record);
}

int CRingDeviceCore::ChangeLighting(const profiles::LightRecord& record)
{
    link_.syncFlag = 0;
    SetLightInfo(record);
    SaveProfile();
    LoadProfileState();
    return WriteSettings(0);
}

int CRingDeviceCore::FollowSameMode(const profiles::LightRecord& source, int commonCode)
{
    const std::optional<int> mode = lighting::ModeIndexOf(SyncKind(), commonCode);
    if (!mode)
        return kLinkNoAnswer;
    link_.syncFlag = 1;
    profiles::LightRecord record = source;
    record.selectItem = static_cast<std::uint8_t>(*mode);
    SetLightInfo(record);
    SaveProfile();
    LoadProfileState();
    if (onShowLighting)
        onShowLighting(record_);
    return WriteSettings(0);
}

int CRingDeviceCore::SwitchProfile(const std::string& id)
{
    SetProfileIdentifier(id);
    LoadProfile();
    ApplyProfile();
    return WriteSettings(0);
}

int CRingDeviceCore::RestoreDefaults()
{
    LoadDefaultProfile();
    return WriteSettings(0);
}

int CRingDeviceCore::ResetProfile()
{
    LoadProfile();
    ApplyProfile();
    return WriteSettings(0);
}

} // namespace orvel::devices
