#include "devicelink/device_scan.h"
#include "devicelink/hid_adapters.h"
#include "devices/kind_models.h"
#include "sim/serve/served_device.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel::devices {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 3000ms)
{
    return orvel::testing::WaitUntil(pred, limit);
}

// Emulated devices on a private vhid folder, found by a real scan pass, with the user's data
// in a private folder and the shipped default data.
class ModelBench {
public:
    ModelBench()
    {
        temp.setEnv("ORVEL_VHID_DIR", (temp / "vhid").string());
        temp.setEnv("XDG_DATA_HOME", (temp / "data").string());
        temp.setEnv("ORVEL_PROGRAM_DIR", orvel::testing::SourceFolder().string());
        std::filesystem::create_directories(temp / "vhid");
        std::filesystem::permissions(temp / "vhid", std::filesystem::perms::owner_all);
    }

    sim::ServedDevice& Serve(sim::DeviceKind kind, bool receiver)
    {
        auto device = std::make_unique<sim::ServedDevice>(kind, temp / "vhid", clock);
        EXPECT_TRUE(device->Plug(sim::Path::Cable));
        if (receiver) {
            EXPECT_TRUE(device->Plug(sim::Path::Receiver));
        }
        devices.push_back(std::move(device));
        return *devices.back();
    }

    // One scan pass; the slots that became attached or free, in order.
    std::vector<std::pair<UINT, std::size_t>> Scan()
    {
        std::vector<std::pair<UINT, std::size_t>> changes;
        CDeviceScanner scanner(slots, probe, ScanReports{[&](UINT m, WPARAM s) { changes.emplace_back(m, s); }, [] {}});
        scanner.Pass();
        return changes;
    }

    // Attaches every attached slot of the model's kind row as the main window does.
    void AttachAll(DeviceModel& model)
    {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (slots[i].attached == 0 || KindRowOf(slots, i) != model.KindRow())
                continue;
            if (slots[i].role == kRoleCommand)
                model.OnCommandAttach(slots, i);
            else
                model.OnNotifyAttach(slots, i);
        }
    }

    orvel::testing::TempFolder temp;
    sim::SteadyClock clock;
    std::vector<std::unique_ptr<sim::ServedDevice>> devices;
    SlotList slots = MakeSlotList();
    CHidProbe probe;
};

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
    // The frame output sends on its own thread; this thread only waits.
    EXPECT_TRUE(WaitUntil([&] { return model->Output().Sent() >= 3; }));
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
    EXPECT_TRUE(WaitUntil([&] { return AnyLit(model->Lighting().Leds()); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(model->Output().Sent(), 0u);
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
