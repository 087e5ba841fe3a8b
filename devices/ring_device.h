#pragma once
// What the mouse pad and the headset share, without any UI: the profile and its lighting
// record, the settings block and the main window's sequences (lighting change, profile switch,
// restore defaults, profile reset, same-mode synchronisation). The pages are thin shells over
// these cores; what they show comes back as results and through two callbacks.

#include "devices/device_core.h"
#include "devices/ring_block.h"
#include "lighting/settings.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvel::devices {

class CRingDeviceCore : public DeviceCore {
public:
    CRingDeviceCore(int kind, CDeviceLink& link, DeviceFolders folders,
                    std::unique_ptr<profiles::CBasicProfiledata> profile);

    std::filesystem::path GetProfileName() const { return profile_->GetProfilePath(); }
    bool SaveProfile() { return profile_->Save(); }

    // The selected identifier's document (created from the default when missing), then
    // LoadProfileState. 1, or kProfileNotLoaded (nothing loaded) when the identifier names no
    // document.
    int LoadProfile() override;
    // The profile's lighting record into the device record and the block; the per-LED list and
    // the user effect's steps are taken anew.
    int LoadProfileState() override;
    // The lighting panel is shown the device record.
    void ApplyProfile();
    // The default document's entry becomes the current profile's and is saved; then
    // LoadProfileState and ApplyProfile. 1, kProfileNotSaved, or kProfileNotLoaded.
    int LoadDefaultProfile() override;
    // The block to profile p's place; the first status other than 1 (0 with the link closed).
    int WriteSettings(int profile = 0);
    // The device's settings back into the block (clears the same-mode sync flag): the active
    // bank and its block, both under one hold of the command lock. A failed read changes
    // neither the block nor the profile, nor does a good one change the profile. The bank read
    // goes to the main window.
    RingRead ReadSettingsBlock();
    int ResyncFromDevice() override { return ReadSettingsBlock().status; }

    // The device record, also stored into the profile.
    void SetLightInfo(const profiles::LightRecord& record);
    const profiles::LightRecord& GetLightInfo() const { return record_; }

    // The main window's sequences.
    // The record into the profile (saved), the device and the lighting panel; then the settings
    // are written. Same-mode synchronisation applies its records through this.
    profiles::LightRecord CurrentLight() const override { return record_; }
    SequenceResult ApplyLight(const profiles::LightRecord& record) override;
    // Another profile picked (SetProfileIdentifier first). Nothing is written when the
    // identifier names no document.
    SequenceResult SwitchProfile();
    // "default_btn" after the user agreed.
    SequenceResult RestoreDefaults();
    // The profile document was reset to its default by the profile list.
    SequenceResult ResetProfile();

    const RingBlock& Block() const { return settings_.Block(); }
    // The lighting the block holds (after a resync, the device's).
    RingLight BlockLight() const { return DecodeLight(Block()); }
    // What the light thread renders: mode and speed from the block (after a resync they are the
    // device's), brightness, direction, seven-colour flag and colour from the device record.
    lighting::LightSettings LightThreadSettings() const;
    const std::vector<profiles::LightListEntry>& LightList() const { return lightList_; }
    const std::vector<profiles::LightEffectStep>& Effects() const { return effects_; }
    profiles::CBasicProfiledata& Profile() { return *profile_; }

    // Called after LoadProfileState and after a block read: the light thread takes
    // LightThreadSettings and the lists.
    std::function<void(const CRingDeviceCore&)> onLightingState;
    // Called by ApplyProfile and ApplyLight: the lighting panel shows the record.
    std::function<void(const profiles::LightRecord&)> onShowLighting;

protected:
    // After a profile document was loaded (the headset takes its audio settings here).
    virtual void ProfileLoaded() {}

    std::unique_ptr<profiles::CBasicProfiledata> profile_;

private:
    profiles::LightRecord record_;
    RingSettings settings_;
    std::vector<profiles::LightListEntry> lightList_;
    std::vector<profiles::LightEffectStep> effects_;
};

} // namespace orvel::devices
