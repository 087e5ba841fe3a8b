#pragma once
// Profile documents for the device tests: the kind's default document with its device entry
// changed, written as the user's profile.

#include "profiles/jsonfile.h"
#include "tests/devices/emulated_device.h"

#include <functional>

namespace orvel::devices::testing {

inline void WriteProfile(const std::filesystem::path& folder, const std::string& id, const std::string& kindFile,
                         const std::function<void(Json::Value& entry)>& change)
{
    Json::Value document = profiles::LoadJsonFile(SourceDefaultData() / (kindFile + ".Json"));
    change(document["Device"][0]);
    ASSERT_TRUE(profiles::SaveJsonFile(folder / (id + ".Json"), document));
}

} // namespace orvel::devices::testing

#include "input/macro_library.h"

namespace orvel::devices::testing {

// Macros 0 … n-1 in the folder's "macro.config", macro i with eventCounts[i] key events.
inline void WriteMacros(const std::filesystem::path& folder, const std::vector<int>& eventCounts)
{
    input::MacroLibrary library(folder);
    library.Load();
    auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < eventCounts.size(); ++i) {
        int index = -1;
        ASSERT_EQ(library.Add(index, now + std::chrono::milliseconds(i * 10)), input::MacroStatus::Done);
        std::vector<input::MacroEvent> events;
        for (int e = 0; e < eventCounts[i]; ++e) {
            events.push_back({e % 2 == 0, 1, static_cast<std::uint8_t>(4 + i), 10});
        }
        ASSERT_EQ(library.SaveEvents(index, events), input::MacroStatus::Done);
    }
}

} // namespace orvel::devices::testing
