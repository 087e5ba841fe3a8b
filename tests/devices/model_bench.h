#pragma once
// Emulated devices on a private vhid folder, found by a real scan pass, with the user's data in
// a private folder and the shipped default data: what a page's model works against.

#include "devicelink/device_scan.h"
#include "devicelink/hid_adapters.h"
#include "devices/device_model.h"
#include "sim/serve/served_device.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace orvel::devices::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 3000ms)
{
    return orvel::testing::WaitUntil(pred, limit);
}

class ModelBench {
public:
    ModelBench()
    {
        temp.setEnv("ORVEL_VHID_DIR", (temp / "vhid").string());
        temp.setEnv("XDG_DATA_HOME", (temp / "data").string());
        temp.setEnv("ORVEL_PROGRAM_DIR", orvel::testing::SourceFolder().string());
        std::filesystem::create_directories(temp / "vhid");
        std::filesystem::permissions(temp / "vhid", std::filesystem::perms::owner_all);
    }

    sim::ServedDevice& Serve(sim::DeviceKind kind, bool receiver)
    {
        auto device = std::make_unique<sim::ServedDevice>(kind, temp / "vhid", clock);
        EXPECT_TRUE(device->Plug(sim::Path::Cable));
        if (receiver) {
            EXPECT_TRUE(device->Plug(sim::Path::Receiver));
        }
        devices.push_back(std::move(device));
        return *devices.back();
    }

    // One scan pass; the slots that became attached or free, in order.
    std::vector<std::pair<UINT, std::size_t>> Scan()
    {
        std::vector<std::pair<UINT, std::size_t>> changes;
        CDeviceScanner scanner(slots, probe, ScanReports{[&](UINT m, WPARAM s) { changes.emplace_back(m, s); }, [] {}});
        scanner.Pass();
        return changes;
    }

    // Attaches every attached slot of the model's kind row as the main window does.
    void AttachAll(DeviceModel& model)
    {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (slots[i].attached == 0 || KindRowOf(slots, i) != model.KindRow())
                continue;
            if (slots[i].role == kRoleCommand)
                model.OnCommandAttach(slots, i);
            else
                model.OnNotifyAttach(slots, i);
        }
    }

    orvel::testing::TempFolder temp;
    sim::SteadyClock clock;
    std::vector<std::unique_ptr<sim::ServedDevice>> devices;
    SlotList slots = MakeSlotList();
    CHidProbe probe;
};

} // namespace orvel::devices::testing
