#include "platform/jsontext.h"

#include <json/reader.h>

#include <memory>

namespace orvel::jsontext {

Json::Value Parse(std::string_view bytes, std::string* errors)
{
    if (bytes.empty()) {
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string why;
    bool parsed = false;
    try {
        parsed = reader->parse(bytes.data(), bytes.data() + bytes.size(), &document, &why);
    } catch (const Json::Exception& e) {
        why = e.what();
    }
    if (!parsed) {
        if (errors != nullptr) {
            *errors = std::move(why);
        }
        return Json::Value();
    }
    return document;
}

} // namespace orvel::jsontext
