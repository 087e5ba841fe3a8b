#pragma once
// The program's registry values, kept in $XDG_CONFIG_HOME/VARNO Orvel 80/registry.json as
// {"LANGUAGE": id}. Keys open and values read as the registry calls do: a missing or broken
// file is a key that does not open, a missing or wrongly typed value is a value that is not
// there; nothing throws. The installed version is compiled in.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace orvel::settings {

// The one key the program uses: the current user's "SOFTWARE\VARNO Orvel 80".
inline constexpr std::string_view kProductKey = "SOFTWARE\\VARNO Orvel 80";
inline constexpr std::string_view kLanguageValue = "LANGUAGE";

class RegistryKey {
public:
    // Opens an existing key for reading; nothing when its file is missing or not a JSON
    // object, or when the key is not one this program keeps.
    static std::optional<RegistryKey> OpenForReading(std::string_view keyName);
    // Opens the key with write access, creating its folder and file when missing; nothing
    // when they cannot be created or the key is not one this program keeps.
    static std::optional<RegistryKey> OpenForWriting(std::string_view keyName);

    // A REG_DWORD-like value: an integer 0..0xFFFFFFFF; nothing when missing or of another type.
    std::optional<std::uint32_t> QueryDword(std::string_view valueName) const;
    // Stores the value, keeping the other values of the key; false when the file could not be
    // written (it is replaced atomically, so it is never left half-written).
    bool SetDword(std::string_view valueName, std::uint32_t data) const;

    const std::filesystem::path& File() const { return file_; }

private:
    explicit RegistryKey(std::filesystem::path file) : file_(std::move(file)) {}
    std::filesystem::path file_;
};

// The version text with every "." removed, read as a decimal number ("1.0.3" -> 103); reading
// stops at the first other character; 0 when there is no digit; capped at 0x7FFFFFFF.
int VersionNumberFromText(std::string_view text);

// The installed program's version as a number: the compiled-in product version (1.0.0.0 ->
// 1000).
int ReadInstalledVersion();

} // namespace orvel::settings
