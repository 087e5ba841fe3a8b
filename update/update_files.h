#pragma once
// The update's files: the private folder packages are downloaded to, the name a package gets
// there, and "updatetime.config", which keeps the date of the last check that the service
// answered.

#include <filesystem>
#include <string>
#include <string_view>

namespace orvel::update {

namespace fs = std::filesystem;

// $XDG_CACHE_HOME/varno-orvel-80/UpdateData.
fs::path UpdateDataFolder();

// Creates the folder when missing and makes it private (mode 0700). Refuses a folder that is a
// symbolic link or belongs to another user. False with the reason in error.
bool PrepareUpdateDataFolder(const fs::path& folder, std::string& error);

// Where a product's package is kept: the product's name with the package's own file type
// when its address ends in one (".deb", ".tar.gz"), else ".exe".
fs::path PackageFile(const fs::path& folder, std::string_view productName, std::string_view packageUrl);

// The user's data folder's "updatetime.config".
fs::path LastCheckFile();

// "%d-%d-%d" of the date (no leading zeros: "2024-3-7"); TodayText is the local date.
std::string DateText(int year, int month, int day);
std::string TodayText();

// The stored date: "updatelasttime" / "value"; empty when the file or the value is missing.
std::string ReadLastCheckDate(const fs::path& file);
// Stores the date, creating the folder when missing; false when it was not stored.
bool WriteLastCheckDate(const fs::path& file, const std::string& date);

} // namespace orvel::update
