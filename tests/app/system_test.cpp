// The real program under the X server: what the window does, seen from outside.

#include "tests/app/app_system.h"

namespace orvel::app {
namespace {

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
