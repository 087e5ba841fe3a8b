#pragma once
// Reading and writing whole files as bytes in tests.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvel::testing {

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
