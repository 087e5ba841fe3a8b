#pragma once
// The rules of a device page's profile list, without any UI: the list file "ProfileList.ini"
// of one profile folder, the profile documents it names, and the selection. The profile panel
// mirrors Names() in its combo and shows the message key of a result when there is one.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::profiles {

inline constexpr int kMaxProfiles = 50;
// An imported profile larger than this is refused; stored profiles are a few hundred KiB at most.
inline constexpr std::uintmax_t kMaxImportBytes = 4 * 1024 * 1024;

enum class ProfileStatus {
    Done,
    NoSelection,   // the operation needs a selected profile
    LimitReached,  // 50 profiles already
    LastProfile,   // the only profile cannot be deleted
    NotAProfile,   // import: not a JSON object, or without "profilename" or "profileUUID"
    TooLarge,      // import: above kMaxImportBytes
    SourceMissing, // export: the profile's document is missing or unreadable
    WriteFailed,   // the list or a document could not be stored; nothing changed
};

struct ProfileResult {
    ProfileStatus status = ProfileStatus::Done;
    // The language key the panel shows, empty when nothing is shown.
    std::string messageKey;
    bool ok() const { return status == ProfileStatus::Done; }
};

// Results of RenameProfile.
enum RenameResult : int {
    kRenameDuplicate = 0, // another profile has that name (ignoring case): "message_text_5"
    kRenameDone = 1,
    kRenameBlank = 2,  // nothing but white space: "message_text_25"
    kRenameFailed = 3, // no selection, or the change could not be stored
};
const char* RenameMessageKey(int result);

// The eight function tab options in tab-number order (1 to 8).
inline constexpr std::array<const char*, 8> kProfileTabNames = {
    "deng_Op_tab",       "key_Op_tab",  "macro_Op_tab",      "system_Op_tab",
    "cursor_Op_tab",     "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};
struct TabVisibility {
    std::vector<std::string> hidden;
    std::vector<std::string> shown;
};
// Tabs the panel hides and shows for a device kind; tabs not named keep the layout's state.
TabVisibility TabVisibilityForKind(int kind);

// Case-insensitive comparison of UTF-8 names (Latin, Greek, Cyrillic and full-width letters).
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// A "ProfileList.ini" document as the list keeps it: only entries with a plain identifier, so no
// name read from the file can lead outside the folder, each with a name, and the selection
// inside the list. Null when the document is not a profile list.
Json::Value CheckedProfileList(Json::Value document);

class DeviceProfileList {
public:
    void SetDeviceKind(int kind) { kind_ = kind; }
    void SetPaths(const std::filesystem::path& profileFolder, const std::filesystem::path& defaultProfilePath);

    // Reads the list (creating the first profile on first start, rebuilding an unreadable list
    // from the documents) and selects the stored profile.
    ProfileResult InitProfiles();
    // Selects entry index and stores it as "profileselect".
    ProfileResult SetSelectedProfile(int index);
    int GetSelectedIndex() const { return selection_; }
    const std::string& GetSelectedIdentifier() const { return selectedId_; }
    // The profile names in list order: the combo's items.
    const std::vector<std::string>& Names() const { return names_; }
    // Re-reads the list and returns its length.
    int GetProfileCount();
    // The document of entry index of the last read list; empty for an invalid index.
    std::filesystem::path GetProfilePath(int index) const;

    ProfileResult AddProfile();
    // Deletes the selected profile and selects the one before it (the caller then switches the
    // device to GetSelectedIdentifier()).
    ProfileResult DeleteProfile();
    ProfileResult CopyProfile();
    ProfileResult ImportProfile(const std::filesystem::path& file);
    ProfileResult ExportProfile(const std::filesystem::path& file);
    ProfileResult ResetProfile();
    int RenameProfile(const std::string& name);

private:
    enum class ListState { Read, Missing, Broken };
    ListState readList();
    bool rereadList();
    bool writeList();
    bool rebuildFromDocuments();
    void refreshNames();
    bool hasSelection() const;
    bool taken(const std::string& id) const;
    bool nameExists(const std::string& name, int except = -1) const;
    ProfileResult addEntry(const std::string& name, const Json::Value& document, bool selectNew);
    bool writeDocument(Json::Value document, const std::string& name, const std::string& id);
    std::filesystem::path listPath() const;
    Json::Value& entries();

    int kind_ = 0;
    std::filesystem::path folder_;
    std::filesystem::path defaultPath_;
    std::string selectedId_;
    Json::Value list_;
    std::vector<std::string> names_;
    int selection_ = -1;
};

} // namespace orvel::profiles
