#pragma once
// Comparing ASCII texts (methods, hexadecimal digests) without regard to letter case.

#include <cctype>
#include <string_view>

namespace orvel::update {

inline bool SameNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace orvel::update
