#pragma once
// One emulated device on a vhid folder: its firmware, and the interfaces of its cable and,
// for keyboards and mice, of its receiver, each plugged in and out on its own. Answers and
// notifications reach the host after the path's wire delay.

#include "sim/devices/firmware.h"
#include "sim/serve/task_queue.h"
#include "sim/vhid/vhid_server.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace orvel::sim {

// One way, per report: by cable 1 ms, through the receiver 4 ms.
inline constexpr std::chrono::milliseconds kDefaultCableLatency{1};
inline constexpr std::chrono::milliseconds kDefaultReceiverLatency{4};

class ServedDevice {
public:
    ServedDevice(DeviceKind kind, std::filesystem::path folder, const Clock& clock);
    ~ServedDevice();
    ServedDevice(const ServedDevice&) = delete;
    ServedDevice& operator=(const ServedDevice&) = delete;

    Firmware& Device() { return firmware_; }
    const Firmware& Device() const { return firmware_; }
    DeviceKind Kind() const { return firmware_.Kind(); }

    // Starts the interfaces of the path; false when the kind has no such path or a socket
    // could not be served (nothing is left plugged then).
    bool Plug(Path path);
    // Removes the path's sockets; connected hosts see the end of their streams.
    void Unplug(Path path);
    bool Plugged(Path path) const;

    void SetLatency(Path path, std::chrono::milliseconds oneWay);
    std::chrono::milliseconds Latency(Path path) const;

    // Presses an on-board key and sends what it notifies; returns the usages sent.
    std::vector<std::uint16_t> Press(OnBoardKey key);
    // Sends one notification usage (then its release); false when no path can carry it.
    bool Notify(std::uint16_t usage);

    // Waits until everything due by now (answers, notifications, unplugs) has been done.
    void Drain() { queue_.Drain(); }

private:
    using ServerList = std::vector<std::shared_ptr<vhid::Server>>;

    void OnOutput(Path path, int interfaceNumber, const std::vector<std::uint8_t>& report);
    std::shared_ptr<vhid::Server> CommandServer(Path path) const;
    void SendLater(Path path, std::chrono::milliseconds extra, std::vector<std::uint8_t> report);

    Firmware firmware_;
    std::filesystem::path folder_;
    mutable std::mutex mutex_;
    std::map<Path, ServerList> servers_;
    std::map<Path, std::chrono::milliseconds> latency_;
    TaskQueue queue_;   // last: its thread stops first
};

} // namespace orvel::sim
