#pragma once
// A small settings file in the INI format ("[SECTION]" lines and "KEY=value" lines), read and
// written as the profile-string calls do: lookups ignore the case of sections and keys, a
// write keeps every other line, and the file is replaced atomically.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::app {

class IniFile {
public:
    // The file's lines; an unreadable or missing file reads as empty.
    static IniFile Load(const std::filesystem::path& file);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the key's value, or adds the key (and its section) at the end.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // False when the file could not be written (the old one is kept).
    bool Save(const std::filesystem::path& file) const;

private:
    // The index of the section's header line, or npos.
    std::size_t FindSection(std::string_view section) const;
    std::vector<std::string> lines_;
};

} // namespace orvel::app
