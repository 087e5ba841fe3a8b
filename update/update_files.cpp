#include "update/update_files.h"

#include "platform/paths.h"
#include "profiles/jsonfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <ctime>

namespace orvel::update {

namespace {

// The file type of the address's last path part: its last one or two dotted parts that are
// letters and digits starting with a letter (".exe", ".tar.gz", not the ".0.1" of
// "orvel-1.0.1.deb"); empty when there is none.
std::string UrlExtension(std::string_view url)
{
    url = url.substr(0, url.find_first_of("?#"));
    const std::size_t slash = url.rfind('/');
    std::string_view name = slash == std::string_view::npos ? url : url.substr(slash + 1);
    std::string extension;
    for (int parts = 0; parts < 2; ++parts) {
        const std::size_t dot = name.rfind('.');
        if (dot == std::string_view::npos || dot == 0)
            break;
        const std::string_view part = name.substr(dot + 1);
        const bool plain = !part.empty() && part.size() <= 12 && std::isalpha(static_cast<unsigned char>(part[0])) &&
                           std::all_of(part.begin(), part.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (!plain)
            break;
        extension = "." + std::string(part) + extension;
        name = name.substr(0, dot);
    }
    return extension;
}

} // namespace

fs::path UpdateDataFolder()
{
    return paths::CacheFolder() / "UpdateData";
}

bool PrepareUpdateDataFolder(const fs::path& folder, std::string& error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "the download folder " + folder.string() + " cannot be made";
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        error = "the download folder " + folder.string() + " belongs to another user";
        return false;
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        error = "the download folder " + folder.string() + " cannot be made private";
        return false;
    }
    return true;
}

fs::path PackageFile(const fs::path& folder, std::string_view productName, std::string_view packageUrl)
{
    std::string extension = UrlExtension(packageUrl);
    if (extension.empty())
        extension = ".exe";
    return folder / (std::string(productName) + extension);
}

fs::path LastCheckFile()
{
    return paths::UserDataFolder() / "updatetime.config";
}

std::string DateText(int year, int month, int day)
{
    return std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
}

std::string TodayText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return DateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string ReadLastCheckDate(const fs::path& file)
{
    const Json::Value document = profiles::LoadJsonFile(file);
    if (!document.isObject())
        return {};
    const Json::Value& last = document["updatelasttime"];
    if (!last.isObject() || !last["value"].isString())
        return {};
    return last["value"].asString();
}

bool WriteLastCheckDate(const fs::path& file, const std::string& date)
{
    if (!paths::CreateFolders(file.parent_path()))
        return false;
    Json::Value document(Json::objectValue);
    document["updatelasttime"]["value"] = date;
    return profiles::SaveJsonFile(file, document);
}

} // namespace orvel::update
