// What the program's windows and pages look up in the skin: every control name, numbered name
// and class their code asks for exists in the layouts it looks in, and every language key the
// code sets is in both language files.
//
// The code is read, not guessed at: each window or page source names its layouts on a line
// "// Layouts: ..." at its top, and looks controls up in a few idioms with the name written out
// (FindControl(L"..."), FindOnPage(L"..."), Child(L"..."), FindSubControlByName(x, L"..."), the
// message maps' ..._CTRNAME(L"..."), numbered names through NumberAfterPrefix(x, L"...") or
// ORVEL_ON_PREFIX(type, L"...", ...), and classes through FindSubControl(s)ByClass(x, L"...")).

#include "app/window_rules.h"
#include "devicelink/device_tables.h"
#include "devices/power_report.h"
#include "devices/selector_icons.h"
#include "platform/text.h"
#include "tests/skin/skin_reader.h"
#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace orvel::app {
namespace {

const std::filesystem::path kSource = ORVEL_SOURCE_DIR;

// The sources of the program's windows, pages and their controls.
constexpr const char* kSources[] = {
    "app/about_wnd.cpp",         "app/main_wnd.cpp",           "app/main_wnd_devices.cpp",  "app/main_wnd_look.cpp",
    "app/msg_wnd.cpp",           "app/skin_frame.cpp",         "devices/qt/device_option.cpp",
    "devices/qt/device_page.cpp", "devices/qt/device_power.cpp", "devices/qt/headset_page.cpp",
    "devices/qt/keyboard_page.cpp", "devices/qt/mouse_page.cpp", "devices/qt/mousepad_page.cpp",
    "lighting/qt/colour_select_wnd.cpp", "lighting/qt/music_lighting.cpp", "lighting/qt/music_wnd.cpp",
};

struct Lookups {
    std::vector<std::string> layouts;
    std::set<std::string> names, prefixes, classes;
};

std::set<std::string> Matches(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1].str());
    return found;
}

Lookups ReadSource(const std::string& file)
{
    const std::string text = orvel::testing::FileText(kSource / file);
    Lookups l;
    // "// Layouts: A, B," and its continuation lines "//          C".
    const std::size_t at = text.find("// Layouts:");
    if (at != std::string::npos) {
        std::istringstream lines(text.substr(at + 11));
        std::string line;
        bool first = true;
        while (std::getline(lines, line) && (first || line.rfind("//   ", 0) == 0)) {
            if (!first)
                line = line.substr(2);
            first = false;
            std::istringstream items(line);
            std::string item;
            while (std::getline(items, item, ',')) {
                item.erase(0, item.find_first_not_of(' '));
                item.erase(item.find_last_not_of(' ') + 1);
                if (!item.empty())
                    l.layouts.push_back(item);
            }
        }
    }
    for (const char* idiom : {R"re(FindControl\(L"([^"]+)"\))re", R"re(FindOnPage\(L"([^"]+)"\))re", R"re(Child\(L"([^"]+)"\))re",
                              R"re(FindSubControlByName\([^,()]+, L"([^"]+)"\))re", R"re(_CTRNAME\((?:[A-Z_:a-z]+, )?L"([^"]+)")re"}) {
        for (const std::string& name : Matches(text, idiom))
            l.names.insert(name);
    }
    for (const char* idiom : {R"re(NumberAfterPrefix\([^,]+, L"([^"]+)"\))re", R"re(ORVEL_ON_PREFIX\([^,]+, L"([^"]+)")re",
                              R"re(\(L"([A-Za-z0-9_]+_)" \+ std::to_wstring)re"}) {
        for (const std::string& prefix : Matches(text, idiom))
            l.prefixes.insert(prefix);
    }
    for (const std::string& c : Matches(text, R"re(FindSubControls?ByClass\([^,]+, L"([^"]+)"\))re"))
        l.classes.insert(c);
    return l;
}

TEST(SkinNames, EveryNameAndClassTheCodeLooksUpIsInItsLayouts)
{
    const skincheck::Skin skin(kSource / "skin");
    std::size_t lookups = 0;
    for (const char* file : kSources) {
        SCOPED_TRACE(file);
        const Lookups l = ReadSource(file);
        ASSERT_FALSE(l.layouts.empty()) << file << " names no layouts";
        std::set<std::string> names, tags;
        for (const std::string& layout : l.layouts) {
            const skincheck::Layout built = skin.Load(layout);
            for (const skincheck::Control* c : built.All()) {
                names.insert(c->Name());
                tags.insert(c->tag);
            }
        }
        for (const std::string& name : l.names)
            EXPECT_TRUE(names.count(name)) << "\"" << name << "\" is in none of its layouts";
        for (const std::string& prefix : l.prefixes) {
            const bool numbered = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                return n.size() > prefix.size() && n.compare(0, prefix.size(), prefix) == 0 &&
                       n.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
            });
            EXPECT_TRUE(numbered) << "no control of its layouts is named \"" << prefix << "\" and a number";
        }
        for (const std::string& c : l.classes)
            EXPECT_TRUE(tags.count(c)) << "no control of its layouts is a " << c;
        lookups += l.names.size() + l.prefixes.size() + l.classes.size();
    }
    EXPECT_GT(lookups, 0u) << "the scan found no lookups: has the idiom changed?";
}

TEST(SkinNames, EveryKeyTheCodeSetsIsInBothLanguageFiles)
{
    const auto en = skincheck::LoadLanguage(kSource / "skin" / "lan_en.xml");
    const auto cn = skincheck::LoadLanguage(kSource / "skin" / "lan_cn.xml");
    std::set<std::string> keys{text::ToUtf8(kLightControlText), text::ToUtf8(kNoLightControlText)};
    for (const DeviceKindRow& row : DeviceKindTable) {
        keys.insert(std::string(row.kindName)); // the selector card's name
        keys.insert(devices::IconSetFor(row.kind, row.sub).tooltipKey);
    }
    for (std::uint8_t phone = 0; phone <= 4; ++phone) {
        const std::array<std::uint8_t, 6> report{50, 3, 0, 0, 0, phone};
        keys.insert(devices::DecodePowerReport(report, kKindMousePad, false).phoneText);
    }
    for (const std::string& key : keys) {
        EXPECT_TRUE(en.count(key)) << "\"" << key << "\" is not in lan_en.xml";
        EXPECT_TRUE(cn.count(key)) << "\"" << key << "\" is not in lan_cn.xml";
    }
}

} // namespace
} // namespace orvel::app
