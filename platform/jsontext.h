#pragma once
// A JSON document from bytes already in memory, for every document the program reads (comments
// allowed). Never throws: the reader's own exception for a document nested too deep is one
// more way for the bytes not to be a document.

#include <json/value.h>

#include <string>
#include <string_view>

namespace orvel::jsontext {

// The document; null when the bytes are empty or not JSON (with the reason in errors, when
// given).
Json::Value Parse(std::string_view bytes, std::string* errors = nullptr);

} // namespace orvel::jsontext
