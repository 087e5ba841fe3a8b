#include "devices/device_core.h"

#include "devicelink/command_frame.h"
#include "devicelink/command_sequence.h"
#include "input/macro_library.h"
#include "lighting/device_lighting.h"
#include "profiles/profilefiles.h"

#include <algorithm>
#include <mutex>

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

void SequenceResult::TakeProfileFailure(int profileStatus, const char* message)
{
    if (status == kLinkOk) {
        status = profileStatus;
    }
    messages.push_back({message});
}

void SequenceResult::TakeSave(bool saved)
{
    if (!saved) {
        TakeProfileFailure(kProfileNotSaved, kProfileNotSavedMessage);
    }
}

void SequenceResult::TakeLoad(bool loaded)
{
    if (!loaded) {
        TakeProfileFailure(kProfileNotLoaded, kProfileNotLoadedMessage);
    }
}

void SequenceResult::Merge(const SequenceResult& other)
{
    const bool deviceFailure = other.status != kLinkOk && other.status != kProfileNotSaved;
    if (status == kLinkOk || (status == kProfileNotSaved && deviceFailure)) {
        status = other.status;
    }
    for (const UserMessage& message : other.messages) {
        if (std::find(messages.begin(), messages.end(), message) == messages.end()) {
            messages.push_back(message);
        }
    }
}

int SavedThenWritten(bool saved, int writeStatus)
{
    if (writeStatus != kLinkOk) {
        return writeStatus;
    }
    return saved ? kLinkOk : kProfileNotSaved;
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

bool DeviceCore::ReceiverLinkUp()
{
    return LinkOpen() && ViaReceiver() && link_.QueryWirelessLink();
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

SequenceResult DeviceCore::ChangeLighting(const profiles::LightRecord& record)
{
    SetSyncFlag(false);
    return ApplyLight(record);
}

void DeviceCore::SetSyncFlag(bool follows)
{
    if (lighting_ != nullptr) {
        lighting_->SetSync(follows);
    }
}

bool DeviceCore::SyncFlag() const
{
    return lighting_ != nullptr && lighting_->SyncFlag();
}

NotifyEffect DeviceCore::ApplyNotification(const NotifyMeaning& meaning)
{
    NotifyEffect effect;
    if (meaning.action == NotifyAction::Resync) {
        effect.resyncAfterMs = meaning.resyncDelayMs;
    }
    return effect;
}

int DeviceCore::MacroCount() const
{
    input::MacroLibrary library(folders_.profileFolder);
    library.Load();
    return static_cast<int>(library.Macros().size());
}

bool DeviceCore::LoadProfileDocument(profiles::CBasicProfiledata& data, ProfileSource source)
{
    const std::filesystem::path profile = folders_.Profile(profileIdentifier_);
    data.SetProfilePath(profile);
    if (profile.empty()) {
        return false;
    }
    data.SetDefaultProfilePath(folders_.DefaultProfile());
    data.SetLightConfigPath(folders_.LightConfig());
    data.SetBuiltInLightCount(modes_.Size());
    data.SetLightListIndex(listKind_);
    if (source == ProfileSource::Default) {
        if (data.LoadDefault().isNull()) {
            return false;
        }
    } else {
        data.Load(profile);
    }
    return true;
}

int DeviceCore::LoadProfileFrom(profiles::CBasicProfiledata& data, ProfileSource source, const std::function<void()>& take)
{
    if (!LoadProfileDocument(data, source)) {
        return kProfileNotLoaded;
    }
    take();
    if (source == ProfileSource::Default && !data.Save()) {
        return kProfileNotSaved;
    }
    return kLinkOk;
}

int DeviceCore::ReadActiveBlock(std::uint8_t& active, std::span<std::uint8_t> block, std::uint16_t stride)
{
    SetSyncFlag(false);
    if (!Reachable()) {
        return kLinkNoAnswer;
    }
    std::array<std::uint8_t, 1> bank{};
    std::lock_guard<std::recursive_mutex> lock(link_.cmdLock);
    if (const int status = link_.ReadBlock(bank, 0); status != kLinkOk) {
        return status;
    }
    if (const int status = link_.ReadBlock(block, static_cast<std::uint16_t>(stride * bank[0])); status != kLinkOk) {
        return status;
    }
    active = bank[0];
    return kLinkOk;
}

int DeviceCore::WriteSettingsBlock(std::span<const std::uint8_t> block, std::uint16_t base)
{
    if (!LinkOpen()) {
        return kLinkNoAnswer;
    }
    CCommandSequence sequence(link_);
    sequence.Begin();
    sequence.Run([&](CDeviceLink& l) { return l.WriteBlock(block, base); });
    return sequence.End();
}

SequenceResult DeviceCore::RestoreSequence(const std::function<int()>& writeKeys, const std::function<int()>& writeSettings)
{
    SequenceResult result;
    const int loaded = LoadDefaultProfile();
    result.TakeLoad(loaded != kProfileNotLoaded);
    if (loaded == kProfileNotLoaded) {
        return result;
    }
    const bool saved = loaded == kLinkOk;
    result.Take(writeKeys());
    if (result.status == kLinkOk) {
        result.Take(writeSettings());
    }
    result.TakeSave(saved);
    return result;
}

SequenceResult DeviceCore::StoreLightAndWrite(profiles::CBasicProfiledata& data, const profiles::LightRecord& record,
                                              const std::function<int()>& writeSettings)
{
    SequenceResult result;
    data.SetLightInfo(record);
    const bool saved = data.Save();
    LoadProfileState();
    result.Take(writeSettings());
    result.TakeSave(saved);
    return result;
}

} // namespace orvel::devices
