#pragma once
// A device core's command link connected to an emulator served on a temporary vhid folder.
// Every frame the program writes is recorded as the emulator receives it, and answers can be
// altered on their way back, so a test can check sequences byte for byte and script devices
// that report odd values.

#include "devicelink/device_link.h"
#include "devicelink/hid_adapters.h"
#include "devices/device_core.h"
#include "profiles/profilefiles.h"
#include "sim/devices/command_frame.h"
#include "sim/serve/served_device.h"
#include "tests/support/recording_port.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace orvel::devices::testing {

using Frame = sim::Frame;

using orvel::testing::RecordingPort;
using orvel::testing::SourceDefaultData;

class EmulatedDevice {
public:
    EmulatedDevice(sim::DeviceKind kind, std::chrono::milliseconds latency = std::chrono::milliseconds(0))
    {
        temp.setEnv("ORVEL_VHID_DIR", vhid.string());
        device = std::make_unique<sim::ServedDevice>(kind, vhid, clock);
        device->SetLatency(sim::Path::Cable, latency);
        device->SetLatency(sim::Path::Receiver, latency);
        EXPECT_TRUE(device->Plug(sim::Path::Cable));
        EXPECT_TRUE(device->Plug(sim::Path::Receiver));
        auto primary = std::make_unique<RecordingPort>();
        auto dongle = std::make_unique<RecordingPort>();
        cable = primary.get();
        receiver = dongle.get();
        link = std::make_unique<CDeviceLink>(std::move(primary), std::move(dongle));
        std::filesystem::create_directories(profileFolder);
    }

    DeviceFolders Folders(const std::string& name) const { return {profileFolder, SourceDefaultData(), name}; }

    std::string CommandPath(sim::Path path) const
    {
        const sim::Identity* id = sim::IdentityFor(device->Kind(), path);
        char suffix[64];
        const int mi = id->interfaces.back().number;
        std::snprintf(suffix, sizeof(suffix), "#vid_%04x&pid_%04x&mi_%02d%s", id->vendorId, id->productId, mi,
                      mi == 1 ? "&col04" : "");
        return "vhid:" + (vhid / (id->name + ".if" + std::to_string(mi) + ".sock")).string() + suffix;
    }

    // Opens both interfaces as attach does and sends commands through one of them.
    void Attach(sim::Path use)
    {
        ASSERT_EQ(link->primaryHid->Open(CommandPath(sim::Path::Cable), true, true, true, false), 1);
        ASSERT_EQ(link->dongleHid->Open(CommandPath(sim::Path::Receiver), true, true, true, false), 1);
        link->linkOpen = 1;
        link->SetLinkMode(use == sim::Path::Receiver ? 2 : 1);
    }

    // Frames written since the last call, both interfaces, in order per interface.
    std::vector<Frame> Sent()
    {
        auto frames = cable->Take();
        auto more = receiver->Take();
        frames.insert(frames.end(), more.begin(), more.end());
        return frames;
    }

    sim::DeviceMemory Memory() const { return device->Device().Snapshot(); }

    // The device answers the next frame of command with status 0xFF and does nothing.
    void RefuseNext(std::uint8_t command)
    {
        sim::FaultRule reject;
        reject.command = command;
        reject.action = sim::FaultAction::RejectedStatus;
        device->Device().AddFault(reject);
    }

    orvel::testing::TempFolder temp;
    std::filesystem::path vhid = temp / "vhid";
    std::filesystem::path profileFolder = temp / "profiles";
    sim::SteadyClock clock;
    std::unique_ptr<sim::ServedDevice> device;
    RecordingPort* cable = nullptr;
    RecordingPort* receiver = nullptr;
    std::unique_ptr<CDeviceLink> link;
};

// The frames a command of `total` bytes at `base` takes in chunks of `chunk` bytes.
inline std::vector<Frame> Chunks(std::uint8_t command, std::span<const std::uint8_t> bytes, std::uint16_t base,
                                 std::size_t chunk)
{
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const std::size_t n = std::min(chunk, bytes.size() - at);
        frames.push_back(sim::MakeRequest(command, static_cast<std::uint8_t>(n), static_cast<std::uint16_t>(base + at),
                                          bytes.subspan(at, n)));
    }
    return frames;
}

inline Frame Request(std::uint8_t command, std::uint8_t length = 0, std::uint16_t address = 0)
{
    return sim::MakeRequest(command, length, address);
}

inline std::vector<Frame> Join(std::initializer_list<std::vector<Frame>> parts)
{
    std::vector<Frame> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Command ids of frames, for reading failures.
inline std::vector<int> Commands(const std::vector<Frame>& frames)
{
    std::vector<int> ids;
    for (const auto& f : frames) {
        ids.push_back(f[3]);
    }
    return ids;
}

} // namespace orvel::devices::testing
