#include "devicelink/hiddevice.h"

#include "platform/debuglog.h"
#include "platform/hid/hid_bus.h"
#include "platform/hid/hid_path.h"

#include <algorithm>

using orvel::hid::Channel;
using orvel::hid::IoStatus;

CHidDevice::CHidDevice() = default;

CHidDevice::~CHidDevice()
{
    Close();
}

bool CHidDevice::Enumerate()
{
    FreePaths();
    std::vector<std::string> paths;
    if (!orvel::hid::EnumeratePaths(paths)) {
        orvel::debuglog::Write("hid: enumeration failed");
        return false;
    }
    paths_ = std::move(paths);
    haveList_ = true;
    return true;
}

const char* CHidDevice::NextPath()
{
    if (!haveList_ || pathCursor_ >= paths_.size()) {
        return nullptr;
    }
    return paths_[pathCursor_++].c_str();
}

void CHidDevice::FreePaths()
{
    paths_.clear();
    pathCursor_ = 0;
    haveList_ = false;
}

int CHidDevice::Open(const std::string& path, bool forRead, bool forWrite, bool overlappedIo, bool exclusiveShare)
{
    Close();
    auto opened = orvel::hid::OpenPath(path, forRead, forWrite);
    if (!opened) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    devicePath = path;
    openForRead = forRead;
    openForWrite = forWrite;
    overlapped = overlappedIo;
    exclusive = exclusiveShare;
    attributes.VendorID = opened->info.vendorId;
    attributes.ProductID = opened->info.productId;
    attributes.VersionNumber = opened->info.version;
    collection_ = std::move(opened->descriptor.collections[opened->collection]);
    channel_ = std::move(opened->channel);
    FillDeviceInfo();
    open_ = true;
    return 1;
}


void CHidDevice::FillDeviceInfo()
{
    const auto& top = collection_;
    caps = HidCaps();
    caps.Usage = top.usage;
    caps.UsagePage = top.usagePage;
    caps.InputReportByteLength = top.ReportByteLength(HidReportType::kInput);
    caps.OutputReportByteLength = top.ReportByteLength(HidReportType::kOutput);
    caps.FeatureReportByteLength = top.ReportByteLength(HidReportType::kFeature);

    inputButtonCaps = top.Buttons(HidReportType::kInput);
    inputValueCaps = top.Values(HidReportType::kInput);
    outputButtonCaps = top.Buttons(HidReportType::kOutput);
    outputValueCaps = top.Values(HidReportType::kOutput);
    featureButtonCaps = top.Buttons(HidReportType::kFeature);
    featureValueCaps = top.Values(HidReportType::kFeature);
    caps.NumberInputButtonCaps = static_cast<uint16_t>(inputButtonCaps.size());
    caps.NumberInputValueCaps = static_cast<uint16_t>(inputValueCaps.size());
    caps.NumberOutputButtonCaps = static_cast<uint16_t>(outputButtonCaps.size());
    caps.NumberOutputValueCaps = static_cast<uint16_t>(outputValueCaps.size());
    caps.NumberFeatureButtonCaps = static_cast<uint16_t>(featureButtonCaps.size());
    caps.NumberFeatureValueCaps = static_cast<uint16_t>(featureValueCaps.size());

    inputReport.assign(caps.InputReportByteLength, 0);
    outputReport.assign(caps.OutputReportByteLength, 0);
    featureReport.assign(caps.FeatureReportByteLength, 0);
    inputItems = orvel::hid::MakeItems(top, HidReportType::kInput);
    outputItems = orvel::hid::MakeItems(top, HidReportType::kOutput);
    featureItems = orvel::hid::MakeItems(top, HidReportType::kFeature);

    interfaceNumber = orvel::hid::PathNumber(devicePath, "&mi_");
    collectionNumber = orvel::hid::PathNumber(devicePath, "&col");
}

void CHidDevice::ClearDeviceInfo()
{
    devicePath.clear();
    caps = HidCaps();
    attributes = HidAttributes();
    interfaceNumber = collectionNumber = 0;
    for (auto* report : {&inputReport, &outputReport, &featureReport}) {
        report->clear();
    }
    for (auto* items : {&inputItems, &outputItems, &featureItems}) {
        items->clear();
    }
    inputButtonCaps.clear();
    outputButtonCaps.clear();
    featureButtonCaps.clear();
    inputValueCaps.clear();
    outputValueCaps.clear();
    featureValueCaps.clear();
    collection_ = orvel::hid::TopCollection();
}

void CHidDevice::Close()
{
    std::unique_lock lock(mutex_);
    if (!open_ || closing_) {
        // Another thread's Close is finishing; wait for it so "closed" holds on return.
        idle_.wait(lock, [this] { return !closing_; });
        return;
    }
    closing_ = true;
    if (channel_) {
        channel_->Abort();
    }
    idle_.wait(lock, [this] { return inFlight_ == 0; });
    channel_.reset();
    ClearDeviceInfo();
    open_ = false;
    closing_ = false;
    idle_.notify_all();
}

bool CHidDevice::IsOpen() const
{
    std::lock_guard lock(mutex_);
    return open_ && !closing_;
}

Channel* CHidDevice::Enter()
{
    std::lock_guard lock(mutex_);
    if (!open_ || closing_ || !channel_) {
        return nullptr;
    }
    ++inFlight_;
    return channel_.get();
}

void CHidDevice::Leave()
{
    std::lock_guard lock(mutex_);
    if (--inFlight_ == 0) {
        idle_.notify_all();
    }
}

class CHidDevice::Call {
public:
    explicit Call(CHidDevice& device)
        : device_(device)
        , channel_(device.Enter())
    {
    }
    ~Call()
    {
        if (channel_ != nullptr) {
            device_.Leave();
        }
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    Channel* channel() const { return channel_; }

private:
    CHidDevice& device_;
    Channel* channel_;
};

int CHidDevice::Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs)
{
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    const Call call(*this);
    if (call.channel() == nullptr || buffer == nullptr) {
        return 0;
    }
    size_t got = 0;
    const IoStatus status = call.channel()->Read(buffer, length, got, timeoutMs);
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<uint32_t>(got);
    }
    return status == IoStatus::kOk ? 1 : 0;
}

int CHidDevice::Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, uint32_t timeoutMs)
{
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    const Call call(*this);
    if (call.channel() == nullptr || buffer == nullptr) {
        return 0;
    }
    size_t written = 0;
    const IoStatus status = call.channel()->Write(buffer, length, written, timeoutMs);
    if (bytesWritten != nullptr) {
        *bytesWritten = static_cast<uint32_t>(written);
    }
    return status == IoStatus::kOk ? 1 : 0;
}

bool CHidDevice::SetOutputReport(const uint8_t* report, uint32_t length)
{
    const Call call(*this);
    return call.channel() != nullptr && report != nullptr && length > 0
        && call.channel()->SetOutputReport(report, length);
}

bool CHidDevice::GetFeature(uint8_t* buffer, uint32_t length)
{
    const Call call(*this);
    size_t got = 0;
    return call.channel() != nullptr && buffer != nullptr && length > 0
        && call.channel()->GetFeature(buffer, length, got);
}

bool CHidDevice::SetFeature(const uint8_t* report, uint32_t length)
{
    const Call call(*this);
    return call.channel() != nullptr && report != nullptr && length > 0 && call.channel()->SetFeature(report, length);
}

std::vector<HidDataItem>& CHidDevice::ItemsOf(HidReportType type)
{
    switch (type) {
    case HidReportType::kOutput:
        return outputItems;
    case HidReportType::kFeature:
        return featureItems;
    default:
        return inputItems;
    }
}

bool CHidDevice::UnpackReport(const uint8_t* report, uint32_t length, HidReportType type, uint16_t* firstPressed)
{
    if (firstPressed != nullptr) {
        *firstPressed = 0;
    }
    std::lock_guard lock(mutex_);
    if (!open_ || closing_ || report == nullptr || length == 0) {
        return false;
    }
    std::vector<HidDataItem>& items = ItemsOf(type);
    if (!orvel::hid::UnpackItems(collection_, type, {report, length}, items)) {
        return false;
    }
    if (firstPressed != nullptr && type == HidReportType::kInput) {
        *firstPressed = orvel::hid::FirstPressedUsage(items, report[0]);
    }
    return true;
}

bool CHidDevice::IsPresent(const std::string& path)
{
    return orvel::hid::IsPresent(path);
}
