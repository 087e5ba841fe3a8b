#include "platform/shell.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace orvel::shell {
namespace {

// A folder on PATH holding fake settings programs that write their arguments to a file.
class FakePrograms {
public:
    FakePrograms() { folder_.setEnv("PATH", folder_.path().string()); }

    void Add(const std::string& name)
    {
        const auto file = folder_ / name;
        std::ofstream(file) << "#!/bin/sh\necho \"" << name << " $*\" > '" << Output().string() << "'\n";
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    std::filesystem::path Output() const { return folder_ / "ran.txt"; }
    // What the started program wrote, waiting up to 5 s for it.
    std::string Ran() const
    {
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(Output());
            std::stringstream text;
            text << in.rdbuf();
            if (!text.str().empty())
                return text.str();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

private:
    orvel::testing::TempFolder folder_;
};

TEST(Shell, ControlPanelsStartTheDesktopsSettingsProgram)
{
    struct Case {
        std::vector<std::string> installed;
        ControlPanel panel;
        std::string ran;
    };
    const Case cases[] = {
        {{"gnome-control-center"}, ControlPanel::Keyboard, "gnome-control-center keyboard\n"},
        {{"gnome-control-center"}, ControlPanel::Mouse, "gnome-control-center mouse\n"},
        {{"systemsettings"}, ControlPanel::Mouse, "systemsettings kcm_mouse\n"},
        // Xfce has one program per panel.
        {{"xfce4-keyboard-settings", "xfce4-mouse-settings"}, ControlPanel::Mouse, "xfce4-mouse-settings \n"},
        {{"xfce4-keyboard-settings", "xfce4-mouse-settings"}, ControlPanel::Keyboard, "xfce4-keyboard-settings \n"},
    };
    for (const Case& c : cases) {
        FakePrograms programs;
        for (const std::string& p : c.installed)
            programs.Add(p);
        EXPECT_TRUE(OpenControlPanel(c.panel)) << c.ran;
        EXPECT_EQ(programs.Ran(), c.ran);
    }
}

TEST(Shell, NoSettingsProgramStartsNothing)
{
    FakePrograms programs;
    programs.Add("xfce4-keyboard-settings");
    EXPECT_FALSE(ControlPanelCommand(ControlPanel::Mouse).has_value());
    EXPECT_FALSE(OpenControlPanel(ControlPanel::Mouse));
    EXPECT_FALSE(std::filesystem::exists(programs.Output()));
}

TEST(Shell, AProgramThatIsNotThereIsNotStarted)
{
    FakePrograms programs;
    EXPECT_FALSE(SpawnDetached({"no-such-program-here"}));
    EXPECT_FALSE(SpawnDetached({}));
    EXPECT_TRUE(FindProgram("no-such-program-here").empty());
}

} // namespace
} // namespace orvel::shell
