#pragma once
// The keyboard's protocol: reading its key table and LED table on attach into the position
// maps, the 31-byte settings block at 30 x profile (with the mode code, 0xFE for the two
// modes the program renders itself, and the bytes it only carries), key assignments with
// dense macro numbers, macros, custom colour groups, light frames, and the profile-switch,
// restore and lighting-change sequences. The keyboard page forwards to it.

#include "devices/device_core.h"
#include "devices/image_write.h"
#include "devices/key_image.h"
#include "devices/keyboard_positions.h"
#include "lighting/led_buffer.h"
#include "profiles/profiledata.h"

#include <array>
#include <atomic>
#include <vector>

namespace orvel::devices {

inline constexpr std::size_t kKeyboardBlockSize = 31;
inline constexpr std::uint16_t kKeyboardProfileStride = 30;
inline constexpr std::uint8_t kHostRenderedCode = 0xFE;
inline constexpr int kAudioMode = 29;
inline constexpr int kColourInputMode = 30;
inline constexpr int kCustomColourMode = 19;
inline constexpr int kCustomGroupLimit = 128;      // group x 512 must stay a 16-bit address
inline constexpr std::uint16_t kCustomGroupStride = 512;
inline constexpr int kFailedFramePauseMs = 200;

using KeyboardBlock = std::array<std::uint8_t, kKeyboardBlockSize>;

// The decoded lighting and option values beside the block image.
struct KeyboardSettings {
    int activeProfile = 0;
    int mode = 0;
    int brightness = 0;
    int speed = 0;
    int direction = 0;
    int multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    int zzccLedMode = 0;
    int customGroup = 0;
};

// The option controls of the keyboard page and the value each stores.
enum class KeyboardOption { PollingRate, WinLock, WFlag, SixKey, Repeat, RepeatDelay };

class KeyboardCore : public DeviceCore {
public:
    KeyboardCore(CDeviceLink& link, DeviceFolders folders);

    profiles::CKeyboardProfiledata& Profile() { return profile_; }

    // Reads information, key table and LED table (BeginConfig … EndConfig) and rebuilds the
    // position maps, then loads the profile and reads the settings block. Without a complete
    // read the maps stay empty, so nothing is written, lit or streamed (the tables of an earlier
    // attach are forgotten first). Returns the status of the table read, else LoadProfile's.
    int LoadFromDevice() override;
    void Detach() override;
    bool IsWirelessLinkUp() override { return ReceiverLinkUp(); }
    bool TablesRead() const { return tablesRead_; }
    const std::array<std::uint8_t, kKeyboardPositions>& KeyOfPosition() const { return keyOfPosition_; }
    const std::array<std::uint8_t, kKeyboardPositions>& LedOfPosition() const { return ledOfPosition_; }

    // Set by the profile notification 0x0402 (for every keyboard of the process): the owner
    // reloads its profile list and identifier before it runs the resync.
    static bool ProfileChangedOnDevice() { return profileChanged_.load(); }
    // Loads the profile when it changed on the device, then reads the settings block.
    int ResyncFromDevice() override;
    // Reads the active profile's 31 bytes into the block image, the decoded settings and the
    // profile (which is saved). A failed read keeps image, settings and profile as they were.
    int ReadSettingsBlock();
    const KeyboardBlock& BlockImage() const { return block_; }
    const KeyboardSettings& Settings() const { return settings_; }
    // Whether the lighting must start the current mode afresh (a new mode, or mode 19); reading
    // clears it.
    bool TakeLightRestart();

    int LoadProfile() override;
    int LoadDefaultProfile() override;
    int LoadProfileState() override;
    const profiles::LightRecord& Light() const { return light_; }
    const profiles::AudioLightRecord& AudioLight() const { return audio_; }
    std::vector<profiles::KeyEntry>& Keys() { return keys_; }

    KeyboardBlock BuildSettingsBlock(std::uint8_t value = 0) const;
    // BeginConfig, WriteBlock of 31 bytes at 30 x profile, EndConfig.
    int WriteSettings(int profile = 0, std::uint8_t value = 0);

    // Keys on macros beyond the macro list take their default back; when any did, the
    // corrected keys are stored and written.
    bool ValidateKeyMacros();
    std::vector<int> GetMacroList() const;
    int WriteKeyAssignments(int bank, const std::vector<profiles::KeyEntry>& keys);
    int WriteCurrentKeys(int bank = 0) { return WriteKeyAssignments(bank, keys_); }
    ImageWriteResult WriteMacros(const std::vector<int>& macros);

    // Streams the LED buffer (positions through their LEDs) while the program holds light
    // control and the mode is one the program renders itself. Returns the pause in ms the
    // caller takes after a failed send.
    int SendLightFrame(const lighting::LedBuffer& leds);
    // Sends custom colour group `group` (one colour per position, alpha = level) in mode 19:
    // scaled by level, or as they are. Returns the pause after a failed send.
    int SendCustomGroup(int group, const std::vector<profiles::CustomColour>& colours, bool scaled = true);
    // The profile's colours of its current group, loaded into leds and sent.
    int LoadCustomGroup(lighting::LedBuffer& leds);

    SequenceResult SwitchProfile(lighting::LedBuffer& leds);
    SequenceResult RestoreDefaults();
    profiles::LightRecord CurrentLight() const override { return light_; }
    // The light panel changed the lighting record.
    SequenceResult ApplyLight(const profiles::LightRecord& record) override;
    // An option control changed; polling rate and the three flags are written to the keyboard.
    SequenceResult SetOption(KeyboardOption option, int value);

    NotifyEffect ApplyNotification(const NotifyMeaning& meaning) override;

private:
    void ForgetTables();
    // How many frame bytes carry LEDs: 3 x K, or more when an LED index lies beyond K.
    std::size_t FrameBytes() const;
    int RefreshUnits();
    void TakeProfile();
    void TakeDecodedLight(int previousMode);

    static std::atomic<bool> profileChanged_;

    profiles::CKeyboardProfiledata profile_;
    std::array<std::uint8_t, kKeyImageSize> factory_{};
    std::array<std::uint8_t, kKeyImageSize> ledTable_{};
    std::array<std::uint8_t, kKeyboardPositions> keyOfPosition_{};
    std::array<std::uint8_t, kKeyboardPositions> ledOfPosition_{};
    int keyCount_ = 0;
    bool tablesRead_ = false;
    KeyboardBlock block_{};
    std::uint8_t lastModeCode_ = 0;
    KeyboardSettings settings_;
    bool lightRestart_ = false;
    profiles::LightRecord light_;
    profiles::AudioLightRecord audio_;
    std::vector<profiles::KeyEntry> keys_;
    profiles::KeyboardSystemSettings system_;
};

} // namespace orvel::devices
