#include "devicelink/device_scan.h"
#include "devicelink/hid_adapters.h"
#include "devices/kind_models.h"
#include "lighting/colour.h"
#include "profiles/jsonfile.h"
#include "profiles/profilelist.h"
#include "sim/devices/command_frame.h"
#include "tests/devices/model_bench.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel::devices {
namespace {

using namespace testing;

struct Posted {
    std::mutex lock;
    std::vector<std::pair<NotifySource, std::uint16_t>> got;
    DeviceModel::PostNotification Post()
    {
        return [this](NotifySource s, std::uint16_t u) {
            std::lock_guard guard(lock);
            got.emplace_back(s, u);
        };
    }
    std::size_t Count()
    {
        std::lock_guard guard(lock);
        return got.size();
    }
};

bool AnyLit(const lighting::LedBuffer& leds)
{
    for (int i = 0; i < leds.Count(); ++i) {
        if ((leds.GetLedColor(i) & 0x00FFFFFF) != 0 && (leds.GetLedColor(i) >> 24) != 0)
            return true;
    }
    return false;
}

TEST(DeviceModel, EachKindIsReadAndItsLightLoopRuns)
{
    struct Case {
        sim::DeviceKind kind;
        int kindRow;
    };
    const Case cases[] = {{sim::DeviceKind::Mouse, 0},
                          {sim::DeviceKind::Keyboard, 1},
                          {sim::DeviceKind::MousePad, 2},
                          {sim::DeviceKind::Headset, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kindRow);
        ModelBench bench;
        bench.Serve(c.kind, false);
        bench.Scan();
        Posted posted;
        auto model = DeviceModel::Create(c.kindRow, posted.Post());
        ASSERT_NE(model, nullptr);
        EXPECT_FALSE(model->Core().ProfileIdentifier().empty());
        bench.AttachAll(*model);
        ASSERT_TRUE(model->LinkOpen());
        EXPECT_EQ(model->LoadFromDevice(), kLinkOk);

        lighting::LightScheduler scheduler(std::make_shared<lighting::SteadyWaiter>());
        scheduler.Start();
        model->JoinScheduler(scheduler);
        model->SetPreviewShown(true);
        EXPECT_TRUE(WaitUntil([&] { return AnyLit(model->Lighting().Leds()); }));
        const auto before = Clock::now();
        model->Shutdown();
        EXPECT_LT(Clock::now() - before, 1000ms);
        EXPECT_FALSE(model->LinkOpen());
        scheduler.Stop();
    }
}

TEST(DeviceModel, FramesReachACabledDeviceOffTheUiThread)
{
    ModelBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, false);
    bench.Scan();
    Posted posted;
    auto model = DeviceModel::Create(0, posted.Post());
    bench.AttachAll(*model);
    ASSERT_EQ(model->LoadFromDevice(), kLinkOk);
    lighting::LightScheduler scheduler(std::make_shared<lighting::SteadyWaiter>());
    scheduler.Start();
    model->JoinScheduler(scheduler);
    mouse.Device().TakeReceived();
    // The frame output sends on its own thread; this thread only waits.
    EXPECT_TRUE(WaitUntil([&] { return model->Output().Sent() >= 3; }));
    // Each frame is the 45 bytes of the mouse's 15 LEDs in one light stream report.
    for (const sim::ReceivedFrame& frame : mouse.Device().TakeReceived()) {
        if (frame.request[3] == sim::cmd::kWriteLightStream) {
            EXPECT_EQ(frame.request[4], 45);
            EXPECT_EQ(frame.request[5] | frame.request[6] << 8, 0);
        }
    }
    EXPECT_TRUE(WaitUntil([&] {
        const auto picture = mouse.Device().Snapshot().ledPicture;
        for (std::uint8_t b : picture) {
            if (b != 0)
                return true;
        }
        return false;
    }));
    model->Shutdown();
    scheduler.Stop();
}

TEST(DeviceModel, AKeyboardAnimatingItselfIsNotSentTheProgramsFrames)
{
    ModelBench bench;
    bench.Serve(sim::DeviceKind::Keyboard, false);
    bench.Scan();
    Posted posted;
    auto model = DeviceModel::Create(1, posted.Post());
    bench.AttachAll(*model);
    ASSERT_EQ(model->LoadFromDevice(), kLinkOk);
    lighting::LightScheduler scheduler(std::make_shared<lighting::SteadyWaiter>());
    scheduler.Start();
    model->JoinScheduler(scheduler);
    // The factory's column wave runs on the keyboard; the program only previews it.
    model->SetPreviewShown(true);
    EXPECT_TRUE(WaitUntil([&] { return AnyLit(model->Lighting().Leds()); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(model->Output().Sent(), 0u);
    // Without the preview nobody sees its frames: the light thread sleeps.
    const auto running = scheduler.Wakeups();
    std::this_thread::sleep_for(100ms);
    EXPECT_GT(scheduler.Wakeups(), running);
    model->SetPreviewShown(false);
    const auto paused = scheduler.Wakeups();
    std::this_thread::sleep_for(200ms);
    EXPECT_LE(scheduler.Wakeups(), paused + 1) << "more than the wake-up it was already sleeping towards";
    model->Shutdown();
    scheduler.Stop();
}

TEST(DeviceModel, ANotificationIsPostedOnAndAppliedByTheOwner)
{
    ModelBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, false);
    bench.Scan();
    Posted posted;
    auto model = DeviceModel::Create(0, posted.Post());
    bench.AttachAll(*model);
    ASSERT_TRUE(mouse.Notify(sim::notify::kSettingsChanged));
    ASSERT_TRUE(WaitUntil([&] { return posted.Count() >= 1; }));
    {
        std::lock_guard guard(posted.lock);
        EXPECT_EQ(posted.got[0], std::make_pair(NotifySource::Cable, std::uint16_t(0x0401)));
    }
    EXPECT_EQ(model->ApplyNotification(NotifySource::Cable, 0x0401).resyncAfterMs, 50);

    // Unplugged: the reader stops without being killed, and the model stays usable.
    mouse.Unplug(sim::Path::Cable);
    const auto changes = bench.Scan();
    for (const auto& [message, slot] : changes) {
        if (message != WM_DEVICE_DETACH)
            continue;
        if (bench.slots[slot].role == kRoleCommand)
            EXPECT_TRUE(model->OnCommandDetach(bench.slots, slot).hideItem);
        else
            model->OnNotifyDetach(bench.slots, slot);
    }
    EXPECT_FALSE(model->LinkOpen());
    EXPECT_EQ(model->LoadFromDevice(), 0);
}

TEST(DeviceModel, TheMouseAndKeyboardPlayTheProfilesLightList)
{
    for (const auto& [kind, row] : {std::pair(sim::DeviceKind::Mouse, 0), std::pair(sim::DeviceKind::Keyboard, 1)}) {
        SCOPED_TRACE(row);
        ModelBench bench;
        bench.Serve(kind, false);
        bench.Scan();
        Posted posted;
        auto model = DeviceModel::Create(row, posted.Post());
        bench.AttachAll(*model);
        // LED 5 has an effect of its own: a static colour over whatever the mode draws.
        const auto path = model->Core().Folders().Profile(model->Core().ProfileIdentifier());
        Json::Value document = profiles::LoadJsonFile(path);
        Json::Value& led = document["Device"][0]["LightList"][5];
        led["LEDREGMode"] = 1;
        led["LEDBrightness"] = 4;
        led["red"] = 0x11;
        led["green"] = 0x22;
        led["blue"] = 0x33;
        ASSERT_TRUE(profiles::SaveJsonFile(path, document));
        ASSERT_EQ(model->LoadFromDevice(), kLinkOk);
        lighting::LightScheduler scheduler(std::make_shared<lighting::SteadyWaiter>());
        scheduler.Start();
        // The keyboard animates itself: its loop runs for a preview on screen only.
        model->SetPreviewShown(true);
        model->JoinScheduler(scheduler);
        EXPECT_TRUE(WaitUntil([&] {
            return lighting::ColourOf(model->Lighting().Leds().GetLedColor(5)) == lighting::Rgb{0x11, 0x22, 0x33};
        }));
        model->Shutdown();
        scheduler.Stop();
    }
}

TEST(DeviceModel, AProfileChangedOnTheKeyboardReloadsTheListBeforeTheResync)
{
    ModelBench bench;
    bench.Serve(sim::DeviceKind::Keyboard, false);
    bench.Scan();
    Posted posted;
    auto model = DeviceModel::Create(1, posted.Post());
    bench.AttachAll(*model);
    ASSERT_EQ(model->LoadFromDevice(), kLinkOk);
    const std::string before = model->Core().ProfileIdentifier();

    // Another list object (another program on the same folder) adds a profile and selects it.
    profiles::DeviceProfileList other;
    other.SetDeviceKind(kKindKeyboard);
    other.SetPaths(model->Core().Folders().profileFolder, model->Core().Folders().DefaultProfile());
    ASSERT_TRUE(other.InitProfiles().ok());
    ASSERT_TRUE(other.AddProfile().ok());
    ASSERT_TRUE(other.SetSelectedProfile(other.GetProfileCount() - 1).ok());
    ASSERT_NE(other.GetSelectedIdentifier(), before);

    EXPECT_EQ(model->ResyncFromDevice(), kLinkOk);
    EXPECT_EQ(model->Core().ProfileIdentifier(), before) << "without the notification the list is not reread";
    EXPECT_EQ(model->ApplyNotification(NotifySource::Cable, 0x0402).resyncAfterMs, 50);
    EXPECT_EQ(model->ResyncFromDevice(), kLinkOk);
    EXPECT_EQ(model->Core().ProfileIdentifier(), other.GetSelectedIdentifier());
    EXPECT_EQ(model->Profiles().GetSelectedIdentifier(), other.GetSelectedIdentifier());
    model->Shutdown();
}

TEST(DeviceModel, APulledCableMovesTheLinkToTheReceiver)
{
    ModelBench bench;
    sim::ServedDevice& mouse = bench.Serve(sim::DeviceKind::Mouse, true);
    bench.Scan();
    Posted posted;
    auto model = DeviceModel::Create(0, posted.Post());
    bench.AttachAll(*model);
    ASSERT_TRUE(model->LinkOpen());
    EXPECT_FALSE(model->ViaReceiver());
    EXPECT_EQ(model->Core().Kind(), kKindMouse);

    mouse.Unplug(sim::Path::Cable);
    LinkActions actions;
    for (const auto& [message, slot] : bench.Scan()) {
        if (message == WM_DEVICE_DETACH && bench.slots[slot].role == kRoleCommand)
            actions = model->OnCommandDetach(bench.slots, slot);
    }
    EXPECT_FALSE(actions.hideItem);
    for (int i = 0; i < CLinkAttach::kSwitchTries && actions.stepSwitch; ++i)
        actions = model->SwitchStep();
    EXPECT_TRUE(model->LinkOpen());
    EXPECT_TRUE(model->ViaReceiver());
    EXPECT_EQ(model->Core().Kind(), kKindMouseReceiver);
    EXPECT_TRUE(model->IsWirelessLinkUp());
}

} // namespace
} // namespace orvel::devices
