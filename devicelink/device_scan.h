#pragma once
// Discovery: one pass over the system's HID interfaces fills free slots that match the
// tables and frees the slots whose interface is gone, reporting each change to the main
// window; the scan thread repeats the pass every 100 ms.

#include "devicelink/device_slot.h"
#include "platform/winmsg.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
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

// Runs scan passes on its own thread, 100 ms apart, until Stop.
class CDeviceScanThread {
public:
    static constexpr int kPollMs = 100;

    explicit CDeviceScanThread(CDeviceScanner& scanner);
    ~CDeviceScanThread();
    CDeviceScanThread(const CDeviceScanThread&) = delete;
    CDeviceScanThread& operator=(const CDeviceScanThread&) = delete;

    void Start();
    // Signals the thread and waits for it to leave (at most one pass).
    void Stop();

private:
    void Run();

    CDeviceScanner& scanner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace orvel
