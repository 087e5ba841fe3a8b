#include "platform/hid/hid_change_watch.h"

#include "platform/debuglog.h"
#include "platform/hid/vhid_wire.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace orvel {

HidChangeWatch::HidChangeWatch(EventHandle changed) : changed_(std::move(changed))
{
    OpenUdev();
    OpenVirtualFolder();
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) {
        debuglog::Writef("HidChangeWatch: eventfd failed (%d); no change watch", errno);
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

HidChangeWatch::~HidChangeWatch()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    for (int fd : {stopFd_, inotifyFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
    }
}

void HidChangeWatch::OpenUdev()
{
    udev_ = udev_new();
    if (udev_ == nullptr) {
        debuglog::Write("HidChangeWatch: no udev; hidraw changes are found by the fallback pass");
        return;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        debuglog::Write("HidChangeWatch: the udev monitor could not be opened; hidraw changes are found by the "
                        "fallback pass");
        return;
    }
    udevFd_ = udev_monitor_get_fd(monitor_);
}

void HidChangeWatch::OpenVirtualFolder()
{
    const auto folder = vhid::Folder();
    if (!vhid::EnsureFolder(folder)) {
        debuglog::Writef("HidChangeWatch: no folder %s to watch", folder.c_str());
        return;
    }
    inotifyFd_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotifyFd_ < 0) {
        return;
    }
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF;
    if (::inotify_add_watch(inotifyFd_, folder.c_str(), mask) < 0) {
        debuglog::Writef("HidChangeWatch: cannot watch %s (%d)", folder.c_str(), errno);
        ::close(inotifyFd_);
        inotifyFd_ = -1;
    }
}

void HidChangeWatch::Run()
{
    std::array<pollfd, 3> fds{{{stopFd_, POLLIN, 0}, {udevFd_, POLLIN, 0}, {inotifyFd_, POLLIN, 0}}};
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            debuglog::Writef("HidChangeWatch: poll failed (%d)", errno);
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        bool changed = false;
        if (fds[1].revents != 0) {
            while (udev_device* device = udev_monitor_receive_device(monitor_)) {
                udev_device_unref(device);
                changed = true;
            }
        }
        if (fds[2].revents != 0) {
            alignas(inotify_event) char buffer[4096];
            while (::read(inotifyFd_, buffer, sizeof buffer) > 0) {
                changed = true;
            }
        }
        if (changed) {
            SetEvent(changed_);
        }
    }
}

} // namespace orvel
