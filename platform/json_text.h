#pragma once
// Parsing JSON text from outside (documents, settings, device hellos, service answers) in one
// place: JsonCpp throws, rather than fails, on nesting deeper than its stack limit, and a
// document that throws must read as broken like any other.

#include <json/json.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvel::json {

enum class Comments { Drop, Keep };

// The parsed value, or nothing when text is not JSON (errors, when given, says why).
std::optional<Json::Value> Parse(std::string_view text, Comments comments = Comments::Drop,
                                 std::string* errors = nullptr);

} // namespace orvel::json
