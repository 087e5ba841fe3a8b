#pragma once
// Virtual devices in a private temporary vhid folder, for tests of the HID layer.

#include "sim/vhid/vhid_server.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvel::testing {

class VhidBench {
public:
    VhidBench() { temp.setEnv("ORVEL_VHID_DIR", folder().string()); }

    std::filesystem::path folder() const { return temp / "vhid"; }

    // Starts a device; its output reports are recorded, and echoed as input when echo is set.
    vhid::Server& Add(const std::string& name, uint16_t vid, uint16_t pid, uint32_t mi,
                      const std::vector<uint8_t>& descriptor, bool echo = false)
    {
        vhid::Hello hello;
        hello.vendorId = vid;
        hello.productId = pid;
        hello.version = 0x0102;
        hello.interfaceNumber = mi;
        hello.reportDescriptor = descriptor;
        auto device = std::make_unique<Device>();
        Device* d = device.get();
        vhid::ServerCallbacks callbacks;
        callbacks.onOutput = [d, echo](const std::vector<uint8_t>& report) {
            {
                std::lock_guard lock(d->mutex);
                d->outputs.push_back(report);
            }
            if (echo) {
                d->server->SendInput(report);
            }
        };
        callbacks.onSetFeature = [d](const std::vector<uint8_t>& report) {
            std::lock_guard lock(d->mutex);
            d->feature = report;
        };
        callbacks.onGetFeature = [d](uint8_t id) -> std::optional<std::vector<uint8_t>> {
            std::lock_guard lock(d->mutex);
            if (d->feature.empty() || d->feature[0] != id) {
                return std::nullopt;
            }
            return d->feature;
        };
        d->server = std::make_unique<vhid::Server>(folder(), name, hello, callbacks);
        if (!d->server->Start()) {
            ADD_FAILURE() << "cannot start " << name;
        }
        devices_.push_back(std::move(device));
        return *d->server;
    }

    std::vector<std::vector<uint8_t>> Outputs(size_t device)
    {
        std::lock_guard lock(devices_.at(device)->mutex);
        return devices_.at(device)->outputs;
    }
    std::vector<uint8_t> Feature(size_t device)
    {
        std::lock_guard lock(devices_.at(device)->mutex);
        return devices_.at(device)->feature;
    }
    void SetFeature(size_t device, std::vector<uint8_t> report)
    {
        std::lock_guard lock(devices_.at(device)->mutex);
        devices_.at(device)->feature = std::move(report);
    }

    std::string PathOf(size_t device, const std::string& suffix) const
    {
        return "vhid:" + devices_.at(device)->server->SocketPath().string() + suffix;
    }

    TempFolder temp;

private:
    struct Device {
        std::unique_ptr<vhid::Server> server;
        std::mutex mutex;
        std::vector<std::vector<uint8_t>> outputs;
        std::vector<uint8_t> feature;
    };
    std::vector<std::unique_ptr<Device>> devices_;
};

} // namespace orvel::testing
