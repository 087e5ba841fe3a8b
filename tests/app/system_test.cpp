// The real program on an X server of each test's own (Xvfb), against orvel-devsim serving every
// emulated device on a private vhid folder, driven with xdotool; a tray from trayer.

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace orvel::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvel::testing::ProgramBeside;

// What a shell command printed (stdout), trimmed of its last line end.
std::string Shell(const std::string& command)
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

bool Installed(const std::string& program)
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
        xserver_ = orvel::testing::Spawn({"Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"},
                                         temp_ / "xvfb.out", temp_ / "xvfb.err");
        std::string display;
        ASSERT_TRUE(WaitUntil([&] { return !(display = orvel::testing::FileText(temp_ / "xvfb.out")).empty(); }, 10s));
        while (!display.empty() && display.back() == '\n')
            display.pop_back();
        temp_.setEnv("DISPLAY", ":" + display);
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

TEST_F(AppSystem, TheWindowShowsAndASecondStartBringsItBackFromTheTray)
{
    if (!Installed("trayer"))
        GTEST_SKIP() << "needs trayer for a tray";
    StartTray();
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();

    // The icon takes clicks once the tray has embedded it; under load that may take a moment.
    bool hidden = false;
    for (int attempt = 0; attempt < 3 && !hidden; ++attempt) {
        ClickTrayIcon(1);
        hidden = WaitUntil([] { return !MainWindowShown(); }, 2s);
    }
    ASSERT_TRUE(hidden) << "a click on the tray icon hides the window";
    const auto before = Clock::now();
    const auto second = orvel::testing::RunProgram({ProgramBeside("varno-orvel-80").string()}, temp_.path(),
                                                   {{"QT_QPA_PLATFORM", std::nullopt}}, 5s);
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_LT(Clock::now() - before, 1000ms) << "the second start ends within a second";
    EXPECT_TRUE(WaitUntil(MainWindowShown, 2s)) << "the first one comes back";
    EXPECT_FALSE(orvel::testing::WaitFor(app_, 0ms).has_value()) << "the first one still runs";
}

TEST_F(AppSystem, TheTrayMenusExitEndsTheProgramWithItsDevicesAttached)
{
    if (!Installed("trayer"))
        GTEST_SKIP() << "needs trayer for a tray";
    StartTray();
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();
    // Every device attached: the pad's two interfaces and the headset's one.
    ASSERT_TRUE(WaitUntil([&] { return Lines("添加一个鼠标垫设备") >= 3; }, 5s)) << Log();
    std::this_thread::sleep_for(1s);

    ClickTrayIcon(3);
    ASSERT_TRUE(WaitUntil([] { return !Shell("xdotool search --onlyvisible --class varno-orvel-80 2>/dev/null | wc -l").empty(); }, 2s));
    std::this_thread::sleep_for(300ms); // the menu opens 10 ms after the click, then lays itself out
    Shell("xdotool key End Return");
    const auto before = Clock::now();
    const auto code = orvel::testing::WaitFor(app_, 3s);
    ASSERT_TRUE(code.has_value()) << "the program did not end\n" << Log();
    app_ = -1;
    EXPECT_EQ(*code, 0);
    EXPECT_LT(Clock::now() - before, 1000ms);
    EXPECT_NE(Log().find("退出测试"), std::string::npos);
}

TEST_F(AppSystem, DevicesComeGoAndChangeTheirLinkWhileTheWindowShows)
{
    app_ = StartApp();
    ASSERT_TRUE(WaitUntil(MainWindowShown, 5s)) << Log();
    ASSERT_TRUE(WaitUntil([&] { return Lines("添加一个键盘设备") >= 4; }, 5s)) << Log();

    struct Step {
        std::vector<std::string> command;
        std::string line; // what the program writes when it saw the change
        std::size_t times;
    };
    const Step steps[] = {
        {{"unplug", "keyboard", "both"}, "selector item hidden: keyboard", 1},
        {{"plug", "keyboard", "cable"}, "selector item shown: keyboard", 2},
        {{"unplug", "mouse", "cable"}, "删除一个鼠标设备", 2}, // the link moves to the receiver
        {{"plug", "mouse", "cable"}, "添加一个鼠标设备", 6},
        {{"unplug", "mousepad"}, "selector item hidden: MousePad", 1},
    };
    for (const Step& step : steps) {
        ASSERT_EQ(Devsim(step.command).code, 0) << step.command[0];
        EXPECT_TRUE(WaitUntil([&] { return Lines(step.line) >= step.times; }, 3s))
            << step.command[0] << " " << step.command[1] << "\n" << Log();
        EXPECT_FALSE(orvel::testing::WaitFor(app_, 0ms).has_value()) << "the program ended";
        EXPECT_TRUE(MainWindowShown());
    }
    // The mouse went on through its receiver meanwhile: its item never went.
    EXPECT_EQ(Lines("selector item hidden: mouse"), 0u);
}

TEST(AppStart, ABrokenSkinEndsWithAClearMessage)
{
    orvel::testing::TempFolder temp;
    const std::filesystem::path source = std::filesystem::path(ORVEL_SOURCE_DIR);
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> breakIt;
        const char* says;
    };
    const Case cases[] = {
        {"no skin folder", [](const std::filesystem::path& skin) { std::filesystem::remove_all(skin); },
         "the skin folder"},
        {"no res.xml", [](const std::filesystem::path& skin) { std::filesystem::remove(skin / "res.xml"); }, "res.xml"},
        {"a broken main layout",
         [](const std::filesystem::path& skin) { orvel::testing::WriteText(skin / "main.xml", "<Window><VerticalLayout"); },
         "XML_MAIN"},
        {"a missing page layout",
         [](const std::filesystem::path& skin) { std::filesystem::remove(skin / "XML" / "DeviceXml" / "mousedevice.xml"); },
         "mousedevice.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path program = temp / "program";
        std::filesystem::remove_all(program);
        std::filesystem::create_directories(program);
        std::filesystem::copy(source / "skin", program / "skin", std::filesystem::copy_options::recursive);
        std::filesystem::create_directory_symlink(source / "DefaultData", program / "DefaultData");
        c.breakIt(program / "skin");
        const auto result = orvel::testing::RunProgram(
            {ProgramBeside("varno-orvel-80").string()}, temp.path(),
            {{"ORVEL_PROGRAM_DIR", program.string()}, {"QT_QPA_PLATFORM", "offscreen"},
             {"XDG_RUNTIME_DIR", temp.path().string()}, {"XDG_DATA_HOME", (temp / "data").string()},
             {"XDG_CONFIG_HOME", (temp / "config").string()}},
            10s);
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
}

} // namespace
} // namespace orvel::app
