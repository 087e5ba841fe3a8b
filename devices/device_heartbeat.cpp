#include "devices/device_heartbeat.h"

#include "platform/debuglog.h"

#include <algorithm>

namespace orvel::devices {

DeviceHeartbeat::DeviceHeartbeat(IHeartbeatHost& host, HeartbeatTiming timing) : host_(host), timing_(timing) {}

void DeviceHeartbeat::OnLinkActions(const LinkActions& actions)
{
    if (actions.hideItem)
        Stop();
    if (actions.startReadyTimer)
        host_.ArmTimer(kReadyTimer, timing_.readyMs);
    if (actions.startLinkWatch)
        host_.ArmTimer(kLinkWatchTimer, timing_.firstLinkWatchMs);
    if (actions.reportReachable)
        host_.ReportReachable(true);
    if (actions.queryPower)
        host_.QueryPower();
    if (actions.stepSwitch)
        host_.ArmTimer(kSwitchStepTimer, CLinkAttach::kSwitchStepMs);
}

void DeviceHeartbeat::Stop()
{
    for (unsigned id : {kPreviewTimer, kReadyTimer, kResyncTimer, kPowerTimer, kSwitchStepTimer, kLinkWatchTimer})
        host_.KillTimer(id);
    ready_ = false;
    previewArmed_ = false;
}

void DeviceHeartbeat::OnTimer(unsigned id)
{
    switch (id) {
    case kPreviewTimer: Preview(); break;
    case kReadyTimer: DeviceReady(); break;
    case kResyncTimer:
        if (host_.LinkOpen())
            host_.ResyncFromDevice();
        break;
    case kPowerTimer: Power(); break;
    case kSwitchStepTimer: OnLinkActions(host_.SwitchStep()); break;
    case kLinkWatchTimer: LinkWatch(); break;
    default: break;
    }
}

void DeviceHeartbeat::ScheduleResync(int ms)
{
    if (ms >= 0)
        host_.ArmTimer(kResyncTimer, static_cast<unsigned>(ms));
}

void DeviceHeartbeat::OnPreviewWanted()
{
    if (ready_ && !previewArmed_ && host_.LinkOpen() && host_.PreviewWanted()) {
        previewArmed_ = true;
        host_.ArmTimer(kPreviewTimer, timing_.firstPreviewMs);
    }
}

void DeviceHeartbeat::DeviceReady()
{
    if (!host_.LinkOpen())
        return;
    if (host_.ViaReceiver()) {
        if (!host_.IsWirelessLinkUp()) {
            readyRetries_ = (readyRetries_ + 1) % kReadyRetryWrap;
            if (host_.ItemShown())
                host_.ReportReachable(false);
            host_.ArmTimer(kReadyTimer, timing_.readyRetryMs);
            return;
        }
        host_.ReportReachable(true);
    }
    host_.LoadFromDevice();
    readyRetries_ = 0;
    ready_ = true;
    previewArmed_ = false;
    OnPreviewWanted();
    if (host_.PollsPower())
        host_.ArmTimer(kPowerTimer, timing_.firstPowerMs);
    if (host_.ViaReceiver())
        host_.ArmTimer(kLinkWatchTimer, timing_.firstLinkWatchMs);
}

unsigned DeviceHeartbeat::PreviewPeriod() const
{
    if (manyLeds_)
        return std::max(timing_.previewManyLedsMs, host_.ViaReceiver() ? timing_.previewReceiverMs : 0u);
    return host_.ViaReceiver() ? timing_.previewReceiverMs : timing_.previewCableMs;
}

void DeviceHeartbeat::Preview()
{
    previewArmed_ = false;
    if (!host_.LinkOpen() || !host_.PreviewWanted())
        return;
    host_.RefreshPreview();
    previewArmed_ = true;
    host_.ArmTimer(kPreviewTimer, PreviewPeriod());
}

void DeviceHeartbeat::Power()
{
    if (!host_.LinkOpen())
        return;
    host_.QueryPower();
    if (host_.PollsPower())
        host_.ArmTimer(kPowerTimer, timing_.powerMs);
}

void DeviceHeartbeat::LinkWatch()
{
    if (!host_.LinkOpen())
        return;
    if (!host_.ViaReceiver()) {
        debuglog::Write("2.4gcesvdfherhue  12312423");
        return;
    }
    const bool up = host_.IsWirelessLinkUp();
    if (up && !host_.ItemShown()) {
        debuglog::Write("2.4gcesvdfherhue  12312423 123342341");
        host_.ReportReachable(true);
        if (host_.WirelessCapable())
            host_.QueryPower();
    } else if (!up && host_.ItemShown()) {
        debuglog::Write("2.4gcesvdfherhue");
        host_.ReportReachable(false);
    }
    host_.ArmTimer(kLinkWatchTimer, timing_.linkWatchMs);
}

} // namespace orvel::devices
