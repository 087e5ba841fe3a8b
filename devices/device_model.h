#pragma once
// The part of a device page that needs no window: the device's two links and how they follow
// its interfaces, its core, its profile list, its light loop and frame output, and the readers
// of its notification interfaces. One model exists per device identity for the whole run; the
// page shell (devices/qt) owns it, binds its controls and runs the heartbeat timers.
//
// Every operation runs on the UI thread. Those that talk to the device hold the frame output
// first, so a frame is never sent in the middle of them and never reads what they change.

#include "devicelink/device_tables.h"
#include "devicelink/link_attach.h"
#include "devices/device_core.h"
#include "devices/light_output.h"
#include "devices/notify_reader.h"
#include "lighting/device_lighting.h"
#include "lighting/light_scheduler.h"
#include "lighting/observed_source.h"
#include "profiles/profilelist.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace orvel::devices {

// The profile and data folders of a kind-table row's device.
DeviceFolders FoldersOfKindRow(int kindRow);

// The record of a profile as the mouse's and keyboard's light loops render it.
lighting::LightSettings LightSettingsOf(const profiles::LightRecord& record);

class DeviceModel {
public:
    // Called on a reader thread with each notification usage; it must only post it on.
    using PostNotification = std::function<void(NotifySource source, std::uint16_t usage)>;

    virtual ~DeviceModel();
    DeviceModel(const DeviceModel&) = delete;
    DeviceModel& operator=(const DeviceModel&) = delete;

    // kindRow: the row of the kind table (mouse, keyboard, mouse pad, headset).
    static std::unique_ptr<DeviceModel> Create(int kindRow, PostNotification post);

    int KindRow() const { return kindRow_; }
    const DeviceKindRow& KindRowData() const { return DeviceKindTable[static_cast<std::size_t>(kindRow_)]; }
    const DevicePageRow& PageRow() const { return DevicePageTable[static_cast<std::size_t>(kindRow_)]; }
    bool WirelessCapable() const { return PageRow().wirelessCapable != 0; }
    // Wireless devices report their battery; the mouse pad reports the phone lying on it.
    bool PollsPower() const { return WirelessCapable() || KindRowData().kind == kKindMousePad; }

    CDeviceLink& CommandLink() { return command_; }
    CDeviceLink& NotifyLink() { return notify_; }
    virtual DeviceCore& Core() = 0;
    virtual lighting::DeviceLighting& Lighting() = 0;
    LightOutput& Output() { return output_; }
    profiles::DeviceProfileList& Profiles() { return profiles_; }
    // Holds the frame output while the caller talks to the core.
    LightOutput::Hold HoldOutput() { return output_.Suspend(); }

    // Discovery, on the UI thread (the scan thread waits in its send meanwhile).
    LinkActions OnCommandAttach(SlotList& slots, std::size_t slot);
    LinkActions OnCommandDetach(SlotList& slots, std::size_t slot);
    LinkActions SwitchStep();
    // Opens the notification interface of the slot and starts its reader.
    bool OnNotifyAttach(const SlotList& slots, std::size_t slot);
    void OnNotifyDetach(const SlotList& slots, std::size_t slot);

    // The heartbeat's device steps.
    bool LinkOpen() const { return command_.linkOpen != 0; }
    bool ViaReceiver() const { return command_.viaDongle != 0; }
    bool IsWirelessLinkUp();
    int LoadFromDevice();
    int ResyncFromDevice();
    PowerResult QueryPower();
    // A notification posted by a reader, applied here.
    NotifyEffect ApplyNotification(NotifySource source, std::uint16_t usage);

    void SetLightOwnership(bool on);
    void SetWindowHidden(bool hidden);
    // The device's key-press notification (the mouse's key-press light effect).
    virtual void KeyPressed() {}
    // The primary screen's size (the mouse's settings carry it).
    virtual void SetScreenSize(int /*width*/, int /*height*/) {}

    // The light loop runs on the scheduler while the model is joined to it.
    void JoinScheduler(lighting::LightScheduler& scheduler);
    void LeaveScheduler();
    // Readers and frame output stopped, scheduler left, both links closed. Idempotent.
    void Shutdown();

protected:
    DeviceModel(int kindRow, PostNotification post);
    // Sets up the profile list and core; called by Create once the kind's members exist.
    void Initialise();
    // The core's lighting record (and lists) into the light loop.
    virtual void TakeLightingState() = 0;
    // Sends the LED buffer; the pause after a failure. Runs on the output thread.
    virtual int SendFrame() = 0;
    // Whether the device takes the program's frames now (asked on the UI thread): the frame
    // output is only woken for a device that does.
    virtual bool TakesFrames() const = 0;
    // Takes TakesFrames() anew after a change of the link, the record or the light ownership.
    void UpdateStreaming();

private:
    // The kind of the path the command link uses now (cable or receiver kind).
    int KindInUse(const SlotList& slots, std::size_t slot) const;
    void StartReader(NotifySource source);
    void StopReader(NotifySource source);

    int kindRow_;
    PostNotification post_;
    CDeviceLink command_;
    CDeviceLink notify_;
    CLinkAttach attach_;
    profiles::DeviceProfileList profiles_;
    LightOutput output_;
    std::unique_ptr<NotifyReader> cableReader_;
    std::unique_ptr<NotifyReader> receiverReader_;
    lighting::LightScheduler* scheduler_ = nullptr;
    std::unique_ptr<lighting::ObservedSource> observed_;
    lighting::LightScheduler::Id lightId_ = 0;
    std::atomic<bool> streams_{false};
};

} // namespace orvel::devices
