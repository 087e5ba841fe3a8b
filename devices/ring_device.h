#pragma once
// What the mouse pad and the headset share, without any UI: the profile and its lighting
// record, the settings block, the status read and the main window's sequences (lighting
// change, profile switch, restore defaults, profile reset). The pages are thin shells over
// these cores; what they show comes back as results and through two callbacks.

#include "devicelink/device_link.h"
#include "devices/ring_block.h"
#include "lighting/sync_lighting.h"
#include "profiles/profiledata.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvel::devices {

struct RingDeviceSetup {
    int kind = 0;                          // 3 mouse pad, 7 headset
    std::filesystem::path profileFolder;   // the user's profile folder of the kind
    std::filesystem::path defaultProfile;  // the kind's default profile document
    std::filesystem::path defaultLight;    // "default_light.json" of the default data
    std::string lightFileBase = "zenta_light";
};

inline RingDeviceSetup WithKind(RingDeviceSetup setup, int kind)
{
    setup.kind = kind;
    return setup;
}

inline constexpr std::size_t kStatusSize = 6;

struct StatusReading {
    int status = 0;                             // 1, or the link status (0 with the link closed)
    std::array<std::uint8_t, kStatusSize> report{};  // byte 3: reached through a dongle
};

class CRingDeviceCore {
public:
    CRingDeviceCore(CDeviceLink& link, RingDeviceSetup setup, std::unique_ptr<profiles::CBasicProfiledata> profile);
    virtual ~CRingDeviceCore() = default;
    CRingDeviceCore(const CRingDeviceCore&) = delete;
    CRingDeviceCore& operator=(const CRingDeviceCore&) = delete;

    // The selected profile's identifier (the profile panel's selection).
    void SetProfileIdentifier(const std::string& id) { profileId_ = id; }
    const std::string& ProfileIdentifier() const { return profileId_; }

    // Profile document = folder/<identifier>.Json, light configuration = folder/zenta_light.config.
    void EnsureProfileFiles();
    std::filesystem::path GetProfileName() const { return profile_->GetProfilePath(); }
    bool SaveProfile() { return profile_->Save(); }

    // EnsureProfileFiles, Load, LoadProfileState. 1, or 0 when the identifier names no document.
    int LoadProfile();
    // The profile's lighting record into the device record and the block; the per-LED list and
    // the user effect's steps are taken anew.
    void LoadProfileState();
    // The kind's mode list from the default light document; the page runs it when it is bound,
    // so that the first profile load knows which modes are built in.
    void LoadLightLists();
    // LoadLightLists, then the lighting panel is shown the device record.
    void ApplyProfile();
    // The default document's entry becomes the current profile's and is saved.
    void LoadDefaultProfile();
    // The block to profile p's place; the first status other than 1 (0 with the link closed).
    int WriteSettings(int profile);
    // The device's settings back into the block (clears the same-mode sync flag). A failed read
    // changes neither the block nor the profile.
    RingRead ReadSettingsBlock();
    // 6 status bytes at address 0.
    StatusReading ReadStatus();

    // The device record, also stored into the profile.
    void SetLightInfo(const profiles::LightRecord& record);
    const profiles::LightRecord& GetLightInfo() const { return record_; }

    // The main window's sequences; each returns the status of its settings write.
    // A lighting change from the panel: the device leaves the synchronised lighting first.
    int ChangeLighting(const profiles::LightRecord& record);
    // Same-mode synchronisation: the source device's record with its mode turned into this
    // kind's mode of the common effect code (0..4); the device follows the synchronised
    // lighting. Returns the settings write's status, or 0 for a code outside 0..4 (nothing
    // changes then).
    int FollowSameMode(const profiles::LightRecord& source, int commonCode);
    int SwitchProfile(const std::string& id);
    int RestoreDefaults();
    int ResetProfile();

    const RingBlock& Block() const { return settings_.Block(); }
    const ModeCodes& Modes() const { return modes_; }
    const std::vector<profiles::LightListEntry>& LightList() const { return lightList_; }
    const std::vector<profiles::LightEffectStep>& Effects() const { return effects_; }
    profiles::CBasicProfiledata& Profile() { return *profile_; }
    CDeviceLink& Link() { return link_; }

    // Called after LoadProfileState: the light thread takes the record, the lists and the block.
    std::function<void(const CRingDeviceCore&)> onLightingState;
    // Called by ApplyProfile: the lighting panel shows the record.
    std::function<void(const profiles::LightRecord&)> onShowLighting;

protected:
    // After a profile document was loaded (the headset takes its audio settings here).
    virtual void ProfileLoaded() {}
    // The kind in the synchronised lighting's translation table.
    virtual lighting::DeviceKind SyncKind() const = 0;
    // Whether the status read reached the device through a dongle.
    virtual bool ThroughDongle() const { return false; }

    CDeviceLink& link_;
    RingDeviceSetup setup_;
    std::unique_ptr<profiles::CBasicProfiledata> profile_;

private:
    std::string profileId_;
    profiles::LightRecord record_;
    RingSettings settings_;
    ModeCodes modes_;
    std::vector<profiles::LightListEntry> lightList_;
    std::vector<profiles::LightEffectStep> effects_;
};

} // namespace orvel::devices
