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

#include <QTimer>

#include <algorithm>
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
        Stop();
        devices.clear();
    }

    // Ends the program's window as the tray's "exit" does; Start makes a new one (a restart of
    // the program with the same devices and user folders).
    void Stop()
    {
        if (!window)
            return;
        if (window->GetHWND() != nullptr)
            window->ExitProgram();
        SpinUntil([&] { return window->GetHWND() == nullptr; }, 3000ms);
        window.reset();
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

    // The program ends and starts again on the same folders; the devices stay plugged in.
    CMainWnd& Restart()
    {
        window->ExitProgram();
        SpinUntil([&] { return window->GetHWND() == nullptr; }, 3000ms);
        window.reset();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        return Start();
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

// Answers every message box the window opens while it lives, with the button named answer
// ("confirm_btn" or "cancel_btn"), and keeps the texts the boxes showed. Given several answers,
// the nth box gets the nth (and every box after the last, the last).
class MessageBoxes {
public:
    explicit MessageBoxes(const wchar_t* answer) : MessageBoxes(std::vector<const wchar_t*>{answer}) {}
    explicit MessageBoxes(std::vector<const wchar_t*> answers) : answers_(std::move(answers))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerOpenBox(); });
        timer_.start();
    }
    const std::vector<std::wstring>& Texts() const { return texts_; }
    void Clear() { texts_.clear(); }

private:
    void AnswerOpenBox()
    {
        const HWND hwnd = winmsg::FindLocalWindow(L"MsgWnd", L"");
        auto* box = dynamic_cast<DuiLib::WindowImplBase*>(DuiLib::CWindowWnd::FromHandle(hwnd));
        if (box == nullptr) {
            answered_ = nullptr; // the answered box has gone
            return;
        }
        if (hwnd == answered_)
            return;
        answered_ = hwnd;
        DuiLib::CPaintManagerUI& pm = box->GetPaintManager();
        texts_.push_back(pm.FindControl(L"MessageText")->GetText().str());
        const wchar_t* answer = answers_[std::min(texts_.size() - 1, answers_.size() - 1)];
        pm.SendNotify(pm.FindControl(answer), DuiLib::DUI_MSGTYPE_CLICK);
    }

    std::vector<const wchar_t*> answers_;
    QTimer timer_;
    HWND answered_ = nullptr;
    std::vector<std::wstring> texts_;
};

// Runs open, which opens the colour picker modally, and answers the picker as the user does while
// it is open (answer must close it); whether the picker opened.
inline bool InColourPicker(const std::function<void()>& open, const std::function<void(DuiLib::CPaintManagerUI&)>& answer)
{
    bool opened = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* picker = dynamic_cast<DuiLib::WindowImplBase*>(
            DuiLib::CWindowWnd::FromHandle(winmsg::FindLocalWindow(L"ColorSelectWnd", L"")));
        if (picker == nullptr || opened)
            return;
        opened = true;
        answer(picker->GetPaintManager());
    });
    timer.start();
    open();
    return opened;
}

// A picker's edit typed into and left.
inline void TypeInPicker(DuiLib::CPaintManagerUI& pm, const wchar_t* edit, const wchar_t* text)
{
    pm.FindControl(edit)->SetText(text);
    pm.SendNotify(pm.FindControl(edit), DuiLib::DUI_MSGTYPE_KILLFOCUS);
}

} // namespace orvel::app::testing
