#pragma once
// The mouse's protocol: reading its information record and button table on attach, the
// 66-byte settings block written at 128 x bank (71 bytes read back), button assignments with
// dense macro numbers, macros, shoot data, DPI stages, and the profile-switch and restore
// sequences. The mouse page forwards to it and shows what it returns.

#include "devices/device_core.h"
#include "devices/image_write.h"
#include "devices/key_image.h"
#include "devices/mouse_dpi.h"
#include "profiles/profiledata.h"

#include <array>
#include <vector>

namespace orvel::devices {

inline constexpr int kMouseButtons = 11;
inline constexpr std::uint8_t kNoSlot = 0xAA;
inline constexpr int kMouseStages = 5;
inline constexpr int kMousePollingRates = 5;
inline constexpr std::size_t kMouseBlockWrite = 66;
inline constexpr std::size_t kMouseBlockRead = 71;
inline constexpr std::uint16_t kMouseBankStride = 128;
// A "SelectItem" at or beyond this is written as entry 0's code.
inline constexpr int kMouseBuiltInModes = 10;

using MouseBlock = std::array<std::uint8_t, kMouseBlockWrite>;

// The code each on-screen button produces from the factory.
const std::array<input::AssignmentCode, kMouseButtons>& MouseButtonCodes();

class MouseCore : public DeviceCore {
public:
    MouseCore(CDeviceLink& link, DeviceFolders folders);

    profiles::CMouseProfiledata& Profile() { return profile_; }
    // The primary screen's size, taken once at program start.
    void SetScreenSize(int width, int height);

    // Reads the information record and the button table (BeginConfig … EndConfig), builds
    // the button map and loads the profile. Stops at the first failure with its status; a
    // button table larger than 512 bytes is refused and leaves the tables unread. The tables of
    // an earlier attach are forgotten first, so a failed read leaves none.
    int LoadFromDevice() override;
    void Detach() override;
    bool IsWirelessLinkUp() override { return ReceiverLinkUp(); }
    bool TablesRead() const { return tablesRead_; }
    const std::array<std::uint8_t, kMouseButtons>& SlotOfButton() const { return slotOfButton_; }
    const DpiRule& Dpi() const { return dpi_; }

    // Re-reads the active bank's settings block into the profile's light state and current
    // stage, then saves the profile. A failed read leaves block copy and profile as they were.
    int ResyncFromDevice() override;
    const std::array<std::uint8_t, kMouseBlockRead>& BlockCopy() const { return block_; }

    int LoadProfile() override;
    int LoadDefaultProfile() override;
    int LoadProfileState() override;
    const profiles::LightRecord& Light() const { return light_; }
    std::vector<profiles::KeyEntry>& Keys() { return keys_; }

    profiles::LightRecord CurrentLight() const override { return light_; }
    SequenceResult ApplyLight(const profiles::LightRecord& record) override;

    // The settings block as written (byte 0 = value, byte 59 = third; a polling-rate index
    // outside 0..4 goes as 0).
    MouseBlock BuildSettingsBlock(std::uint8_t value = 0, std::uint8_t third = 1) const;
    // BeginConfig, WriteBlock of 66 bytes at 128 x bank, EndConfig. The first status other
    // than 1, else 1.
    int WriteSettings(int bank = 0, std::uint8_t value = 0, std::uint8_t third = 1);

    // Resets keys on macros beyond the macro list to their default; stores them when changed.
    bool ValidateKeyMacros();
    std::vector<int> GetMacroList() const;
    // The button table with these assignments; 0 without a successful attach read.
    int WriteKeyAssignments(int bank, const std::vector<profiles::KeyEntry>& keys);
    int WriteCurrentKeys(int bank = 0) { return WriteKeyAssignments(bank, keys_); }
    ImageWriteResult WriteMacros(const std::vector<int>& macros);
    ImageWriteResult WriteShootData();

    // Another profile picked: load it, fix its macro references and write everything.
    SequenceResult SwitchProfile();
    // "default_btn" after the user agreed: the kind's defaults replace the profile.
    SequenceResult RestoreDefaults();

    NotifyEffect ApplyNotification(const NotifyMeaning& meaning) override;

    // The stage list edits of the page; each stores the stages, saves the profile and writes
    // the settings block. They return WriteSettings' status.
    int SetStageLevel(int stage, int level);
    // The typed DPI of stage's edit; nothing happens with a DPI step of 0.
    int SetStageDpi(int stage, std::string_view typed);
    int SelectStage(int stage);
    int SetPollingRate(int index);

private:
    void ForgetTables();
    void TakeProfile();
    int StoreStagesAndWrite();

    profiles::CMouseProfiledata profile_;
    std::array<std::uint8_t, kKeyImageSize> factory_{};
    std::array<std::uint8_t, kMouseButtons> slotOfButton_{};
    int buttonCount_ = 0;
    bool tablesRead_ = false;
    DpiRule dpi_;
    std::array<std::uint8_t, kMouseBlockRead> block_{};
    std::uint8_t lastModeCode_ = 0;
    profiles::LightRecord light_;
    std::vector<profiles::KeyEntry> keys_;
    std::vector<profiles::DpiStage> stages_;
    std::vector<profiles::CorrectEntry> corrections_;
    profiles::MouseSystemSettings system_;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};

} // namespace orvel::devices
