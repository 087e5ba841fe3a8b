#pragma once
// Where profile files live and how they are named: one profile folder per device folder name
// under the user's data folder, the default data beside the program, documents named by their
// identifier followed by ".Json".

#include <json/value.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace orvel::profiles {

inline constexpr const char* kProfileListFile = "ProfileList.ini";
inline constexpr const char* kProfileExtension = ".Json";

// UserDataFolder()/name, created when missing; empty when name is not a plain name or the
// folder cannot be created.
std::filesystem::path ProfileFolder(std::string_view deviceFolderName);
// ProgramFolder()/"DefaultData"; the program never writes there.
std::filesystem::path DefaultDataFolder();
// DefaultDataFolder()/(name + ".Json").
std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName);

// folder/(id + ".Json"); empty when id is not a plain name, so no identifier read from a file
// can lead outside the folder.
std::filesystem::path ProfileDocumentPath(const std::filesystem::path& folder, std::string_view id);

// A time-stamp identifier that taken() refuses to no one: the time stamp of start, one
// millisecond later for every identifier already in use.
std::string MakeFreeIdentifier(const std::function<bool(const std::string&)>& taken,
                               std::chrono::system_clock::time_point start = std::chrono::system_clock::now());

// Reads a profile document that is about to be changed. An existing file that is not a JSON
// object is moved aside first; then, as for a missing file, the result is an object holding the
// "profilename" and "profileUUID" that the folder's profile list has for it (empty when the list
// does not name it). Returns false when a broken file could not be moved aside: the caller must
// then not write.
bool ReadProfileDocument(const std::filesystem::path& path, Json::Value& document);

} // namespace orvel::profiles
