// Feeds one document at a time to every reader of profile data and of the profile list: as a
// profile document, as its light configuration, and as the list file. Nothing may throw or
// read outside its folder.
#include "profiles/profiledata.h"
#include "profiles/profilelist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;

const fs::path& workFolder()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "orvel-fuzz-profiles-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? fs::path(made) : fs::temp_directory_path() / "orvel-fuzz-profiles";
    }();
    return folder;
}

void writeBytes(const fs::path& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

template <class Data>
void readAll(Data& data, const fs::path& doc)
{
    data.SetDefaultProfilePath(doc);
    data.SetProfilePath(doc);
    data.SetLightConfigPath(doc);
    data.SetBuiltInLightCount(1);
    data.Load(doc);
    data.LoadScratch(doc);
    data.LoadLightConfig(doc);
    data.GetLightInfo();
    data.GetAudioLightInfo();
    data.GetLightList();
    data.GetLightEffects();
    data.SetKeyAssignments(data.GetKeyList());
    data.SetScratchKeyAssignments(data.GetScratchKeyList());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path folder = workFolder() / "HD";
    std::error_code ec;
    fs::remove_all(workFolder(), ec);
    fs::create_directories(folder, ec);
    if (data == nullptr) {
        fs::remove_all(workFolder(), ec);
        return 0;
    }
    const fs::path doc = folder / "p.Json";
    writeBytes(doc, data, size);

    CMouseProfiledata mouse;
    readAll(mouse, doc);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.GetActiveDpiStage();
    mouse.GetMouseSystem();
    mouse.GetCorrectInfo();

    writeBytes(doc, data, size);
    CKeyboardProfiledata keyboard;
    readAll(keyboard, doc);
    keyboard.GetKeyboardSystem();
    const int group = keyboard.GetCustomGroupIndex();
    keyboard.GetCustomColours(group, 170);
    keyboard.GetCustomColours(0, 170);

    writeBytes(doc, data, size);
    CHs6533Profiledata headset;
    readAll(headset, doc);
    const HeadsetSettings s = headset.GetHeadsetSettings();
    headset.GetEqPreset(s.eqType);
    headset.GetCustomEq(s.customEqSeletIndex);
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.RemoveCustomEq(0);
    headset.Save();

    writeBytes(folder / "ProfileList.ini", data, size);
    DeviceProfileList list;
    list.SetDeviceKind(7);
    list.SetPaths(folder, doc);
    if (list.InitProfiles().ok()) {
        list.GetProfileCount();
        list.GetProfilePath(0);
        list.CopyProfile();
        list.RenameProfile("x");
        list.ResetProfile();
        list.DeleteProfile();
    }
    return 0;
}
