#pragma once
// Small helpers of the profile tests: JSON from text, and a file's bytes.

#include <json/reader.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
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

inline std::string FileText(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteText(const std::filesystem::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

} // namespace orvel::testing
