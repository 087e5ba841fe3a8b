#pragma once
// Tells the device scan when the system's HID interfaces may have changed, so it can run a pass
// at once instead of polling: a hidraw node came or went (reported by udev after its rules ran,
// so the node's access rights are already set) or a socket appeared or vanished in the virtual
// device folder. Either source may be unavailable (no udev in a container); the scan keeps a
// slow fallback pass for that.

#include "platform/events.h"

#include <thread>

struct udev;
struct udev_monitor;

namespace orvel {

class HidChangeWatch {
public:
    // Signals changed after every burst of changes; the folder of virtual devices is created
    // (private) when missing so it can be watched before the first device is served.
    explicit HidChangeWatch(EventHandle changed);
    ~HidChangeWatch();
    HidChangeWatch(const HidChangeWatch&) = delete;
    HidChangeWatch& operator=(const HidChangeWatch&) = delete;

    bool WatchesUdev() const { return udevFd_ >= 0; }
    bool WatchesVirtualFolder() const { return inotifyFd_ >= 0; }

private:
    void OpenUdev();
    void OpenVirtualFolder();
    void Run();

    EventHandle changed_;
    ::udev* udev_ = nullptr;
    ::udev_monitor* monitor_ = nullptr;
    int udevFd_ = -1;
    int inotifyFd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
};

} // namespace orvel
