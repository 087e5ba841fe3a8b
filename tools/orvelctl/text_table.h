#pragma once
// Rows of words printed as aligned columns, two spaces apart.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace orvel::ctl {

inline void PrintColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> width;
    for (const auto& row : rows) {
        width.resize(std::max(width.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i)
            width[i] = std::max(width[i], row[i].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(width[i] - row[i].size() + 2, ' ');
        }
        out << line << "\n";
    }
}

} // namespace orvel::ctl
