#include "app/ini_file.h"

#include "platform/atomicfile.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace orvel::app {
namespace {

constexpr std::size_t npos = std::string::npos;

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return Trim(line.substr(1, line.size() - 2));
}

// Whether the line is "key=..." for this key.
bool IsKeyLine(std::string_view line, std::string_view key, std::string_view* value)
{
    const std::size_t eq = line.find('=');
    if (eq == npos || !EqualNoCase(Trim(line.substr(0, eq)), key))
        return false;
    *value = Trim(line.substr(eq + 1));
    return true;
}

} // namespace

IniFile IniFile::Load(const std::filesystem::path& file)
{
    IniFile ini;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ini.lines_.push_back(line);
    }
    return ini;
}

std::size_t IniFile::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionOf(lines_[i]); name && EqualNoCase(*name, section))
            return i;
    }
    return npos;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const
{
    const std::size_t header = FindSection(section);
    if (header == npos)
        return std::nullopt;
    for (std::size_t i = header + 1; i < lines_.size() && !SectionOf(lines_[i]); ++i) {
        std::string_view value;
        if (IsKeyLine(lines_[i], key, &value))
            return std::string(value);
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::size_t header = FindSection(section);
    if (header == npos) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(entry);
        return;
    }
    std::size_t end = header + 1;
    for (; end < lines_.size() && !SectionOf(lines_[end]); ++end) {
        std::string_view old;
        if (IsKeyLine(lines_[end], key, &old)) {
            lines_[end] = entry;
            return;
        }
    }
    // After the section's last non-empty line.
    while (end > header + 1 && Trim(lines_[end - 1]).empty())
        --end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), entry);
}

bool IniFile::Save(const std::filesystem::path& file) const
{
    std::string text;
    for (const std::string& line : lines_)
        text += line + "\r\n";
    return atomicfile::WriteFileAtomically(file, text);
}

} // namespace orvel::app
