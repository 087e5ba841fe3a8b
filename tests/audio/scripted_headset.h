#pragma once
// A headset and its profile over the test library, which offers the headset's headphones and
// microphone with everything the panels use (levels, mutes, the monitor, voice effects, the
// equaliser's bands, virtual surround) until a test takes something away.

#include "audio/eq_presets.h"
#include "audio/headset_audio.h"
#include "tests/audio/scripted_library.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvel::audio::testing {

inline constexpr OsConfDevice kHeadphones{1, 1, 0, 1};
inline constexpr OsConfDevice kMicrophone{2, 2, 0, 1};

class ScriptedHeadset {
public:
    ScriptedHeadset()
    {
        std::filesystem::create_directories(folders.profileFolder);
        library.AddDevice(OSCONF_FLOW_PLAYBACK, kHeadphones);
        library.AddDevice(OSCONF_FLOW_RECORDING, kMicrophone);
        library.SetProperty(kHeadphones.id, "GetSupportFeature", "0,0,0,0,0,0,0");
        library.SetProperty(kHeadphones.id, "Enable_EQ_GFX", "1");
        library.SetProperty(kHeadphones.id, "VirtualSurroundEffectControl", "1");
        for (const std::string_view band : kEqSliderNames)
            library.SetProperty(kHeadphones.id, std::string(band), "0");
        // 0.369995: a level of 37 as a float text gives it back.
        const std::pair<const char*, const char*> microphone[] = {
            {"GetSupportFeature", "131072,0,0,0,0,0,0"}, {"MuteControl", "0"}, {"VolumeScalarControl", "0.369995"},
            {"GetAAMaxVol", "100"}, {"AAMuteControl", "1"}, {"AAVolumeScalarControl", "0.250000"},
            {"Enable_MAGICVOICE", "0"}, {"MagicVoice_Selection", "1"}, {"Enable_MICECHO", "0"},
        };
        for (const auto& [name, text] : microphone)
            library.SetProperty(kMicrophone.id, name, text);
    }

    // The writes since mark, as "name=value".
    std::vector<std::string> Writes() { return library.Writes(mark); }

    // The profile as the next load finds it on disk.
    std::unique_ptr<devices::CHeadsetCore> Stored()
    {
        auto again = std::make_unique<devices::CHeadsetCore>(link, folders);
        again->SetProfileIdentifier("h1");
        EXPECT_EQ(again->LoadProfile(), 1);
        return again;
    }

    orvel::testing::TempFolder temp;
    devices::DeviceFolders folders{temp.path() / "HD", orvel::testing::SourceDefaultData(), "HD"};
    ScriptedLibrary library;
    CDeviceLink link;
    devices::CHeadsetCore headset{link, folders};
    CAudioSdk sdk;
    std::size_t mark = 0;
};

} // namespace orvel::audio::testing
