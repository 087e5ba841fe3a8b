#pragma once
// The words of one orvelctl call split into positional arguments, flags and options with a
// value, checked against what the command accepts.

#include "tools/orvelctl/exit_codes.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvel::ctl {

struct AcceptedOptions {
    std::set<std::string> flags;   // "--json"
    std::set<std::string> valued;  // "--brightness" N
};

struct ParsedArgs {
    std::string command; // the command's words, e.g. "profile list"
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    bool help = false;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0 || values.count(flag) != 0; }
};

// Splits words; false with an error text for an unknown option or an option without its value.
// "--help" and "-h" set help; "--" ends the options.
bool ParseArgs(const std::vector<std::string>& words, const AcceptedOptions& accepted, ParsedArgs& parsed, std::string& error);

// A whole decimal number in [low, high]; false for anything else ("12x", "", "-").
bool ParseNumber(const std::string& text, long low, long high, long& value);

} // namespace orvel::ctl
