#pragma once
// The real program on an X server of each test's own (Xvfb), against orvel-devsim serving every
// emulated device on a private vhid folder, driven with xdotool; a tray from trayer.

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

namespace orvel::app {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvel::testing::ProgramBeside;

// What a shell command printed (stdout), trimmed of its last line end.
inline std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

inline bool Installed(const std::string& program)
{
    return !Shell("command -v " + program).empty();
}

using orvel::testing::WaitUntil;

class AppSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Installed("Xvfb") || !Installed("xdotool"))
            GTEST_SKIP() << "needs Xvfb and xdotool";
        std::filesystem::permissions(temp_.path(), std::filesystem::perms::owner_all);
        // An X server of its own: tests running side by side must not share one tray.
        bool reachable = false;
        for (int attempt = 0; attempt < 3 && !reachable; ++attempt)
            reachable = StartXServer(attempt);
        ASSERT_TRUE(reachable) << "no X server to be reached\n" << orvel::testing::FileText(temp_ / "xvfb.err");
        vhid_ = temp_.path() / "vhid";
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        temp_.setEnv("ORVEL_VHID_DIR", vhid_.string());
        temp_.setEnv("XDG_DATA_HOME", (temp_ / "data").string());
        temp_.setEnv("XDG_CONFIG_HOME", (temp_ / "config").string());
        temp_.setEnv("XDG_CACHE_HOME", (temp_ / "cache").string());
        devsim_ = orvel::testing::Spawn({ProgramBeside("orvel-devsim").string(), "serve", "--all"}, temp_ / "devsim.out",
                                       temp_ / "devsim.err");
        ASSERT_TRUE(WaitUntil([&] { return Devsim({"list"}).code == 0; }, 10s));
    }
    void TearDown() override
    {
        orvel::testing::Stop(app_);
        orvel::testing::Stop(tray_);
        orvel::testing::Stop(devsim_);
        orvel::testing::Stop(xserver_);
    }

    // Xvfb on a display number of this test's own, far above the low numbers that servers
    // picking their own number try one by one: beside many of those starting and ending, a
    // server on a low number now and then stopped taking clients seconds after it had answered
    // one. It never resets: a reset when the probe's client leaves could drop the tray that
    // connects just then. True once a client reaches it.
    bool StartXServer(int attempt)
    {
        const auto out = temp_ / "xvfb.out";
        std::filesystem::remove(out);
        const std::string display = ":" + std::to_string(1000 + (::getpid() * 7 + attempt) % 30000);
        xserver_ = orvel::testing::Spawn({"Xvfb", display, "-displayfd", "1", "-screen", "0", "1920x1080x24", "-noreset",
                                          "-nolisten", "tcp"},
                                         out, temp_ / "xvfb.err");
        temp_.setEnv("DISPLAY", display);
        if (WaitUntil([&] { return !orvel::testing::FileText(out).empty(); }, 10s)
            && !Shell("xdotool getdisplaygeometry 2>/dev/null").empty())
            return true;
        orvel::testing::Stop(xserver_); // the number is taken: another one
        xserver_ = -1;
        return false;
    }

    orvel::testing::ProgramResult Devsim(std::vector<std::string> words)
    {
        words.insert(words.begin(), {ProgramBeside("orvel-devsim").string(), "ctl"});
        return orvel::testing::RunProgram(words, temp_.path());
    }
    // The program as a user starts it, on the X server (not the offscreen platform of the UI tests).
    pid_t StartApp()
    {
        return orvel::testing::Spawn({ProgramBeside("varno-orvel-80").string()}, temp_ / "app.out", temp_ / "app.err",
                                    {{"QT_QPA_PLATFORM", std::nullopt}, {"ORVEL_DEBUG", "1"}});
    }
    void StartTray()
    {
        tray_ = orvel::testing::Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request"},
                                      temp_ / "tray.out", temp_ / "tray.err", {{"QT_QPA_PLATFORM", std::nullopt}});
        // The tray is there once its panel window is: Qt looks for it only when the program starts.
        ASSERT_TRUE(WaitUntil([] { return !Shell("xdotool search --name '^panel$' 2>/dev/null").empty(); }, 5s));
    }
    static std::string VisibleWindow(const std::string& name)
    {
        return Shell("xdotool search --onlyvisible --name '^" + name + "$' 2>/dev/null | head -1");
    }
    static bool MainWindowShown() { return !VisibleWindow("VARNO Orvel 80").empty(); }
    // A button of the tray icon (1 left, 3 right), clicked with the pointer.
    static void ClickTrayIcon(int button)
    {
        std::string icon;
        // The icon's window, embedded in the tray's panel, has the program's name and class.
        const std::string find = "xwininfo -root -tree | grep '\"varno-orvel-80\": (\"varno-orvel-80\"' | "
                                 "grep -v ' 1x1+' | awk '{print $1}' | head -1";
        WaitUntil([&] { return !(icon = Shell(find)).empty(); }, 3s);
        ASSERT_FALSE(icon.empty()) << "no tray icon\n" << Shell("xwininfo -root -tree");
        Shell("xdotool mousemove --window " + icon + " 8 8");
        std::this_thread::sleep_for(200ms);
        Shell("xdotool click " + std::to_string(button));
    }
    std::string Log() const { return orvel::testing::FileText(temp_ / "app.err"); }
    // How many times the program wrote the line.
    std::size_t Lines(const std::string& line) const
    {
        std::size_t n = 0;
        const std::string log = Log();
        for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++n;
        return n;
    }

    orvel::testing::TempFolder temp_;
    std::filesystem::path vhid_;
    pid_t xserver_ = -1;
    pid_t devsim_ = -1;
    pid_t tray_ = -1;
    pid_t app_ = -1;
};

} // namespace orvel::app
