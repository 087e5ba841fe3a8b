#pragma once
// Starting other programs as the shell does: by name (searched in PATH) or path, without
// waiting for them, and the desktop's keyboard and mouse settings when one of the known
// settings programs is installed.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::shell {

// The executable of that name in PATH (a name with a '/' is taken as a path); empty when
// there is none.
std::filesystem::path FindProgram(std::string_view name);

// Starts argv[0] with the arguments and returns at once; the program's exit is collected in
// the background. False when it could not be started (not found, not executable).
bool SpawnDetached(const std::vector<std::string>& argv);

enum class ControlPanel { Keyboard = 0, Mouse = 1 };

// The command line of the first known settings program present for that panel (GNOME, KDE,
// Xfce, Cinnamon, MATE, LXQt); nothing when none is installed.
std::optional<std::vector<std::string>> ControlPanelCommand(ControlPanel panel);

// Starts the panel's settings program; false (and nothing started) when there is none.
bool OpenControlPanel(ControlPanel panel);

} // namespace orvel::shell
