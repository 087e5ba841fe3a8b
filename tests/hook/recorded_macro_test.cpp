// A macro recorded on the desktop (xdotool typing and clicking on an X server of the test's
// own) is saved, listed and shown by orvelctl, assigned to a key with the key-set panel and
// written: the emulated keyboard's macro image and key table are what the recording says, byte
// for byte. A macro imported with orvelctl is seen by the library the panels use.

#include "devices/key_write_steps.h"
#include "devices/keyboard_core.h"
#include "input/hook/device_hook.h"
#include "input/hook/hook_messages.h"
#include "input/hook/x11_capture.h"
#include "input/keyset_panel.h"
#include "input/macro_library.h"
#include "profiles/profilefiles.h"
#include "sim/devices/factory_tables.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"
#include "tests/hook/recording_window.h"
#include "tests/support/file_text.h"
#include "tests/support/private_display.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace orvel::input {
namespace {

using devices::KeyboardCore;
using orvel::testing::PrivateDisplay;

orvel::testing::ProgramResult Orvelctl(std::vector<std::string> words, const std::filesystem::path& folder)
{
    words.insert(words.begin(), orvel::testing::ProgramBeside("orvelctl").string());
    return orvel::testing::RunProgram(words, folder);
}

// Records, in constant-delay mode (30 ms), what xdotool does on the display.
std::vector<MacroEvent> Record(const PrivateDisplay& display, const std::vector<std::string>& xdotool)
{
    CDeviceHook hook(X11Capture::Open(display.Name()));
    testing::RecordingWindow recorder;
    recorder.editor.StartRecording(TimeMode::Constant, 30, HookTickCount());
    EXPECT_EQ(hook.Install(hookmode::kAppend, recorder.Handle(), true, true), 1);
    const pid_t pid = display.StartXdotool(xdotool);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        PumpMessages(5);
    }
    for (int i = 0; i < 30; ++i) {
        PumpMessages(10);
    }
    hook.Uninstall();
    recorder.editor.StopRecording();
    return recorder.editor.CollectEvents();
}

TEST(RecordedMacro, IsListedByOrvelctlAndReachesTheKeyboardByteForByte)
{
    devices::testing::EmulatedDevice dev(sim::DeviceKind::Keyboard);
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) {
        const auto folder = dev.temp / name;
        std::filesystem::create_directories(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        dev.temp.setEnv(name, folder.string());
    }
    dev.temp.setEnv("WAYLAND_DISPLAY", "");
    PrivateDisplay display;
    ASSERT_TRUE(display.Running());

    const std::vector<MacroEvent> recorded =
        Record(display, {"mousemove", "20", "20", "keydown", "--delay", "0", "a", "sleep", "0.05", "keyup", "--delay",
                         "0", "a", "sleep", "0.05", "click", "3"});
    const std::vector<MacroEvent> expected {
        {true, eventtype::kKey, 0x04, 30},
        {false, eventtype::kKey, 0x04, 30},
        {true, eventtype::kMouseButton, 2, 30},
        {false, eventtype::kMouseButton, 2, 30},
    };
    ASSERT_EQ(recorded, expected);

    // Saved where the window keeps the keyboard's macros; orvelctl lists and shows it.
    const std::filesystem::path folder = profiles::ProfileFolder("keyboard");
    ASSERT_FALSE(folder.empty());
    MacroLibrary library(folder);
    library.Load();
    int macro = -1;
    ASSERT_EQ(library.Add(macro), MacroStatus::Done);
    ASSERT_EQ(library.SaveEvents(macro, recorded), MacroStatus::Done);
    const auto listed = Orvelctl({"macro", "list", "keyboard"}, dev.temp.path());
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out, "1  macro_1  (4 events)\n");
    const auto shown = Orvelctl({"macro", "show", "keyboard", "macro_1"}, dev.temp.path());
    EXPECT_EQ(shown.code, 0);
    EXPECT_EQ(shown.out, "macro_1: 4 events\n"
                          "  down  type 0x0A  button 0x04  then 30 ms  keyboard_key_A\n"
                          "  up    type 0x0A  button 0x04  then 30 ms  keyboard_key_A\n"
                          "  down  type 0x01  button 0x02  then 30 ms  mouse_key_right\n"
                          "  up    type 0x01  button 0x02  then 30 ms  mouse_key_right\n");

    // Assigned to key 10 (repeat mode 1) and written as "key_butt_prosave" writes it.
    devices::testing::WriteProfile(folder, "profile1", "keyboard", [](Json::Value&) {});
    KeyboardCore core(*dev.link, {folder, orvel::testing::SourceDefaultData(), "keyboard"});
    core.SetProfileIdentifier("profile1");
    dev.Attach(sim::Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    const std::size_t key = 10;
    const auto position = static_cast<std::size_t>(sim::KeyboardKeyPositions()[key]);
    profiles::KeyEntry& entry = core.Keys().at(position);

    KeySetPanel panel(kDeviceKeyboard);
    panel.SetMacroCount(static_cast<int>(library.Macros().size()));
    panel.ShowKey({FromInteger(entry.current.Code()), FromInteger(entry.defaults.Code())});
    KeySetFields controls = SelectCategory(panel.Fields(), category::kMacro);
    controls.macro = macro;
    controls.macroMode = 1;
    const AssignmentCode code = panel.Save(controls);
    ASSERT_EQ(code, (AssignmentCode {0x70, 0x00, 0x01}));
    entry.current = profiles::KeyHalf::FromCode(entry.current.position, ToInteger(code));
    core.Profile().SetKeyAssignments(core.Keys());

    const KeyWriteResult written = panel.WriteToDevice(devices::KeyWriteStepsOf(core));
    ASSERT_TRUE(written.keysWritten);
    EXPECT_FALSE(panel.SaveButtonsEnabled());

    const std::vector<std::uint8_t> image {
        0xAA, 0x55, 38, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // header: 16 + 6 + 4 x 4 bytes, one macro
        18, 0,                                                  // where the macro starts
        4, 0, 0, 0,                                             // four events
        30, 0, 0x8A, 0x04,                                      // A pressed, then 30 ms
        30, 0, 0x0A, 0x04,                                      // A released
        30, 0, 0x81, 0x02,                                      // right button pressed
        30, 0, 0x01, 0x02,                                      // right button released
    };
    EXPECT_EQ(dev.Memory().macros, image);
    std::vector<std::uint8_t> table = sim::KeyboardFactoryKeyTable();
    table.resize(3 * 104); // the emulated keyboard has 104 keys
    table[3 * key] = 0x70;
    table[3 * key + 1] = 0x00; // the macro's place in the image
    table[3 * key + 2] = 0x01;
    const auto memory = dev.Memory().keyTable;
    ASSERT_GE(memory.size(), table.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.begin()));

    // A macro imported with orvelctl is in the library the panels read.
    const auto file = dev.temp / "imported.mac";
    orvel::testing::WriteText(file, R"({"MacroName": "from the shell", "Events": [
        {"Action": "down", "Type": 10, "Button": 5, "Delay": "12"},
        {"Action": "up", "Type": 10, "Button": 5, "Delay": "0"}]})");
    EXPECT_EQ(Orvelctl({"macro", "import", "keyboard", file.string()}, dev.temp.path()).code, 0);
    MacroLibrary seen(folder);
    seen.Load();
    ASSERT_EQ(seen.Macros().size(), 2u);
    EXPECT_EQ(seen.LoadEvents(1),
              (std::vector<MacroEvent> {{true, eventtype::kKey, 5, 12}, {false, eventtype::kKey, 5, 0}}));
}

} // namespace
} // namespace orvel::input
