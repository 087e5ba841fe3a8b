#pragma once
// Type-checked access to JSON documents that come from files. Reading never throws: a member
// that is missing or has the wrong type (a string where a number belongs, an object where an
// array belongs) reads as missing, and the caller gets its neutral value. Writing creates the
// objects and array elements on the way and replaces a wrongly typed value in the path.

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>

namespace orvel::profiles {

// The member of an object, or a null value when v is not an object or lacks the key.
const Json::Value& JsonMember(const Json::Value& v, const char* key);
// Element i of an array, or a null value when v is not an array or is too short.
const Json::Value& JsonElement(const Json::Value& v, Json::ArrayIndex i);

// A number as a 64-bit integer: integers, booleans (0, 1) and reals (cut toward zero) count;
// strings, arrays, objects, null and numbers outside the 64-bit range do not.
std::optional<int64_t> JsonToInt(const Json::Value& v);
// Only a JSON string counts.
std::optional<std::string> JsonToString(const Json::Value& v);

// Member readers with a neutral value for a missing or wrongly typed member. JsonInt gives the
// neutral value also for numbers outside the int range; JsonUInt cuts to the low 32 bits (the
// 24-bit assignment codes and 32-bit colours are stored that way); JsonBool counts any non-zero
// number as true.
int JsonInt(const Json::Value& object, const char* key, int neutral = 0);
uint32_t JsonUInt(const Json::Value& object, const char* key, uint32_t neutral = 0);
bool JsonBool(const Json::Value& object, const char* key, bool neutral = false);
std::string JsonString(const Json::Value& object, const char* key, const std::string& neutral = {});

// The member when it is an array (or an object); otherwise a null value.
const Json::Value& JsonArray(const Json::Value& object, const char* key);
const Json::Value& JsonObject(const Json::Value& object, const char* key);
// The light files list their entries per device kind: element index of an array of lists. An
// array of objects is one flat list that serves every index.
const Json::Value& JsonListOfIndex(const Json::Value& lists, int index);

// Writers. Each turns the parent into an object or array first when it is not one already.
Json::Value& JsonObjectAt(Json::Value& parent, const char* key);
Json::Value& JsonArrayAt(Json::Value& parent, const char* key);
// Element i of parent as an array, growing it with nulls as needed.
Json::Value& JsonElementAt(Json::Value& parent, Json::ArrayIndex i);
// parent[key] = value, with parent made an object when it is not one.
void JsonSet(Json::Value& parent, const char* key, const Json::Value& value);

} // namespace orvel::profiles
