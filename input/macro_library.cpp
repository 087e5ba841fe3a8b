#include "input/macro_library.h"

#include "input/file_bytes.h"
#include "platform/atomicfile.h"
#include "platform/debuglog.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "profiles/jsonfile.h"

#include <algorithm>
#include <cwctype>
#include <limits>
#include <optional>

namespace orvel::input {
namespace fs = std::filesystem;

namespace {

std::string StringMember(const Json::Value& object, const char* key)
{
    const Json::Value& v = object.isObject() ? object[key] : Json::Value::nullSingleton();
    return v.isString() ? v.asString() : std::string();
}

std::wstring Folded(std::string_view utf8)
{
    std::wstring wide = text::FromUtf8(utf8);
    for (wchar_t& c : wide) {
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return wide;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return Folded(a) == Folded(b);
}

// "Device"[0]."KeyList" of a profile document, or nothing when the document has no such entry.
Json::Value* KeyListOf(Json::Value& profile)
{
    if (!profile.isObject() || !profile.isMember("Device")) {
        return nullptr;
    }
    Json::Value& devices = profile["Device"];
    if (!devices.isArray() || devices.empty() || !devices[0].isObject() || !devices[0].isMember("KeyList")) {
        return nullptr;
    }
    return &devices[0]["KeyList"];
}

std::vector<MacroEvent> EventsOf(const Json::Value& document, size_t limit)
{
    std::vector<MacroEvent> events;
    if (!document.isObject() || !document["Events"].isArray()) {
        return events;
    }
    const Json::Value& list = document["Events"];
    for (Json::ArrayIndex i = 0; i < list.size() && events.size() < limit; ++i) {
        if (const auto event = ParseEvent(list[i])) {
            events.push_back(*event);
        }
    }
    return events;
}

} // namespace

MacroLibrary::MacroLibrary(fs::path folder)
    : folder_(std::move(folder))
{
}

void MacroLibrary::Load()
{
    macros_.clear();
    const fs::path path = folder_ / kMacroListFile;
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    listDocument_ = LoadSmallJsonFile(path);
    listBroken_ = exists && !listDocument_.isObject();
    if (!listDocument_.isObject()) {
        listDocument_ = Json::Value(Json::objectValue);
    }
    const Json::Value& list = listDocument_["MacroInfo"];
    if (!list.isArray()) {
        return;
    }
    // Entries keep their places even when malformed: the macro number is the index.
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        macros_.push_back({StringMember(list[i], "MacroName"), StringMember(list[i], "Guid")});
    }
}

std::vector<std::string> MacroLibrary::Names() const
{
    std::vector<std::string> names;
    for (const MacroInfo& m : macros_) {
        names.push_back(m.name);
    }
    return names;
}

fs::path MacroLibrary::MacroFile(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= macros_.size()) {
        return {};
    }
    const std::string& guid = macros_[static_cast<size_t>(index)].guid;
    if (!paths::IsPlainName(guid)) {
        debuglog::Writef("macro %d: the Guid \"%s\" is not a plain file name", index, guid.c_str());
        return {};
    }
    return folder_ / (guid + ".mac");
}

bool MacroLibrary::SaveList()
{
    const fs::path path = folder_ / kMacroListFile;
    if (listBroken_) {
        // The unreadable list is kept beside the new one rather than overwritten.
        profiles::MoveAside(path);
        listBroken_ = false;
    }
    Json::Value list(Json::arrayValue);
    for (const MacroInfo& m : macros_) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = m.name;
        entry["Guid"] = m.guid;
        list.append(entry);
    }
    Json::Value document = listDocument_;
    document["MacroInfo"] = list;
    if (!profiles::SaveJsonFile(path, document)) {
        return false;
    }
    listDocument_ = document;
    return true;
}

MacroStatus MacroLibrary::Add(int& index, std::chrono::system_clock::time_point now)
{
    if (macros_.size() >= kMacroLimit) {
        return MacroStatus::Full;
    }
    int number = 1;
    for (;; ++number) {
        const std::string candidate = "macro_" + std::to_string(number);
        const bool taken = std::any_of(macros_.begin(), macros_.end(),
                                       [&](const MacroInfo& m) { return SameNameIgnoringCase(m.name, candidate); });
        if (!taken) {
            break;
        }
    }
    // A time stamp that names no listed macro and no file: the clock may repeat itself.
    std::string guid;
    for (;; now += std::chrono::milliseconds(1)) {
        guid = profiles::MakeTimeStamp(now);
        std::error_code ec;
        const bool listed = std::any_of(macros_.begin(), macros_.end(), [&](const MacroInfo& m) { return m.guid == guid; });
        if (!listed && !fs::exists(folder_ / (guid + ".mac"), ec)) {
            break;
        }
    }
    macros_.push_back({"macro_" + std::to_string(number), guid});
    if (!SaveList()) {
        macros_.pop_back();
        return MacroStatus::Failed;
    }
    index = static_cast<int>(macros_.size()) - 1;
    return MacroStatus::Done;
}

MacroStatus MacroLibrary::Rename(int index, std::string_view newName)
{
    if (index < 0 || static_cast<size_t>(index) >= macros_.size()) {
        return MacroStatus::NoSelection;
    }
    if (newName.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return MacroStatus::Blank;
    }
    for (const MacroInfo& m : macros_) {
        if (SameNameIgnoringCase(m.name, newName)) {
            return MacroStatus::Duplicate;
        }
    }
    MacroInfo& macro = macros_[static_cast<size_t>(index)];
    const std::string old = macro.name;
    macro.name = std::string(newName);
    if (!SaveList()) {
        macro.name = old;
        return MacroStatus::Failed;
    }
    return MacroStatus::Done;
}

std::vector<MacroEvent> MacroLibrary::LoadEvents(int index, size_t limit) const
{
    const fs::path file = MacroFile(index);
    if (file.empty()) {
        return {};
    }
    return EventsOf(LoadSmallJsonFile(file), limit);
}

MacroStatus MacroLibrary::SaveEvents(int index, std::span<const MacroEvent> events) const
{
    const fs::path file = MacroFile(index);
    if (file.empty()) {
        return index >= 0 && static_cast<size_t>(index) < macros_.size() ? MacroStatus::Failed : MacroStatus::NoSelection;
    }
    const MacroInfo& macro = macros_[static_cast<size_t>(index)];
    Json::Value document(Json::objectValue);
    document["MacroName"] = macro.name;
    document["Guid"] = macro.guid;
    Json::Value list(Json::arrayValue);
    for (size_t i = 0; i < events.size() && i < kMacroRowLimit; ++i) {
        list.append(EventToJson(events[i], DelayForm::String));
    }
    document["Events"] = list;
    document["Version"] = kMacroFileVersion;
    return profiles::SaveJsonFile(file, document) ? MacroStatus::Done : MacroStatus::Failed;
}

MacroStatus MacroLibrary::Export(int index, const fs::path& target) const
{
    if (index < 0 || static_cast<size_t>(index) >= macros_.size()) {
        return MacroStatus::NoSelection;
    }
    const fs::path file = MacroFile(index);
    if (file.empty()) {
        return MacroStatus::Failed;
    }
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        // A macro that was never saved has no file yet: export it as an empty macro.
        const MacroInfo& macro = macros_[static_cast<size_t>(index)];
        Json::Value document(Json::objectValue);
        document["MacroName"] = macro.name;
        document["Guid"] = macro.guid;
        document["Events"] = Json::Value(Json::arrayValue);
        document["Version"] = kMacroFileVersion;
        return atomicfile::WriteFileAtomically(target, profiles::StyledText(document)) ? MacroStatus::Done : MacroStatus::Failed;
    }
    return CopyFileBytes(file, target) ? MacroStatus::Done : MacroStatus::Failed;
}

MacroStatus MacroLibrary::Import(const fs::path& source, int& index, std::chrono::system_clock::time_point now)
{
    const ImportFile file = ReadImportFile(source);
    switch (file.check) {
    case ImportCheck::Unreadable:
        return MacroStatus::Failed;
    case ImportCheck::TooLarge:
        return MacroStatus::TooLarge;
    case ImportCheck::NotJson:
        return MacroStatus::NotJson;
    case ImportCheck::Ok:
        break;
    }
    const Json::Value& document = file.document;
    if (!HasWellFormedEvents(document, std::numeric_limits<size_t>::max())) {
        return MacroStatus::WrongShape;
    }
    if (macros_.size() >= kMacroLimit) {
        return MacroStatus::Full;
    }
    int added = -1;
    const MacroStatus status = Add(added, now);
    if (status != MacroStatus::Done) {
        return status;
    }
    bool copied = false;
    if (document["Events"].size() <= kMacroRowLimit) {
        copied = atomicfile::WriteFileAtomically(MacroFile(added), file.bytes);
    } else {
        Json::Value trimmed = document;
        trimmed["Events"].resize(kMacroRowLimit);
        copied = profiles::SaveJsonFile(MacroFile(added), trimmed);
    }
    if (!copied) {
        macros_.pop_back();
        SaveList();
        return MacroStatus::Failed;
    }
    index = added;
    return MacroStatus::Done;
}

bool RenumberMacroKeys(Json::Value& keyList, int deleted)
{
    if (!keyList.isArray()) {
        return false;
    }
    bool changed = false;
    for (Json::ArrayIndex i = 0; i < keyList.size(); ++i) {
        Json::Value& key = keyList[i];
        if (!key.isObject() || !key["Assignment"].isIntegral()) {
            continue;
        }
        AssignmentCode code = FromInteger(key["Assignment"].asInt64());
        if (!IsMacroCode(code) || code.b1 < deleted) {
            continue;
        }
        if (code.b1 == deleted) {
            const Json::Value fallback = key.get("DefaultAssignment", Json::Value());
            code = fallback.isIntegral() ? FromInteger(fallback.asInt64()) : AssignmentCode {};
        } else {
            --code.b1;
        }
        key["Assignment"] = ToInteger(code);
        changed = true;
    }
    return changed;
}

bool ProfileUsesMacro(const fs::path& profile, int macro)
{
    Json::Value document = profiles::LoadJsonFile(profile);
    const Json::Value* list = KeyListOf(document);
    if (list == nullptr || !list->isArray()) {
        return false;
    }
    const Json::Value& keys = *list;
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        const Json::Value& a = keys[i].isObject() ? keys[i]["Assignment"] : Json::Value::nullSingleton();
        if (a.isIntegral()) {
            const AssignmentCode code = FromInteger(a.asInt64());
            if (IsMacroCode(code) && code.b1 == macro) {
                return true;
            }
        }
    }
    return false;
}

DeleteOutcome MacroLibrary::Delete(int index, const fs::path& currentProfile)
{
    DeleteOutcome outcome;
    if (index < 0 || static_cast<size_t>(index) >= macros_.size()) {
        outcome.status = MacroStatus::NoSelection;
        return outcome;
    }
    struct Pending {
        fs::path path;
        std::string original;
        Json::Value document;
    };
    std::vector<Pending> pending;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        const fs::path path = entry.path();
        const std::string name = path.filename().string();
        if (!entry.is_regular_file(ec) || name.size() <= 5 || name.compare(name.size() - 5, 5, ".Json") != 0) {
            continue;
        }
        const auto original = ReadSmallFile(path);
        Json::Value document = original ? profiles::LoadJsonFile(path) : Json::Value();
        if (!document.isObject()) {
            outcome.skippedProfiles.push_back(path);
            continue;
        }
        Json::Value* keys = KeyListOf(document);
        if (keys != nullptr && RenumberMacroKeys(*keys, index)) {
            pending.push_back({path, *original, document});
        }
    }
    auto restore = [&](size_t written) {
        for (size_t i = 0; i < written; ++i) {
            atomicfile::WriteFileAtomically(pending[i].path, pending[i].original);
        }
    };
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!profiles::SaveJsonFile(pending[i].path, pending[i].document)) {
            restore(i);
            outcome.status = MacroStatus::Failed;
            return outcome;
        }
    }
    const fs::path macroFile = MacroFile(index);
    const MacroInfo removed = macros_[static_cast<size_t>(index)];
    macros_.erase(macros_.begin() + index);
    if (!SaveList()) {
        macros_.insert(macros_.begin() + index, removed);
        restore(pending.size());
        outcome.status = MacroStatus::Failed;
        return outcome;
    }
    if (!macroFile.empty()) {
        fs::remove(macroFile, ec);
    }
    for (const Pending& p : pending) {
        outcome.changedProfiles.push_back(p.path);
        if (fs::equivalent(p.path, currentProfile, ec)) {
            outcome.currentProfileChanged = true;
        }
    }
    outcome.status = MacroStatus::Done;
    return outcome;
}

ImageResult MacroLibrary::BuildImage(std::span<const int> macroNumbers, int unitsOf128) const
{
    ImageResult result;
    if (macros_.empty()) {
        result.status = ImageStatus::NothingToWrite;
        return result;
    }
    std::vector<std::vector<MacroEvent>> sections;
    for (int m : macroNumbers) {
        if (m < 0 || static_cast<size_t>(m) >= macros_.size()) {
            debuglog::Writef("macro %d is not listed; left out of the image", m);
            continue;
        }
        sections.push_back(LoadEvents(m, std::numeric_limits<size_t>::max()));
    }
    const size_t capacity = 128 * static_cast<size_t>(std::max(unitsOf128, 0));
    return BuildEventImage(sections, {capacity, kMacroEventLimit});
}

std::vector<int> UsedMacros(std::span<const AssignmentCode> codes, int macroCount)
{
    std::vector<int> used;
    for (const AssignmentCode& code : codes) {
        if (IsMacroCode(code) && code.b1 < macroCount && std::find(used.begin(), used.end(), code.b1) == used.end()) {
            used.push_back(code.b1);
        }
    }
    return used;
}

AssignmentCode DeviceKeyCode(AssignmentCode current, AssignmentCode defaults, std::span<const int> used)
{
    if (!IsMacroCode(current)) {
        return current;
    }
    const auto it = std::find(used.begin(), used.end(), current.b1);
    if (it == used.end()) {
        return defaults;
    }
    current.b1 = static_cast<uint8_t>(it - used.begin());
    return current;
}

} // namespace orvel::input
