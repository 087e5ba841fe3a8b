#include "devices/device_heartbeat.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace orvel::devices {
namespace {

// The item and device as the heartbeat sees them; records what the heartbeat asks for.
class FakeHost : public IHeartbeatHost {
public:
    void ArmTimer(unsigned id, unsigned ms) override { armed[id] = ms; }
    void KillTimer(unsigned id) override { armed.erase(id); }
    bool LinkOpen() const override { return linkOpen; }
    bool ViaReceiver() const override { return viaReceiver; }
    bool WirelessCapable() const override { return wireless; }
    bool PollsPower() const override { return pollsPower; }
    bool IsWirelessLinkUp() override
    {
        log.push_back("query");
        return awake;
    }
    void LoadFromDevice() override { log.push_back("load"); }
    void ResyncFromDevice() override { log.push_back("resync"); }
    void QueryPower() override { log.push_back("power"); }
    LinkActions SwitchStep() override
    {
        log.push_back("step");
        LinkActions next;
        if (!steps.empty()) {
            next = steps.front();
            steps.pop_front();
        }
        return next;
    }
    bool ItemShown() const override { return shown; }
    void ReportReachable(bool reachable) override
    {
        log.push_back(reachable ? "reachable" : "unreachable");
        shown = reachable;
    }
    bool PreviewWanted() const override { return previewWanted; }
    void RefreshPreview() override { log.push_back("preview"); }

    // Fires the timer as the item does: killed first, then handed on.
    void Fire(DeviceHeartbeat& heartbeat, unsigned id)
    {
        ASSERT_TRUE(armed.count(id)) << "timer " << id << " is not armed";
        armed.erase(id);
        heartbeat.OnTimer(id);
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    bool linkOpen = true, viaReceiver = false, wireless = true, pollsPower = true, awake = true, shown = false,
         previewWanted = true;
    std::map<unsigned, unsigned> armed;
    std::vector<std::string> log;
    std::deque<LinkActions> steps;
};

using Log = std::vector<std::string>;
using Armed = std::map<unsigned, unsigned>;

LinkActions Attached()
{
    LinkActions a;
    a.opened = true;
    a.startReadyTimer = true;
    return a;
}

TEST(DeviceHeartbeat, ACabledDeviceIsReadThenPreviewedAndPolled)
{
    FakeHost host;
    DeviceHeartbeat heartbeat(host);
    heartbeat.OnLinkActions(Attached());
    EXPECT_EQ(host.armed, (Armed{{kReadyTimer, 500}}));
    host.Fire(heartbeat, kReadyTimer);
    EXPECT_EQ(host.Take(), (Log{"load"}));
    EXPECT_TRUE(heartbeat.Ready());
    EXPECT_EQ(host.armed, (Armed{{kPreviewTimer, 5}, {kPowerTimer, 50}}));

    host.Fire(heartbeat, kPreviewTimer);
    host.Fire(heartbeat, kPowerTimer);
    EXPECT_EQ(host.Take(), (Log{"preview", "power"}));
    EXPECT_EQ(host.armed, (Armed{{kPreviewTimer, 40}, {kPowerTimer, 3000}}));
}

TEST(DeviceHeartbeat, ThroughASleepingReceiverTheItemWaitsUntilTheDeviceAnswers)
{
    FakeHost host;
    host.viaReceiver = true;
    host.awake = false;
    host.shown = true; // shown before (a cable was pulled)
    DeviceHeartbeat heartbeat(host);
    heartbeat.OnLinkActions(Attached());
    host.Fire(heartbeat, kReadyTimer);
    EXPECT_EQ(host.Take(), (Log{"query", "unreachable"}));
    EXPECT_EQ(host.armed, (Armed{{kReadyTimer, 3000}}));
    host.Fire(heartbeat, kReadyTimer); // still asleep, already hidden: nothing reported
    EXPECT_EQ(host.Take(), (Log{"query"}));
    EXPECT_EQ(heartbeat.ReadyRetries(), 2);

    host.awake = true;
    host.Fire(heartbeat, kReadyTimer);
    EXPECT_EQ(host.Take(), (Log{"query", "reachable", "load"}));
    EXPECT_EQ(heartbeat.ReadyRetries(), 0);
    EXPECT_EQ(host.armed, (Armed{{kPreviewTimer, 5}, {kPowerTimer, 50}, {kLinkWatchTimer, 2000}}));
    host.Fire(heartbeat, kPreviewTimer);
    EXPECT_EQ(host.armed.at(kPreviewTimer), 50u); // the receiver's preview period
    heartbeat.SetLedCount(170);
    host.Fire(heartbeat, kPreviewTimer);
    EXPECT_EQ(host.armed.at(kPreviewTimer), 80u); // a keyboard's page repaints less often
}

TEST(DeviceHeartbeat, TheLinkWatchReportsChangesOnly)
{
    FakeHost host;
    host.viaReceiver = true;
    host.shown = true;
    DeviceHeartbeat heartbeat(host);
    LinkActions moved;
    moved.startLinkWatch = true;
    heartbeat.OnLinkActions(moved);
    struct Step {
        bool awake;
        Log log;
    };
    const Step steps[] = {
        {true, {"query"}},                   // reachable and shown: nothing to say
        {false, {"query", "unreachable"}},   // went to sleep
        {false, {"query"}},
        {true, {"query", "reachable", "power"}},
    };
    for (const Step& s : steps) {
        host.awake = s.awake;
        host.Fire(heartbeat, kLinkWatchTimer);
        EXPECT_EQ(host.Take(), s.log);
        EXPECT_EQ(host.armed.at(kLinkWatchTimer), 3000u);
    }
    // Over the cable the watch ends.
    host.viaReceiver = false;
    host.Fire(heartbeat, kLinkWatchTimer);
    EXPECT_TRUE(host.Take().empty());
    EXPECT_FALSE(host.armed.count(kLinkWatchTimer));
}

TEST(DeviceHeartbeat, ADetachStopsEveryTimerAndLateOnesDoNothing)
{
    FakeHost host;
    DeviceHeartbeat heartbeat(host);
    heartbeat.OnLinkActions(Attached());
    host.Fire(heartbeat, kReadyTimer);
    heartbeat.ScheduleResync(50);
    host.Take();
    LinkActions gone;
    gone.hideItem = true;
    heartbeat.OnLinkActions(gone);
    EXPECT_TRUE(host.armed.empty());
    EXPECT_FALSE(heartbeat.Ready());

    host.linkOpen = false;
    for (unsigned id : {kPreviewTimer, kReadyTimer, kResyncTimer, kPowerTimer, kLinkWatchTimer})
        heartbeat.OnTimer(id); // a timer already queued when the device went
    EXPECT_TRUE(host.Take().empty());
    EXPECT_TRUE(host.armed.empty());
}

TEST(DeviceHeartbeat, ThePreviewRunsOnlyWhileThePageIsOnScreen)
{
    FakeHost host;
    host.previewWanted = false;
    host.pollsPower = false;
    DeviceHeartbeat heartbeat(host);
    heartbeat.OnLinkActions(Attached());
    host.Fire(heartbeat, kReadyTimer);
    EXPECT_TRUE(host.armed.empty()); // hidden page, and no power to poll (a headset)

    host.previewWanted = true;
    heartbeat.OnPreviewWanted();
    heartbeat.OnPreviewWanted(); // asked twice, armed once
    EXPECT_EQ(host.armed, (Armed{{kPreviewTimer, 5}}));
    host.Fire(heartbeat, kPreviewTimer);
    host.previewWanted = false;
    host.Fire(heartbeat, kPreviewTimer);
    EXPECT_EQ(host.Take(), (Log{"load", "preview"}));
    EXPECT_TRUE(host.armed.empty());
}

TEST(DeviceHeartbeat, ALinkMoveToTheReceiverQueriesStepByStep)
{
    FakeHost host;
    host.viaReceiver = true;
    DeviceHeartbeat heartbeat(host);
    LinkActions first;
    first.opened = true;
    first.stepSwitch = true;
    LinkActions again;
    again.stepSwitch = true;
    LinkActions done;
    done.queryPower = true;
    done.startLinkWatch = true;
    host.steps = {again, done};
    heartbeat.OnLinkActions(first);
    EXPECT_EQ(host.armed, (Armed{{kSwitchStepTimer, 50}}));
    host.Fire(heartbeat, kSwitchStepTimer);
    EXPECT_EQ(host.armed, (Armed{{kSwitchStepTimer, 50}}));
    host.Fire(heartbeat, kSwitchStepTimer);
    EXPECT_EQ(host.Take(), (Log{"step", "step", "power"}));
    EXPECT_EQ(host.armed, (Armed{{kLinkWatchTimer, 2000}}));
}

TEST(DeviceHeartbeat, ANotificationAsksForAReread)
{
    FakeHost host;
    DeviceHeartbeat heartbeat(host);
    heartbeat.ScheduleResync(-1);
    EXPECT_TRUE(host.armed.empty());
    heartbeat.ScheduleResync(50);
    host.Fire(heartbeat, kResyncTimer);
    EXPECT_EQ(host.Take(), (Log{"resync"}));
}

} // namespace
} // namespace orvel::devices
