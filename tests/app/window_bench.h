#pragma once
// The program's main window in the test process, offscreen: the shipped skin, private user and
// runtime folders, and emulated devices served on a private vhid folder.

#include "app/main_wnd.h"
#include "app/program.h"
#include "sim/serve/served_device.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace orvel::app::testing {

using namespace std::chrono_literals;

// Runs the event loop until pred holds or limit passes; whether it held.
inline bool SpinUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit = 5000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        uitest::Spin(5);
    }
    return true;
}

class WindowBench {
public:
    WindowBench()
    {
        uitest::App();
        std::filesystem::create_directories(temp / "run");
        std::filesystem::permissions(temp / "run", std::filesystem::perms::owner_all);
        temp.setEnv("XDG_RUNTIME_DIR", (temp / "run").string());
        temp.setEnv("ORVEL_VHID_DIR", (temp / "run" / "vhid").string());
        temp.setEnv("XDG_DATA_HOME", (temp / "data").string());
        temp.setEnv("XDG_CONFIG_HOME", (temp / "config").string());
        temp.setEnv("XDG_CACHE_HOME", (temp / "cache").string());
        temp.setEnv("ORVEL_PROGRAM_DIR", orvel::testing::SourceFolder().string());
        std::filesystem::create_directories(temp / "run" / "vhid");
        std::filesystem::permissions(temp / "run" / "vhid", std::filesystem::perms::owner_all);
        EXPECT_EQ(SetUpToolkit((orvel::testing::SourceFolder() / "skin").string() + "/"), "");
    }
    ~WindowBench()
    {
        if (window && window->GetHWND() != nullptr)
            window->ExitProgram();
        SpinUntil([&] { return window == nullptr || window->GetHWND() == nullptr; }, 3000ms);
        window.reset();
        devices.clear();
        // The closed window ended the application's event loop (PostQuitMessage); Qt keeps that
        // state, and every later nested loop would return at once, until exec() runs again.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    sim::ServedDevice& Serve(sim::DeviceKind kind, bool receiver = false, bool cable = true)
    {
        auto device = std::make_unique<sim::ServedDevice>(kind, temp / "run" / "vhid", clock);
        if (cable) {
            EXPECT_TRUE(device->Plug(sim::Path::Cable));
        }
        if (receiver) {
            EXPECT_TRUE(device->Plug(sim::Path::Receiver));
        }
        devices.push_back(std::move(device));
        return *devices.back();
    }

    // Creates the main window as the program does; it lays itself out hidden and starts.
    CMainWnd& Start()
    {
        window = std::make_unique<CMainWnd>();
        EXPECT_NE(window->Create(nullptr, L"VARNO Orvel 80", DuiLib::WS_POPUP, 0, 0, 0, 800, 572), nullptr);
        window->GetPaintManager().NeedUpdate();
        window->GetPaintManager().UpdateLayout();
        return *window;
    }

    // Every page of these kind rows has been read and its item shows.
    bool Ready(std::initializer_list<int> kindRows)
    {
        for (int row : kindRows) {
            pages::CQuorsineUSBDevice* page = window->PageOfKindRow(row);
            if (page == nullptr || !page->Heartbeat().Ready() || !window->ItemVisible(row))
                return false;
        }
        return true;
    }

    DuiLib::CControlUI* Find(const wchar_t* name) { return window->GetPaintManager().FindControl(name); }
    // A notification as the toolkit sends it.
    void Send(DuiLib::CControlUI* control, const wchar_t* type)
    {
        ASSERT_NE(control, nullptr);
        window->GetPaintManager().SendNotify(control, type);
    }

    orvel::testing::TempFolder temp;
    sim::SteadyClock clock;
    std::vector<std::unique_ptr<sim::ServedDevice>> devices;
    std::unique_ptr<CMainWnd> window;
};

} // namespace orvel::app::testing
