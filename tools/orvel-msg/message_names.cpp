#include "tools/orvel-msg/message_names.h"

#include "app/app_messages.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>

namespace orvel::msgtool {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const std::vector<KnownMessage>& KnownMessages()
{
    static const std::vector<KnownMessage> known = {
        {"instance", app::kInstanceMessageName, "a second start: the window comes to the front (0 1)"},
        {"update-status", app::kUpdateStatusMessageName, "an update-progress notice for the settings window"},
        {"light-owner", app::kLightOwnerMessageName,
         "broadcast by the program: it takes (1 1) or gives up (1 0) the lighting"},
        {"light-control", app::kLightControlMessageName, "asks the program to take (1 1) or give up (1 0) the lighting"},
        {"worktool-query", app::kWorkToolQueryMessageName, "asks for the device-kind table (see 'worktool')"},
        {"audio-record", app::kAudioRecordMessageName, "the program's commands to the audio capture program"},
        {"Game_Start", app::kGameMessageNames[0], "a game event: a light mode for five seconds (below)"},
        {"Game_End", app::kGameMessageNames[1], "a game event, as Game_Start"},
        {"Game_Kill", app::kGameMessageNames[2], "a game event, as Game_Start"},
        {"Game_Death", app::kGameMessageNames[3], "a game event, as Game_Start"},
    };
    return known;
}

std::wstring RegisteredName(std::string_view argument)
{
    for (const KnownMessage& m : KnownMessages()) {
        if (sameIgnoringCase(argument, m.shortName))
            return std::wstring(m.name);
    }
    return text::FromUtf8(argument);
}

std::string ShownName(std::wstring_view name)
{
    for (const KnownMessage& m : KnownMessages()) {
        if (name == m.name)
            return std::string(m.shortName);
    }
    return text::ToUtf8(name);
}

} // namespace orvel::msgtool
