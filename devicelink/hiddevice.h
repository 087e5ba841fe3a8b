#pragma once
// CHidDevice: one HID top-level collection of one device. Lists the interfaces present,
// opens one by path, tells its attributes and report capabilities, moves reports with a
// time-out, can be woken from another thread by Close, and turns an input report into
// pressed usages and values.
//
// Threads: one thread may wait in Read while another writes, and any thread may call Close.
// Close wakes every waiting call and waits until they have all returned before it frees
// anything, so no call ever touches freed state or a buffer after it returned.

#include "platform/hid/hid_channel.h"
#include "platform/hid/hid_items.h"
#include "platform/hid/report_descriptor.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Who the device says it is.
struct HidAttributes {
    uint16_t VendorID = 0;
    uint16_t ProductID = 0;
    uint16_t VersionNumber = 0;
};

// The collection's usage and the byte length of each report type, report id included.
struct HidCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
};

class CHidDevice {
public:
    // The time-out that waits as long as it takes.
    static constexpr uint32_t kInfinite = orvel::hid::kWaitForever;

    CHidDevice();
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Collects the paths of every interface present and rewinds NextPath. False (and no
    // list) when the system's list could not be read.
    bool Enumerate();
    // The next collected path, or null after the last one or when no list exists. Valid
    // until the next Enumerate or FreePaths.
    const char* NextPath();
    void FreePaths();

    // Opens a path; 1 on success, 0 when it failed (the object is closed then). With
    // neither read nor write only the attributes and capabilities are read. exclusive is
    // kept for callers; Linux has no share modes to apply it to.
    int Open(const std::string& path, bool forRead, bool forWrite, bool overlapped, bool exclusive);
    // Safe when nothing is open; wakes a Read or Write waiting on another thread.
    void Close();
    bool IsOpen() const;

    // 1 when a whole report was moved, 0 on time-out, abort, unplug or error.
    // timeoutMs may be kInfinite.
    int Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs);
    int Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, uint32_t timeoutMs);
    // Output report by the control pipe (the headset's light reports).
    bool SetOutputReport(const uint8_t* report, uint32_t length);
    // buffer[0] is the report id on entry; the whole feature report on return.
    bool GetFeature(uint8_t* buffer, uint32_t length);
    bool SetFeature(const uint8_t* report, uint32_t length);

    // Fills the items of that type that belong to the report's id. The report is one the
    // caller read into a buffer of its own: inputReport and the items belong to the object,
    // and a Close on another thread frees them. For an input report, firstPressed (when given)
    // receives the first non-zero usage among its button items, 0 when there is none (such a
    // report is to be ignored). Items and usage are read under the object's lock, so Open and
    // Close wait for it. False when a value the report should carry cannot be read from it, or
    // nothing is open.
    bool UnpackReport(const uint8_t* report, uint32_t length, HidReportType type, uint16_t* firstPressed = nullptr);

    // The scan thread's check: does the interface of a path still exist?
    static bool IsPresent(const std::string& path);

    // Set by Open, cleared by Close.
    std::string devicePath;
    bool openForRead = false;
    bool openForWrite = false;
    bool overlapped = false;
    bool exclusive = false;
    HidCaps caps;
    HidAttributes attributes;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;

    std::vector<uint8_t> inputReport;
    std::vector<HidDataItem> inputItems;
    std::vector<orvel::hid::ButtonCaps> inputButtonCaps;
    std::vector<orvel::hid::ValueCaps> inputValueCaps;
    std::vector<uint8_t> outputReport;
    std::vector<HidDataItem> outputItems;
    std::vector<orvel::hid::ButtonCaps> outputButtonCaps;
    std::vector<orvel::hid::ValueCaps> outputValueCaps;
    std::vector<uint8_t> featureReport;
    std::vector<HidDataItem> featureItems;
    std::vector<orvel::hid::ButtonCaps> featureButtonCaps;
    std::vector<orvel::hid::ValueCaps> featureValueCaps;

private:
    // A call in flight for its lifetime; its channel is null when nothing is open or a Close
    // is under way.
    class Call;
    orvel::hid::Channel* Enter();
    void Leave();
    void FillDeviceInfo();
    void ClearDeviceInfo();
    std::vector<HidDataItem>& ItemsOf(HidReportType type);

    std::vector<std::string> paths_;
    size_t pathCursor_ = 0;
    bool haveList_ = false;

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::unique_ptr<orvel::hid::Channel> channel_;
    bool open_ = false;
    bool closing_ = false;
    int inFlight_ = 0;
    orvel::hid::TopCollection collection_;
};
