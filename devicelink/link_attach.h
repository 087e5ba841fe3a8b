#pragma once
// What happens to one device object's links when its interfaces come and go: opening the
// command interface with the right link mode, moving the link between cable and receiver,
// closing on detach, and the notification interfaces. Free of any UI: the main window finds
// the device object of a slot (IdentityOf), calls these, and carries out the returned
// actions on its selector item and timers.

#include "devicelink/device_link.h"
#include "devicelink/device_slot.h"

#include <cstddef>
#include <string_view>

namespace orvel {

// What the main window does after an attach, detach or link move.
struct LinkActions {
    bool opened = false;          // the command link is open on a new interface
    bool showItem = false;        // show the selector item and select it when none was visible
    bool hideItem = false;        // hide the selector item (the device is gone)
    bool startReadyTimer = false; // the item's 500 ms device-ready timer
    bool startLinkWatch = false;  // the item's link-watch timer, 2000 ms
    bool reportReachable = false; // WM_DEVICE_REACHABLE (device index, 1)
    bool queryPower = false;      // ask the device for its power state
    bool stepSwitch = false;      // call Step every kSwitchStepMs until this comes back false
    bool retryLater = false;      // the interface could not be opened; its slot was freed so
                                  // that the next scan pass offers it again
};

// The debug line the main window writes when an interface of this kind arrives or leaves
// (the mouse pad's line also stands for the headset); empty for other kinds.
std::string_view DeviceChangeLine(std::uint16_t kind, bool arrived);

// The kind-table row of the device a slot belongs to (receivers use their cable row), or -1.
int KindRowOf(const SlotList& slots, std::size_t slot);

class CLinkAttach {
public:
    static constexpr int kSwitchTries = 26;
    static constexpr unsigned kSwitchStepMs = 50;

    CLinkAttach(CDeviceLink& commandLink, CDeviceLink& notifyLink, bool wirelessCapable);

    // The command interface of slot arrived (the slot is attached with its path).
    LinkActions OnCommandAttach(SlotList& slots, std::size_t slot);
    // The command interface of slot left (the slot is free again).
    LinkActions OnCommandDetach(SlotList& slots, std::size_t slot);
    // Moves the command link to the cable when the cable slot is attached, else to the receiver.
    LinkActions SwitchLink(SlotList& slots, std::size_t slot);
    // One more wireless query after a move to the receiver; the window calls it every 50 ms
    // while the last actions asked for it.
    LinkActions Step();

    // The notification interface of slot arrived or left; true when it was opened.
    bool OnNotifyAttach(const SlotList& slots, std::size_t slot);
    void OnNotifyDetach(const SlotList& slots, std::size_t slot);

private:
    LinkActions QueryStep();
    void CloseCommand(bool both);

    CDeviceLink& command_;
    CDeviceLink& notify_;
    bool wirelessCapable_;
    int triesLeft_ = 0;
};

} // namespace orvel
