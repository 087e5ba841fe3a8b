#include "devicelink/link_attach.h"

#include "platform/debuglog.h"
#include "tests/devicelink/fake_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace orvel::test {
namespace {

constexpr std::size_t kMouseCable = 4;
constexpr std::size_t kMouseCableNotify = 5;
constexpr std::size_t kMouseReceiver = 6;
constexpr std::size_t kMouseReceiverNotify = 7;
constexpr std::size_t kPad = 8;

struct Links {
    Links()
        : command(std::make_unique<FakePort>(), std::make_unique<FakePort>()),
          notify(std::make_unique<FakePort>(), std::make_unique<FakePort>())
    {
    }
    FakePort& Cable() { return static_cast<FakePort&>(*command.primaryHid); }
    FakePort& Receiver() { return static_cast<FakePort&>(*command.dongleHid); }
    CDeviceLink command;
    CDeviceLink notify;
};

class AttachTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        debuglog::SetSinkForTests([this](std::string_view line) { lines.emplace_back(line); });
        links.Receiver().responder = [this](const CommandFrame& request) {
            CommandFrame answer = request;
            if (request[3] == 0xAA)
                answer[8] = awakeAfter-- <= 1 ? 0xFF : 0x00;
            return std::vector<CommandFrame>{answer};
        };
    }
    void TearDown() override { debuglog::SetSinkForTests({}); }

    void Plug(std::size_t slot)
    {
        slots[slot].attached = 1;
        slots[slot].path = "vhid:/tmp/x.sock#slot" + std::to_string(slot);
    }
    void Unplug(std::size_t slot)
    {
        slots[slot].attached = 0;
        slots[slot].path.clear();
    }
    int Count(std::string_view line) const
    {
        return static_cast<int>(std::count(lines.begin(), lines.end(), std::string(line) + "\n"));
    }

    SlotList slots = MakeSlotList();
    Links links;
    CLinkAttach attach{links.command, links.notify, true};
    int awakeAfter = 1; // the wireless query answers awake from this try on
    std::vector<std::string> lines;
};

TEST(AttachLines, ByKind)
{
    struct Case {
        std::uint16_t kind;
        std::string_view arrived;
        std::string_view left;
    } const cases[] = {
        {1, "添加一个键盘设备", "删除一个键盘设备"}, {9, "添加一个键盘设备", "删除一个键盘设备"},
        {2, "添加一个鼠标设备", "删除一个鼠标设备"}, {6, "添加一个鼠标设备", "删除一个鼠标设备"},
        {3, "添加一个鼠标垫设备", "删除一个鼠标垫设备"}, {7, "添加一个鼠标垫设备", "删除一个鼠标垫设备"},
        {4, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceChangeLine(c.kind, true), c.arrived) << c.kind;
        EXPECT_EQ(DeviceChangeLine(c.kind, false), c.left) << c.kind;
    }
}

TEST(AttachLines, KindRowOfEverySlot)
{
    const SlotList slots = MakeSlotList();
    // keyboard rows 0-3 -> kind row 1, mouse rows 4-7 -> 0, pad 8-9 -> 2, headset 10 -> 3
    const int expected[kMatchRows] = {1, 1, 1, 1, 0, 0, 0, 0, 2, 2, 3};
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(KindRowOf(slots, i), expected[i]) << i;
}

TEST_F(AttachTest, CableAttachOpensTheCableInterface)
{
    Plug(kMouseCable);
    const LinkActions a = attach.OnCommandAttach(slots, kMouseCable);
    EXPECT_TRUE(a.opened && a.showItem && a.startReadyTimer);
    EXPECT_EQ(links.Cable().openedPath, slots[kMouseCable].path);
    EXPECT_EQ(links.command.linkOpen, 1);
    EXPECT_EQ(links.command.viaDongle, 0);
    EXPECT_EQ(links.command.chunkSize, 56);
    EXPECT_FALSE(links.Receiver().IsOpen());
}

TEST_F(AttachTest, ReceiverAttachOpensTheReceiverWithoutShowingTheItem)
{
    Plug(kMouseReceiver);
    const LinkActions a = attach.OnCommandAttach(slots, kMouseReceiver);
    EXPECT_TRUE(a.opened && a.startReadyTimer);
    EXPECT_FALSE(a.showItem);
    EXPECT_EQ(links.Receiver().openedPath, slots[kMouseReceiver].path);
    EXPECT_EQ(links.command.viaDongle, 1);
    EXPECT_EQ(links.command.chunkSize, 24);
}

TEST_F(AttachTest, PadKeepsItsLinkMode)
{
    Plug(kPad);
    EXPECT_TRUE(attach.OnCommandAttach(slots, kPad).opened);
    EXPECT_TRUE(links.Cable().IsOpen());
    EXPECT_EQ(links.command.chunkSize, 24);
    EXPECT_EQ(links.command.viaDongle, 0);
}

TEST_F(AttachTest, CableTakesOverFromTheReceiver)
{
    Plug(kMouseReceiver);
    attach.OnCommandAttach(slots, kMouseReceiver);
    Plug(kMouseCable);
    const LinkActions a = attach.OnCommandAttach(slots, kMouseCable);
    EXPECT_TRUE(a.opened && a.showItem && a.startReadyTimer && a.reportReachable && a.queryPower);
    EXPECT_EQ(links.Cable().openedPath, slots[kMouseCable].path);
    EXPECT_EQ(links.command.viaDongle, 0);
    EXPECT_EQ(links.command.chunkSize, 56);
    EXPECT_EQ(links.command.TimeoutMs(), 1000u);
    EXPECT_TRUE(links.Receiver().IsOpen()) << "the interface left stays open";
}

TEST_F(AttachTest, ReceiverWaitsWhileTheCableIsInUse)
{
    Plug(kMouseCable);
    attach.OnCommandAttach(slots, kMouseCable);
    Plug(kMouseReceiver);
    const LinkActions a = attach.OnCommandAttach(slots, kMouseReceiver);
    EXPECT_FALSE(a.opened || a.showItem);
    EXPECT_FALSE(links.Receiver().IsOpen());
    EXPECT_EQ(links.command.viaDongle, 0);

    Unplug(kMouseReceiver);
    EXPECT_FALSE(attach.OnCommandDetach(slots, kMouseReceiver).hideItem);
    EXPECT_EQ(links.command.linkOpen, 1);
}

TEST_F(AttachTest, PulledCableMovesTheLinkToTheReceiver)
{
    struct Case {
        const char* name;
        int awakeAfter;    // the try that first answers awake
        int failureLines;  // "获取2.4G模式失败" lines
        int steps;         // Step calls the window makes
    } const cases[] = {
        {"awake at once", 1, 0, 0},
        {"awake at the fourth try", 4, 3, 3},
        {"asleep for all 26 tries", 1000, 25, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slots = MakeSlotList();
        lines.clear();
        Plug(kMouseCable);
        Plug(kMouseReceiver);
        attach.OnCommandAttach(slots, kMouseCable);
        Unplug(kMouseCable);
        awakeAfter = c.awakeAfter;
        LinkActions a = attach.OnCommandDetach(slots, kMouseCable);
        EXPECT_TRUE(a.opened);
        EXPECT_FALSE(a.hideItem) << "no flicker";
        EXPECT_EQ(links.command.viaDongle, 1);
        EXPECT_EQ(links.command.chunkSize, 24);
        EXPECT_EQ(links.Receiver().openedPath, slots[kMouseReceiver].path);
        int steps = 0;
        while (a.stepSwitch && steps < 100) {
            a = attach.Step();
            ++steps;
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_TRUE(a.queryPower && a.startLinkWatch);
        EXPECT_EQ(Count("获取2.4G模式失败"), c.failureLines);
        EXPECT_EQ(Count("获取2"), 1);
        EXPECT_FALSE(attach.Step().stepSwitch);
    }
}

TEST_F(AttachTest, OnlyDeviceUnpluggedClosesEverything)
{
    Plug(kMouseCable);
    attach.OnCommandAttach(slots, kMouseCable);
    Unplug(kMouseCable);
    const LinkActions a = attach.OnCommandDetach(slots, kMouseCable);
    EXPECT_TRUE(a.hideItem);
    EXPECT_EQ(Count("鼠标设备丢失"), 1);
    EXPECT_EQ(links.command.linkOpen, 0);
    EXPECT_FALSE(links.Cable().IsOpen());
    EXPECT_FALSE(links.Receiver().IsOpen());
    EXPECT_EQ(links.command.BeginConfig(), 0);
    EXPECT_TRUE(links.Cable().Written().empty());

    Plug(kMouseCable);
    EXPECT_TRUE(attach.OnCommandAttach(slots, kMouseCable).opened) << "the device comes back";
}

TEST_F(AttachTest, InterfaceThatCannotBeOpenedIsOfferedAgain)
{
    links.Cable().refuseOpen = true;
    Plug(kMouseCable);
    const LinkActions a = attach.OnCommandAttach(slots, kMouseCable);
    EXPECT_TRUE(a.retryLater);
    EXPECT_FALSE(a.opened || a.showItem);
    EXPECT_TRUE(IsFree(slots[kMouseCable]));
    EXPECT_EQ(links.command.linkOpen, 0);
}

TEST_F(AttachTest, FailedMoveFreesTheTargetForTheNextScan)
{
    Plug(kMouseCable);
    Plug(kMouseReceiver);
    attach.OnCommandAttach(slots, kMouseCable);
    links.Receiver().refuseOpen = true;
    Unplug(kMouseCable);
    const LinkActions a = attach.OnCommandDetach(slots, kMouseCable);
    EXPECT_TRUE(a.retryLater);
    EXPECT_EQ(links.command.linkOpen, 0);
    EXPECT_TRUE(IsFree(slots[kMouseReceiver]));

    links.Receiver().refuseOpen = false;
    Plug(kMouseReceiver);
    EXPECT_TRUE(attach.OnCommandAttach(slots, kMouseReceiver).opened);
    EXPECT_EQ(links.command.viaDongle, 1);
}

TEST_F(AttachTest, NotificationInterfacesFollowTheirPath)
{
    Plug(kMouseCableNotify);
    Plug(kMouseReceiverNotify);
    EXPECT_TRUE(attach.OnNotifyAttach(slots, kMouseCableNotify));
    EXPECT_TRUE(attach.OnNotifyAttach(slots, kMouseReceiverNotify));
    auto& cable = static_cast<FakePort&>(*links.notify.primaryHid);
    auto& receiver = static_cast<FakePort&>(*links.notify.dongleHid);
    EXPECT_EQ(cable.openedPath, slots[kMouseCableNotify].path);
    EXPECT_EQ(receiver.openedPath, slots[kMouseReceiverNotify].path);
    EXPECT_EQ(links.notify.linkOpen, 1);
    EXPECT_EQ(links.notify.viaDongle, 1);
    attach.OnNotifyDetach(slots, kMouseReceiverNotify);
    EXPECT_FALSE(receiver.IsOpen());
    EXPECT_TRUE(cable.IsOpen());
    EXPECT_EQ(links.notify.viaDongle, 0);
}

TEST_F(AttachTest, DetachEndsATransactionInFlight)
{
    Plug(kMouseCable);
    attach.OnCommandAttach(slots, kMouseCable);
    links.Cable().responder = [](const CommandFrame&) { return std::vector<CommandFrame>{}; };
    links.Cable().blockReads = true;
    std::array<std::uint8_t, 512> table{};
    auto transfer = std::async(std::launch::async, [&] {
        const auto start = std::chrono::steady_clock::now();
        const int status = links.command.ReadKeyTable(table);
        return std::make_pair(status, std::chrono::steady_clock::now() - start);
    });
    links.Cable().AwaitBlockedRead();
    Unplug(kMouseCable);
    EXPECT_TRUE(attach.OnCommandDetach(slots, kMouseCable).hideItem);
    const auto [status, took] = transfer.get();
    EXPECT_TRUE(status == 0 || status == -1) << status;
    EXPECT_LT(took, std::chrono::milliseconds(900)) << "ended by the close, not by the time-out";
    EXPECT_EQ(links.Cable().Written().size(), 1u);
    EXPECT_EQ(links.command.ReadKeyTable(table), 0);
    EXPECT_EQ(links.Cable().Written().size(), 1u);
}

} // namespace
} // namespace orvel::test
