#include "profiles/profiledata.h"

#include "platform/debuglog.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "profiles/profilefiles.h"

namespace orvel::profiles {
namespace fs = std::filesystem;

namespace {

uint8_t byteOf(const Json::Value& object, const char* key)
{
    return static_cast<uint8_t>(JsonUInt(object, key));
}

uint8_t flagOf(const Json::Value& object, const char* key)
{
    return JsonBool(object, key) ? 1 : 0;
}

uint16_t wordOf(const Json::Value& object, const char* key)
{
    return static_cast<uint16_t>(JsonUInt(object, key));
}

// "SystemStages" keys in word order; the mouse keeps its sixth value in "ReportStages".
const std::vector<const char*> kMouseSystemKeys = {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage",
                                                   "WheelScorlllinse"};
const std::vector<const char*> kKeyboardSystemKeys = {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"};

void readWords(const Json::Value& object, const std::vector<const char*>& keys, SixValues& out)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        out.values[i] = wordOf(object, keys[i]);
    }
}

void writeWords(Json::Value& object, const std::vector<const char*>& keys, const SixValues& in)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        object[keys[i]] = in.values[i];
    }
}

// The eight values of a per-LED effect, shared by "LightList" entries and ".light" steps.
LedEffect ledEffectOf(const Json::Value& e)
{
    return {byteOf(e, "LEDREGMode"), byteOf(e, "LEDBrightness"), byteOf(e, "LEDSpeed"), flagOf(e, "LEDDirection"),
            flagOf(e, "LEDMultiColor"), byteOf(e, "red"), byteOf(e, "green"), byteOf(e, "blue")};
}

Json::Value& elementOf(Json::Value& parent, const char* key, int index)
{
    return JsonElementAt(JsonArrayAt(parent, key), static_cast<Json::ArrayIndex>(index));
}

} // namespace

// ---- files ----

bool CBasicProfiledata::Save()
{
    return SaveEntryTo(entry_, profilePath_);
}

bool CBasicProfiledata::SaveEntryTo(const Json::Value& entry, const fs::path& path)
{
    Json::Value document;
    if (path.empty() || !ReadProfileDocument(path, document)) {
        return false;
    }
    elementOf(document, "Device", deviceIndex_) = entry;
    return SaveJsonFile(path, document);
}

bool CBasicProfiledata::SaveScratchEntryTo(const fs::path& path)
{
    return SaveEntryTo(scratch_, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document, const fs::path& path)
{
    return !path.empty() && SaveJsonFile(path, document);
}

void CBasicProfiledata::SetProfilePath(const fs::path& path)
{
    profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const fs::path& path)
{
    if (!path.empty()) {
        defaultProfilePath_ = path;
    }
}

void CBasicProfiledata::SetLightConfigPath(const fs::path& path)
{
    lightConfigPath_ = path;
}

void CBasicProfiledata::SetDeviceIndex(int index)
{
    if (index >= 0 && index <= 255) {
        deviceIndex_ = index;
    }
}

void CBasicProfiledata::SetBuiltInLightCount(int count)
{
    builtInLightCount_ = count;
}

void CBasicProfiledata::SetLightListIndex(int index)
{
    lightListIndex_ = index;
}

Json::Value CBasicProfiledata::loadEntry(const fs::path& path)
{
    if (path.empty()) {
        return Json::Value();
    }
    Json::Value document;
    const bool writable = ReadProfileDocument(path, document);
    const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
    Json::Value entry = JsonElement(JsonArray(document, "Device"), index);
    if (entry.isObject()) {
        return entry;
    }
    entry = defaultEntry();
    if (entry.isNull()) {
        return entry;
    }
    elementOf(document, "Device", deviceIndex_) = entry;
    if (writable) {
        SaveJsonFile(path, document);
    }
    return entry;
}

Json::Value CBasicProfiledata::defaultEntry() const
{
    // Only read: the default document is the program's own, never moved aside or rewritten.
    Json::Value entry = JsonElement(JsonArray(LoadJsonFile(defaultProfilePath_), "Device"),
                                    static_cast<Json::ArrayIndex>(deviceIndex_));
    return entry.isObject() ? entry : Json::Value();
}

Json::Value CBasicProfiledata::Load(const fs::path& path)
{
    ForgetPreviousProfile();
    entry_ = loadEntry(path);
    return entry_;
}

Json::Value CBasicProfiledata::LoadDefault()
{
    Json::Value entry = defaultEntry();
    if (entry.isNull()) {
        return entry; // an unreadable default leaves the profile in memory as it is
    }
    ForgetPreviousProfile();
    entry_ = std::move(entry);
    return entry_;
}

Json::Value CBasicProfiledata::LoadScratch(const fs::path& path)
{
    scratch_ = loadEntry(path);
    return scratch_;
}

Json::Value CBasicProfiledata::LoadLightConfig(const fs::path& path)
{
    lightConfig_ = LoadJsonFile(path);
    return lightConfig_;
}

void CBasicProfiledata::ForgetPreviousProfile()
{
    audio_ = AudioLightRecord();
}

Json::Value& CBasicProfiledata::WritableEntry()
{
    if (!entry_.isObject()) {
        entry_ = Json::Value(Json::objectValue);
    }
    return entry_;
}

// ---- lighting ----

LightRecord CBasicProfiledata::GetLightInfo()
{
    const Json::Value& info = JsonObject(entry_, "LightInfo");
    if (info.isNull()) {
        current_ = fallback_;
        return current_;
    }
    LightRecord r;
    r.selectItem = byteOf(info, "SelectItem");
    r.light = byteOf(info, "Light");
    r.speed = byteOf(info, "Speed");
    r.fx = byteOf(info, "Fx");
    r.multiColor = flagOf(info, "MultiColor");
    r.red = byteOf(info, "Red");
    r.green = byteOf(info, "Green");
    r.blue = byteOf(info, "Blue");
    r.zzccLedMode = byteOf(info, "ZZCCLedMode");
    r.customGroup = byteOf(info, "CustomGroup");
    r.oldLedmode = byteOf(info, "OldLedmode");
    current_ = r;
    return current_;
}

void CBasicProfiledata::SetLightInfo(const LightRecord& r)
{
    current_ = r;
    current_.unused = {};
    Json::Value& info = JsonObjectAt(WritableEntry(), "LightInfo");
    info["SelectItem"] = r.selectItem;
    info["Light"] = r.light;
    info["Speed"] = r.speed;
    info["Fx"] = r.fx;
    info["MultiColor"] = r.multiColor;
    info["Red"] = r.red;
    info["Green"] = r.green;
    info["Blue"] = r.blue;
    info["ZZCCLedMode"] = r.zzccLedMode;
    info["CustomGroup"] = r.customGroup;
    info["OldLedmode"] = r.oldLedmode;
}

AudioLightRecord CBasicProfiledata::GetAudioLightInfo()
{
    const Json::Value& info = JsonObject(entry_, "AudioLightInfo");
    if (info.isNull()) {
        return audio_;
    }
    audio_.audioMode = byteOf(info, "AudioMode");
    audio_.bkColorR = byteOf(info, "BkColorR");
    audio_.bkColorG = byteOf(info, "BkColorG");
    audio_.bkColorB = byteOf(info, "BkColorB");
    audio_.fgColorR = byteOf(info, "FgColorR");
    audio_.fgColorG = byteOf(info, "FgColorG");
    audio_.fgColorB = byteOf(info, "FgColorB");
    audio_.sevenColorFlags = flagOf(info, "7ColorFlags");
    audio_.colorTypeFlags = flagOf(info, "ColorTypeFlags");
    return audio_;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightRecord& r)
{
    audio_ = r;
    Json::Value& info = JsonObjectAt(WritableEntry(), "AudioLightInfo");
    info["AudioMode"] = r.audioMode;
    info["BkColorR"] = r.bkColorR;
    info["BkColorG"] = r.bkColorG;
    info["BkColorB"] = r.bkColorB;
    info["FgColorR"] = r.fgColorR;
    info["FgColorG"] = r.fgColorG;
    info["FgColorB"] = r.fgColorB;
    info["7ColorFlags"] = r.sevenColorFlags;
    info["ColorTypeFlags"] = r.colorTypeFlags;
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList()
{
    const Json::Value& list = JsonArray(entry_, "LightList");
    lightList_.assign(list.size(), LightListEntry());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& e = list[i];
        if (!e.isObject()) {
            continue;
        }
        lightList_[i] = {ledEffectOf(e), 1};
    }
    return lightList_;
}

std::vector<LightEffectStep> CBasicProfiledata::GetLightEffects()
{
    effects_.clear();
    const int n = int(current_.selectItem) - builtInLightCount_;
    const Json::Value& all = JsonArray(lightConfig_, "LightInfo");
    if (n < 0 || all.isNull()) {
        return effects_;
    }
    // The effects are listed per lighting-list index; a flat list serves every index.
    const bool flat = JsonElement(all, 0).isObject();
    const Json::Value& list = flat ? all : JsonElement(all, static_cast<Json::ArrayIndex>(lightListIndex_));
    const std::string guid = JsonString(JsonElement(list, static_cast<Json::ArrayIndex>(n)), "Guid");
    if (!paths::IsPlainName(guid)) {
        if (!guid.empty()) {
            debuglog::Writef("light effect name refused: %s", guid.c_str());
        }
        return effects_;
    }
    const Json::Value file = LoadJsonFile(lightConfigPath_.parent_path() / (guid + ".light"));
    for (const Json::Value& step : JsonArray(file, "LEDEffectList")) {
        effects_.push_back({ledEffectOf(step), static_cast<int32_t>(JsonUInt(step, "Time")),
                            static_cast<int32_t>(JsonUInt(step, "Cyle"))});
    }
    return effects_;
}

// ---- keys ----

std::vector<KeyEntry> CBasicProfiledata::decodeKeys(const Json::Value& entry)
{
    const Json::Value& list = JsonArray(entry, "KeyList");
    std::vector<KeyEntry> keys(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const auto position = static_cast<uint16_t>(i);
        keys[i].current = KeyHalf::FromCode(position, JsonUInt(list[i], "Assignment"));
        keys[i].defaults = KeyHalf::FromCode(position, JsonUInt(list[i], "DefaultAssignment"));
    }
    return keys;
}

void CBasicProfiledata::encodeKeys(Json::Value& entry, const std::vector<KeyEntry>& keys)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        JsonSet(elementOf(entry, "KeyList", int(i)), "Assignment", keys[i].current.Code());
    }
}

std::vector<KeyEntry> CBasicProfiledata::GetKeyList()
{
    keys_ = decodeKeys(entry_);
    return keys_;
}

void CBasicProfiledata::SetKeyAssignments(const std::vector<KeyEntry>& keys)
{
    keys_ = keys;
    encodeKeys(WritableEntry(), keys);
}

std::vector<KeyEntry> CBasicProfiledata::GetScratchKeyList()
{
    scratchKeys_ = decodeKeys(scratch_);
    return scratchKeys_;
}

void CBasicProfiledata::SetScratchKeyAssignments(const std::vector<KeyEntry>& keys)
{
    scratchKeys_ = keys;
    if (!scratch_.isObject()) {
        scratch_ = Json::Value(Json::objectValue);
    }
    encodeKeys(scratch_, keys);
}

// ---- mouse ----

void CMouseProfiledata::ForgetPreviousProfile()
{
    CBasicProfiledata::ForgetPreviousProfile();
    stages_.clear();
    activeStage_ = 0;
}

std::vector<DpiStage> CMouseProfiledata::GetDpiStages()
{
    const Json::Value& dpi = JsonObject(DeviceEntry(), "DPIStages");
    if (dpi.isNull()) {
        return stages_;
    }
    activeStage_ = JsonInt(dpi, "StageActive");
    const Json::Value& list = JsonArray(dpi, "StageDPIs");
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& e = list[i];
        const DpiStage s {byteOf(e, "StageActive"), byteOf(e, "StageXY"), wordOf(e, "StageDPIX"), wordOf(e, "StageDPIY"),
                          byteOf(e, "StageColorR"), byteOf(e, "StageColorG"), byteOf(e, "StageColorB")};
        if (i < stages_.size()) {
            stages_[i] = s;
        } else {
            stages_.push_back(s);
        }
    }
    return stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages)
{
    stages_ = stages;
    Json::Value& dpi = JsonObjectAt(WritableEntry(), "DPIStages");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value& e = elementOf(dpi, "StageDPIs", int(i));
        JsonSet(e, "StageActive", stages[i].enabled);
        e["StageXY"] = stages[i].separateXY;
        e["StageDPIX"] = stages[i].levelX;
        e["StageDPIY"] = stages[i].levelY;
        e["StageColorR"] = stages[i].red;
        e["StageColorG"] = stages[i].green;
        e["StageColorB"] = stages[i].blue;
    }
}

void CMouseProfiledata::SetActiveDpiStage(int stage)
{
    activeStage_ = stage;
    JsonObjectAt(WritableEntry(), "DPIStages")["StageActive"] = stage;
}

std::array<uint32_t, 3> CMouseProfiledata::GetMouseSystem()
{
    const Json::Value& sys = JsonObject(DeviceEntry(), "SystemStages");
    system_ = MouseSystemSettings();
    if (!sys.isNull()) {
        readWords(sys, kMouseSystemKeys, system_);
        system_.values[5] = wordOf(JsonObject(DeviceEntry(), "ReportStages"), "StageActive");
    }
    return system_.ToWords();
}

void CMouseProfiledata::SetMouseSystem(uint32_t w0, uint32_t w1, uint32_t w2)
{
    system_ = MouseSystemSettings::FromWords(w0, w1, w2);
    writeWords(JsonObjectAt(WritableEntry(), "SystemStages"), kMouseSystemKeys, system_);
    JsonObjectAt(WritableEntry(), "ReportStages")["StageActive"] = system_.values[5];
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectInfo()
{
    corrections_.clear();
    for (const Json::Value& e : JsonArray(DeviceEntry(), "CorrectInfo")) {
        corrections_.push_back({byteOf(e, "CorrectPixThresh"), byteOf(e, "CorrectMinSq"), byteOf(e, "CorrectSelect"),
                                text::FromUtf8(JsonString(e, "CorrectName"))});
    }
    return corrections_;
}

// ---- keyboard ----

std::array<uint32_t, 3> CKeyboardProfiledata::GetKeyboardSystem()
{
    const Json::Value& sys = JsonObject(DeviceEntry(), "SystemStages");
    system_ = KeyboardSystemSettings();
    if (!sys.isNull()) {
        readWords(sys, kKeyboardSystemKeys, system_);
    }
    return system_.ToWords();
}

void CKeyboardProfiledata::SetKeyboardSystem(uint32_t w0, uint32_t w1, uint32_t w2)
{
    system_ = KeyboardSystemSettings::FromWords(w0, w1, w2);
    writeWords(JsonObjectAt(WritableEntry(), "SystemStages"), kKeyboardSystemKeys, system_);
}

std::vector<CustomColour> CKeyboardProfiledata::GetCustomColours(int group, int count)
{
    colours_.clear();
    if (group < 0 || group > 255 || count < 0 || count > 1024) {
        return colours_;
    }
    colours_.resize(size_t(count));
    if (!DeviceEntry().isObject()) {
        return colours_;
    }
    Json::Value& groups = JsonArrayAt(JsonObjectAt(WritableEntry(), "CustomLightMode"), "LightColorInfo");
    Json::Value& colours = JsonElementAt(groups, Json::ArrayIndex(group));
    const bool missing = !colours.isArray();
    for (int j = 0; j < count; ++j) {
        Json::Value& c = JsonElementAt(colours, Json::ArrayIndex(j));
        if (missing || !c.isObject()) {
            c = Json::Value(Json::objectValue);
            c["Red"] = 0;
            c["Green"] = 0;
            c["Blue"] = 0;
            c["Alpha"] = 0;
            continue;
        }
        colours_[size_t(j)] = {byteOf(c, "Red"), byteOf(c, "Green"), byteOf(c, "Blue"), byteOf(c, "Alpha")};
    }
    return colours_;
}

void CKeyboardProfiledata::SetCustomColours(const std::vector<CustomColour>& colours, int group)
{
    if (group < 0 || group > 255) {
        return;
    }
    colours_ = colours;
    Json::Value& groups = JsonArrayAt(JsonObjectAt(WritableEntry(), "CustomLightMode"), "LightColorInfo");
    Json::Value& list = JsonElementAt(groups, Json::ArrayIndex(group));
    for (size_t i = 0; i < colours.size(); ++i) {
        Json::Value& c = JsonElementAt(list, Json::ArrayIndex(i));
        JsonSet(c, "Red", colours[i].red);
        c["Green"] = colours[i].green;
        c["Blue"] = colours[i].blue;
        c["Alpha"] = colours[i].alpha;
    }
}

int CKeyboardProfiledata::GetCustomGroupIndex()
{
    groupIndex_ = JsonInt(JsonObject(DeviceEntry(), "CustomLightMode"), "CustomLightModeGroupIndex");
    return groupIndex_;
}

void CKeyboardProfiledata::SetCustomGroupIndex(int group)
{
    groupIndex_ = group;
    JsonObjectAt(WritableEntry(), "CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

// ---- headset ----

int CHs6533Profiledata::EqPresetIndex(int eqType)
{
    if (eqType == kCustomEqType) {
        return -1;
    }
    return eqType >= 1 && eqType <= 12 ? eqType : 1;
}

HeadsetSettings CHs6533Profiledata::GetHeadsetSettings()
{
    const Json::Value& s = JsonObject(DeviceEntry(), "SystemSetStages");
    settings_ = HeadsetSettings();
    if (!s.isNull()) {
        settings_ = {JsonInt(s, "MagicEnable"),      JsonInt(s, "MagicType"),  JsonInt(s, "EqType"),
                     JsonInt(s, "CustomEqSeletIndex"), JsonInt(s, "MicInSelect"), JsonInt(s, "MicInValue"),
                     JsonInt(s, "MicMoniterSelect"), JsonInt(s, "MicMoniterValue")};
    }
    return settings_;
}

void CHs6533Profiledata::SetHeadsetSettings(const HeadsetSettings& v)
{
    settings_ = v;
    Json::Value& s = JsonObjectAt(WritableEntry(), "SystemSetStages");
    s["MagicEnable"] = v.magicEnable;
    s["MagicType"] = v.magicType;
    s["EqType"] = v.eqType;
    s["CustomEqSeletIndex"] = v.customEqSeletIndex;
    s["MicInSelect"] = v.micInSelect;
    s["MicInValue"] = v.micInValue;
    s["MicMoniterSelect"] = v.micMoniterSelect;
    s["MicMoniterValue"] = v.micMoniterValue;
}

std::vector<int> CHs6533Profiledata::readBands(const char* key, int index)
{
    bands_.clear();
    if (index < 0 || index > 255) {
        return bands_;
    }
    bands_.assign(10, 0);
    if (!DeviceEntry().isObject()) {
        return bands_;
    }
    const Json::Value& list = JsonElement(JsonArray(DeviceEntry(), key), Json::ArrayIndex(index));
    if (!list.isArray()) {
        writeBands(key, index, EqBands {});
        return bands_;
    }
    for (Json::ArrayIndex i = 0; i < 10; ++i) {
        bands_[i] = JsonInt(JsonElement(list, i), "value");
    }
    return bands_;
}

void CHs6533Profiledata::writeBands(const char* key, int index, const EqBands& bands)
{
    if (index < 0 || index > 255) {
        return;
    }
    Json::Value& list = elementOf(WritableEntry(), key, index);
    for (Json::ArrayIndex i = 0; i < 10; ++i) {
        JsonSet(JsonElementAt(list, i), "value", bands[i]);
    }
}

std::vector<int> CHs6533Profiledata::GetEqPreset(int eqType)
{
    return readBands("EQHzValueInfo", EqPresetIndex(eqType));
}

void CHs6533Profiledata::SetEqPreset(int eqType, const EqBands& bands)
{
    writeBands("EQHzValueInfo", EqPresetIndex(eqType), bands);
}

std::vector<int> CHs6533Profiledata::GetCustomEq(int index)
{
    return readBands("CustomEQHzValueInfo", index);
}

void CHs6533Profiledata::SetCustomEq(int index, const EqBands& bands)
{
    writeBands("CustomEQHzValueInfo", index, bands);
}

std::vector<std::wstring> CHs6533Profiledata::GetCustomEqNames()
{
    std::vector<std::wstring> names;
    for (const Json::Value& e : JsonArray(DeviceEntry(), "CustomEQNameInfo")) {
        names.push_back(text::FromUtf8(JsonString(e, "Name")));
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::wstring>& names)
{
    Json::Value list(Json::arrayValue);
    for (const auto& name : names) {
        Json::Value e(Json::objectValue);
        e["Name"] = text::ToUtf8(name);
        list.append(e);
    }
    WritableEntry()["CustomEQNameInfo"] = list;
}

void CHs6533Profiledata::RemoveCustomEq(int index)
{
    if (index < 0 || !DeviceEntry().isObject()) {
        return;
    }
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
        Json::Value& list = WritableEntry()[key];
        if (list.isArray() && Json::ArrayIndex(index) < list.size()) {
            Json::Value removed;
            list.removeIndex(Json::ArrayIndex(index), &removed);
        }
    }
}

} // namespace orvel::profiles
