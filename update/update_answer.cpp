#include "update/update_answer.h"

#include "update/update_products.h"

#include "platform/json_text.h"

#include <json/reader.h>
#include <json/value.h>

#include <cctype>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>

namespace orvel::update {

namespace {

std::string TextMember(const Json::Value& root, const char* key)
{
    const Json::Value& value = root[key];
    return value.isString() ? value.asString() : std::string();
}

// The whole text as a number in the base; nothing for an empty text, another character, or
// a value beyond 32 bits.
bool ReadVersionNumber(const std::string& text, bool hex, std::int32_t& number)
{
    if (text.empty() || text.size() > (hex ? 8u : 10u))
        return false;
    std::int64_t value = 0;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (hex ? !std::isxdigit(u) : !std::isdigit(u))
            return false;
        const int digit = std::isdigit(u) ? u - '0' : std::tolower(u) - 'a' + 10;
        value = value * (hex ? 16 : 10) + digit;
    }
    if (value > std::numeric_limits<std::int32_t>::max())
        return false;
    number = static_cast<std::int32_t>(value);
    return true;
}

bool IsSha256Text(const std::string& text)
{
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

UpdateInfo Bad(UpdateInfo info, std::string why)
{
    info.status = kStatusNoNewer;
    info.failure = CheckFailure::BadAnswer;
    info.failureText = std::move(why);
    return info;
}

} // namespace

std::string QueryBody(std::string_view appKey, std::int32_t currentVersion, bool hexVersions)
{
    char version[24];
    if (hexVersions)
        std::snprintf(version, sizeof version, "&version=%x", static_cast<unsigned>(currentVersion));
    else
        std::snprintf(version, sizeof version, "&version=%d", currentVersion);
    return "app_key=" + std::string(appKey) + version;
}

UpdateInfo ParseUpdateAnswer(std::string_view answer, std::int32_t currentVersion, bool hexVersions)
{
    UpdateInfo info;
    const std::optional<Json::Value> parsed = json::Parse(answer);
    if (!parsed)
        return Bad(info, "the answer is not JSON");
    const Json::Value& root = *parsed;
    if (!root.isObject())
        return Bad(info, "the answer is not a JSON object");

    info.path = TextMember(root, "path");
    info.name = TextMember(root, "name");
    info.versionName = TextMember(root, "version_name");
    const Json::Value& deviceId = root["device_id"];
    if (deviceId.isInt64())
        info.deviceId = deviceId.asInt64();
    info.currentVersionText = VersionText(currentVersion, hexVersions);

    const Json::Value& version = root["version"];
    if (version.isNull())
        return info;
    std::int32_t newVersion = 0;
    if (!version.isString() || !ReadVersionNumber(version.asString(), hexVersions, newVersion))
        return Bad(info, std::string("the answer's \"version\" is not a ") + (hexVersions ? "hexadecimal" : "decimal") +
                             " number text");
    if (hexVersions)
        info.newVersionText = "V" + version.asString();
    else
        info.newVersionText = info.versionName.empty() ? "V" + version.asString() : info.versionName;

    const Json::Value& hash = root["sha256"];
    if (!hash.isNull()) {
        if (!hash.isString() || !IsSha256Text(hash.asString()))
            return Bad(info, "the answer's \"sha256\" is not 64 hexadecimal digits");
        info.sha256 = hash.asString();
    }
    if (currentVersion < newVersion) {
        if (info.path.rfind("https://", 0) != 0)
            return Bad(info, "the answer offers " + info.newVersionText + " without an https package address");
        info.status = kStatusNewer;
    }
    return info;
}

} // namespace orvel::update
