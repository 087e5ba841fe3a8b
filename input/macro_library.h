#pragma once
// The macros of one device's profile folder: the list file "macro.config" ("MacroInfo":
// [{"MacroName", "Guid"}], the macro number is the index) and one "<Guid>.mac" file per
// macro ({"MacroName", "Guid", "Events", "Version": 64}). Every operation the macro panel
// offers on files lives here; the panel only binds controls to it.

#include "input/assignment_code.h"
#include "input/event_image.h"
#include "input/macro_event.h"

#include <json/value.h>

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::input {

inline constexpr size_t kMacroLimit = 50;     // macros in one profile folder
inline constexpr size_t kMacroRowLimit = 4000; // rows of the macro editor
inline constexpr int kMacroFileVersion = 64;
inline constexpr const char* kMacroListFile = "macro.config";

struct MacroInfo {
    std::string name; // UTF-8
    std::string guid; // file key; only a plain name is ever used as a file name
};

enum class MacroStatus {
    Done,
    NoSelection,   // index outside the list
    Full,          // already 50 macros
    Blank,         // rename to an empty name
    Duplicate,     // rename to a name that exists (compared without case): "message_text_5"
    TooLarge,      // import: file above 1 MiB
    NotJson,       // import: not a JSON document
    WrongShape,    // import: not an object with an "Events" array of well-formed events
    Failed,        // a file could not be read or written; nothing was changed
};

struct DeleteOutcome {
    MacroStatus status = MacroStatus::Failed;
    bool currentProfileChanged = false;            // the page must reload its keys and write them
    std::vector<std::filesystem::path> changedProfiles;
    std::vector<std::filesystem::path> skippedProfiles; // unreadable documents left as they were
};

class MacroLibrary {
public:
    explicit MacroLibrary(std::filesystem::path folder);

    // Reads "macro.config". A missing or unreadable list lists no macros.
    void Load();
    // Takes the list of a "macro.config" document already read; nothing is read or written.
    void LoadListDocument(Json::Value document);
    const std::vector<MacroInfo>& Macros() const { return macros_; }
    std::vector<std::string> Names() const;
    const std::filesystem::path& Folder() const { return folder_; }

    // Appends "macro_<n>" with the smallest free n and a new time-stamp Guid; index = its number.
    MacroStatus Add(int& index, std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    MacroStatus Rename(int index, std::string_view newName);

    // The macro's events in play order (at most limit; events that are not well formed are
    // left out). A missing file gives no events.
    std::vector<MacroEvent> LoadEvents(int index, size_t limit = kMacroRowLimit) const;
    // Writes the ".mac" file with a fresh "Events" array.
    MacroStatus SaveEvents(int index, std::span<const MacroEvent> events) const;

    MacroStatus Export(int index, const std::filesystem::path& target) const;
    // Adds a macro whose ".mac" file is the checked file (its first 4000 events).
    MacroStatus Import(const std::filesystem::path& source, int& index,
                       std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

    // Deletes macro m in one step, after the user confirmed: in every profile document of the
    // folder, keys on m return to their default and keys on higher macros move down by one;
    // then "macro.config" loses entry m and the ".mac" file is removed. When any write fails,
    // the documents already written are restored and the macro stays.
    DeleteOutcome Delete(int index, const std::filesystem::path& currentProfile);

    // The device image of the listed macros (in list order), for a device with
    // unitsOf128 × 128 bytes of macro memory. NothingToWrite when no macro is listed.
    ImageResult BuildImage(std::span<const int> macroNumbers, int unitsOf128) const;

    std::filesystem::path MacroFile(int index) const; // empty when the Guid is not a plain name

private:
    bool SaveList();

    std::filesystem::path folder_;
    Json::Value listDocument_;
    std::vector<MacroInfo> macros_;
    bool listBroken_ = false;
};

// The events of a ".mac" document in play order (at most limit; events that are not well
// formed are left out).
std::vector<MacroEvent> MacroEvents(const Json::Value& document, size_t limit = kMacroRowLimit);
// Renumbers the keys of one "KeyList" after macro m was deleted; true when a key changed.
bool RenumberMacroKeys(Json::Value& keyList, int deleted);
// True when a key of the profile document at path is assigned to macro m.
bool ProfileUsesMacro(const std::filesystem::path& profile, int macro);
bool DocumentUsesMacro(Json::Value document, int macro);
// The distinct macro numbers below macroCount used by codes, in order of first use: the
// macros of the device image, in its order.
std::vector<int> UsedMacros(std::span<const AssignmentCode> codes, int macroCount);
// The code a key table on the device receives: a macro code points at the macro's place in
// used (the image order), and a macro code whose macro is not listed is replaced by defaults.
AssignmentCode DeviceKeyCode(AssignmentCode current, AssignmentCode defaults, std::span<const int> used);

} // namespace orvel::input
