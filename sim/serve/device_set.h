#pragma once
// The emulators one orvel-devsim serves, and the text commands that plug, unplug, wake,
// put to sleep, press keys, set batteries, script faults and show memory while they run.

#include "sim/devices/clock.h"
#include "sim/serve/served_device.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::sim {

struct DeviceSetOptions {
    std::filesystem::path folder;          // the vhid folder
    std::filesystem::path memoryFolder;    // <kind>.json files when not empty
    std::optional<std::chrono::milliseconds> cableLatency;
    std::optional<std::chrono::milliseconds> receiverLatency;
};

class DeviceSet {
public:
    explicit DeviceSet(DeviceSetOptions options);

    // Serves an identity by name ("keyboard", "mouse-receiver", ...); false with a reason.
    bool Serve(std::string_view identityName, std::string* error);

    // Runs one command line; the reply starts with "error:" when it failed.
    std::string Execute(std::string_view line);

    // The device of a kind, when served.
    ServedDevice* Find(DeviceKind kind);

    static std::string CommandHelp();

private:
    ServedDevice* Ensure(DeviceKind kind, std::string* error);
    std::string List();

    DeviceSetOptions options_;
    SteadyClock clock_;
    std::mutex mutex_;
    std::map<DeviceKind, std::unique_ptr<ServedDevice>> devices_;
};

} // namespace orvel::sim
