#include "platform/settings.h"

#include "platform/atomicfile.h"
#include "platform/debuglog.h"
#include "platform/paths.h"

#include "platform/json_text.h"

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace orvel::settings {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> fileOfKey(std::string_view keyName)
{
    if (keyName != kProductKey) {
        debuglog::Writef("registry key not kept by this program: %.*s", static_cast<int>(keyName.size()), keyName.data());
        return std::nullopt;
    }
    return paths::ConfigFolder() / "registry.json";
}

// The key's values, or nothing when the file is missing, unreadable or not a JSON object.
std::optional<Json::Value> readValues(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    std::string errors;
    std::optional<Json::Value> root = json::Parse(text, json::Comments::Drop, &errors);
    if (!root || !root->isObject()) {
        debuglog::Writef("%s is not a settings document: %s", file.c_str(), errors.c_str());
        return std::nullopt;
    }
    return root;
}

} // namespace

std::optional<RegistryKey> RegistryKey::OpenForReading(std::string_view keyName)
{
    auto file = fileOfKey(keyName);
    if (!file || !readValues(*file)) {
        return std::nullopt;
    }
    return RegistryKey(*file);
}

std::optional<RegistryKey> RegistryKey::OpenForWriting(std::string_view keyName)
{
    auto file = fileOfKey(keyName);
    if (!file || !paths::CreateFolders(file->parent_path())) {
        return std::nullopt;
    }
    std::error_code ec;
    if (!fs::exists(*file, ec) && !atomicfile::WriteFileAtomically(*file, "{}\n")) {
        return std::nullopt;
    }
    return RegistryKey(*file);
}

std::optional<std::uint32_t> RegistryKey::QueryDword(std::string_view valueName) const
{
    auto values = readValues(file_);
    if (!values) {
        return std::nullopt;
    }
    const Json::Value& v = (*values)[std::string(valueName)];
    if (!v.isIntegral() || !v.isUInt()) {
        return std::nullopt;
    }
    return v.asUInt();
}

bool RegistryKey::SetDword(std::string_view valueName, std::uint32_t data) const
{
    // A broken file cannot be read back anyway; it is replaced by a fresh document.
    Json::Value values = readValues(file_).value_or(Json::Value(Json::objectValue));
    values[std::string(valueName)] = Json::UInt(data);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "   ";
    return atomicfile::WriteFileAtomically(file_, Json::writeString(writer, values) + "\n");
}

int VersionNumberFromText(std::string_view text)
{
    long long number = 0;
    bool digits = false;
    for (char c : text) {
        if (c == '.') {
            continue;
        }
        if (c < '0' || c > '9') {
            break;
        }
        digits = true;
        number = std::min<long long>(number * 10 + (c - '0'), 0x7FFFFFFF);
    }
    return digits ? static_cast<int>(number) : 0;
}

int ReadInstalledVersion()
{
    return VersionNumberFromText(ORVEL_PRODUCT_VERSION);
}

} // namespace orvel::settings
