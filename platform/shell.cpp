#include "platform/shell.h"

#include "platform/debuglog.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace orvel::shell {
namespace {

bool IsExecutableFile(const std::filesystem::path& file)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

struct PanelProgram {
    const char* program;
    const char* keyboardArg; // null: the program takes no argument for this panel
    const char* mouseArg;
    bool keyboard;
    bool mouse;
};

// In the order they are tried; a desktop usually has only its own.
constexpr PanelProgram kPanelPrograms[] = {
    {"gnome-control-center", "keyboard", "mouse", true, true},
    {"systemsettings", "kcm_keyboard", "kcm_mouse", true, true},
    {"systemsettings5", "kcm_keyboard", "kcm_mouse", true, true},
    {"cinnamon-settings", "keyboard", "mouse", true, true},
    {"xfce4-keyboard-settings", nullptr, nullptr, true, false},
    {"xfce4-mouse-settings", nullptr, nullptr, false, true},
    {"mate-keyboard-properties", nullptr, nullptr, true, false},
    {"mate-mouse-properties", nullptr, nullptr, false, true},
    {"lxqt-config-input", nullptr, nullptr, true, true},
};

} // namespace

std::filesystem::path FindProgram(std::string_view name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos)
        return IsExecutableFile(std::filesystem::path(name)) ? std::filesystem::path(name) : std::filesystem::path();
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) {
            std::filesystem::path candidate = std::filesystem::path(dir) / name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return {};
}

bool SpawnDetached(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return false;
    const std::filesystem::path program = FindProgram(argv[0]);
    if (program.empty()) {
        debuglog::Writef("cannot start %s: not found", argv[0].c_str());
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The child starts in a session of its own, so it outlives this program and a terminal's
    // signals to this program do not reach it.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (error != 0) {
        debuglog::Writef("cannot start %s: error %d", program.c_str(), error);
        return false;
    }
    // Collects the exit so no zombie is left; the thread holds nothing else.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::optional<std::vector<std::string>> ControlPanelCommand(ControlPanel panel)
{
    const bool keyboard = panel == ControlPanel::Keyboard;
    for (const PanelProgram& p : kPanelPrograms) {
        if (keyboard ? !p.keyboard : !p.mouse)
            continue;
        if (FindProgram(p.program).empty())
            continue;
        std::vector<std::string> command{p.program};
        if (const char* arg = keyboard ? p.keyboardArg : p.mouseArg)
            command.emplace_back(arg);
        return command;
    }
    return std::nullopt;
}

bool OpenControlPanel(ControlPanel panel)
{
    const auto command = ControlPanelCommand(panel);
    if (!command) {
        debuglog::Write("no settings program of the desktop was found");
        return false;
    }
    return SpawnDetached(*command);
}

} // namespace orvel::shell
