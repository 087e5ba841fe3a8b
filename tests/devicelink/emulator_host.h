#pragma once
// The program's side of the end-to-end tests: the slot list, the scan pass over the real HID
// layer, and one device object per identity whose links the attach core drives, as the main
// window does. Emulators run in-process on a temporary vhid folder.

#include "devicelink/device_scan.h"
#include "devicelink/hid_adapters.h"
#include "devicelink/link_attach.h"
#include "sim/serve/served_device.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_folder.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace orvel::test {

using orvel::testing::RecordingPort;

struct HostDevice {
    HostDevice()
        : command(std::make_unique<RecordingPort>(), std::make_unique<RecordingPort>()),
          notify(std::make_unique<RecordingPort>(), std::make_unique<RecordingPort>())
    {
    }
    RecordingPort& Cable() { return static_cast<RecordingPort&>(*command.primaryHid); }
    RecordingPort& Receiver() { return static_cast<RecordingPort&>(*command.dongleHid); }

    CDeviceLink command;
    CDeviceLink notify;
    CLinkAttach attach{command, notify, true};
    LinkActions last;
    bool itemVisible = false;
};

class EmulatorHost {
public:
    EmulatorHost()
    {
        folder.setEnv("ORVEL_VHID_DIR", folder.path().string());
        for (std::size_t row : {0u, 4u, 8u, 10u})
            devices[row] = std::make_unique<HostDevice>();
    }

    std::unique_ptr<sim::ServedDevice> Emulator(sim::DeviceKind kind)
    {
        return std::make_unique<sim::ServedDevice>(kind, folder.path(), clock);
    }

    // One scan pass; attach and detach go to the device objects as the main window sends them.
    void Scan() { scanner.Pass(); }

    HostDevice& Device(std::size_t identityRow) { return *devices.at(identityRow); }
    std::vector<std::size_t> AttachedSlots() const
    {
        std::vector<std::size_t> attached;
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (slots[i].attached != 0)
                attached.push_back(i);
        return attached;
    }

    orvel::testing::TempFolder folder;
    sim::SteadyClock clock;
    SlotList slots = MakeSlotList();
    CHidProbe probe;
    std::vector<std::pair<UINT, WPARAM>> reports;

private:
    void Handle(UINT message, WPARAM slot)
    {
        reports.emplace_back(message, slot);
        const CDeviceSlot& identity = IdentityOf(slots, slot);
        HostDevice& device = *devices.at(static_cast<std::size_t>(&identity - slots.data()));
        const bool command = slots[slot].role == kRoleCommand;
        if (message == WM_DEVICE_ATTACH) {
            if (command)
                device.last = device.attach.OnCommandAttach(slots, slot);
            else
                device.attach.OnNotifyAttach(slots, slot);
        } else if (message == WM_DEVICE_DETACH) {
            if (command)
                device.last = device.attach.OnCommandDetach(slots, slot);
            else
                device.attach.OnNotifyDetach(slots, slot);
        }
        if (device.last.showItem)
            device.itemVisible = true;
        if (device.last.hideItem)
            device.itemVisible = false;
    }

    std::map<std::size_t, std::unique_ptr<HostDevice>> devices;
    CDeviceScanner scanner{slots, probe, {[this](UINT m, WPARAM s) { Handle(m, s); }, [] {}}};
};

} // namespace orvel::test
