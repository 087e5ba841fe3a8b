#pragma once
// The reader of one open notification interface: a worker thread that waits for the device's
// input reports and hands the first pressed usage of each to post. It touches no page, control
// or profile; post is called on the reader thread and must only hand the usage on to the owner
// thread (a posted window message). Reports without a pressed usage are ignored.

#include "devicelink/hiddevice.h"
#include "devices/notification.h"
#include "platform/worker.h"

#include <cstdint>
#include <functional>

namespace orvel::devices {

class NotifyReader {
public:
    using Post = std::function<void(NotifySource source, std::uint16_t usage)>;
    // After a failed read (an unplug that discovery has not seen yet) the reader waits this
    // long before it reads again, so it does not spin.
    static constexpr DWORD kRetryPauseMs = 20;

    // device: the notification interface, opened and closed by the device's link code.
    NotifyReader(::CHidDevice& device, NotifySource source, Post post);
    ~NotifyReader();
    NotifyReader(const NotifyReader&) = delete;
    NotifyReader& operator=(const NotifyReader&) = delete;

    // Starts the thread; false when it runs already.
    bool Start();
    // Signals the stop, wakes a waiting read by closing the interface and joins (1000 ms; a
    // reader still running then is left detached, holding nothing the device frees).
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    void Run(const WorkerParam& param);

    ::CHidDevice& device_;
    NotifySource source_;
    Post post_;
    WorkerSlot worker_;
};

} // namespace orvel::devices
