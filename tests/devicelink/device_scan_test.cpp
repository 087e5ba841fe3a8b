#include "devicelink/device_scan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace orvel {
namespace {

// The system's HID interfaces, as discovery sees them.
class FakeProbe : public IHidProbe {
public:
    bool Enumerate(std::vector<std::string>& paths) override
    {
        std::lock_guard lock(mutex);
        ++enumerations;
        if (failEnumerate)
            return false;
        for (const auto& [path, info] : present)
            paths.push_back(path);
        return true;
    }
    bool Probe(const std::string& path, ProbeInfo& info) override
    {
        std::lock_guard lock(mutex);
        ++probes;
        const auto it = present.find(path);
        if (it == present.end() || unopenable.count(path) != 0)
            return false;
        info = it->second;
        return true;
    }
    bool IsPresent(const std::string& path) override
    {
        std::lock_guard lock(mutex);
        return present.count(path) != 0;
    }

    void Plug(const std::string& tail, ProbeInfo info)
    {
        std::lock_guard lock(mutex);
        present["vhid:/tmp/d.sock#" + tail] = info;
    }
    void Unplug(const std::string& tail)
    {
        std::lock_guard lock(mutex);
        present.erase("vhid:/tmp/d.sock#" + tail);
    }

    std::mutex mutex;
    std::map<std::string, ProbeInfo> present;
    std::map<std::string, int> unopenable;
    bool failEnumerate = false;
    int enumerations = 0;
    int probes = 0;

    int Enumerations()
    {
        std::lock_guard lock(mutex);
        return enumerations;
    }
};

const ProbeInfo kMouseVendor{0x320F, 0x221C, 0xFF1C, 0x92};
const ProbeInfo kMouseConsumer{0x320F, 0x221C, 0x0C, 0x01};
const ProbeInfo kMouseReceiverVendor{0x320F, 0x221D, 0xFF1C, 0x92};
const ProbeInfo kHeadset{0x0C76, 0x1630, 0x0C, 0x01};

struct Report {
    UINT message;
    WPARAM slot;
    bool operator==(const Report&) const = default;
};

class ScanTest : public ::testing::Test {
protected:
    ScanTest()
        : scanner(slots, probe, {[this](UINT m, WPARAM s) { Record(m, s); }, [this] { Record(0, 0); }})
    {
    }
    void Record(UINT message, WPARAM slot)
    {
        std::lock_guard lock(mutex);
        reports.push_back({message, slot});
    }
    std::vector<Report> Take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(reports, {});
    }

    SlotList slots = MakeSlotList();
    FakeProbe probe;
    std::mutex mutex;
    std::vector<Report> reports;
    CDeviceScanner scanner;
};

constexpr UINT kFirstScan = 0;

TEST_F(ScanTest, AttachesMatchingInterfacesAndReportsTheFirstScanOnce)
{
    probe.Plug("vid_320f&pid_221c&mi_01&col04", kMouseVendor);
    probe.Plug("vid_320f&pid_221c&mi_01&col03", kMouseConsumer);
    probe.Plug("vid_0c76&pid_1630&mi_03", kHeadset);
    probe.Plug("vid_046d&pid_c077&mi_00", {0x046D, 0xC077, 1, 2});
    scanner.Pass();
    const std::vector<Report> expected{{WM_DEVICE_ATTACH, 10}, {WM_DEVICE_ATTACH, 5}, {WM_DEVICE_ATTACH, 4},
                                       {kFirstScan, 0}};
    EXPECT_EQ(Take(), expected);
    EXPECT_EQ(slots[4].attached, 1);
    EXPECT_EQ(slots[4].path, "vhid:/tmp/d.sock#vid_320f&pid_221c&mi_01&col04");
    EXPECT_EQ(probe.probes, 3) << "only interfaces that match a row are opened";

    scanner.Pass();
    EXPECT_TRUE(Take().empty());
}

TEST_F(ScanTest, WrongUsageIsNeverAttached)
{
    // The keyboard's boot interface: right ids and numbers, but not the vendor collection.
    probe.Plug("vid_320f&pid_5055&mi_01&col04", {0x320F, 0x5055, 0x01, 0x06});
    // The path says one product, the interface another: the interface's own ids count.
    probe.Plug("vid_320f&pid_1004&mi_01&col04", {0x320F, 0x9999, 0xFF1C, 0x92});
    scanner.Pass();
    scanner.Pass();
    EXPECT_EQ(Take(), (std::vector<Report>{{kFirstScan, 0}}));
    EXPECT_FALSE(std::any_of(slots.begin(), slots.end(), [](const CDeviceSlot& s) { return s.attached; }));
}

TEST_F(ScanTest, UnopenableInterfaceIsTriedAgain)
{
    const std::string tail = "vid_320f&pid_221d&mi_01&col04";
    probe.Plug(tail, kMouseReceiverVendor);
    probe.unopenable["vhid:/tmp/d.sock#" + tail] = 1;
    scanner.Pass();
    EXPECT_EQ(slots[6].attached, 0);
    probe.unopenable.clear();
    scanner.Pass();
    EXPECT_EQ(Take(), (std::vector<Report>{{kFirstScan, 0}, {WM_DEVICE_ATTACH, 6}}));
}

TEST_F(ScanTest, GoneInterfacesAreFreed)
{
    probe.Plug("vid_320f&pid_221c&mi_01&col04", kMouseVendor);
    probe.Plug("vid_0c76&pid_1630&mi_03", kHeadset);
    scanner.Pass();
    Take();
    probe.Unplug("vid_320f&pid_221c&mi_01&col04");
    scanner.Pass();
    EXPECT_EQ(Take(), (std::vector<Report>{{WM_DEVICE_DETACH, 4}}));
    EXPECT_TRUE(IsFree(slots[4]));
    EXPECT_EQ(slots[10].attached, 1);
}

TEST_F(ScanTest, EnumerationFailureIsRetried)
{
    probe.failEnumerate = true;
    scanner.Pass();
    EXPECT_TRUE(Take().empty()) << "an incomplete scan is not the first scan";
    probe.failEnumerate = false;
    probe.Plug("vid_0c76&pid_1630&mi_03", kHeadset);
    scanner.Pass();
    EXPECT_EQ(Take(), (std::vector<Report>{{WM_DEVICE_ATTACH, 10}, {kFirstScan, 0}}));
}

TEST_F(ScanTest, NoEnumerationWhileEverySlotIsAttached)
{
    for (CDeviceSlot& s : slots) {
        s.attached = 1;
        s.path = "vhid:/tmp/d.sock#" + std::to_string(&s - slots.data());
        probe.present[s.path] = {};
    }
    scanner.Pass();
    EXPECT_EQ(probe.enumerations, 0);
    EXPECT_TRUE(Take().empty());
}

// The main window's side: records what arrives, and checks that each attach sees its slot
// filled while the scan thread waits.
class WindowRecorder : public IMessageHandler {
public:
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM) override
    {
        if (msg == WM_DEVICE_ATTACH)
            attachedWithPath = !(*slots)[wParam].path.empty();
        seen.push_back({msg, wParam});
        return 0;
    }
    SlotList* slots = nullptr;
    bool attachedWithPath = false;
    std::vector<Report> seen;
};

TEST_F(ScanTest, ThreadReportsToTheMainWindowUntilStopped)
{
    WindowRecorder recorder;
    recorder.slots = &slots;
    const HWND window = CreateWindowHandle(&recorder);
    const UINT instanceMessage = RegisterWindowMessageW(L"VARNO Orvel 80");
    DeviceScanContext context{window, &slots, &probe, instanceMessage, nullptr};
    probe.Plug("vid_0c76&pid_1630&mi_03", kHeadset);

    WorkerSlot worker;
    ASSERT_TRUE(worker.Start(&context, DeviceScanThread));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (recorder.seen.size() < 2 && std::chrono::steady_clock::now() < deadline)
        PumpMessages(10);
    probe.Unplug("vid_0c76&pid_1630&mi_03");
    while (recorder.seen.size() < 3 && std::chrono::steady_clock::now() < deadline)
        PumpMessages(10);
    EXPECT_EQ(recorder.seen, (std::vector<Report>{{WM_DEVICE_ATTACH, 10}, {instanceMessage, 0}, {WM_DEVICE_DETACH, 10}}));
    EXPECT_TRUE(recorder.attachedWithPath);

    EXPECT_EQ(worker.Stop(), WorkerSlot::StopResult::Ended);
    const int enumerations = probe.enumerations;
    PumpMessages(150);
    EXPECT_EQ(probe.enumerations, enumerations) << "no pass after the stop";
    DestroyWindowHandle(window);
}

// With a change event the thread does not poll: a pass runs on the change (and once more to let
// an interface settle), then the thread sleeps until the next change or the one-second fallback.
TEST_F(ScanTest, WithAChangeEventPassesFollowTheChanges)
{
    using Clock = std::chrono::steady_clock;
    WindowRecorder recorder;
    recorder.slots = &slots;
    const HWND window = CreateWindowHandle(&recorder);
    const UINT instanceMessage = RegisterWindowMessageW(L"VARNO Orvel 80");
    DeviceScanContext context{window, &slots, &probe, instanceMessage, CreateEventW(false, false)};

    WorkerSlot worker;
    ASSERT_TRUE(worker.Start(&context, DeviceScanThread));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (recorder.seen.empty() && Clock::now() < deadline)
        PumpMessages(5);
    ASSERT_EQ(recorder.seen, (std::vector<Report>{{instanceMessage, 0}}));
    const int afterFirstPass = probe.Enumerations();
    PumpMessages(300);
    EXPECT_EQ(probe.Enumerations(), afterFirstPass) << "no pass without a change";

    probe.Plug("vid_0c76&pid_1630&mi_03", kHeadset);
    const auto changedAt = Clock::now();
    SetEvent(context.changed);
    while (recorder.seen.size() < 2 && Clock::now() < deadline)
        PumpMessages(5);
    EXPECT_EQ(recorder.seen.back(), (Report{WM_DEVICE_ATTACH, 10}));
    EXPECT_LT(Clock::now() - changedAt, std::chrono::milliseconds(600))
        << "the change ran the pass, not the fallback a second after the last one";

    EXPECT_EQ(worker.Stop(), WorkerSlot::StopResult::Ended);
    DestroyWindowHandle(window);
}

} // namespace
} // namespace orvel
