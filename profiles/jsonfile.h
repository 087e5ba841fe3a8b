#pragma once
// Every JSON document of the program (profiles, lists, macros, light and colour files) is
// read and written through these functions. A missing or broken file reads as a JSON null;
// a write replaces the old file only once the new one is completely on disk.

#include <json/value.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace orvel::profiles {

// The whole file as bytes; empty when it cannot be opened, is not a regular file (a folder,
// a FIFO or a device is refused at once, without waiting on it) or not all of it could be read.
std::string readjsonFile(const std::filesystem::path& path);

// The parsed document (comments allowed); null when the file is missing, empty or broken.
Json::Value LoadJsonFile(const std::filesystem::path& path);

// Writes the document in the styled format followed by one line end. The text goes to a
// temporary file in the same folder, is flushed to disk and then renamed over the target,
// so a crash or a full disk leaves the previous document as it was. Returns false (and
// writes a debug line with the reason) when the document was not stored.
bool SaveJsonFile(const std::filesystem::path& path, const Json::Value& document);

// The styled text SaveJsonFile writes, line end included.
std::string StyledText(const Json::Value& document);

// Renames a file that could not be used to "<name>.bad" (or "<name>.bad1", ".bad2" ... when
// that exists), so the user's bytes are kept and the name is free for a new document. Returns
// the new path, or an empty path when the file could not be moved.
std::filesystem::path MoveAside(const std::filesystem::path& path);

// Local time as "2021_03_09_14_05_07_042": the identifier of a new profile or macro.
std::string MakeTimeStamp();
std::string MakeTimeStamp(std::chrono::system_clock::time_point when);

} // namespace orvel::profiles
