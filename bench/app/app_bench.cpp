// Measurements of the program with the four emulated devices (orvel-devsim, in its own process,
// on a private vhid folder with private user folders):
//
//   app_bench start [RUNS]              start of varno-orvel-80 to its main window first painted
//                                       (needs an X server: xvfb-run)
//   app_bench memory [SECONDS]          resident memory of the window after SECONDS (60)
//   app_bench cpu [SECONDS] hidden|keyboard
//                                       CPU of the window over SECONDS (60) with the devices'
//                                       lighting animating: hidden in the tray, or shown on the
//                                       keyboard page
//   app_bench plug [RUNS]               a keyboard plugged in to its page shown
//
// memory, cpu and plug run the program's main window in this process, as varno-orvel-80 does,
// so the process's own figures are the window's; run them under xvfb-run for a real X server.

#include "app/main_wnd.h"
#include "app/program.h"
#include "devices/qt/device_option.h"
#include "devicelink/device_tables.h"
#include "platform/paths.h"
#include "tests/support/child_process.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;
using orvel::app::CMainWnd;
using orvel::testing::ProgramBeside;

std::string gFolder;

// Private runtime, vhid and user folders for this run.
void PrivateFolders()
{
    char pattern[] = "/tmp/orvel-bench-XXXXXX";
    gFolder = ::mkdtemp(pattern);
    ::setenv("XDG_RUNTIME_DIR", gFolder.c_str(), 1);
    ::setenv("ORVEL_VHID_DIR", (gFolder + "/vhid").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (gFolder + "/cache").c_str(), 1);
}

int Devsim(const std::vector<std::string>& words)
{
    std::vector<std::string> all{ProgramBeside("orvel-devsim").string(), "ctl"};
    all.insert(all.end(), words.begin(), words.end());
    return orvel::testing::RunProgram(all, gFolder).code;
}

pid_t ServeAll()
{
    const pid_t pid = orvel::testing::Spawn({ProgramBeside("orvel-devsim").string(), "serve", "--all"},
                                            gFolder + "/devsim.out", gFolder + "/devsim.err");
    while (Devsim({"list"}) != 0)
        ::usleep(20000);
    return pid;
}

// Runs the event loop for ms (a real wait: the thread sleeps between events).
void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Pred>
bool WaitUntil(Pred pred, int limitMs, int stepMs = 20)
{
    for (int waited = 0; !pred(); waited += stepMs) {
        if (waited > limitMs)
            return false;
        Wait(stepMs);
    }
    return true;
}

double CpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// The program's main window with every device read and shown.
class Window {
public:
    Window()
    {
        const std::string problem = orvel::app::SetUpToolkit((orvel::paths::ProgramFolder() / "skin").string() + "/");
        if (!problem.empty()) {
            std::fprintf(stderr, "app_bench: %s\n", problem.c_str());
            std::exit(1);
        }
        window.Create(nullptr, L"VARNO Orvel 80", DuiLib::WS_POPUP, 0, 0, 0, 800, 572);
        window.GetPaintManager().NeedUpdate();
        window.GetPaintManager().UpdateLayout();
    }
    bool Ready(std::initializer_list<int> rows)
    {
        for (int row : rows) {
            orvel::pages::CQuorsineUSBDevice* page = window.PageOfKindRow(row);
            if (page == nullptr || !page->Heartbeat().Ready() || !window.ItemVisible(row))
                return false;
        }
        return window.IsWindowVisible();
    }
    bool AllReady() { return Ready({0, 1, 2, 3}); }
    ~Window()
    {
        window.ExitProgram();
        WaitUntil([&] { return window.GetHWND() == nullptr; }, 3000);
    }
    CMainWnd window;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Start(int runs)
{
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "app_bench start: needs an X server (run it under xvfb-run)\n");
        return 2;
    }
    const pid_t devsim = ServeAll();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const std::string err = gFolder + "/app.err";
        timespec before{};
        ::clock_gettime(CLOCK_MONOTONIC, &before);
        const pid_t app = orvel::testing::Spawn({ProgramBeside("varno-orvel-80").string()}, gFolder + "/app.out", err,
                                                {{"QT_QPA_PLATFORM", std::nullopt}, {"ORVEL_DEBUG", "1"}});
        long long painted = -1;
        for (int waited = 0; waited < 10000 && painted < 0; waited += 5) {
            ::usleep(5000);
            const std::string log = orvel::testing::FileText(err);
            const std::size_t at = log.find("main window painted at ");
            if (at != std::string::npos)
                painted = std::atoll(log.c_str() + at + 23);
        }
        orvel::testing::Stop(app);
        if (painted < 0) {
            std::fprintf(stderr, "app_bench start: no first paint within 10 s\n");
            continue;
        }
        const double ms = double(painted) - (double(before.tv_sec) * 1000 + double(before.tv_nsec) / 1e6);
        std::printf("run %d: first paint %.0f ms after the start\n", i + 1, ms);
        times.push_back(ms);
    }
    orvel::testing::Stop(devsim);
    std::printf("start to first window painted: median %.0f ms over %zu runs\n", Median(times), times.size());
    return 0;
}

int Memory(int seconds)
{
    const pid_t devsim = ServeAll();
    {
        Window w;
        if (!WaitUntil([&] { return w.AllReady(); }, 10000))
            std::fprintf(stderr, "app_bench memory: not every device was read\n");
        Wait(seconds * 1000);
        std::printf("resident memory after %d s with four devices: %.1f MB\n", seconds, double(ResidentKiB()) / 1024);
    }
    orvel::testing::Stop(devsim);
    return 0;
}

int Cpu(int seconds, const std::string& how)
{
    const pid_t devsim = ServeAll();
    {
        Window w;
        if (!WaitUntil([&] { return w.AllReady(); }, 10000))
            std::fprintf(stderr, "app_bench cpu: not every device was read\n");
        if (how == "hidden") {
            w.window.SendMessage(orvel::app::WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP); // a click on the tray icon
        } else {
            w.window.SelectKindRow(1);
        }
        Wait(2000); // settle
        const double cpuBefore = CpuSeconds();
        const auto wallBefore = steady_clock::now();
        Wait(seconds * 1000);
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = duration<double>(steady_clock::now() - wallBefore).count();
        for (int row = 0; row < 4; ++row)
            std::printf("  %s: %lu frames sent\n", std::string(orvel::DeviceKindTable[row].kindName).c_str(),
                        w.window.PageOfKindRow(row)->Model().Output().Sent());
        std::printf("window %s, four devices animating: %.3f s CPU in %.1f s = %.2f %% of one core\n",
                    how == "hidden" ? "hidden in the tray" : "shown on the keyboard page", cpu, wall, 100 * cpu / wall);
    }
    orvel::testing::Stop(devsim);
    return 0;
}

int Plug(int runs)
{
    const pid_t devsim = ServeAll();
    {
        Window w;
        WaitUntil([&] { return w.AllReady(); }, 10000);
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Devsim({"unplug", "keyboard", "both"});
            WaitUntil([&] { return !w.window.ItemVisible(1); }, 5000);
            Wait(300);
            const auto before = steady_clock::now();
            Devsim({"plug", "keyboard", "cable"});
            orvel::pages::CQuorsineUSBDevice* page = w.window.PageOfKindRow(1);
            const bool shown = WaitUntil(
                [&] { return w.window.ItemVisible(1) && page->Heartbeat().Ready() && w.window.SelectedPage() != nullptr; },
                5000, 2);
            if (!shown) {
                std::fprintf(stderr, "app_bench plug: the keyboard's page did not show within 5 s\n");
                continue;
            }
            w.window.SelectKindRow(1);
            const double ms = duration<double, std::milli>(steady_clock::now() - before).count();
            std::printf("run %d: plugged in to page shown %.0f ms\n", i + 1, ms);
            times.push_back(ms);
        }
        std::printf("a device plugged in to its page shown: median %.0f ms over %zu runs\n", Median(times), times.size());
    }
    orvel::testing::Stop(devsim);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto arg = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
    PrivateFolders();
    if (mode == "start")
        return Start(arg(2, 5));
    QApplication qt(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (mode == "memory")
        return Memory(arg(2, 60));
    if (mode == "cpu")
        return Cpu(arg(2, 60), argc > 3 ? argv[3] : "keyboard");
    if (mode == "plug")
        return Plug(arg(2, 5));
    std::fprintf(stderr, "usage: app_bench start [RUNS] | memory [SECONDS] | cpu [SECONDS] hidden|keyboard | plug [RUNS]\n");
    return 2;
}
