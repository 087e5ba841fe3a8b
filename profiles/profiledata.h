#pragma once
// The profile data of one device object: the device entry ("Device"[index]) of the selected
// profile document, read and written group by group, with a decoded copy of each group. Only
// files are touched here, never the device. Setters change the entry in memory; Save writes it.
//
// Getters give a neutral result when the entry or its group is missing or wrongly typed; they
// never throw. A document that exists but cannot be read is moved aside (".bad") and rebuilt,
// never overwritten.

#include "profiles/records.h"

#include <json/value.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::profiles {

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // Each returns true when the document is on disk, false when nothing was written.
    virtual bool Save();
    // Re-reads the document at path, replaces its "Device"[device index] and writes it back, so
    // every other key survives.
    virtual bool SaveEntryTo(const Json::Value& entry, const std::filesystem::path& path);
    virtual bool SaveScratchEntryTo(const std::filesystem::path& path);
    virtual bool WriteDocument(const Json::Value& document, const std::filesystem::path& path);

    // An empty path names no document: Save then writes nothing and returns false.
    void SetProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return profilePath_; }
    void SetDefaultProfilePath(const std::filesystem::path& path); // ignored when empty
    void SetLightConfigPath(const std::filesystem::path& path);
    const std::filesystem::path& GetLightConfigPath() const { return lightConfigPath_; }
    void SetDeviceIndex(int index); // 0..255; other values are ignored
    // The number of built-in modes in the kind's mode list: "SelectItem" minus this count names
    // the user light effect.
    void SetBuiltInLightCount(int count);
    // Which element of the light configuration's "LightInfo" holds this device's user effects
    // (the same index the effect names are listed by).
    void SetLightListIndex(int index);

    // Loads the device entry of the document at path; a document without one takes the default
    // document's entry, which is then written into it. Returns a copy of the entry (null when
    // neither has one, and for an empty path, which loads and writes nothing).
    Json::Value Load(const std::filesystem::path& path);
    // Loads the device entry of the default document, which is only read: one that cannot be
    // read stays as it is and gives a null entry, and the entry in memory is kept.
    Json::Value LoadDefault();
    Json::Value LoadScratch(const std::filesystem::path& path);
    Json::Value LoadLightConfig(const std::filesystem::path& path);
    const Json::Value& DeviceEntry() const { return entry_; }
    const Json::Value& ScratchEntry() const { return scratch_; }

    LightRecord GetLightInfo();
    void SetLightInfo(const LightRecord& record);
    AudioLightRecord GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightRecord& record);
    std::vector<LightListEntry> GetLightList();
    // The steps of the selected user effect's ".light" file, which lives beside the light
    // configuration document and is named by a plain "Guid".
    std::vector<LightEffectStep> GetLightEffects();

    std::vector<KeyEntry> GetKeyList();
    void SetKeyAssignments(const std::vector<KeyEntry>& keys);
    std::vector<KeyEntry> GetScratchKeyList();
    void SetScratchKeyAssignments(const std::vector<KeyEntry>& keys);

protected:
    // Forgets the decoded copies that a getter keeps when their group is missing, so nothing of
    // the previous profile shows through after a Load.
    virtual void ForgetPreviousProfile();
    // The device entry made an object, for writing.
    Json::Value& WritableEntry();

private:
    Json::Value loadEntry(const std::filesystem::path& path);
    Json::Value defaultEntry() const;
    static std::vector<KeyEntry> decodeKeys(const Json::Value& entry);
    static void encodeKeys(Json::Value& entry, const std::vector<KeyEntry>& keys);

    std::filesystem::path profilePath_;
    std::filesystem::path defaultProfilePath_;
    int builtInLightCount_ = 0;
    int lightListIndex_ = 0;
    LightRecord current_;
    LightRecord fallback_;
    AudioLightRecord audio_;
    std::vector<LightListEntry> lightList_;
    Json::Value entry_;
    Json::Value scratch_;
    std::filesystem::path lightConfigPath_;
    std::vector<LightEffectStep> effects_;
    Json::Value lightConfig_;
    std::vector<KeyEntry> keys_;
    std::vector<KeyEntry> scratchKeys_;

protected:
    int deviceIndex_ = 0;
};

class CMouseProfiledata : public CBasicProfiledata {
public:
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int GetActiveDpiStage() const { return activeStage_; }
    void SetActiveDpiStage(int stage);
    std::array<uint32_t, 3> GetMouseSystem();
    void SetMouseSystem(uint32_t w0, uint32_t w1, uint32_t w2);
    std::vector<CorrectEntry> GetCorrectInfo();

protected:
    void ForgetPreviousProfile() override;

private:
    std::vector<DpiStage> stages_;
    int activeStage_ = 0;
    MouseSystemSettings system_;
    std::vector<CorrectEntry> corrections_;
};

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    std::array<uint32_t, 3> GetKeyboardSystem();
    void SetKeyboardSystem(uint32_t w0, uint32_t w1, uint32_t w2);
    // The colours of group g (0..255), count of them (0..1024); a missing group or colour is
    // created with zeros in the entry.
    std::vector<CustomColour> GetCustomColours(int group, int count);
    void SetCustomColours(const std::vector<CustomColour>& colours, int group);
    int GetCustomGroupIndex();
    void SetCustomGroupIndex(int group);

private:
    KeyboardSystemSettings system_;
    std::vector<CustomColour> colours_;
    int groupIndex_ = 0;
};

using EqBands = std::array<int, 10>;

class CHs6533Profiledata : public CBasicProfiledata {
public:
    // "EqType" 13 is the custom equaliser.
    static constexpr int kCustomEqType = 13;
    // The "EQHzValueInfo" element used for an "EqType"; -1 for the custom equaliser.
    static int EqPresetIndex(int eqType);

    HeadsetSettings GetHeadsetSettings();
    void SetHeadsetSettings(const HeadsetSettings& settings);
    // Empty for the custom type; a missing preset is created with zeros.
    std::vector<int> GetEqPreset(int eqType);
    void SetEqPreset(int eqType, const EqBands& bands);
    // Custom equaliser 0..255; a missing one is created with zeros. Other indexes read empty.
    std::vector<int> GetCustomEq(int index);
    void SetCustomEq(int index, const EqBands& bands);
    std::vector<std::wstring> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::wstring>& names);
    // Removes the name and the bands of one custom equaliser together, so the later ones keep
    // their values.
    void RemoveCustomEq(int index);

private:
    std::vector<int> readBands(const char* key, int index);
    void writeBands(const char* key, int index, const EqBands& bands);

    HeadsetSettings settings_;
    std::vector<int> bands_;
};

} // namespace orvel::profiles
