#pragma once
// Where the program's files are: the program folder (skin, default data, fonts), the user's
// data, configuration, cache and runtime folders. Folder names in the device and profile
// code are written with backslashes ("XML\\Menus\\menu.xml"); FromBackslashName joins them.

#include <filesystem>
#include <string_view>

namespace orvel::paths {

namespace fs = std::filesystem;

inline constexpr const char* kProductFolder = "VARNO Orvel 80";

// The folder that holds skin/, DefaultData/ and Font/: $ORVEL_PROGRAM_DIR when set; else the
// installed share folder when the executable sits in <prefix>/bin; else the executable's folder.
fs::path ProgramFolder();
// The folder of the running executable, where the other programs of the build sit too.
fs::path ExecutableFolder();

// $XDG_DATA_HOME, or ~/.local/share (the stand-in for the local application data folder).
fs::path LocalAppData();
// LocalAppData()/"VARNO Orvel 80": profiles, macros, light effects and the user's files.
fs::path UserDataFolder();
// $XDG_CONFIG_HOME/"VARNO Orvel 80" (or ~/.config/...): registry.json lives here.
fs::path ConfigFolder();
// $XDG_CACHE_HOME/varno-orvel-80 (or ~/.cache/...): downloads.
fs::path CacheFolder();
// $XDG_RUNTIME_DIR/varno-orvel-80, or /tmp/varno-orvel-80-<uid>: sockets and lock files.
fs::path RuntimeFolder();
// $TMPDIR or /tmp.
fs::path TempFolder();

// Creates each level of the folder that is missing; true when the folder exists afterwards.
bool CreateFolders(const fs::path& folder);

// base joined with a name written with backslash separators ("XML\\a.xml" -> base/XML/a.xml).
fs::path FromBackslashName(const fs::path& base, std::string_view name);

// A name that can be used as one file name inside a folder: 1..200 characters of
// [A-Za-z0-9_-], so it cannot leave the folder, hide, or name a device.
bool IsPlainName(std::string_view name);

} // namespace orvel::paths
