#include "profiles/profilelist.h"

#include "platform/debuglog.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "profiles/profilefiles.h"

#include <algorithm>

namespace orvel::profiles {
namespace fs = std::filesystem;

namespace {

const char* const kWriteFailedKey = "profile_write_failed_text";
const char* const kImportInvalidKey = "profile_import_invalid_text";
const char* const kImportTooLargeKey = "profile_import_too_large_text";
const char* const kExportMissingKey = "profile_export_missing_text";

ProfileResult result(ProfileStatus status, const char* key = "")
{
    return {status, key};
}

wchar_t foldCase(wchar_t c)
{
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

bool isBlank(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0xA0 || c == 0x3000;
}

std::string trimmed(const std::string& utf8)
{
    const std::wstring w = text::FromUtf8(utf8);
    size_t begin = 0;
    size_t end = w.size();
    while (begin < end && isBlank(w[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(w[end - 1])) {
        --end;
    }
    return text::ToUtf8(std::wstring_view(w).substr(begin, end - begin));
}

Json::Value makeEntry(const std::string& name, const std::string& id)
{
    Json::Value e(Json::objectValue);
    e["profilename"] = name;
    e["profileUUID"] = id;
    e["profileislink"] = 0;
    e["profilelinkmame"] = "";
    return e;
}

} // namespace

const char* RenameMessageKey(int r)
{
    switch (r) {
    case kRenameDuplicate:
        return "message_text_5";
    case kRenameBlank:
        return "message_text_25";
    case kRenameFailed:
        return kWriteFailedKey;
    default:
        return "";
    }
}

TabVisibility TabVisibilityForKind(int kind)
{
    switch (kind) {
    case 1:
        return {{"cursor_Op_tab"}, {}};
    case 3:
    case 5:
        return {{"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}, {}};
    case 4:
        return {{"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}, {}};
    case 7:
        return {{"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"},
                {"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}};
    default:
        return {};
    }
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    const std::wstring wa = text::FromUtf8(a);
    const std::wstring wb = text::FromUtf8(b);
    return wa.size() == wb.size() &&
           std::equal(wa.begin(), wa.end(), wb.begin(), [](wchar_t x, wchar_t y) { return foldCase(x) == foldCase(y); });
}

void DeviceProfileList::SetPaths(const fs::path& profileFolder, const fs::path& defaultProfilePath)
{
    folder_ = profileFolder;
    defaultPath_ = defaultProfilePath;
}

fs::path DeviceProfileList::listPath() const
{
    return folder_ / kProfileListFile;
}

Json::Value& DeviceProfileList::entries()
{
    return JsonArrayAt(list_, "profilelist");
}

Json::Value CheckedProfileList(Json::Value document)
{
    if (!document.isObject() || !JsonMember(document, "profilelist").isArray()) {
        return Json::Value();
    }
    Json::Value kept(Json::arrayValue);
    for (const Json::Value& e : document["profilelist"]) {
        const std::string id = JsonString(e, "profileUUID");
        if (paths::IsPlainName(id)) {
            Json::Value entry = e;
            entry["profilename"] = JsonString(e, "profilename", id);
            kept.append(entry);
        } else {
            debuglog::Writef("profile list entry refused: %s", id.c_str());
        }
    }
    document["profilelist"] = kept;
    const int count = static_cast<int>(kept.size());
    document["profileselect"] = std::clamp(JsonInt(document, "profileselect"), 0, std::max(count - 1, 0));
    return document;
}

DeviceProfileList::ListState DeviceProfileList::readList()
{
    Json::Value list = CheckedProfileList(LoadJsonFile(listPath()));
    if (list.isNull()) {
        std::error_code ec;
        return fs::exists(listPath(), ec) ? ListState::Broken : ListState::Missing;
    }
    list_ = std::move(list);
    return ListState::Read;
}

// The list is read again before every change; a list that went missing meanwhile keeps the one
// in memory, a list that became unreadable stops the change.
bool DeviceProfileList::rereadList()
{
    return readList() != ListState::Broken;
}

bool DeviceProfileList::writeList()
{
    return SaveJsonFile(listPath(), list_);
}

void DeviceProfileList::refreshNames()
{
    names_.clear();
    for (const Json::Value& e : entries()) {
        names_.push_back(JsonString(e, "profilename"));
    }
}

bool DeviceProfileList::hasSelection() const
{
    return selection_ >= 0 && selection_ < static_cast<int>(names_.size()) && !selectedId_.empty();
}

bool DeviceProfileList::taken(const std::string& id) const
{
    std::error_code ec;
    if (fs::exists(ProfileDocumentPath(folder_, id), ec)) {
        return true;
    }
    for (const Json::Value& e : JsonArray(list_, "profilelist")) {
        if (JsonString(e, "profileUUID") == id) {
            return true;
        }
    }
    return false;
}

bool DeviceProfileList::nameExists(const std::string& name, int except) const
{
    for (size_t i = 0; i < names_.size(); ++i) {
        if (static_cast<int>(i) != except && SameNameIgnoringCase(names_[i], name)) {
            return true;
        }
    }
    return false;
}

bool DeviceProfileList::writeDocument(Json::Value document, const std::string& name, const std::string& id)
{
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    document["profilename"] = name;
    document["profileUUID"] = id;
    const fs::path path = ProfileDocumentPath(folder_, id);
    return !path.empty() && SaveJsonFile(path, document);
}

// Builds a list from the documents in the folder, ordered by identifier.
bool DeviceProfileList::rebuildFromDocuments()
{
    std::vector<std::pair<std::string, std::string>> found; // id, name
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder_, ec)) {
        const fs::path& p = item.path();
        const std::string id = p.stem().string();
        if (p.extension() != kProfileExtension || !paths::IsPlainName(id) || !item.is_regular_file(ec)) {
            continue;
        }
        const Json::Value doc = LoadJsonFile(p);
        if (JsonString(doc, "profileUUID") == id) {
            found.emplace_back(id, JsonString(doc, "profilename", id));
        }
    }
    if (found.empty()) {
        return false;
    }
    std::sort(found.begin(), found.end());
    list_ = Json::Value(Json::objectValue);
    for (const auto& [id, name] : found) {
        entries().append(makeEntry(name, id));
    }
    list_["profileselect"] = 0;
    return true;
}

ProfileResult DeviceProfileList::InitProfiles()
{
    const ListState state = readList();
    if (state == ListState::Broken && MoveAside(listPath()).empty()) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    if (state != ListState::Read) {
        list_ = Json::Value(Json::objectValue);
    }
    if (entries().empty()) {
        if (!(state == ListState::Broken && rebuildFromDocuments())) {
            const std::string id = MakeFreeIdentifier([this](const std::string& s) { return taken(s); });
            list_ = Json::Value(Json::objectValue);
            entries().append(makeEntry("profile1", id));
            list_["profileselect"] = 0;
            if (!writeDocument(LoadJsonFile(defaultPath_), "profile1", id)) {
                return result(ProfileStatus::WriteFailed, kWriteFailedKey);
            }
        }
        if (!writeList()) {
            return result(ProfileStatus::WriteFailed, kWriteFailedKey);
        }
    }
    refreshNames();
    return SetSelectedProfile(JsonInt(list_, "profileselect"));
}

ProfileResult DeviceProfileList::SetSelectedProfile(int index)
{
    if (index < 0 || index >= static_cast<int>(entries().size())) {
        return result(ProfileStatus::NoSelection);
    }
    selection_ = index;
    selectedId_ = JsonString(entries()[Json::ArrayIndex(index)], "profileUUID");
    list_["profileselect"] = index;
    return writeList() ? result(ProfileStatus::Done) : result(ProfileStatus::WriteFailed, kWriteFailedKey);
}

int DeviceProfileList::GetProfileCount()
{
    readList();
    return static_cast<int>(entries().size());
}

fs::path DeviceProfileList::GetProfilePath(int index) const
{
    const Json::Value& e = JsonElement(JsonArray(list_, "profilelist"), static_cast<Json::ArrayIndex>(std::max(index, 0)));
    if (index < 0 || e.isNull()) {
        return {};
    }
    return ProfileDocumentPath(folder_, JsonString(e, "profileUUID"));
}

// The document is stored before the list names it, so a failure leaves no entry without a file.
ProfileResult DeviceProfileList::addEntry(const std::string& name, const Json::Value& document, bool selectNew)
{
    if (!rereadList()) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    const std::string id = MakeFreeIdentifier([this](const std::string& s) { return taken(s); });
    if (!writeDocument(document, name, id)) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    entries().append(makeEntry(name, id));
    if (selectNew) {
        list_["profileselect"] = static_cast<int>(entries().size()) - 1;
    }
    if (!writeList()) {
        std::error_code ec;
        fs::remove(ProfileDocumentPath(folder_, id), ec);
        readList();
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    refreshNames();
    return result(ProfileStatus::Done);
}

ProfileResult DeviceProfileList::AddProfile()
{
    if (static_cast<int>(names_.size()) >= kMaxProfiles) {
        return result(ProfileStatus::LimitReached);
    }
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!nameExists(name)) {
            break;
        }
    }
    return addEntry(name, LoadJsonFile(defaultPath_), true);
}

ProfileResult DeviceProfileList::DeleteProfile()
{
    if (!hasSelection()) {
        return result(ProfileStatus::NoSelection);
    }
    if (names_.size() < 2) {
        return result(ProfileStatus::LastProfile);
    }
    if (!rereadList() || selection_ >= static_cast<int>(entries().size())) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    const int newIndex = selection_ == 0 ? 0 : selection_ - 1;
    Json::Value removed;
    entries().removeIndex(Json::ArrayIndex(selection_), &removed);
    list_["profileselect"] = newIndex;
    if (!writeList()) {
        readList();
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    const fs::path doc = ProfileDocumentPath(folder_, JsonString(removed, "profileUUID"));
    std::error_code ec;
    if (!doc.empty()) {
        fs::remove(doc, ec);
    }
    refreshNames();
    return SetSelectedProfile(newIndex);
}

ProfileResult DeviceProfileList::CopyProfile()
{
    if (!hasSelection()) {
        return result(ProfileStatus::NoSelection);
    }
    std::string name = names_[size_t(selection_)];
    do {
        name += " copy";
    } while (nameExists(name));
    return addEntry(name, LoadJsonFile(ProfileDocumentPath(folder_, selectedId_)), false);
}

ProfileResult DeviceProfileList::ImportProfile(const fs::path& file)
{
    if (!hasSelection()) {
        return result(ProfileStatus::NoSelection);
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > kMaxImportBytes) {
        return result(ProfileStatus::TooLarge, kImportTooLargeKey);
    }
    const Json::Value document = LoadJsonFile(file);
    if (!document.isObject()) {
        return result(ProfileStatus::NotAProfile, kImportInvalidKey);
    }
    if (JsonMember(document, "profilename").isNull() || JsonMember(document, "profileUUID").isNull()) {
        return result(ProfileStatus::NotAProfile);
    }
    // The file's title becomes the name; bytes that are not UTF-8 become U+FFFD.
    std::string name = text::ToUtf8(text::FromUtf8(file.stem().string()));
    for (int k = 1; nameExists(name); ++k) {
        name += "(" + std::to_string(k) + ")";
    }
    return addEntry(name, document, false);
}

ProfileResult DeviceProfileList::ExportProfile(const fs::path& file)
{
    if (!hasSelection()) {
        return result(ProfileStatus::NoSelection);
    }
    if (file.empty()) {
        return result(ProfileStatus::WriteFailed);
    }
    rereadList();
    const Json::Value document = LoadJsonFile(ProfileDocumentPath(folder_, selectedId_));
    if (document.isNull()) {
        return result(ProfileStatus::SourceMissing, kExportMissingKey);
    }
    return SaveJsonFile(file, document) ? result(ProfileStatus::Done) : result(ProfileStatus::WriteFailed, kWriteFailedKey);
}

ProfileResult DeviceProfileList::ResetProfile()
{
    if (!hasSelection()) {
        return result(ProfileStatus::NoSelection);
    }
    if (!rereadList()) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    const fs::path path = ProfileDocumentPath(folder_, selectedId_);
    Json::Value old;
    if (!ReadProfileDocument(path, old)) {
        return result(ProfileStatus::WriteFailed, kWriteFailedKey);
    }
    Json::Value document = LoadJsonFile(defaultPath_);
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    // The headset's custom equalisers belong to the user, not to the factory settings.
    const Json::Value& oldEntry = JsonElement(JsonArray(old, "Device"), 0);
    const bool hasEntry = JsonElement(JsonArray(document, "Device"), 0).isObject();
    if (kind_ == 7 && hasEntry && oldEntry.isObject()) {
        Json::Value& entry = document["Device"][0];
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            if (!JsonMember(oldEntry, key).isNull()) {
                entry[key] = oldEntry[key];
            }
        }
    }
    return writeDocument(document, names_[size_t(selection_)], selectedId_) ? result(ProfileStatus::Done)
                                                                           : result(ProfileStatus::WriteFailed, kWriteFailedKey);
}

int DeviceProfileList::RenameProfile(const std::string& text)
{
    const std::string name = trimmed(text);
    if (name.empty()) {
        return kRenameBlank;
    }
    if (!hasSelection()) {
        return kRenameFailed;
    }
    if (nameExists(name, selection_)) {
        return kRenameDuplicate;
    }
    if (!rereadList() || selection_ >= static_cast<int>(entries().size())) {
        return kRenameFailed;
    }
    const fs::path path = ProfileDocumentPath(folder_, selectedId_);
    Json::Value document;
    if (!ReadProfileDocument(path, document) || !writeDocument(document, name, selectedId_)) {
        return kRenameFailed;
    }
    entries()[Json::ArrayIndex(selection_)]["profilename"] = name;
    if (!writeList()) {
        readList();
        return kRenameFailed;
    }
    refreshNames();
    return kRenameDone;
}

} // namespace orvel::profiles
