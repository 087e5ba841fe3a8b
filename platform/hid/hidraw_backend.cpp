#include "platform/hid/hidraw_backend.h"

#include "platform/debuglog.h"

#include <libudev.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orvel::hid::hidraw {

namespace {

using Clock = std::chrono::steady_clock;

// The largest report the kernel passes through hidraw.
constexpr size_t kMaxReport = 4096;

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The facts of a hidraw device as udev and sysfs give them; null when its HID parent or
// ids are missing.
std::optional<InterfaceInfo> InfoOf(udev_device* hidrawDevice)
{
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidrawDevice, "hid", nullptr);
    if (hid == nullptr) {
        return std::nullopt;
    }
    InterfaceInfo info;
    const char* hidId = udev_device_get_property_value(hid, "HID_ID");
    if (hidId == nullptr || !ParseHidId(hidId, info.vendorId, info.productId)) {
        return std::nullopt;
    }
    info.reportDescriptor = ReadFile(std::string(udev_device_get_syspath(hid)) + "/report_descriptor");
    if (udev_device* intf = udev_device_get_parent_with_subsystem_devtype(hidrawDevice, "usb", "usb_interface")) {
        info.interfaceNumber = ParseHexAttribute(udev_device_get_sysattr_value(intf, "bInterfaceNumber"), 0);
    }
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidrawDevice, "usb", "usb_device")) {
        info.version = static_cast<uint16_t>(ParseHexAttribute(udev_device_get_sysattr_value(usb, "bcdDevice"), 0));
    }
    return info;
}

class HidrawChannel final : public Channel {
public:
    HidrawChannel(int fd, int abortFd, ReportIdFilter filter, bool usesReportIds)
        : fd_(fd)
        , abortFd_(abortFd)
        , filter_(filter)
        , usesReportIds_(usesReportIds)
    {
    }
    ~HidrawChannel() override
    {
        ::close(fd_);
        ::close(abortFd_);
    }

    IoStatus Read(uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs) override
    {
        got = 0;
        const auto deadline = Deadline(timeoutMs);
        uint8_t report[kMaxReport + 1];
        for (;;) {
            const IoStatus ready = Wait(POLLIN, deadline);
            if (ready != IoStatus::kOk) {
                return ready;
            }
            // Without report ids the node gives the data alone; put the 0 id in front.
            uint8_t* into = usesReportIds_ ? report : report + 1;
            report[0] = 0;
            const ssize_t n = ::read(fd_, into, kMaxReport);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                return IoStatus::kFailed;
            }
            const size_t size = static_cast<size_t>(n) + (usesReportIds_ ? 0 : 1);
            if (!filter_.Accepts(report[0])) {
                continue; // a report of another top-level collection of this interface
            }
            got = std::min(length, size);
            std::memcpy(buffer, report, got);
            return IoStatus::kOk;
        }
    }

    IoStatus Write(const uint8_t* report, size_t length, size_t& written, uint32_t timeoutMs) override
    {
        written = 0;
        const auto deadline = Deadline(timeoutMs);
        for (;;) {
            const IoStatus ready = Wait(POLLOUT, deadline);
            if (ready != IoStatus::kOk) {
                return ready;
            }
            const ssize_t n = ::write(fd_, report, length);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n < 0) {
                return IoStatus::kFailed;
            }
            written = static_cast<size_t>(n);
            return IoStatus::kOk;
        }
    }

    bool SetOutputReport(const uint8_t* report, size_t length) override
    {
#ifdef HIDIOCSOUTPUT
        std::vector<uint8_t> copy(report, report + length);
        if (::ioctl(fd_, HIDIOCSOUTPUT(length), copy.data()) >= 0) {
            return true;
        }
        if (errno != ENOTTY && errno != EINVAL) {
            return false;
        }
#endif
        size_t written = 0;
        return Write(report, length, written, 1000) == IoStatus::kOk && written == length;
    }

    bool GetFeature(uint8_t* buffer, size_t length, size_t& got) override
    {
        got = 0;
        const int n = ::ioctl(fd_, HIDIOCGFEATURE(length), buffer);
        if (n < 0) {
            return false;
        }
        got = static_cast<size_t>(n);
        return true;
    }

    bool SetFeature(const uint8_t* report, size_t length) override
    {
        std::vector<uint8_t> copy(report, report + length);
        return ::ioctl(fd_, HIDIOCSFEATURE(length), copy.data()) >= 0;
    }

    void Abort() override
    {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(abortFd_, &one, sizeof(one));
    }

private:
    static Clock::time_point Deadline(uint32_t timeoutMs)
    {
        return timeoutMs == kWaitForever ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
    }

    // Waits until the node is ready for events, the abort is signalled, or the deadline.
    IoStatus Wait(short events, Clock::time_point deadline)
    {
        for (;;) {
            int wait = -1;
            if (deadline != Clock::time_point::max()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                wait = left < 0 ? 0 : static_cast<int>(left);
            }
            pollfd fds[2] = {{fd_, events, 0}, {abortFd_, POLLIN, 0}};
            const int ready = ::poll(fds, 2, wait);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready < 0) {
                return IoStatus::kFailed;
            }
            if (fds[1].revents & POLLIN) {
                return IoStatus::kAborted;
            }
            if (ready == 0) {
                return IoStatus::kTimeout;
            }
            if (fds[0].revents & events) {
                return IoStatus::kOk;
            }
            return IoStatus::kFailed; // POLLERR or POLLHUP: the device went away
        }
    }

    int fd_;
    int abortFd_;
    ReportIdFilter filter_;
    bool usesReportIds_;
};

} // namespace

bool ParseHidId(std::string_view hidId, uint16_t& vendorId, uint16_t& productId)
{
    // bus:vendor:product, each hexadecimal.
    const size_t first = hidId.find(':');
    const size_t second = first == std::string_view::npos ? first : hidId.find(':', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    const std::string vendor(hidId.substr(first + 1, second - first - 1));
    const std::string product(hidId.substr(second + 1));
    if (vendor.empty() || product.empty()) {
        return false;
    }
    char* end = nullptr;
    const unsigned long v = std::strtoul(vendor.c_str(), &end, 16);
    if (*end != '\0' || v > 0xFFFF) {
        return false;
    }
    const unsigned long p = std::strtoul(product.c_str(), &end, 16);
    if (*end != '\0' || p > 0xFFFF) {
        return false;
    }
    vendorId = static_cast<uint16_t>(v);
    productId = static_cast<uint16_t>(p);
    return true;
}

uint32_t ParseHexAttribute(const char* text, uint32_t fallback)
{
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (end == text || (*end != '\0' && *end != '\n') || value > 0xFFFFFFFFul) {
        return fallback;
    }
    return static_cast<uint32_t>(value);
}

bool EnumerateNodes(std::vector<Node>& nodes)
{
    nodes.clear();
    UdevPtr<udev> context(udev_new());
    if (!context) {
        debuglog::Write("hidraw: udev is not available");
        return false;
    }
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0
        || udev_enumerate_scan_devices(enumerate.get()) < 0) {
        debuglog::Write("hidraw: listing the hidraw devices failed");
        return false;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        const char* devnode = device ? udev_device_get_devnode(device.get()) : nullptr;
        if (devnode == nullptr) {
            continue;
        }
        auto info = InfoOf(device.get());
        if (!info) {
            debuglog::Writef("hidraw: %s has no HID ids, skipped", devnode);
            continue;
        }
        nodes.push_back({devnode, std::move(*info)});
    }
    std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) { return a.devnode < b.devnode; });
    return true;
}

std::optional<InterfaceInfo> Describe(const std::string& devnode)
{
    UdevPtr<udev> context(udev_new());
    if (!context) {
        return std::nullopt;
    }
    const size_t slash = devnode.rfind('/');
    const std::string sysname = slash == std::string::npos ? devnode : devnode.substr(slash + 1);
    UdevPtr<udev_device> device(udev_device_new_from_subsystem_sysname(context.get(), "hidraw", sysname.c_str()));
    if (!device) {
        return std::nullopt;
    }
    const char* node = udev_device_get_devnode(device.get());
    if (node == nullptr || devnode != node) {
        return std::nullopt;
    }
    return InfoOf(device.get());
}

std::unique_ptr<Channel> OpenChannel(const std::string& devnode, bool forRead, bool forWrite, ReportIdFilter filter,
                                     bool usesReportIds)
{
    const int access = forRead && forWrite ? O_RDWR : forWrite ? O_WRONLY : O_RDONLY;
    const int fd = ::open(devnode.c_str(), access | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        debuglog::Writef("hidraw: cannot open %s: %s", devnode.c_str(), std::strerror(errno));
        return nullptr;
    }
    return MakeChannel(fd, filter, usesReportIds);
}

std::unique_ptr<Channel> MakeChannel(int fd, ReportIdFilter filter, bool usesReportIds)
{
    // Without its wake-up event a read that waits for ever could never be ended by Close.
    const int abortFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (abortFd < 0) {
        debuglog::Writef("hidraw: no wake-up event for the channel: %s", std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HidrawChannel>(fd, abortFd, filter, usesReportIds);
}

} // namespace orvel::hid::hidraw
