#include "profiles/jsonaccess.h"

#include <cmath>
#include <limits>

namespace orvel::profiles {

namespace {

const Json::Value& nullValue()
{
    static const Json::Value null;
    return null;
}

} // namespace

const Json::Value& JsonMember(const Json::Value& v, const char* key)
{
    if (!v.isObject()) {
        return nullValue();
    }
    const Json::Value* found = v.find(key, key + std::char_traits<char>::length(key));
    return found != nullptr ? *found : nullValue();
}

const Json::Value& JsonElement(const Json::Value& v, Json::ArrayIndex i)
{
    if (!v.isArray() || i >= v.size()) {
        return nullValue();
    }
    return v[i];
}

std::optional<int64_t> JsonToInt(const Json::Value& v)
{
    switch (v.type()) {
    case Json::intValue:
        return v.asInt64();
    case Json::uintValue:
        if (v.asUInt64() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<int64_t>(v.asUInt64());
    case Json::booleanValue:
        return v.asBool() ? 1 : 0;
    case Json::realValue: {
        const double d = v.asDouble();
        // The range check keeps the cast defined; 2^63 itself is already out of range.
        if (!std::isfinite(d) || d <= -9223372036854775808.0 || d >= 9223372036854775808.0) {
            return std::nullopt;
        }
        return static_cast<int64_t>(d);
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::string> JsonToString(const Json::Value& v)
{
    if (!v.isString()) {
        return std::nullopt;
    }
    return v.asString();
}

int JsonInt(const Json::Value& object, const char* key, int neutral)
{
    const auto n = JsonToInt(JsonMember(object, key));
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max()) {
        return neutral;
    }
    return static_cast<int>(*n);
}

uint32_t JsonUInt(const Json::Value& object, const char* key, uint32_t neutral)
{
    const auto n = JsonToInt(JsonMember(object, key));
    return n ? static_cast<uint32_t>(static_cast<uint64_t>(*n)) : neutral;
}

bool JsonBool(const Json::Value& object, const char* key, bool neutral)
{
    const Json::Value& v = JsonMember(object, key);
    if (v.isDouble() && !v.isIntegral()) {
        return v.asDouble() != 0.0;
    }
    const auto n = JsonToInt(v);
    return n ? *n != 0 : neutral;
}

std::string JsonString(const Json::Value& object, const char* key, const std::string& neutral)
{
    auto s = JsonToString(JsonMember(object, key));
    return s ? std::move(*s) : neutral;
}

const Json::Value& JsonListOfIndex(const Json::Value& lists, int index)
{
    if (JsonElement(lists, 0).isObject()) {
        return lists;
    }
    return index >= 0 ? JsonElement(lists, static_cast<Json::ArrayIndex>(index)) : nullValue();
}

const Json::Value& JsonArray(const Json::Value& object, const char* key)
{
    const Json::Value& v = JsonMember(object, key);
    return v.isArray() ? v : nullValue();
}

const Json::Value& JsonObject(const Json::Value& object, const char* key)
{
    const Json::Value& v = JsonMember(object, key);
    return v.isObject() ? v : nullValue();
}

Json::Value& JsonObjectAt(Json::Value& parent, const char* key)
{
    if (!parent.isObject()) {
        parent = Json::Value(Json::objectValue);
    }
    Json::Value& member = parent[key];
    if (!member.isObject()) {
        member = Json::Value(Json::objectValue);
    }
    return member;
}

Json::Value& JsonArrayAt(Json::Value& parent, const char* key)
{
    if (!parent.isObject()) {
        parent = Json::Value(Json::objectValue);
    }
    Json::Value& member = parent[key];
    if (!member.isArray()) {
        member = Json::Value(Json::arrayValue);
    }
    return member;
}

Json::Value& JsonElementAt(Json::Value& parent, Json::ArrayIndex i)
{
    if (!parent.isArray()) {
        parent = Json::Value(Json::arrayValue);
    }
    return parent[i];
}

void JsonSet(Json::Value& parent, const char* key, const Json::Value& value)
{
    if (!parent.isObject()) {
        parent = Json::Value(Json::objectValue);
    }
    parent[key] = value;
}

} // namespace orvel::profiles
