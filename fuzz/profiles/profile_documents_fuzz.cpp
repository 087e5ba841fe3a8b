// Feeds one document at a time to every reader of profile data and of the profile list: as a
// profile document, as its light configuration and ".light" file, and as the list file. Nothing
// may throw or read outside its folder; every group read and written back unchanged reads the
// same, and a saved document reads back as it was written.
#include "fuzz/document_fuzzing.h"
#include "platform/text.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "profiles/profiledata.h"
#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;
using orvel::fuzzing::Require;

const fs::path& Folder()
{
    static const orvel::testing::TempFolder folder;
    return folder.path();
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

bool IsUtf8(const std::string& bytes)
{
    return orvel::text::ToUtf8(orvel::text::FromUtf8(bytes)) == bytes;
}

// The writer repairs names and strings that are not UTF-8 in a way of its own; the
// documents worth keeping byte for byte are those whose text is all UTF-8.
bool AllTextIsUtf8(const Json::Value& value)
{
    if (value.isString()) {
        return IsUtf8(value.asString());
    }
    if (value.isObject()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!IsUtf8(it.name()) || !AllTextIsUtf8(*it)) {
                return false;
            }
        }
    }
    if (value.isArray()) {
        for (const Json::Value& element : value) {
            if (!AllTextIsUtf8(element)) {
                return false;
            }
        }
    }
    return true;
}

// Compared as text: a number set from an unsigned field reads back as a signed one of the same
// value, which JsonCpp counts as a different value.
void RequireTextReadsBack(const Json::Value& document)
{
    if (!AllTextIsUtf8(document)) {
        return;
    }
    const std::string text = StyledText(document);
    Require(StyledText(orvel::fuzzing::DocumentOf(text)) == text,
            "the styled text of a document reads back as the same text");
}

// The groups every kind has; they are read by the same code for each kind.
void CommonGroups(CBasicProfiledata& data, const Json::Value& document)
{
    data.SetBuiltInLightCount(1);
    data.SetLightConfigPath(Folder() / "zenta_light.config");
    data.LoadLightConfig(document);
    const LightRecord light = data.GetLightInfo();
    data.SetLightInfo(light);
    Require(data.GetLightInfo() == light, "light record written back reads the same");
    const AudioLightRecord audio = data.GetAudioLightInfo();
    data.SetAudioLightInfo(audio);
    Require(data.GetAudioLightInfo() == audio, "audio light record written back reads the same");
    data.GetLightList();
    data.GetLightEffects();
    const std::vector<KeyEntry> keys = data.GetKeyList();
    data.SetKeyAssignments(keys);
    Require(data.GetKeyList() == keys, "key list written back reads the same");
}

void MouseGroups(CMouseProfiledata& mouse)
{
    const std::vector<DpiStage> stages = mouse.GetDpiStages();
    mouse.SetDpiStages(stages);
    Require(mouse.GetDpiStages() == stages, "DPI stages written back read the same");
    const auto system = mouse.GetMouseSystem();
    mouse.SetMouseSystem(system[0], system[1], system[2]);
    Require(mouse.GetMouseSystem() == system, "mouse system words written back read the same");
    mouse.GetActiveDpiStage();
    mouse.GetCorrectInfo();
}

void KeyboardGroups(CKeyboardProfiledata& keyboard)
{
    const auto system = keyboard.GetKeyboardSystem();
    keyboard.SetKeyboardSystem(system[0], system[1], system[2]);
    Require(keyboard.GetKeyboardSystem() == system, "keyboard system words written back read the same");
    // Every colour of a group is read alike: a few of them reach what all 170 of the keyboard do.
    constexpr int kColours = 12;
    for (const int group : {keyboard.GetCustomGroupIndex(), 0}) {
        const std::vector<CustomColour> colours = keyboard.GetCustomColours(group, kColours);
        keyboard.SetCustomColours(colours, group);
        Require(keyboard.GetCustomColours(group, kColours) == colours, "custom colours written back read the same");
    }
}

// Bands read, written back and read again; get gives no bands for what has none.
template <class Get, class Set>
void RequireBandsReadBack(Get get, Set set, const char* what)
{
    const std::vector<int> before = get();
    if (before.size() != EqBands().size()) {
        return;
    }
    EqBands bands {};
    std::copy(before.begin(), before.end(), bands.begin());
    set(bands);
    Require(get() == before, what);
}

void HeadsetGroups(CHs6533Profiledata& headset)
{
    const HeadsetSettings settings = headset.GetHeadsetSettings();
    headset.SetHeadsetSettings(settings);
    Require(headset.GetHeadsetSettings() == settings, "headset settings written back read the same");
    const int type = settings.eqType;
    RequireBandsReadBack([&] { return headset.GetEqPreset(type); },
                         [&](const EqBands& bands) { headset.SetEqPreset(type, bands); },
                         "equaliser preset written back reads the same");
    const int custom = settings.customEqSeletIndex;
    RequireBandsReadBack([&] { return headset.GetCustomEq(custom); },
                         [&](const EqBands& bands) { headset.SetCustomEq(custom, bands); },
                         "custom equaliser written back reads the same");
    const std::vector<std::wstring> names = headset.GetCustomEqNames();
    headset.SetCustomEqNames(names);
    Require(headset.GetCustomEqNames() == names, "custom equaliser names written back read the same");
    headset.RemoveCustomEq(0);
}

void InMemory(const Json::Value& document)
{
    CMouseProfiledata mouse;
    mouse.LoadDocument(document);
    CommonGroups(mouse, document);
    MouseGroups(mouse);
    CKeyboardProfiledata keyboard;
    keyboard.LoadDocument(document);
    KeyboardGroups(keyboard);
    CHs6533Profiledata headset;
    headset.LoadDocument(document);
    HeadsetGroups(headset);
    RequireTextReadsBack(document);
    CBasicProfiledata::LightEffectSteps(document);
}

// What the file operations below branch on: whether the document reads as an object, has a
// device entry, lists profiles (read as the list reads them), and names itself.
unsigned Shape(const Json::Value& document)
{
    const unsigned top = document.isNull() ? 0 : document.isObject() ? 1 : 2;
    const Json::Value& devices = JsonMember(document, "Device");
    const unsigned entry = !devices.isArray() ? 0 : JsonElement(devices, 0).isObject() ? 1 : 2;
    const Json::Value list = CheckedProfileList(document);
    const unsigned listed = list.isNull() ? 0 : JsonMember(list, "profilelist").empty() ? 1 : 2;
    const unsigned named = JsonString(document, "profileUUID") == "p" ? 1 : 0;
    return ((top * 3 + entry) * 3 + listed) * 2 + named;
}

template <class Data>
void LoadAndSave(Data& data, const fs::path& doc, std::string_view bytes)
{
    WriteBytes(doc, bytes);
    data.SetDefaultProfilePath(doc);
    data.SetProfilePath(doc);
    data.SetLightConfigPath(doc);
    data.Load(doc);
    data.LoadScratch(doc);
    data.LoadLightConfig(doc);
    data.GetLightEffects();
    data.SetScratchKeyAssignments(data.GetScratchKeyList());
    if (data.Save() && AllTextIsUtf8(data.DeviceEntry())) {
        Require(StyledText(JsonElement(JsonMember(LoadJsonFile(doc), "Device"), 0)) == StyledText(data.DeviceEntry()),
                "a saved device entry reads back as it was");
    }
}

void OnFiles(std::string_view bytes)
{
    const fs::path folder = Folder() / "HD";
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    const fs::path doc = folder / "p.Json";

    CMouseProfiledata mouse;
    LoadAndSave(mouse, doc, bytes);
    CKeyboardProfiledata keyboard;
    LoadAndSave(keyboard, doc, bytes);
    CHs6533Profiledata headset;
    LoadAndSave(headset, doc, bytes);

    WriteBytes(folder / kProfileListFile, bytes);
    DeviceProfileList list;
    list.SetDeviceKind(7);
    list.SetPaths(folder, doc);
    if (list.InitProfiles().ok()) {
        list.GetProfileCount();
        list.GetProfilePath(0);
        list.CopyProfile();
        list.RenameProfile("x");
        list.ImportProfile(doc);
        list.ExportProfile(Folder() / "export.json");
        list.ResetProfile();
        list.DeleteProfile();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Json::Value document = orvel::fuzzing::DocumentOf(bytes);
    InMemory(document);
    if (orvel::fuzzing::FirstOfItsShape(Shape(document))) {
        OnFiles(bytes);
    }
    return 0;
}
