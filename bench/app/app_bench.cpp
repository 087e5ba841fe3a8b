// Measurements of the program with the four emulated devices (orvel-devsim, in its own process,
// on a private vhid folder with private user folders):
//
//   app_bench start [RUNS]              start of varno-orvel-80 to its main window first painted
//                                       (needs an X server: xvfb-run)
//   app_bench memory [SECONDS]          resident memory of the window after SECONDS (60)
//   app_bench cpu [SECONDS] hidden|keyboard|headset
//                                       CPU of the window over SECONDS (60) with the devices'
//                                       lighting animating: hidden in the tray, shown on the
//                                       keyboard page, or on the headset's sound panel (with a
//                                       PulseAudio server of its own; the audio library's two
//                                       threads and the sound server are shown apart)
//   app_bench plug [RUNS]               a keyboard plugged in to its page shown
//   app_bench slider [RUNS] cable|receiver
//                                       a mouse DPI slider released to the end of its write
//                                       (the answer to its last frame), with the frames the
//                                       mouse got, against frames x 2 x the wire delay
//   app_bench page-cpu [SECONDS]        CPU of the window shown on the keyboard page with the
//                                       keyboard alone, animating mode 3 at speed 2
//
// memory, cpu and plug run the program's main window in this process, as varno-orvel-80 does,
// so the process's own figures are the window's; run them under xvfb-run for a real X server.
//
// Instructions, which a loaded machine does not disturb: under `valgrind --tool=callgrind`, cpu
// writes its measured period to a dump of its own, named "measured period".

#include "app/main_wnd.h"
#include "app/program.h"
#include "devices/qt/device_option.h"
#include "devicelink/device_tables.h"
#include "platform/paths.h"
#include "tests/support/child_process.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/proc_cpu.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>
#include <valgrind/callgrind.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
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

pid_t Serve(const std::vector<std::string>& what)
{
    std::vector<std::string> words{ProgramBeside("orvel-devsim").string(), "serve"};
    words.insert(words.end(), what.begin(), what.end());
    const pid_t pid = orvel::testing::Spawn(words, gFolder + "/devsim.out", gFolder + "/devsim.err");
    while (Devsim({"list"}) != 0)
        ::usleep(20000);
    return pid;
}

pid_t ServeAll()
{
    return Serve({"--all"});
}

// The command reports the device received since the last call, but the frame output's light
// stream: one command id per report.
std::vector<int> ReceivedCommands(const std::string& kind)
{
    std::vector<std::string> all{ProgramBeside("orvel-devsim").string(), "ctl", "frames", kind};
    std::istringstream lines(orvel::testing::RunProgram(all, gFolder).out);
    std::vector<int> commands;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string path, byte;
        std::vector<std::string> bytes;
        words >> path;
        while (words >> byte && byte != "->")
            bytes.push_back(byte);
        if (bytes.size() > 3 && bytes[3] != "12")
            commands.push_back(std::stoi(bytes[3], nullptr, 16));
    }
    return commands;
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

// Every thread's sleeps and wake-ups together. Their kernel time is part of the CPU figure and,
// on a virtual machine, varies from run to run far more than their count.
long ContextSwitches()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

// The calling thread's own CPU time: the UI thread's, where the window paints.
double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
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

constexpr int kHeadsetRow = 3;

// The headset page's "Sound" function, as its tab shows it; false when the page has none.
bool ShowSoundPanel(orvel::pages::CQuorsineUSBDevice& page)
{
    DuiLib::CPaintManagerUI* pm = page.GetManager();
    auto* functions = static_cast<DuiLib::CTabLayoutUI*>(pm->FindSubControlByName(&page, L"device_key_function_switch"));
    DuiLib::CControlUI* sound = pm->FindSubControlByName(&page, L"Voice6533ControlItem");
    if (functions != nullptr && sound != nullptr && functions->SelectItem(sound))
        return true;
    std::fprintf(stderr, "app_bench cpu: the headset page has no sound panel\n");
    return false;
}

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
    // The headset's sound panel talks to a sound server: a private one, with the headset's devices.
    orvel::testing::TempFolder soundFolder;
    std::optional<orvel::testing::PrivatePulseServer> sound;
    if (how == "headset") {
        sound.emplace(soundFolder);
        std::string error;
        if (!sound->Start(error)) {
            std::fprintf(stderr, "app_bench cpu: %s\n", error.c_str());
            return 1;
        }
    }
    const pid_t devsim = ServeAll();
    bool failed = false;
    {
        Window w;
        if (!WaitUntil([&] { return w.AllReady(); }, 10000))
            std::fprintf(stderr, "app_bench cpu: not every device was read\n");
        if (how == "hidden") {
            w.window.SendMessage(orvel::app::WM_TRAY_NOTIFY, 0, DuiLib::WM_LBUTTONUP); // a click on the tray icon
        } else if (how == "headset") {
            w.window.SelectKindRow(kHeadsetRow);
            failed = !ShowSoundPanel(*w.window.PageOfKindRow(kHeadsetRow));
        } else {
            w.window.SelectKindRow(1);
        }
        Wait(2000); // settle
        CALLGRIND_ZERO_STATS;
        const double cpuBefore = CpuSeconds();
        const long switchesBefore = ContextSwitches();
        const double uiBefore = ThreadCpuSeconds();
        const double libraryBefore[] = {orvel::testing::ThreadCpuSeconds("orvel-audio"),
                                        orvel::testing::ThreadCpuSeconds("osconf-pulse")};
        const double serverBefore = sound ? orvel::testing::ProcessCpuSecondsOf(sound->Pid()) : 0;
        const auto wallBefore = steady_clock::now();
        Wait(seconds * 1000);
        const double cpu = CpuSeconds() - cpuBefore;
        const double ui = ThreadCpuSeconds() - uiBefore;
        const long switches = ContextSwitches() - switchesBefore;
        CALLGRIND_DUMP_STATS_AT("measured period");
        const double wall = duration<double>(steady_clock::now() - wallBefore).count();
        for (int row = 0; row < 4; ++row)
            std::printf("  %s: %lu frames sent\n", std::string(orvel::DeviceKindTable[row].kindName).c_str(),
                        w.window.PageOfKindRow(row)->Model().Output().Sent());
        const char* shown = how == "hidden" ? "hidden in the tray" : how == "headset" ? "shown on the headset's sound panel"
                                                                                      : "shown on the keyboard page";
        std::printf("window %s, four devices animating: %.3f s CPU in %.1f s = %.2f %% of one core\n", shown, cpu, wall,
                    100 * cpu / wall);
        std::printf("  of it the UI thread %.2f %%, the other threads (light, frame output, links) %.2f %%\n",
                    100 * ui / wall, 100 * (cpu - ui) / wall);
        std::printf("  context switches of all threads: %.0f a second\n", double(switches) / wall);
        if (sound && (libraryBefore[0] < 0 || libraryBefore[1] < 0)) {
            std::fprintf(stderr, "app_bench cpu: the audio library's threads are not running\n");
            failed = true;
        } else if (sound) {
            const double wrapper = orvel::testing::ThreadCpuSeconds("orvel-audio") - libraryBefore[0];
            const double library = orvel::testing::ThreadCpuSeconds("osconf-pulse") - libraryBefore[1];
            const double server = orvel::testing::ProcessCpuSecondsOf(sound->Pid()) - serverBefore;
            std::printf("  audio wrapper's call thread %.3f s, library's main loop %.3f s = %.3f %% of one core; "
                        "sound server %.3f s = %.3f %%\n",
                        wrapper, library, 100 * (wrapper + library) / wall, server, 100 * server / wall);
        }
    }
    orvel::testing::Stop(devsim);
    return failed ? 1 : 0;
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

int Slider(int runs, const std::string& path)
{
    const bool receiver = path == "receiver";
    const pid_t devsim = Serve({receiver ? "mouse-receiver" : "mouse"});
    const double latencyMs = receiver ? 4 : 1; // the emulator's default wire delay, one way
    {
        Window w;
        if (!WaitUntil([&] { return w.Ready({0}); }, 10000)) {
            std::fprintf(stderr, "app_bench slider: the mouse was not read\n");
            return 1;
        }
        w.window.SelectKindRow(0);
        orvel::pages::CQuorsineUSBDevice* page = w.window.PageOfKindRow(0);
        auto* slider = static_cast<DuiLib::CSliderUI*>(page->GetManager()->FindSubControlByName(page, L"DPI_slider_2"));
        std::vector<double> times;
        std::size_t frames = 0;
        for (int i = 0; i < runs; ++i) {
            Wait(50);
            ReceivedCommands("mouse");
            slider->SetValue(10 + i % 40);
            const auto before = steady_clock::now();
            // The toolkit's notification of a released slider; the write runs inside it.
            w.window.GetPaintManager().SendNotify(slider, DuiLib::DUI_MSGTYPE_VALUECHANGED);
            times.push_back(duration<double, std::milli>(steady_clock::now() - before).count());
            const std::vector<int> commands = ReceivedCommands("mouse");
            frames = commands.size();
            if (i == 0) {
                std::printf("the commands of one write:");
                for (int c : commands)
                    std::printf(" %02X", c);
                std::printf("\n");
            }
        }
        const double bound = double(frames) * 2 * latencyMs;
        std::printf("slider released to its write done, by %s: median %.1f ms, max %.1f ms over %d runs; "
                    "%zu frames, bound %zu x 2 x %.0f ms = %.0f ms\n",
                    receiver ? "the receiver" : "cable", Median(times), *std::max_element(times.begin(), times.end()),
                    runs, frames, frames, latencyMs, bound);
    }
    orvel::testing::Stop(devsim);
    return 0;
}

int PageCpu(int seconds)
{
    const pid_t devsim = Serve({"keyboard"});
    {
        Window w;
        if (!WaitUntil([&] { return w.Ready({1}); }, 10000))
            std::fprintf(stderr, "app_bench page-cpu: the keyboard was not read\n");
        w.window.SelectKindRow(1);
        orvel::pages::CQuorsineUSBDevice* page = w.window.PageOfKindRow(1);
        orvel::profiles::LightRecord record = page->Model().Core().CurrentLight();
        record.selectItem = 3; // the sweep
        record.speed = 2;
        record.light = 4;
        page->Model().ChangeLighting(record);
        page->ApplyProfile();
        Wait(2000); // settle
        const double cpuBefore = CpuSeconds();
        const auto wallBefore = steady_clock::now();
        Wait(seconds * 1000);
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = duration<double>(steady_clock::now() - wallBefore).count();
        std::printf("keyboard page shown (%s), mode 3 at speed 2: %.3f s CPU in %.1f s = %.2f %% of one core\n",
                    w.window.IsWindowVisible() ? "visible" : "not visible", cpu, wall, 100 * cpu / wall);
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
    if (mode == "slider")
        return Slider(arg(2, 20), argc > 3 ? argv[3] : "cable");
    if (mode == "page-cpu")
        return PageCpu(arg(2, 60));
    std::fprintf(stderr, "usage: app_bench start [RUNS] | memory [SECONDS] | cpu [SECONDS] hidden|keyboard | plug [RUNS] | "
                         "slider [RUNS] cable|receiver | page-cpu [SECONDS]\n");
    return 2;
}
