#pragma once
// Discovery: one pass over the system's HID interfaces fills free slots that match the
// tables and frees the slots whose interface is gone, reporting each change to the main
// window; the scan thread runs a pass whenever the system reports a change of its HID
// interfaces, or polls every 100 ms where nothing reports changes.

#include "devicelink/device_slot.h"
#include "platform/winmsg.h"
#include "platform/worker.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvel {

inline constexpr UINT WM_DEVICE_ATTACH = 3090;
inline constexpr UINT WM_DEVICE_DETACH = 3091;
inline constexpr UINT WM_DEVICE_REACHABLE = 3331;

// What discovery learns of an interface by opening it for reading.
struct ProbeInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

// The HID services discovery needs; CHidDevice provides them.
class IHidProbe {
public:
    virtual ~IHidProbe() = default;
    // The paths of every HID interface present; false when the system could not list them.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Opens the path for reading only, shared, learns its identity and usage, and closes it.
    virtual bool Probe(const std::string& path, ProbeInfo& info) = 0;
    // Whether the path can still be opened (without access rights).
    virtual bool IsPresent(const std::string& path) = 0;
};

// Where the scan reports: send blocks until the main window handled the message.
struct ScanReports {
    std::function<void(UINT message, WPARAM slot)> send;
    std::function<void()> firstScanDone;
};

// Matches one interface against the tables: its path against the four-field rows, then, when
// admit (if given) accepts the parsed candidate, its probed identity and usage against the
// six-field rows. Returns the match row, or -1; candidate and info hold what was learnt.
int MatchInterface(IHidProbe& probe, const std::string& path, CDeviceSlot& candidate, ProbeInfo& info,
                   const std::function<bool(const CDeviceSlot&)>& admit = {});

class CDeviceScanner {
public:
    CDeviceScanner(SlotList& slots, IHidProbe& probe, ScanReports reports);

    // One pass: enumerate while a slot is free, attach matches, then probe attached slots.
    void Pass();

private:
    void AttachNew();
    void DetachGone();

    SlotList& slots_;
    IHidProbe& probe_;
    ScanReports reports_;
    bool firstScan_ = true;
};

// What the scan thread works with: the main window it reports to, the window's slot list
// (changed only by the scan thread, read by the window while the thread waits in a send),
// the HID services, the number of the instance message posted after the first scan, and
// optionally an event signalled when the interfaces may have changed (HidChangeWatch).
struct DeviceScanContext {
    HWND mainWindow = nullptr;
    SlotList* slots = nullptr;
    IHidProbe* probe = nullptr;
    UINT instanceMessage = 0;
    EventHandle changed;
};

inline constexpr DWORD kScanPollMs = 100;
inline constexpr DWORD kScanFallbackMs = 1000;

// The scan thread of worker slot 0: param.owner is a DeviceScanContext. Without a change event
// passes run 100 ms apart; with one, a pass runs on each change and once more 100 ms later
// (an interface may still be settling: a socket bound but not yet listening), and otherwise
// every second. It ends when the stop event is signalled; attach and detach are sent to the
// main window synchronously, the instance message is posted once after the first complete scan.
void DeviceScanThread(const WorkerParam& param);

} // namespace orvel
