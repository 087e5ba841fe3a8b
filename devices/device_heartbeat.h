#pragma once
// The heartbeat of one device: the timers 1000-1007 that run on its selector item, as a state
// machine without any window. The item arms and kills the timers and passes each one that
// fires to OnTimer; the link changes of an attach, detach or link move come in as LinkActions.
// What the timers do to the device and the item goes through the host.
//
//   1000  preview: the page's LED buttons are refreshed from the colour buffer, again every
//         frame period while the link is open and the preview is wanted (page shown)
//   1001  device ready, 500 ms after an attach: through the receiver the wireless device must
//         answer first (else the item stays hidden and it is asked again every 3 s); then the
//         device is read and the preview, power polling and (receiver) link watch start
//   1002  re-read the device after its notification asked for it
//   1005  power status, every 3 s (wireless devices and the mouse pad)
//   1006  one more wireless query after a move to the receiver, every 50 ms
//   1007  link watch through the receiver, every 3 s: reachable and unreachable are reported
//
// Every timer is one-shot: it is killed when it fires and armed again explicitly.

#include "devicelink/link_attach.h"

namespace orvel::devices {

enum HeartbeatTimer : unsigned {
    kPreviewTimer = 1000,
    kReadyTimer = 1001,
    kResyncTimer = 1002,
    kHookTimer3 = 1003,
    kHookTimer4 = 1004,
    kPowerTimer = 1005,
    kSwitchStepTimer = 1006,
    kLinkWatchTimer = 1007,
};

struct HeartbeatTiming {
    unsigned readyMs = 500;
    unsigned readyRetryMs = 3000;
    unsigned firstPreviewMs = 5;
    unsigned previewCableMs = 40;
    // A page of many LEDs (the keyboard's 170) costs a repaint of most of the page per frame.
    unsigned previewManyLedsMs = 80;
    unsigned previewReceiverMs = 50;
    unsigned firstPowerMs = 50;
    unsigned powerMs = 3000;
    unsigned firstLinkWatchMs = 2000;
    unsigned linkWatchMs = 3000;
};

// What the heartbeat needs of the selector item, the device and its page.
class IHeartbeatHost {
public:
    virtual ~IHeartbeatHost() = default;
    virtual void ArmTimer(unsigned id, unsigned ms) = 0;
    virtual void KillTimer(unsigned id) = 0;

    virtual bool LinkOpen() const = 0;
    virtual bool ViaReceiver() const = 0;
    virtual bool WirelessCapable() const = 0;
    // Whether the power status is polled: wireless-capable devices and the mouse pad.
    virtual bool PollsPower() const = 0;
    // Asks the device through the receiver; true for a cabled device.
    virtual bool IsWirelessLinkUp() = 0;
    virtual void LoadFromDevice() = 0;
    virtual void ResyncFromDevice() = 0;
    virtual void QueryPower() = 0;
    // One more wireless query of a link move (CLinkAttach::Step).
    virtual LinkActions SwitchStep() = 0;

    virtual bool ItemShown() const = 0;
    // WM_DEVICE_REACHABLE to the main window, which shows or hides the item.
    virtual void ReportReachable(bool reachable) = 0;
    // Whether the device's page is on screen, so its LED buttons are worth painting.
    virtual bool PreviewWanted() const = 0;
    virtual void RefreshPreview() = 0;
};

class DeviceHeartbeat {
public:
    static constexpr int kReadyRetryWrap = 20;

    explicit DeviceHeartbeat(IHeartbeatHost& host, HeartbeatTiming timing = {});
    // The page's LED count: above kManyLeds the preview runs at previewManyLedsMs.
    static constexpr int kManyLeds = 64;
    void SetLedCount(int count) { manyLeds_ = count > kManyLeds; }

    // After an attach, detach, link move or switch step.
    void OnLinkActions(const LinkActions& actions);
    // A timer fired (already killed by the item).
    void OnTimer(unsigned id);
    // A notification asked for a re-read after ms.
    void ScheduleResync(int ms);
    // The page came on screen: the preview runs again if the device is ready.
    void OnPreviewWanted();

    // The device was read after its last attach (timer 1001 succeeded).
    bool Ready() const { return ready_; }
    int ReadyRetries() const { return readyRetries_; }

private:
    void DeviceReady();
    void Preview();
    void Power();
    void LinkWatch();
    void Stop();
    unsigned PreviewPeriod() const;

    IHeartbeatHost& host_;
    HeartbeatTiming timing_;
    bool ready_ = false;
    bool previewArmed_ = false;
    bool manyLeds_ = false;
    int readyRetries_ = 0;
};

} // namespace orvel::devices
