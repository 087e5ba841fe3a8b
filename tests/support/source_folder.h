#pragma once
// The repository's own folders, for tests that read what the program ships.

#include <filesystem>

namespace orvel::testing {

inline std::filesystem::path SourceFolder()
{
    return ORVEL_SOURCE_DIR;
}

inline std::filesystem::path SourceDefaultData()
{
    return SourceFolder() / "DefaultData";
}

} // namespace orvel::testing
