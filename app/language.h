#pragma once
// The language choice: the list in DefaultData's "Language.config", the index kept in the
// registry as the entry's "Language_ID", the font face each language is shown in, and the
// shared fonts the main window defines.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orvel::app {

inline constexpr const char* kLanguageListFile = "Language.config";
// The registry value that stands for "never chosen": it matches no entry, so entry 0 is used.
inline constexpr std::uint32_t kNoLanguageId = 520;

struct LanguageEntry {
    std::string name;      // "Language_name": the toolkit's language name
    std::string file;      // "Language_file": the language file to load
    std::string text;      // "Language_text": shown in the settings window's list
    std::int64_t id = 0;   // "Language_ID", kept in the registry (a Windows language id)
};

// The entries of "Language.config"; empty when it is missing or broken. Entries whose
// "Language_file" is not a plain file name are left out (the name is joined to the skin
// folder).
std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& file);

// The position of the first entry whose id is the registry's "LANGUAGE" value (missing:
// kNoLanguageId); 0 when none matches or the key does not open.
int ReadLanguageIndex(const std::vector<LanguageEntry>& entries);
// Stores the id; nothing when the key cannot be opened for writing.
bool WriteLanguageId(std::int64_t id);

// The face a language is shown in: Simplified Chinese "Noto Sans CJK SC", Traditional Chinese
// "Noto Sans CJK TC", Thai "Noto Sans Thai", every other language the skin's default sans.
inline constexpr const char* kDefaultFace = "Noto Sans";
std::string FontFaceFor(const LanguageEntry& entry);

// What SwitchLanguage does for a new index: nothing when it is current or outside the list;
// else take the entry, and rebuild the fonts when the face changes (always at the first switch).
struct LanguageSwitch {
    bool change = false;
    bool rebuildFonts = false;
    std::string face;
    LanguageEntry entry;
};
LanguageSwitch PlanLanguageSwitch(const std::vector<LanguageEntry>& entries, int current, int index);

// The main window's shared fonts, sizes in pixels at 96 DPI.
struct FontSpec {
    int id;  // -1 for the default font
    int size;
    bool bold = false;
    bool underline = false;
};
std::span<const FontSpec> SharedFonts();

} // namespace orvel::app
