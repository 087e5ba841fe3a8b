#pragma once
// Shows a folder in the desktop's file manager (xdg-open), without waiting for it.

#include <filesystem>

namespace orvel::update {

// False when the file manager could not be started.
bool OpenFolderInFileManager(const std::filesystem::path& folder);

} // namespace orvel::update
