#pragma once
// What every device core shares: its command link, kind, folders, the 34-byte information
// record, the power query and the handling of notifications on the owner thread. A device
// page (the Qt shell of each kind) owns one core and forwards its operations to it; anything
// the page must show comes back as a result, never through a control.
//
// Every operation runs on the owner (UI) thread. Notification readers only classify codes
// (MeaningOf) and post the meaning to that thread, which calls ApplyNotification.

#include "devicelink/device_link.h"
#include "devices/mode_list.h"
#include "devices/notification.h"
#include "profiles/profiledata.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::lighting {
class DeviceLighting;
}

namespace orvel::devices {

inline constexpr std::size_t kDeviceInfoSize = 34;
inline constexpr std::uint8_t kNoneIndex = 255;

// The folders of one device kind.
struct DeviceFolders {
    std::filesystem::path profileFolder;  // the user's profiles of this kind ("…/mouse")
    std::filesystem::path defaultData;    // the program's "DefaultData"
    std::string deviceFolderName;         // "mouse", "keyboard", "MousePad", "HD"
    std::string lightFileBase = "zenta_light";

    std::filesystem::path DefaultProfile() const { return defaultData / (deviceFolderName + ".Json"); }
    std::filesystem::path LightConfig() const { return profileFolder / (lightFileBase + ".config"); }
    // Empty when the identifier is not a plain file name.
    std::filesystem::path Profile(const std::string& identifier) const;
};

// A message the page shows after an operation: a language key, formatted with number when
// hasNumber is set.
struct UserMessage {
    std::string key;
    std::int64_t number = 0;
    bool hasNumber = false;
    friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

// The text a message shows: its language text with the number put in place of "%d".
std::wstring MessageText(std::wstring languageText, const UserMessage& message);

// Shown when a write did not reach the device; the profile still holds the user's change.
inline constexpr const char* kDeviceNotUpdatedMessage = "message_device_not_updated";
// Shown when a change reached the core (and the device) but its profile could not be saved;
// the change stays in memory and goes to disk with the next save that succeeds.
inline constexpr const char* kProfileNotSavedMessage = "message_profile_not_saved";
// The status of an operation whose device steps succeeded but whose profile save failed.
inline constexpr int kProfileNotSaved = -301;
// Shown when the selected profile's identifier is empty or not a plain file name: nothing was
// loaded, saved or written to the device.
inline constexpr const char* kProfileNotLoadedMessage = "message_profile_not_loaded";
// The status of a load whose identifier names no document; nothing was read or written.
inline constexpr int kProfileNotLoaded = -302;

// The status of a device write and the save of the same change: the write's failure first, then
// the save's.
int SavedThenWritten(bool saved, int writeStatus);

// The outcome of a sequence of device operations (profile switch, restore defaults, …).
struct SequenceResult {
    int status = 1;                      // the first link status other than 1, else 1
    std::vector<UserMessage> messages;   // in the order they arose

    // Keeps the first failure and asks once for the not-updated message.
    void Take(int linkStatus);
    // Records a failed profile save: its message, and its status unless a failure came first.
    void TakeSave(bool saved);
    // Takes one operation's status: a link status, kProfileNotSaved or kProfileNotLoaded.
    void TakeStatus(int operationStatus);
    // Records a profile that could not be loaded: its message, and its status unless a failure
    // came first.
    void TakeLoad(bool loaded);
    // Takes another device's result: its messages (each once) and its status unless a failure
    // came first; a device failure still comes before a profile that was not saved.
    void Merge(const SequenceResult& other);

private:
    void TakeProfileFailure(int profileStatus, const char* message);
};

// What the owner must do after a notification was applied.
struct NotifyEffect {
    int resyncAfterMs = -1;   // >= 0: arm the resync timer (ResyncFromDevice) after that many ms
    bool refreshPage = false; // run ApplyProfile on the page
    bool keyPress = false;    // trigger the key-press light effect
    friend bool operator==(const NotifyEffect&, const NotifyEffect&) = default;
};

struct PowerResult {
    int status = 0;  // 1 when report holds a fresh report
    std::array<std::uint8_t, 6> report{};
};

// The lists a device's light loop plays beside its record: the profile's per-LED list
// ("LightList") and the steps of the user effect its record selects.
struct LightLists {
    std::vector<profiles::LightListEntry> perLed;
    std::vector<profiles::LightEffectStep> effects;
};
// Both lists of a loaded profile (the light configuration is read again for the effects).
LightLists ReadLightLists(profiles::CBasicProfiledata& data);

// Where a profile is loaded from: the user's document, or the kind's default document (whose
// device entry then replaces the user's).
enum class ProfileSource { User, Default };

class DeviceCore {
public:
    DeviceCore(int kind, CDeviceLink& link, DeviceFolders folders);
    virtual ~DeviceCore() = default;
    DeviceCore(const DeviceCore&) = delete;
    DeviceCore& operator=(const DeviceCore&) = delete;

    CDeviceLink& Link() { return link_; }
    // The kind number: set by the constructor (1 keyboard, 2 mouse, 3 mouse pad, 7 headset) and
    // overwritten by the attached descriptor's kind (6 and 9 through a receiver).
    int Kind() const { return kind_; }
    void SetKind(int kind) { kind_ = kind; }
    // The constructor's kind, which indexes the kind's mode and light-effect lists.
    int ListKind() const { return listKind_; }
    DeviceFamily Family() const { return FamilyOfKind(kind_); }
    const DeviceFolders& Folders() const { return folders_; }
    const ModeList& Modes() const { return modes_; }

    bool LinkOpen() const { return link_.linkOpen == 1; }
    bool ViaReceiver() const { return link_.viaDongle != 0; }
    // Whether a command may go out now: the link is open and, through the receiver, the
    // wireless device answers.
    bool Reachable();
    // Whether a device reached through its receiver answers (true for kinds without one).
    virtual bool IsWirelessLinkUp() { return true; }
    // The mouse and keyboard rule: the link is open, goes through the receiver, and the
    // wireless device answers.
    bool ReceiverLinkUp();

    // The selected profile. An empty identifier, or one that is not a plain file name, names no
    // document: a load then reads and creates nothing and reports kProfileNotLoaded, and no save
    // goes anywhere until an identifier that names one is loaded.
    void SetProfileIdentifier(std::string identifier) { profileIdentifier_ = std::move(identifier); }
    const std::string& ProfileIdentifier() const { return profileIdentifier_; }

    void SetWirelessCapable(bool on) { wirelessCapable_ = on; }
    bool WirelessCapable() const { return wirelessCapable_; }
    // Only a wireless-capable device keeps the flag.
    void SetWindowHidden(bool hidden);
    bool WindowHidden() const { return windowHidden_; }

    // The program drives the LEDs itself; when on, a keyboard is told so (0x1C). Returns the
    // link status of that command, or 1 when none was sent.
    int SetLightOwnership(bool on);
    bool HostLightControl() const { return hostLightControl_; }

    const std::array<std::uint8_t, kDeviceInfoSize>& DeviceInfo() const { return info_; }

    // Reads the 6-byte power report (ReadSmall at address 0) while the link is open, the main
    // window is not hidden and, through the receiver, the device answers. Byte 3 tells whether
    // the device is reached through the receiver.
    virtual PowerResult QueryPower();

    // What the page does when the device object is created, before the device-ready read: the
    // headset loads its profile here; the other kinds have nothing to do. A status.
    virtual int Start() { return kLinkOk; }
    virtual int LoadFromDevice() { return 0; }
    // The device went away: whatever the attach read is forgotten, so a later attach whose reads
    // fail writes nothing from the tables of this one.
    virtual void Detach() { info_.fill(0); }
    virtual int ResyncFromDevice() { return 0; }
    virtual int LoadProfile() { return 0; }
    virtual int LoadDefaultProfile() { return 0; }
    virtual int LoadProfileState() { return 0; }

    // The lighting record in use, and the lighting-change sequence: store the record in the
    // profile, save it, take it into the device and write the settings. Same-mode
    // synchronisation applies its records through ApplyLight.
    virtual profiles::LightRecord CurrentLight() const { return {}; }
    virtual SequenceResult ApplyLight(const profiles::LightRecord& record);
    // A lighting change from the device's own panel (or the command line): the device leaves
    // the synchronised lighting, then ApplyLight.
    SequenceResult ChangeLighting(const profiles::LightRecord& record);

    // The same-mode sync flag: while it is set the device follows the synchronised lighting, so
    // its own light loop pauses and the sync thread writes its LEDs. The flag is the one its
    // light loop reads (ConnectLighting); a core with no light loop (a command-line run, which
    // renders nothing) has no flag, and SyncFlag is false.
    void ConnectLighting(lighting::DeviceLighting* lighting) { lighting_ = lighting; }
    void SetSyncFlag(bool follows);
    bool SyncFlag() const;

    // Applies a classified notification on the owner thread.
    virtual NotifyEffect ApplyNotification(const NotifyMeaning& meaning);

    // Whether the last settings write did not reach the device, which then lacks what the
    // profile holds. The settings go out again when the device is read again (a new attach)
    // or answers again (through the receiver); see ResendSettings.
    bool SettingsPending() const { return settingsPending_; }
    // Writes the profile's settings when the last write failed and the device can be reached
    // now; 1 when there was nothing to do.
    int ResendSettings();

    // The "MacroName"s of this device's macro list, in list order.
    std::vector<std::string> MacroNames() const;

protected:
    // The number of macros in this device's macro list.
    int MacroCount() const;

    // Points the profile data at this device's documents (profile, default, light
    // configuration) and mode list, then loads the device entry from source. The profile path
    // stays the user's, so a Save after a default load replaces the user's entry. When the
    // identifier names no document the profile path is cleared, nothing is loaded, and it
    // returns false; so it does when the default document cannot be read, keeping the profile.
    bool LoadProfileDocument(profiles::CBasicProfiledata& data, ProfileSource source);
    // Loads the document from source, lets the core take what it keeps (take) and, after a
    // default load, saves it so the defaults replace the user's entry. kProfileNotLoaded (and
    // nothing taken) when the identifier names no document.
    int LoadProfileFrom(profiles::CBasicProfiledata& data, ProfileSource source, const std::function<void()>& take);

    // Clears the sync flag and, while the device is reachable, reads the active bank number
    // (address 0) and then block at stride x that bank, both under one hold of the command
    // lock, so no other command lands between them. The
    // link status; active is set only on success (block may be partly written on failure).
    int ReadActiveBlock(std::uint8_t& active, std::span<std::uint8_t> block, std::uint16_t stride);
    // BeginConfig, WriteBlock of block at base, EndConfig; no answer while the link is closed.
    // Its outcome decides whether the settings are pending.
    int WriteSettingsBlock(std::span<const std::uint8_t> block, std::uint16_t base);
    // The kind's settings write with the arguments the main window always uses.
    virtual int WriteCurrentSettings() { return kLinkOk; }

    // The restore sequence: the kind's defaults replace the profile, the keys are written,
    // and the settings only when the keys reached the device.
    SequenceResult RestoreSequence(const std::function<int()>& writeKeys, const std::function<int()>& writeSettings);
    // The lighting-change sequence: store record in the profile, save it, take it back into
    // the core and write the settings.
    SequenceResult StoreLightAndWrite(profiles::CBasicProfiledata& data, const profiles::LightRecord& record,
                                      const std::function<int()>& writeSettings);

    std::array<std::uint8_t, kDeviceInfoSize> info_{};

private:
    int kind_;
    int listKind_;
    CDeviceLink& link_;
    DeviceFolders folders_;
    ModeList modes_;
    std::string profileIdentifier_;
    bool wirelessCapable_ = false;
    bool windowHidden_ = false;
    bool hostLightControl_ = true;
    bool settingsPending_ = false;
    lighting::DeviceLighting* lighting_ = nullptr;
};

} // namespace orvel::devices
