#pragma once
// The registered messages orvel-msg knows by a short name, and how a NAME argument maps to the
// name that travels.

#include <string>
#include <string_view>
#include <vector>

namespace orvel::msgtool {

struct KnownMessage {
    std::string_view shortName; // what the command line takes (any case)
    std::wstring_view name;     // the registered name that travels
    std::string_view meaning;   // one line for --help
};

// The program's registered messages and the game events, in the order --help lists them.
const std::vector<KnownMessage>& KnownMessages();

// The registered name a NAME argument stands for: a short name, or any other text as it is.
std::wstring RegisteredName(std::string_view argument);

// How a registered name is shown: its short name, or the name itself.
std::string ShownName(std::wstring_view name);

} // namespace orvel::msgtool
