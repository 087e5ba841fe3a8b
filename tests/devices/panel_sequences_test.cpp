// What the lighting and profile panels run on the pages' models, against emulated devices: same
// mode across the connected devices with the synchronised lighting, the profile switch and the
// reset.

#include "devices/kind_models.h"
#include "devices/profile_sequences.h"
#include "devices/same_mode_group.h"
#include "lighting/tables.h"
#include "profiles/jsonfile.h"
#include "sim/devices/command_frame.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/model_bench.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

namespace orvel::devices {
namespace {

using namespace testing;
namespace cmd = sim::cmd;

// Models of the window's kind rows, read from their emulators, their lighting on one scheduler.
class Models {
public:
    explicit Models(std::initializer_list<std::pair<sim::DeviceKind, int>> kinds)
    {
        for (const auto& [kind, row] : kinds)
            served.push_back(&bench.Serve(kind, false));
        bench.Scan();
        for (const auto& [kind, row] : kinds) {
            models.push_back(DeviceModel::Create(row, [](NotifySource, std::uint16_t) {}));
            bench.AttachAll(*models.back());
            EXPECT_EQ(models.back()->LoadFromDevice(), kLinkOk);
            models.back()->JoinScheduler(scheduler);
        }
        scheduler.Start();
    }
    ~Models()
    {
        for (auto& model : models)
            model->Shutdown();
        scheduler.Stop();
    }

    ModelBench bench;
    lighting::LightScheduler scheduler{std::make_shared<lighting::SteadyWaiter>()};
    std::vector<sim::ServedDevice*> served;
    std::vector<std::unique_ptr<DeviceModel>> models;
};

SequenceResult SwitchTo(DeviceModel& model, const std::string& identifier)
{
    model.Core().SetProfileIdentifier(identifier);
    return model.SwitchProfile();
}

bool AllLeds(const lighting::LedBuffer& leds, std::uint32_t entry)
{
    for (int i = 0; i < leds.Count(); ++i) {
        if (leds.GetLedColor(i) != entry)
            return false;
    }
    return leds.Count() > 0;
}

TEST(SameModeGroup, TheConnectedDevicesFollowTheSourcesEffectWhileTwoAreConnected)
{
    Models m({{sim::DeviceKind::Mouse, 0}, {sim::DeviceKind::Keyboard, 1}, {sim::DeviceKind::MousePad, 2}});
    DeviceModel& mouse = *m.models[0];
    DeviceModel& keyboard = *m.models[1];
    DeviceModel& pad = *m.models[2];
    SameModeGroup group;
    group.Join(m.scheduler);
    int shown[3] = {};
    for (int i = 0; i < 3; ++i)
        group.Add(*m.models[static_cast<std::size_t>(i)], [&shown, i] { ++shown[i]; });

    profiles::LightRecord record = keyboard.Core().CurrentLight();
    record.selectItem = 6; // the keyboard's static colour
    record.light = 4;
    record.multiColor = 0;
    record.red = 10, record.green = 200, record.blue = 30;
    ASSERT_EQ(keyboard.ChangeLighting(record).status, kLinkOk);
    const profiles::LightRecord padBefore = pad.Core().CurrentLight();

    EXPECT_FALSE(group.SetConnected(keyboard, true));
    EXPECT_FALSE(group.Apply(keyboard).applied);
    EXPECT_TRUE(group.SetConnected(mouse, true));
    EXPECT_TRUE(group.Allowed());

    const SameModeResult result = group.Apply(keyboard);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.writes.status, kLinkOk);
    EXPECT_EQ(mouse.Core().CurrentLight().selectItem, 3); // the mouse's static colour
    EXPECT_EQ(mouse.Core().CurrentLight().green, 200);
    EXPECT_TRUE(mouse.Core().SyncFlag());
    EXPECT_TRUE(keyboard.Core().SyncFlag());
    // The pad is not connected: it keeps its own effect.
    EXPECT_EQ(pad.Core().CurrentLight(), padBefore);
    EXPECT_FALSE(pad.Core().SyncFlag());
    EXPECT_EQ((std::vector<int>(shown, shown + 3)), (std::vector<int>{1, 1, 0}));
    // The mouse has its settings and shows the common effect's colour on every LED.
    auto& mouseCore = static_cast<MouseModel&>(mouse).Mouse();
    const auto block = m.served[0]->Device().Snapshot().block;
    const MouseBlock written = mouseCore.BuildSettingsBlock();
    EXPECT_TRUE(std::equal(written.begin(), written.end(), block.begin()));
    EXPECT_TRUE(WaitUntil([&] { return AllLeds(mouse.Lighting().Leds(), lighting::PackLed({10, 200, 30}, 255)); }));

    // One device left: same mode is no longer allowed and every device lights on its own again.
    EXPECT_TRUE(group.SetConnected(mouse, false));
    EXPECT_FALSE(mouse.Core().SyncFlag());
    EXPECT_FALSE(keyboard.Core().SyncFlag());
}

// The colour cycle is rendered by the synchronised lighting, one colour per frame for every LED
// of every follower; a pad on its own light loop would run its colours round its ring instead.
TEST(SameModeGroup, TheFollowersShowTheSynchronisedFramesOfAMovingEffect)
{
    Models m({{sim::DeviceKind::Keyboard, 1}, {sim::DeviceKind::Mouse, 0}, {sim::DeviceKind::MousePad, 2}});
    DeviceModel& keyboard = *m.models[0];
    SameModeGroup group;
    group.Join(m.scheduler);
    for (auto& model : m.models) {
        group.Add(*model, {});
        group.SetConnected(*model, true);
    }
    profiles::LightRecord record = keyboard.Core().CurrentLight();
    record.selectItem = 4; // the keyboard's colour cycle
    record.light = 4;
    record.speed = 4;
    ASSERT_EQ(keyboard.ChangeLighting(record).status, kLinkOk);
    ASSERT_TRUE(group.Apply(keyboard).applied);

    std::set<std::uint32_t> cycle;
    for (const lighting::Rgb& colour : lighting::kWheel)
        cycle.insert(lighting::PackLed(colour, lighting::Intensity(4)));
    // One frame of a follower: every LED the same colour of the cycle.
    auto frame = [&](DeviceModel& model) -> std::optional<std::uint32_t> {
        const std::uint32_t first = model.Lighting().Leds().GetLedColor(0);
        if (!AllLeds(model.Lighting().Leds(), first) || !cycle.count(first))
            return std::nullopt;
        return first;
    };
    for (std::size_t follower : {1u, 2u}) {
        DeviceModel& model = *m.models[follower];
        std::set<std::uint32_t> seen;
        EXPECT_TRUE(WaitUntil([&] {
            const std::optional<std::uint32_t> f = frame(model);
            if (f)
                seen.insert(*f);
            return seen.size() >= 3;
        })) << "follower " << follower << " showed " << seen.size() << " frames of the cycle";
    }
}

TEST(SameModeGroup, AModeWithoutACommonEffectChangesNoDevice)
{
    Models m({{sim::DeviceKind::Mouse, 0}, {sim::DeviceKind::Keyboard, 1}});
    SameModeGroup group;
    for (auto& model : m.models) {
        group.Add(*model, {});
        group.SetConnected(*model, true);
    }
    profiles::LightRecord record = m.models[1]->Core().CurrentLight();
    record.selectItem = 7;
    ASSERT_EQ(m.models[1]->ChangeLighting(record).status, kLinkOk);
    const profiles::LightRecord mouseBefore = m.models[0]->Core().CurrentLight();
    m.served[0]->Device().TakeReceived();
    EXPECT_FALSE(group.Apply(*m.models[1]).applied);
    EXPECT_EQ(m.models[0]->Core().CurrentLight(), mouseBefore);
    // The mouse's own light loop streams its frames all along; nothing else may reach it.
    for (const sim::ReceivedFrame& frame : m.served[0]->Device().TakeReceived())
        EXPECT_EQ(frame.request[3], sim::cmd::kWriteLightStream);
}

TEST(ProfileSequences, ASwitchWritesTheOtherProfileAndTheLightLoopTakesIt)
{
    Models m({{sim::DeviceKind::Mouse, 0}});
    DeviceModel& mouse = *m.models[0];
    profiles::DeviceProfileList& list = mouse.Profiles();
    const std::string first = list.GetSelectedIdentifier();
    profiles::LightRecord record = mouse.Core().CurrentLight();
    record.selectItem = 4;
    record.red = 77;
    ASSERT_EQ(mouse.ChangeLighting(record).status, kLinkOk);
    ASSERT_TRUE(list.AddProfile().ok());
    ASSERT_TRUE(list.SetSelectedProfile(1).ok());

    EXPECT_EQ(SwitchTo(mouse, list.GetSelectedIdentifier()).status, kLinkOk);
    const profiles::LightRecord defaults = mouse.Core().CurrentLight();
    EXPECT_NE(defaults.red, 77);
    EXPECT_EQ(mouse.Lighting().Settings().mode, defaults.selectItem);
    auto& core = static_cast<MouseModel&>(mouse).Mouse();
    const MouseBlock written = core.BuildSettingsBlock();
    const auto block = m.served[0]->Device().Snapshot().block;
    EXPECT_TRUE(std::equal(written.begin(), written.end(), block.begin()));

    EXPECT_EQ(SwitchTo(mouse, first).status, kLinkOk);
    EXPECT_EQ(mouse.Core().CurrentLight().red, 77);
    EXPECT_EQ(mouse.Lighting().Settings().mode, 4);
    EXPECT_EQ(m.served[0]->Device().Snapshot().block[6], 77);
}

TEST(ProfileSequences, AnUnpluggedDeviceKeepsTheSwitchedProfileAndSaysItWasNotUpdated)
{
    Models m({{sim::DeviceKind::Keyboard, 1}});
    DeviceModel& keyboard = *m.models[0];
    ASSERT_TRUE(keyboard.Profiles().AddProfile().ok());
    ASSERT_TRUE(keyboard.Profiles().SetSelectedProfile(1).ok());
    m.served[0]->Unplug(sim::Path::Cable);
    const SequenceResult result = SwitchTo(keyboard, keyboard.Profiles().GetSelectedIdentifier());
    EXPECT_NE(result.status, kLinkOk);
    EXPECT_EQ(result.messages, (std::vector<UserMessage>{{kDeviceNotUpdatedMessage}}));
    EXPECT_EQ(keyboard.Core().ProfileIdentifier(), keyboard.Profiles().GetSelectedIdentifier());
}

// The defaults of a kind with one key on macro 0, as a reset leaves the profile document.
DeviceFolders DefaultsWithAMacroKey(EmulatedDevice& dev, const std::string& kind, const char* id)
{
    const auto defaults = dev.temp / "defaults";
    std::filesystem::create_directories(defaults);
    std::filesystem::copy_file(SourceDefaultData() / "default_light.json", defaults / "default_light.json",
                               std::filesystem::copy_options::overwrite_existing);
    Json::Value document = profiles::LoadJsonFile(SourceDefaultData() / (kind + ".Json"));
    document["Device"][0]["KeyList"][3]["Assignment"] = 0x70 << 16;
    EXPECT_TRUE(profiles::SaveJsonFile(defaults / (kind + ".Json"), document));
    EXPECT_TRUE(profiles::SaveJsonFile(dev.profileFolder / (std::string(id) + ".Json"), document));
    WriteMacros(dev.profileFolder, {4});
    return {dev.profileFolder, defaults, kind};
}

TEST(ProfileSequences, AfterAFailedMacroWriteAResetKeyboardWritesItsKeysAndAResetMouseStops)
{
    struct Case {
        sim::DeviceKind kind;
        const char* name;
        bool keysWritten;
    };
    for (const Case c : {Case{sim::DeviceKind::Keyboard, "keyboard", true}, Case{sim::DeviceKind::Mouse, "mouse", false}}) {
        SCOPED_TRACE(c.name);
        EmulatedDevice dev(c.kind);
        const DeviceFolders folders = DefaultsWithAMacroKey(dev, c.name, "p1");
        std::unique_ptr<DeviceCore> core;
        lighting::LedBuffer leds(kKeyboardPositions);
        if (c.kind == sim::DeviceKind::Keyboard)
            core = std::make_unique<KeyboardCore>(*dev.link, folders);
        else
            core = std::make_unique<MouseCore>(*dev.link, folders);
        core->SetProfileIdentifier("p1");
        dev.Attach(sim::Path::Cable);
        ASSERT_EQ(core->LoadFromDevice(), kLinkOk);
        dev.Sent();
        dev.RefuseNext(cmd::kWriteMacroData);

        const SequenceResult result = c.kind == sim::DeviceKind::Keyboard
                                          ? ResetKeyboardProfile(static_cast<KeyboardCore&>(*core), leds)
                                          : static_cast<MouseCore&>(*core).SwitchProfile();
        EXPECT_EQ(result.messages, (std::vector<UserMessage>{{kDeviceNotUpdatedMessage}}));
        const std::vector<int> commands = Commands(dev.Sent());
        const auto macro = std::find(commands.begin(), commands.end(), cmd::kWriteMacroData);
        ASSERT_NE(macro, commands.end());
        EXPECT_EQ(std::find(macro, commands.end(), cmd::kWriteKeyTable) != commands.end(), c.keysWritten);
    }
}

} // namespace
} // namespace orvel::devices
