// Our audio library's properties over a scripted sound server and sidetone mixer; the USB ids
// that make a device the headset; the choice of the sidetone control.

#include "audio/property_text.h"
#include "tools/osconflib/conf_library.h"
#include "tools/osconflib/pulse_server.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace orvel::osconf {
namespace {

class FakeServer : public SoundServer {
public:
    std::int32_t Start(Deadline) override { return OSCONF_OK; }
    void Stop() override {}
    std::int32_t ListHeadsetDevices(int flow, std::vector<ServerDevice>& devices, Deadline) override
    {
        devices = flow == OSCONF_FLOW_PLAYBACK ? sinks : sources;
        return OSCONF_OK;
    }
    std::int32_t ReadSource(const std::string& name, SourceState& state, Deadline) override
    {
        const auto found = state_.find(name);
        if (found == state_.end())
            return OSCONF_NO_DEVICE;
        state = found->second;
        return OSCONF_OK;
    }
    std::int32_t SetSourceVolume(const std::string& name, const std::vector<std::uint32_t>& volumes, Deadline) override
    {
        state_[name].volumes = volumes;
        return OSCONF_OK;
    }
    std::int32_t SetSourceMute(const std::string& name, bool muted, Deadline) override
    {
        state_[name].muted = muted;
        return OSCONF_OK;
    }
    std::vector<ServerDevice> sinks{{"headset_out"}};
    std::vector<ServerDevice> sources{{"headset_mic"}};
    std::map<std::string, SourceState> state_{{"headset_mic", {{kNormalVolume, kNormalVolume}, false, 65537, -1}}};
};

class FakeSidetone : public SidetoneMixer {
public:
    std::int32_t ReadVolume(int card, double& scalar, double& step) override
    {
        if (card != 2)
            return OSCONF_UNSUPPORTED;
        scalar = volume;
        step = 100.0 / 31;
        return OSCONF_OK;
    }
    std::int32_t WriteVolume(int card, double scalar) override
    {
        if (card != 2)
            return OSCONF_UNSUPPORTED;
        volume = scalar;
        return OSCONF_OK;
    }
    std::int32_t ReadMuted(int card, bool& muted) override
    {
        if (card != 2 || !hasSwitch)
            return OSCONF_UNSUPPORTED;
        muted = this->muted;
        return OSCONF_OK;
    }
    std::int32_t WriteMuted(int card, bool muted) override
    {
        if (card != 2 || !hasSwitch)
            return OSCONF_UNSUPPORTED;
        this->muted = muted;
        return OSCONF_OK;
    }
    double volume = 0.5;
    bool muted = false;
    bool hasSwitch = true;
};

class ConfLibraryTest : public ::testing::Test {
protected:
    ConfLibraryTest()
    {
        auto fakeServer = std::make_unique<FakeServer>();
        auto fakeSidetone = std::make_unique<FakeSidetone>();
        server = fakeServer.get();
        sidetone = fakeSidetone.get();
        library = std::make_unique<ConfLibrary>(std::move(fakeServer), std::move(fakeSidetone));
    }

    void Start()
    {
        ASSERT_EQ(library->Init(), OSCONF_OK);
        ASSERT_EQ(library->CreateDeviceList(), OSCONF_OK);
        ASSERT_EQ(library->GetDeviceById(OSCONF_FLOW_PLAYBACK, 0, &headphones), OSCONF_OK);
        ASSERT_EQ(library->GetDeviceById(OSCONF_FLOW_RECORDING, 0, &microphone), OSCONF_OK);
    }

    struct Answer {
        std::int32_t status;
        std::string text;
    };
    Answer Read(const OsConfDevice& device, const std::u16string& name, const std::int32_t* channel = nullptr)
    {
        audio::PropertyBuffer value{};
        audio::PropertyBuffer parameter{};
        void* v = value.data();
        void* p = parameter.data();
        if (channel != nullptr)
            audio::PutInt32(parameter, 0, *channel);
        const std::int32_t status =
            library->PropertyControl(device, name.c_str(), &v, channel != nullptr ? &p : nullptr, OSCONF_READ);
        return {status, std::string(audio::BufferText(value))};
    }
    template <class Value>
    std::int32_t Write(const OsConfDevice& device, const std::u16string& name, Value number,
                       const std::int32_t* channel = nullptr)
    {
        audio::PropertyBuffer value{};
        audio::PropertyBuffer parameter{};
        if constexpr (std::is_same_v<Value, float>)
            audio::PutFloat(value, number);
        else
            audio::PutInt32(value, 0, number);
        if (channel != nullptr)
            audio::PutInt32(parameter, 0, *channel);
        void* v = value.data();
        void* p = parameter.data();
        return library->PropertyControl(device, name.c_str(), &v, channel != nullptr ? &p : nullptr, OSCONF_WRITE);
    }
    SourceState& Mic() { return server->state_["headset_mic"]; }

    FakeServer* server = nullptr;
    FakeSidetone* sidetone = nullptr;
    std::unique_ptr<ConfLibrary> library;
    OsConfDevice headphones{};
    OsConfDevice microphone{};
};

TEST_F(ConfLibraryTest, TheHeadsetsDevicesKeepTheirNumbersWhenTheListIsTakenAgain)
{
    Start();
    EXPECT_EQ(headphones.type, OSCONF_TYPE_HEADPHONES);
    EXPECT_EQ(microphone.type, OSCONF_TYPE_MICROPHONE);
    EXPECT_EQ(headphones.state, 1);
    server->sources = {{"other_mic"}, {"headset_mic"}};
    ASSERT_EQ(library->CreateDeviceList(), OSCONF_OK);
    std::int32_t count = 0;
    ASSERT_EQ(library->GetDeviceCount(OSCONF_FLOW_RECORDING, &count), OSCONF_OK);
    EXPECT_EQ(count, 2);
    OsConfDevice second{};
    ASSERT_EQ(library->GetDeviceById(OSCONF_FLOW_RECORDING, 1, &second), OSCONF_OK);
    EXPECT_EQ(second.id, microphone.id);
    EXPECT_EQ(library->GetDeviceById(OSCONF_FLOW_RECORDING, 2, &second), OSCONF_BAD_ARGUMENT);
    EXPECT_EQ(library->GetDeviceById(5, 0, &second), OSCONF_BAD_ARGUMENT);
}

TEST_F(ConfLibraryTest, TheMicrophonesVolumeAndMute)
{
    Start();
    const std::int32_t all = -1;
    const std::int32_t right = 1;
    EXPECT_EQ(Write(microphone, u"VolumeScalarControl", 0.5f, &all), OSCONF_OK);
    EXPECT_EQ(Mic().volumes, (std::vector<std::uint32_t>{32768, 32768}));
    EXPECT_EQ(Read(microphone, u"VolumeScalarControl", &all).text, "0.500000");
    EXPECT_EQ(Read(microphone, u"VolumeControl", &all).text, "50.000000");
    EXPECT_EQ(Write(microphone, u"VolumeScalarControl", 0.25f, &right), OSCONF_OK);
    EXPECT_EQ(Mic().volumes, (std::vector<std::uint32_t>{32768, 16384}));
    EXPECT_EQ(Read(microphone, u"VolumeScalarControl", &right).text, "0.250000");
    const std::int32_t third = 2;
    EXPECT_EQ(Write(microphone, u"VolumeScalarControl", 0.25f, &third), OSCONF_BAD_ARGUMENT);
    EXPECT_EQ(Write(microphone, u"VolumeScalarControl", 1.5f, &all), OSCONF_BAD_ARGUMENT);
    EXPECT_EQ(Write(microphone, u"VolumeScalarControl", std::numeric_limits<float>::quiet_NaN(), &all), OSCONF_BAD_ARGUMENT);

    EXPECT_EQ(Read(microphone, u"MuteControl").text, "0");
    EXPECT_EQ(Write(microphone, u"MuteControl", 1), OSCONF_OK);
    EXPECT_TRUE(Mic().muted);
    EXPECT_EQ(Read(microphone, u"MuteControl").text, "1");
    EXPECT_EQ(Read(microphone, u"GetMaxVol").text, "100.000000");
    EXPECT_EQ(Read(microphone, u"GetMinVol").text, "0.000000");
}

TEST_F(ConfLibraryTest, TheMonitorIsTheCardsSidetoneControlAndFailsWithoutOne)
{
    Start();
    // The null device of the sound server has no card behind it.
    for (const char16_t* name : {u"GetAAMaxVol", u"AAVolumeScalarControl", u"AAMuteControl", u"AAVolumeControl"})
        EXPECT_EQ(Read(microphone, name).status, OSCONF_UNSUPPORTED);
    EXPECT_EQ(Write(microphone, u"AAVolumeScalarControl", 0.5f), OSCONF_UNSUPPORTED);

    Mic().alsaCard = 2;
    EXPECT_EQ(Read(microphone, u"GetAAMaxVol").text, "100.000000");
    EXPECT_EQ(Read(microphone, u"AAVolumeScalarControl").text, "0.500000");
    EXPECT_EQ(Write(microphone, u"AAVolumeScalarControl", 0.75f), OSCONF_OK);
    EXPECT_DOUBLE_EQ(sidetone->volume, 0.75);
    EXPECT_EQ(Write(microphone, u"AAMuteControl", 1), OSCONF_OK);
    EXPECT_EQ(Read(microphone, u"AAMuteControl").text, "1");
    sidetone->hasSwitch = false;
    EXPECT_EQ(Read(microphone, u"AAMuteControl").status, OSCONF_UNSUPPORTED);
}

TEST_F(ConfLibraryTest, OnlyTheMicrophoneAndMonitorAreOfferedAndNoFeatures)
{
    Start();
    EXPECT_EQ(Read(headphones, u"GetSupportFeature").text, kNoFeatures);
    EXPECT_EQ(Read(microphone, u"GetSupportFeature").text, kNoFeatures);
    for (const char16_t* name : {u"Enable_EQ_GFX", u"EQ_Slider1", u"Enable_RFX_GFX", u"RFX_ROOMSIZE",
                                 u"VirtualSurroundEffectControl", u"MuteControl"})
        EXPECT_EQ(Read(headphones, name).status, OSCONF_UNSUPPORTED);
    for (const char16_t* name : {u"Enable_MAGICVOICE", u"MagicVoice_Selection", u"Enable_ENC_LFX", u"Enable_MICECHO"})
        EXPECT_EQ(Read(microphone, name).status, OSCONF_UNSUPPORTED);
    EXPECT_EQ(Write(microphone, u"Enable_MICECHO", 0), OSCONF_UNSUPPORTED);
    EXPECT_EQ(Write(microphone, u"VolumeControl", 3), OSCONF_UNSUPPORTED);
    EXPECT_EQ(Write(headphones, u"EQ_Slider1", 3), OSCONF_UNSUPPORTED);
}

TEST_F(ConfLibraryTest, BadCallsAreRefusedAndNothingWorksBeforeInit)
{
    EXPECT_EQ(Read(microphone, u"MuteControl").status, OSCONF_NOT_STARTED);
    std::int32_t count = 0;
    EXPECT_EQ(library->GetDeviceCount(OSCONF_FLOW_PLAYBACK, &count), OSCONF_NOT_STARTED);
    Start();
    EXPECT_EQ(Read(OsConfDevice{}, u"MuteControl").status, OSCONF_NO_DEVICE);
    EXPECT_EQ(Read(OsConfDevice{microphone.id, OSCONF_TYPE_HEADPHONES, 0, 1}, u"MuteControl").status,
              OSCONF_NO_DEVICE);
    EXPECT_EQ(Read(microphone, u"Mute\u00e9").status, OSCONF_UNSUPPORTED);
    EXPECT_EQ(library->PropertyControl(microphone, nullptr, nullptr, nullptr, OSCONF_READ), OSCONF_BAD_ARGUMENT);
    EXPECT_EQ(library->GetDeviceCount(OSCONF_FLOW_PLAYBACK, nullptr), OSCONF_BAD_ARGUMENT);
    server->state_.clear();
    EXPECT_EQ(Read(microphone, u"MuteControl").status, OSCONF_NO_DEVICE);
}

TEST(HeadsetIdentity, TheUsbIdsInTheSoundServersProperties)
{
    EXPECT_TRUE(IsHeadsetDevice("0c76", "1630"));
    EXPECT_TRUE(IsHeadsetDevice("0C76", "1630"));
    EXPECT_FALSE(IsHeadsetDevice("0c76", "1631"));
    EXPECT_FALSE(IsHeadsetDevice("0c76", nullptr));
    EXPECT_FALSE(IsHeadsetDevice("", "1630"));
    EXPECT_FALSE(IsHeadsetDevice("0c76x", "1630"));
}

TEST(SidetoneControl, ASidetoneVolumeFirstThenTheMicrophoneMix)
{
    struct Case {
        std::vector<MixerElement> elements;
        int chosen;
    };
    const Case cases[] = {
        {{{"PCM", true, true}, {"Mic", true, true}, {"Sidetone Playback", true, false}}, 2},
        {{{"PCM", true, true}, {"Mic", false, true}, {"Mic", true, true}}, 2},
        {{{"Speaker", true, true}, {"Mic Capture", true, true}}, -1},
        {{{"SIDETONE", false, true}}, -1},
        {{}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseSidetoneElement(c.elements), c.chosen);
    EXPECT_DOUBLE_EQ(ScalarOfRange(11, 0, 31), 11.0 / 31);
    EXPECT_EQ(ValueInRange(0.37, 0, 31), 11);
    EXPECT_EQ(ValueInRange(1.0, -10, 20), 20);
    EXPECT_EQ(ValueInRange(0.5, 5, 5), 5);
    EXPECT_DOUBLE_EQ(ScalarOfRange(5, 5, 5), 0.0);
}

} // namespace
} // namespace orvel::osconf
