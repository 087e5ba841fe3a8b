#pragma once
// The headset's protocol core (kind 7): a 13-LED ring the program animates and sends as twelve
// 17-byte output reports per frame, a 21-byte settings block per profile, and the audio settings
// of the profile ("SystemSetStages" and the equaliser). The audio library itself is driven by the
// audio panel, which takes and stores these values through this core. Its status is the base's
// QueryPower (byte 4 goes to the main window).

#include "devices/ring_device.h"
#include "lighting/led_buffer.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CHidDevice;

namespace orvel::devices {

// Where the headset's light reports go: one HID output report each.
class HeadsetReportSink {
public:
    virtual ~HeadsetReportSink() = default;
    virtual bool SetOutputReport(std::span<const std::uint8_t> report) = 0;
};

// The output reports of one HID interface.
class HidOutputReports : public HeadsetReportSink {
public:
    explicit HidOutputReports(::CHidDevice& device) : device_(device) {}
    bool SetOutputReport(std::span<const std::uint8_t> report) override;

private:
    ::CHidDevice& device_;
};

class CHeadsetCore : public CRingDeviceCore {
public:
    static constexpr int kKind = 7;
    static constexpr int kLedCount = 13;

    CHeadsetCore(CDeviceLink& link, DeviceFolders folders);

    // The headset arrived: its profile is loaded (with its audio settings) and shown; the audio
    // panel then reads the library. 1 or kProfileNotLoaded.
    int Start() override;
    // The settings block as the headset reports it, so the bytes only the headset knows are
    // carried into every later write; the bank read goes to the main window.
    int LoadFromDevice() override { return ReadSettingsBlock().status; }

    // One LED frame: nothing without light control; otherwise the twelve reports, each sent
    // once (a failed one waits for the next frame). Returns the number of reports accepted.
    int SendLightFrame(const lighting::LedBuffer& leds, bool hostLightControl, HeadsetReportSink& sink);

    // The profile's audio settings and the equaliser they select.
    const profiles::HeadsetSettings& AudioSettings() const { return audio_; }
    const std::vector<int>& EqBands() const { return eqBands_; }
    const std::vector<std::wstring>& CustomEqNames() const { return customEqNames_; }
    // Every audio change: the eight values into the profile, which is saved. False when the
    // document could not be written.
    bool SaveAudioSettings(const profiles::HeadsetSettings& settings);
    // What the audio panel changes in memory only: the settings it read from the sound server
    // or changed without storing, the bands now in use and the custom equaliser names.
    void SetAudioSettings(const profiles::HeadsetSettings& settings) { audio_ = settings; }
    void SetEqBands(const profiles::EqBands& bands) { eqBands_.assign(bands.begin(), bands.end()); }
    void SetCustomEqNames(std::vector<std::wstring> names) { customEqNames_ = std::move(names); }

    profiles::CHs6533Profiledata& HeadsetProfile() { return *headsetProfile_; }

protected:
    void ProfileLoaded() override;

private:
    profiles::CHs6533Profiledata* headsetProfile_;
    profiles::HeadsetSettings audio_;
    std::vector<int> eqBands_;
    std::vector<std::wstring> customEqNames_;
};

} // namespace orvel::devices
