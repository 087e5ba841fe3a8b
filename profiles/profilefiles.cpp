#include "profiles/profilefiles.h"

#include "platform/paths.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"

namespace orvel::profiles {
namespace fs = std::filesystem;

fs::path ProfileFolder(std::string_view deviceFolderName)
{
    if (!paths::IsPlainName(deviceFolderName)) {
        return {};
    }
    const fs::path folder = paths::UserDataFolder() / std::string(deviceFolderName);
    return paths::CreateFolders(folder) ? folder : fs::path();
}

fs::path DefaultDataFolder()
{
    return paths::ProgramFolder() / "DefaultData";
}

fs::path DefaultProfilePath(std::string_view deviceFolderName)
{
    return DefaultDataFolder() / (std::string(deviceFolderName) + kProfileExtension);
}

fs::path ProfileDocumentPath(const fs::path& folder, std::string_view id)
{
    if (!paths::IsPlainName(id)) {
        return {};
    }
    return folder / (std::string(id) + kProfileExtension);
}

std::string MakeFreeIdentifier(const std::function<bool(const std::string&)>& taken,
                               std::chrono::system_clock::time_point start)
{
    std::string id = MakeTimeStamp(start);
    while (taken(id)) {
        start += std::chrono::milliseconds(1);
        id = MakeTimeStamp(start);
    }
    return id;
}

bool ReadProfileDocument(const fs::path& path, Json::Value& document)
{
    document = LoadJsonFile(path);
    if (document.isObject()) {
        return true;
    }
    document = Json::Value(Json::objectValue);
    std::error_code ec;
    if (fs::exists(path, ec) && MoveAside(path).empty()) {
        return false;
    }
    const std::string id = path.stem().string();
    const Json::Value list = LoadJsonFile(path.parent_path() / kProfileListFile);
    for (const Json::Value& entry : JsonArray(list, "profilelist")) {
        if (JsonString(entry, "profileUUID") == id) {
            document["profilename"] = JsonString(entry, "profilename", id);
            document["profileUUID"] = id;
            break;
        }
    }
    return true;
}

} // namespace orvel::profiles
