// The orvel-devsim program as scripts/run and a user start it: serve every device, control
// it from a second process, and stop it.

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

// Runs the program to its end; its exit code and standard output.
std::pair<int, std::string> RunDevsim(const std::string& arguments)
{
    std::string output;
    FILE* pipe = ::popen((std::string(ORVEL_DEVSIM) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return {-1, ""};
    }
    std::array<char, 4096> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
        output += buffer.data();
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool WaitFor(const std::filesystem::path& file, bool present)
{
    for (int i = 0; i < 200; ++i) {
        if (std::filesystem::exists(file) == present) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(DevsimTool, HelpExplainsEveryEntryPoint)
{
    const auto [code, text] = RunDevsim("--help");
    EXPECT_EQ(code, 0);
    for (const char* part : {"serve", "--all", "--hardware-present", "ctl", "--memory", "unplug", "sleep", "press",
                             "battery", "fault", "show"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(RunDevsim("frobnicate").first, 2);
    EXPECT_EQ(RunDevsim("serve").first, 2) << "nothing named to serve";
}

TEST(DevsimTool, ServeAllThenControlFromAnotherProcess)
{
    orvel::testing::TempFolder temp;
    const auto folder = temp / "vhid";
    temp.setEnv("ORVEL_VHID_DIR", folder.string());
    const std::string memory = (temp / "memory").string();

    pid_t pid = 0;
    const std::string program = ORVEL_DEVSIM;
    std::vector<std::string> args{program, "serve", "--all", "--memory", memory};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);

    ASSERT_TRUE(WaitFor(folder / "orvel-devsim.control", true));
    for (const char* socket : {"keyboard.if0.sock", "keyboard.if1.sock", "keyboard-receiver.if1.sock", "mouse.if1.sock",
                               "mouse-receiver.if1.sock", "mousepad.if1.sock", "headset.if3.sock"}) {
        EXPECT_TRUE(std::filesystem::exists(folder / socket)) << socket;
    }
    EXPECT_EQ(RunDevsim("ctl press mouse dpi"), std::make_pair(0, std::string("ok 1120\n")));
    EXPECT_EQ(RunDevsim("ctl unplug mouse cable").first, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "mouse.if1.sock"));
    EXPECT_EQ(RunDevsim("ctl sleep headset").first, 1) << "the headset has no receiver";
    const auto [code, settings] = RunDevsim("ctl show mouse settings");
    EXPECT_EQ(code, 0);
    EXPECT_NE(settings.find("current DPI stage 2"), std::string::npos) << settings;

    EXPECT_EQ(RunDevsim("ctl quit").first, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "keyboard.if1.sock")) << "every socket goes with the program";
    EXPECT_FALSE(std::filesystem::exists(folder / "orvel-devsim.control"));
    EXPECT_TRUE(std::filesystem::exists(temp / "memory" / "mouse.json"));
    EXPECT_EQ(RunDevsim("ctl list").first, 2) << "nothing serves any more";
}

} // namespace
