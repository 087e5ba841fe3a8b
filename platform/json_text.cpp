#include "platform/json_text.h"

#include <exception>
#include <memory>

namespace orvel::json {

std::optional<Json::Value> Parse(std::string_view text, Comments comments, std::string* errors)
{
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = comments == Comments::Keep;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string why;
    bool parsed = false;
    try {
        parsed = reader->parse(text.data(), text.data() + text.size(), &root, &why);
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (errors != nullptr)
        *errors = why;
    if (!parsed)
        return std::nullopt;
    return root;
}

} // namespace orvel::json
