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
#include "audio/headset_audio.h"
#include "devicelink/device_tables.h"
#include "devices/device_core.h"
#include "devices/mouse_core.h"
#include "devices/power_report.h"
#include "devices/page_texts.h"
#include "devices/selector_icons.h"
#include "lighting/light_panel_view.h"
#include "profiles/profilelist.h"
#include "platform/text.h"
#include "tests/skin/skin_reader.h"
#include "tests/support/file_text.h"
#include "update/update_look.h"

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
    "lighting/qt/light_control.cpp", "profiles/qt/device_profile.cpp",
    "audio/qt/audio_panels.cpp", "audio/qt/voice_control.cpp", "audio/qt/magic_control.cpp",
    "update/qt/setwnd.cpp", "update/qt/update_info_list_item.cpp",
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

// The lighting panel takes the names of the groups it enables and shows from its rules.
TEST(SkinNames, EveryGroupOfTheLightingRulesIsInTheLightingLayout)
{
    const skincheck::Skin skin(kSource / "skin");
    const skincheck::Layout layout = skin.Load("XML\\CustomControlXML\\LightControl.xml");
    std::set<std::string> names;
    for (const skincheck::Control* c : layout.All())
        names.insert(c->Name());
    for (int kind : {1, 2, 3, 5, 7}) {
        for (int mode = 0; mode < 32; ++mode) {
            for (const lighting::GroupState& group : lighting::LightPanelViewFor(kind, mode, true).groups)
                EXPECT_TRUE(names.count(std::string(group.name))) << "\"" << group.name << "\" is not in LightControl.xml";
        }
    }
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
    for (const char* key : devices::kPageTextKeys)
        keys.insert(key);
    for (const char* key : devices::MouseButtonNameKeys())
        keys.insert(key);
    for (const char* key : {devices::kDeviceNotUpdatedMessage, devices::kProfileNotSavedMessage,
                            devices::kProfileNotLoadedMessage})
        keys.insert(key);
    for (std::uint8_t phone = 0; phone <= 4; ++phone) {
        const std::array<std::uint8_t, 6> report{50, 3, 0, 0, 0, phone};
        keys.insert(devices::DecodePowerReport(report, kKindMousePad, false).phoneText);
    }
    // The pages' and panels' messages and questions.
    for (const char* key : {"message_title", "message_text_22", devices::kDeviceNotUpdatedMessage,
                            devices::kProfileNotSavedMessage, devices::kProfileNotLoadedMessage})
        keys.insert(key);
    for (int rename = profiles::kRenameDuplicate; rename <= profiles::kRenameFailed; ++rename) {
        if (*profiles::RenameMessageKey(rename) != '\0')
            keys.insert(profiles::RenameMessageKey(rename));
    }
    // The direction texts the lighting panel gives the keyboard's modes.
    for (int mode = 0; mode < 32; ++mode) {
        const lighting::LightPanelView view = lighting::LightPanelViewFor(kKindKeyboard, mode, false);
        for (std::string_view text : *view.directionTexts)
            keys.insert(std::string(text));
    }
    // The audio panels' lines and messages, for every mix of what the sound system offers.
    keys.insert({audio::kAudioNotChangedMessage, audio::kEqListFullMessage});
    for (int offered = 0; offered < 64; ++offered) {
        audio::HeadsetAudioView view;
        view.libraryInUse = offered & 1;
        view.micMuteAvailable = view.micLevelAvailable = offered & 2;
        view.monitorMuteAvailable = view.monitorLevelAvailable = offered & 4;
        view.equaliserApplied = offered & 8;
        view.voiceEffectsOffered = offered & 16;
        view.surroundOffered = offered & 32;
        for (const char* key : {audio::EqualiserHint(view), audio::MicrophoneHint(view), audio::VoiceEffectHint(view),
                                audio::SurroundText(view)}) {
            if (key != nullptr)
                keys.insert(key);
        }
    }
    // The settings window: every state of a row and of the page, and its own texts.
    for (int state = update::kRowNothing; state <= update::kRowFailed; ++state) {
        for (bool failed : {false, true}) {
            for (bool program : {false, true}) {
                const update::RowLook look = update::LookOfRow(state, failed, program);
                keys.insert(look.textKey);
                if (look.hintKey != nullptr)
                    keys.insert(look.hintKey);
            }
        }
    }
    for (int status = update::kPageChecking; status <= update::kPageUpdatesOff; ++status)
        keys.insert(update::LookOfPage(status).textKey);
    keys.insert("UpdateOpenFolderFailText");
    for (const update::UpdateProduct& product : update::AllProducts({}))
        keys.insert(update::ProductNameKey(product));
    for (const std::string& key : keys) {
        EXPECT_TRUE(en.count(key)) << "\"" << key << "\" is not in lan_en.xml";
        EXPECT_TRUE(cn.count(key)) << "\"" << key << "\" is not in lan_cn.xml";
    }
}

} // namespace
} // namespace orvel::app
