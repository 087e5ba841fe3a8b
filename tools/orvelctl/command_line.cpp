#include "tools/orvelctl/command_line.h"

#include <charconv>

namespace orvel::ctl {

bool ParseArgs(const std::vector<std::string>& words, const AcceptedOptions& accepted, ParsedArgs& parsed, std::string& error)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-' || (word[1] != '-' && word != "-h")) {
            parsed.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            parsed.help = true;
        } else if (accepted.flags.count(word) != 0) {
            parsed.flags.insert(word);
        } else if (accepted.valued.count(word) != 0) {
            if (i + 1 >= words.size()) {
                error = "option " + word + " needs a value";
                return false;
            }
            parsed.values[word] = words[++i];
        } else {
            error = "unknown option " + word;
            return false;
        }
    }
    return true;
}

bool ParseNumber(const std::string& text, long low, long high, long& value)
{
    long parsed = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace orvel::ctl
