#pragma once
// JSON from text in the profile tests (and the file helpers they use with it).

#include <json/reader.h>

#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvel::testing {

inline Json::Value ParseJson(const std::string& text)
{
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value v;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &v, &errors)) << errors << "\n" << text;
    return v;
}

} // namespace orvel::testing
