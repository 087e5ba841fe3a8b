#include "devices/headset_device.h"

#include "devicelink/hiddevice.h"
#include "lighting/frame_output.h"

namespace orvel::devices {

bool HidOutputReports::SetOutputReport(std::span<const std::uint8_t> report)
{
    return device_.SetOutputReport(report.data(), static_cast<std::uint32_t>(report.size()));
}

CHeadsetCore::CHeadsetCore(CDeviceLink& link, DeviceFolders folders)
    : CRingDeviceCore(kKind, link, std::move(folders), std::make_unique<profiles::CHs6533Profiledata>()),
      headsetProfile_(static_cast<profiles::CHs6533Profiledata*>(profile_.get()))
{
}

int CHeadsetCore::LoadFromDevice()
{
    const int status = ReadSettingsBlock().status;
    if (SettingsPending()) {
        LoadProfileState();
        ResendSettings();
    }
    return status;
}

int CHeadsetCore::Start()
{
    const int status = LoadProfile();
    ApplyProfile();
    return status;
}

void CHeadsetCore::ProfileLoaded()
{
    audio_ = headsetProfile_->GetHeadsetSettings();
    eqBands_ = audio_.eqType == profiles::CHs6533Profiledata::kCustomEqType
                   ? headsetProfile_->GetCustomEq(audio_.customEqSeletIndex)
                   : headsetProfile_->GetEqPreset(audio_.eqType);
    customEqNames_ = headsetProfile_->GetCustomEqNames();
    if (onAudioLoaded)
        onAudioLoaded();
}

bool CHeadsetCore::SaveAudioSettings(const profiles::HeadsetSettings& settings)
{
    audio_ = settings;
    headsetProfile_->SetHeadsetSettings(settings);
    return SaveProfile();
}

int CHeadsetCore::SendLightFrame(const lighting::LedBuffer& leds, bool hostLightControl, HeadsetReportSink& sink)
{
    if (!hostLightControl)
        return 0;
    int accepted = 0;
    for (const auto& report : lighting::PackHeadsetReports(leds))
        accepted += sink.SetOutputReport(report) ? 1 : 0;
    return accepted;
}

} // namespace orvel::devices
