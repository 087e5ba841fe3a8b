// The headset audio panels' rules on a real profile, against the test library.

#include "audio/eq_presets.h"
#include "audio/headset_audio.h"
#include "tests/audio/scripted_library.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace orvel::audio {
namespace {

using Outcome = AudioChange::Outcome;
using testing::ScriptedLibrary;
using Strings = std::vector<std::string>;

constexpr OsConfDevice kHeadphones{1, 1, 0, 1};
constexpr OsConfDevice kMicrophone{2, 2, 0, 1};

std::vector<std::string> BandWrites(const profiles::EqBands& bands)
{
    std::vector<std::string> writes{"Enable_EQ_GFX=1"};
    for (std::size_t i = 0; i < bands.size(); ++i)
        writes.push_back("EQ_Slider" + std::to_string(i + 1) + "=" + std::to_string(bands[i]));
    return writes;
}

class HeadsetAudioTest : public ::testing::Test {
protected:
    HeadsetAudioTest()
    {
        std::filesystem::create_directories(folders.profileFolder);
        library.AddDevice(OSCONF_FLOW_PLAYBACK, kHeadphones);
        library.AddDevice(OSCONF_FLOW_RECORDING, kMicrophone);
        library.SetProperty(kHeadphones.id, "GetSupportFeature", "0,0,0,0,0,0,0");
        library.SetProperty(kHeadphones.id, "Enable_EQ_GFX", "1");
        for (const std::string_view band : kEqSliderNames)
            library.SetProperty(kHeadphones.id, std::string(band), "0");
        const std::pair<const char*, const char*> microphone[] = {
            {"GetSupportFeature", "131072,0,0,0,0,0,0"},
            {"MuteControl", "0"},
            {"VolumeScalarControl", "0.369995"},
            {"GetAAMaxVol", "100"},
            {"AAMuteControl", "1"},
            {"AAVolumeScalarControl", "0.250000"},
            {"Enable_MAGICVOICE", "0"},
            {"MagicVoice_Selection", "1"},
            {"Enable_MICECHO", "0"},
        };
        for (const auto& [name, text] : microphone)
            library.SetProperty(kMicrophone.id, name, text);
    }

    // The library started and the profile shown, as at the headset's attach.
    void Attach()
    {
        headset.SetProfileIdentifier("h1");
        ASSERT_EQ(headset.LoadProfile(), 1);
        ASSERT_TRUE(sdk.Start(testing::ScriptedSdk()));
        audio.Show();
        mark = library.CallCount();
    }

    Strings Writes() { return library.Writes(mark); }

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
    CHeadsetAudioCore audio{headset, sdk};
    std::size_t mark = 0;
};

TEST_F(HeadsetAudioTest, ShowTakesTheLevelsFromTheSoundServerAndTheRestFromTheProfile)
{
    Attach();
    const HeadsetAudioView& view = audio.View();
    // The default profile: preset 5, monitor off at 50, voice effect off with voice 1.
    EXPECT_EQ(view.eqType, 5);
    EXPECT_FALSE(view.customEnabled);
    EXPECT_EQ(view.bands, *PresetBands(5));
    EXPECT_TRUE(view.micOn);
    // 0.369995 is what a level of 37 reads back as.
    EXPECT_EQ(view.micLevel, 37);
    EXPECT_FALSE(view.monitorOn);
    EXPECT_EQ(view.monitorLevel, 25);
    EXPECT_TRUE(view.micLevelAvailable && view.micMuteAvailable && view.monitorLevelAvailable &&
                view.monitorMuteAvailable && view.equaliserApplied && view.voiceEffectsOffered);
    EXPECT_EQ(view.magicType, 2);
    // Reading changes nothing on the device.
    EXPECT_TRUE(Writes().empty());
}

TEST_F(HeadsetAudioTest, EachPresetWritesItsBandsAndIsStoredWithThem)
{
    Attach();
    for (int preset = 1; preset <= kPresetCount; ++preset) {
        mark = library.CallCount();
        const AudioChange change = audio.SelectPreset(preset);
        EXPECT_EQ(change.outcome, Outcome::Done);
        EXPECT_EQ(Writes(), BandWrites(*PresetBands(preset))) << preset;
        EXPECT_EQ(audio.View().eqType, preset);
        auto stored = Stored();
        EXPECT_EQ(stored->AudioSettings().eqType, preset);
        const std::vector<int> bands = stored->HeadsetProfile().GetEqPreset(preset);
        EXPECT_TRUE(std::equal(bands.begin(), bands.end(), PresetBands(preset)->begin())) << preset;
    }
    EXPECT_EQ(audio.SelectPreset(0).outcome, Outcome::Ignored);
    EXPECT_EQ(audio.SelectPreset(14).outcome, Outcome::Ignored);
}

TEST_F(HeadsetAudioTest, MovingABandLeavesThePresetForAnUnsavedCustomEqualiser)
{
    Attach();
    audio.SelectPreset(3);
    mark = library.CallCount();
    EXPECT_EQ(audio.ChangeBand(4, 9).outcome, Outcome::Done);
    EXPECT_EQ(Writes(), (Strings{"EQ_Slider5=9"}));
    EXPECT_EQ(audio.View().eqType, kCustomEqType);
    EXPECT_EQ(audio.View().customIndex, -1);
    EXPECT_TRUE(audio.View().customEnabled);
    EXPECT_EQ(audio.View().bands[4], 9);
    // Nothing is stored until a custom equaliser is saved.
    EXPECT_EQ(Stored()->AudioSettings().eqType, 3);
    // The sliders' range holds.
    mark = library.CallCount();
    audio.ChangeBand(0, 99);
    EXPECT_EQ(Writes(), (Strings{"EQ_Slider1=20"}));
    EXPECT_EQ(audio.ChangeBand(10, 1).outcome, Outcome::Ignored);
}

TEST_F(HeadsetAudioTest, CustomNamesAreUniqueIgnoringCaseAndAtMostTwenty)
{
    Attach();
    audio.ChangeBand(0, 5);
    const AudioChange saved = audio.SaveCustom(L"  Bass ");
    EXPECT_EQ(saved.outcome, Outcome::Done);
    EXPECT_TRUE(saved.clearNameEdit);
    EXPECT_EQ(audio.View().customNames, (std::vector<std::wstring>{L"Bass"}));
    EXPECT_EQ(audio.View().customIndex, 0);

    const AudioChange taken = audio.SaveCustom(L"BASS");
    EXPECT_EQ(taken.outcome, Outcome::NameTaken);
    EXPECT_EQ(taken.result.messages, (std::vector<devices::UserMessage>{{"message_text_5"}}));
    EXPECT_FALSE(taken.clearNameEdit);

    for (int i = 2; i <= kMostCustomEqualisers; ++i)
        ASSERT_EQ(audio.SaveCustom(L"eq " + std::to_wstring(i)).outcome, Outcome::Done);
    EXPECT_EQ(audio.SaveCustom(L"one more").outcome, Outcome::ListFull);
    auto stored = Stored();
    EXPECT_EQ(stored->CustomEqNames().size(), 20U);
    EXPECT_EQ(stored->AudioSettings().customEqSeletIndex, 19);
    EXPECT_EQ(stored->HeadsetProfile().GetCustomEq(0)[0], 5);
}

TEST_F(HeadsetAudioTest, SavingWithoutANameStoresTheShownBandsIntoTheSelectedEqualiser)
{
    Attach();
    audio.ChangeBand(0, 1);
    audio.SaveCustom(L"A");
    audio.ChangeBand(0, 2);
    audio.SaveCustom(L"B");
    EXPECT_EQ(audio.SelectCustom(0).outcome, Outcome::Done);
    audio.ChangeBand(9, -7);
    EXPECT_EQ(audio.View().customIndex, 0);
    EXPECT_EQ(audio.SaveCustom(L" ").outcome, Outcome::Done);
    auto stored = Stored();
    EXPECT_EQ(stored->HeadsetProfile().GetCustomEq(0), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, -7}));
    EXPECT_EQ(stored->HeadsetProfile().GetCustomEq(1)[9], 0);
    // A band moved from a preset selects no custom equaliser, so an empty name saves nothing.
    audio.SelectPreset(2);
    audio.ChangeBand(0, 3);
    EXPECT_EQ(audio.SaveCustom(L"").outcome, Outcome::Ignored);
}

TEST_F(HeadsetAudioTest, DeletingKeepsLaterNamesWithTheirBandsAndWritesTheBandsNowShown)
{
    Attach();
    const profiles::EqBands a{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, b{2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
        c{3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    for (const auto& [name, bands] : {std::pair{L"A", a}, std::pair{L"B", b}, std::pair{L"C", c}}) {
        for (int i = 0; i < kEqBandCount; ++i)
            audio.ChangeBand(i, bands[static_cast<std::size_t>(i)]);
        ASSERT_EQ(audio.SaveCustom(name).outcome, Outcome::Done);
    }
    audio.SelectCustom(1);
    mark = library.CallCount();
    EXPECT_EQ(audio.DeleteCustom().outcome, Outcome::Done);
    EXPECT_EQ(audio.View().customNames, (std::vector<std::wstring>{L"A", L"C"}));
    EXPECT_EQ(audio.View().customIndex, 0);
    EXPECT_EQ(audio.View().bands, a);
    EXPECT_EQ(Writes(), BandWrites(a));
    audio.SelectCustom(1);
    EXPECT_EQ(audio.View().bands, c);
    auto stored = Stored();
    EXPECT_EQ(stored->CustomEqNames(), (std::vector<std::wstring>{L"A", L"C"}));
    EXPECT_EQ(stored->HeadsetProfile().GetCustomEq(1)[0], 3);
}

TEST_F(HeadsetAudioTest, DeletingTheLastCustomEqualiserReturnsToPresetOne)
{
    Attach();
    audio.ChangeBand(2, 8);
    audio.SaveCustom(L"only");
    mark = library.CallCount();
    EXPECT_EQ(audio.DeleteCustom().outcome, Outcome::Done);
    const profiles::EqBands presetOne = *PresetBands(1);
    EXPECT_EQ(audio.View().eqType, 1);
    EXPECT_FALSE(audio.View().customEnabled);
    EXPECT_EQ(audio.View().bands, presetOne);
    EXPECT_EQ(Writes(), BandWrites(presetOne));
    auto stored = Stored();
    EXPECT_EQ(stored->AudioSettings().eqType, 1);
    EXPECT_TRUE(stored->CustomEqNames().empty());
    EXPECT_EQ(audio.DeleteCustom().outcome, Outcome::Ignored);
}

TEST_F(HeadsetAudioTest, ChoosingTheCustomOptionAppliesTheSelectedEqualiser)
{
    Attach();
    audio.ChangeBand(0, -4);
    audio.SaveCustom(L"mine");
    audio.SelectPreset(2);
    mark = library.CallCount();
    EXPECT_EQ(audio.SelectPreset(kCustomEqType).outcome, Outcome::Done);
    EXPECT_EQ(Writes().at(1), "EQ_Slider1=-4");
    auto stored = Stored();
    EXPECT_EQ(stored->AudioSettings().eqType, kCustomEqType);
    EXPECT_EQ(stored->EqBands().at(0), -4);
}

TEST_F(HeadsetAudioTest, ALevelGoesAsAScalarOnItsChannelAndIsStoredOnlyWhenTaken)
{
    Attach();
    EXPECT_EQ(audio.SetMicLevel(37).outcome, Outcome::Done);
    EXPECT_EQ(audio.SetMonitorLevel(80).outcome, Outcome::Done);
    EXPECT_EQ(Writes(), (Strings{"VolumeScalarControl=0.37", "AAVolumeScalarControl=0.80"}));
    const auto calls = library.Calls(mark);
    EXPECT_EQ(calls.at(0).parameter[0], -1);
    EXPECT_EQ(calls.at(1).parameter[0], 0);
    EXPECT_EQ(Stored()->AudioSettings().micInValue, 37);
    EXPECT_EQ(Stored()->AudioSettings().micMoniterValue, 80);

    library.SetProperty(kMicrophone.id, "VolumeScalarControl", "0.370000", OSCONF_OK, OSCONF_REFUSED);
    const AudioChange refused = audio.SetMicLevel(60);
    EXPECT_EQ(refused.outcome, Outcome::NotWritten);
    EXPECT_EQ(refused.result.messages, (std::vector<devices::UserMessage>{{devices::kDeviceNotUpdatedMessage}}));
    // The slider keeps what the user did; the setting and the profile keep what the server has.
    EXPECT_EQ(audio.View().micLevel, 60);
    EXPECT_EQ(headset.AudioSettings().micInValue, 37);
    EXPECT_EQ(Stored()->AudioSettings().micInValue, 37);
}

TEST_F(HeadsetAudioTest, TheSwitchesWriteTheMuteAndStoreTheOption)
{
    Attach();
    audio.SetMicOn(false);
    audio.SetMonitorOn(true);
    EXPECT_EQ(Writes(), (Strings{"MuteControl=1", "AAMuteControl=0"}));
    EXPECT_EQ(Stored()->AudioSettings().micInSelect, 0);
    EXPECT_EQ(Stored()->AudioSettings().micMoniterSelect, 1);
}

TEST_F(HeadsetAudioTest, PresetsAndVoicesAreStoredEvenWhenAWriteFailsAndSayItOnce)
{
    Attach();
    library.SetProperty(kHeadphones.id, "EQ_Slider3", "0", OSCONF_OK, OSCONF_REFUSED);
    library.SetProperty(kHeadphones.id, "EQ_Slider7", "0", OSCONF_OK, OSCONF_REFUSED);
    const AudioChange change = audio.SelectPreset(6);
    EXPECT_EQ(change.outcome, Outcome::NotWritten);
    EXPECT_EQ(change.result.messages, (std::vector<devices::UserMessage>{{devices::kDeviceNotUpdatedMessage}}));
    EXPECT_EQ(Stored()->AudioSettings().eqType, 6);
}

TEST_F(HeadsetAudioTest, VoiceEffectsWhereTheLibraryOffersThem)
{
    Attach();
    EXPECT_EQ(audio.SetVoiceEffect(true).outcome, Outcome::Done);
    EXPECT_EQ(audio.SelectVoice(3).outcome, Outcome::Done);
    EXPECT_EQ(audio.SelectVoice(0).outcome, Outcome::Ignored);
    EXPECT_EQ(Writes(), (Strings{"Enable_MAGICVOICE=1", "Enable_MICECHO=0", "MagicVoice_Selection=2"}));
    EXPECT_EQ(Stored()->AudioSettings().magicEnable, 1);
    EXPECT_EQ(Stored()->AudioSettings().magicType, 3);
}

TEST_F(HeadsetAudioTest, WhatTheLibraryDoesNotOfferIsUnavailableAndNeverWritten)
{
    // No voice-effect feature, no monitor, no equaliser.
    library.SetProperty(kMicrophone.id, "GetSupportFeature", "0,0,0,0,0,0,0");
    library.SetProperty(kMicrophone.id, "GetAAMaxVol", "", OSCONF_UNSUPPORTED);
    library.SetProperty(kHeadphones.id, "Enable_EQ_GFX", "", OSCONF_UNSUPPORTED);
    Attach();
    const HeadsetAudioView& view = audio.View();
    EXPECT_FALSE(view.voiceEffectsOffered);
    EXPECT_FALSE(view.monitorLevelAvailable || view.monitorMuteAvailable);
    EXPECT_FALSE(view.equaliserApplied);
    EXPECT_EQ(view.monitorLevel, 50) << "the profile's value stays shown";
    EXPECT_EQ(audio.SetVoiceEffect(true).outcome, Outcome::Unavailable);
    EXPECT_EQ(audio.SelectVoice(2).outcome, Outcome::Unavailable);
    EXPECT_EQ(audio.SetMonitorLevel(10).outcome, Outcome::Unavailable);
    EXPECT_EQ(audio.SetMonitorOn(true).outcome, Outcome::Unavailable);
    // The equaliser is still kept in the profile, without a word to the library.
    const AudioChange preset = audio.SelectPreset(4);
    EXPECT_EQ(preset.outcome, Outcome::Done);
    EXPECT_TRUE(preset.result.messages.empty());
    EXPECT_TRUE(Writes().empty());
    auto stored = Stored();
    EXPECT_EQ(stored->AudioSettings().eqType, 4);
    EXPECT_EQ(stored->AudioSettings().magicEnable, 0);
}

TEST_F(HeadsetAudioTest, ThePageShownAgainShowsChangesMadeElsewhere)
{
    Attach();
    library.SetProperty(kMicrophone.id, "MuteControl", "1");
    library.SetProperty(kMicrophone.id, "VolumeScalarControl", "0.5");
    audio.PageShown();
    EXPECT_FALSE(audio.View().micOn);
    EXPECT_EQ(audio.View().micLevel, 50);
}

} // namespace
} // namespace orvel::audio
