#include "profiles/user_copy.h"

#include "platform/debuglog.h"
#include "platform/paths.h"
#include "profiles/jsonfile.h"

namespace orvel::profiles {
namespace fs = std::filesystem;

namespace {

// Keeps an unusable user file aside; true when the name is free afterwards.
bool KeepAside(const fs::path& user)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(user, ec))) return true;
    const fs::path kept = MoveAside(user);
    if (kept.empty()) {
        debuglog::Writef("%s cannot be used and cannot be moved aside; it is left as it is", user.c_str());
        return false;
    }
    return true;
}

} // namespace

bool SaveUserFile(const fs::path& user, const Json::Value& document)
{
    return paths::CreateFolders(user.parent_path()) && SaveJsonFile(user, document);
}

Json::Value LoadUserCopy(const fs::path& user, const fs::path& defaults, const DocumentCheck& usable)
{
    Json::Value document = LoadJsonFile(user);
    if (!document.isNull() && usable(document)) return document;
    if (!KeepAside(user)) return Json::Value();
    const Json::Value fallback = LoadJsonFile(defaults);
    if (fallback.isNull()) {
        debuglog::Writef("the default %s cannot be read either", defaults.c_str());
        return fallback;
    }
    if (!SaveUserFile(user, fallback)) debuglog::Writef("%s could not be written from the default", user.c_str());
    return fallback;
}

Json::Value ResetUserCopy(const fs::path& user, const fs::path& defaults)
{
    const Json::Value fallback = LoadJsonFile(defaults);
    if (fallback.isNull()) {
        debuglog::Writef("the default %s cannot be read; %s is left as it is", defaults.c_str(), user.c_str());
        return fallback;
    }
    if (!SaveUserFile(user, fallback)) debuglog::Writef("%s could not be written from the default", user.c_str());
    return fallback;
}

bool ReadForUpdate(const fs::path& user, const DocumentCheck& usable, Json::Value& document)
{
    document = LoadJsonFile(user);
    if (!document.isNull() && usable(document)) return true;
    document = Json::Value(Json::objectValue);
    return KeepAside(user);
}

} // namespace orvel::profiles
