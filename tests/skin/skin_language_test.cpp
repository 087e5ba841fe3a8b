// The two language files against the keys the program shows: both carry the same keys, with
// a text for each, and every key of the cores, the default light modes, the language list
// and the layouts is among them.

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <span>
#include <set>
#include <string>
#include <vector>

#include "devices/device_core.h"
#include "input/key_tables.h"
#include "input/key_text.h"
#include "input/shoot_data.h"
#include "tests/skin/skin_reader.h"

namespace {

using Texts = std::map<std::string, std::string>;

const std::filesystem::path kSkin = ORVEL_SOURCE_DIR "/skin";

struct Languages {
    Texts en = skincheck::LoadLanguage(kSkin / "lan_en.xml");
    Texts cn = skincheck::LoadLanguage(kSkin / "lan_cn.xml");
};

const Languages& Files() {
    static const Languages files;
    return files;
}

void ExpectInBoth(const std::string& key, const std::string& where) {
    EXPECT_TRUE(Files().en.count(key)) << where << ": \"" << key << "\" is not in lan_en.xml";
    EXPECT_TRUE(Files().cn.count(key)) << where << ": \"" << key << "\" is not in lan_cn.xml";
}

Json::Value ReadJson(const std::filesystem::path& file) {
    std::ifstream in(file);
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(builder, in, &root, &errors)) << file << ": " << errors;
    return root;
}

TEST(SkinLanguages, BothFilesCarryTheSameKeysEachWithAText) {
    const Languages& f = Files();
    ASSERT_FALSE(f.en.empty());
    for (const auto& [key, text] : f.en) {
        EXPECT_TRUE(f.cn.count(key)) << "\"" << key << "\" is only in lan_en.xml";
        EXPECT_FALSE(text.empty()) << "lan_en.xml: \"" << key << "\" has no text";
    }
    for (const auto& [key, text] : f.cn) {
        EXPECT_TRUE(f.en.count(key)) << "\"" << key << "\" is only in lan_cn.xml";
        EXPECT_FALSE(text.empty()) << "lan_cn.xml: \"" << key << "\" has no text";
    }
}

TEST(SkinLanguages, MessagesKeepTheirNumberAndNothingElseFormats) {
    // The program formats these with one integer; a stray % in any other message would be
    // taken as a format too.
    const std::set<std::string> formatted = {"message_text_16", "message_text_26"};
    for (const Texts* file : {&Files().en, &Files().cn}) {
        for (const auto& [key, text] : *file) {
            if (key.rfind("message_", 0) != 0) continue;
            const size_t percents = std::count(text.begin(), text.end(), '%');
            if (formatted.count(key)) {
                EXPECT_NE(text.find("%d"), std::string::npos) << key;
                EXPECT_EQ(percents, 1u) << key;
            } else {
                EXPECT_EQ(percents, 0u) << key;
            }
        }
    }
}

TEST(SkinLanguages, KeysTheWindowsAndPagesSetByCode) {
    const std::vector<std::string> keys = {
        // Message box texts.
        "message_text_2", "message_text_4", "message_text_5", "message_text_6", "message_text_7", "message_text_16",
        "message_text_22", "message_text_25", "message_text_26",
        // Page texts, the keyboard's lighting directions.
        "Repeat_Delay_Time", "Repeat_input_text", "Key_Set", "light_set_right_to_left_text", "light_set_left_to_right_text",
        "light_set_clockwise_text", "light_set_anticlockwise_text", "light_set_down_to_up_text", "light_set_up_to_down_text",
        "light_set_outside_to_inside_text", "light_set_inside_to_outside_text",
        // The update window and its rows.
        "GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText", "LessUpdateText",
        "NeedUpdateText", "DownloadWaitText", "DownloadIngText", "DownloadOkText", "UpdateIngText", "UpdateOkText",
        "UpdateFailText",
        // Selector cards: tooltips and kind names; the power display's phone.
        "kb_device_name_text", "ms_device_name_text", "hard_mp_device_name_text", "hd_device_name_text", "soft_mp_device_name_text",
        "hub_device_name_text", "unknow_device_name_text", "mouse", "keyboard", "MousePad", "HD", "Phone_type_iphone",
        "Phone_type_samsung", "Phone_type_other", "Phone_type_no_device",
        // The light control button's two texts, set as they are.
        "控制灯光", "不控制灯光",
        // Profile list messages.
        "profile_write_failed_text", "profile_import_invalid_text", "profile_import_too_large_text", "profile_export_missing_text",
    };
    for (const std::string& key : keys) ExpectInBoth(key, "program");
}

TEST(SkinLanguages, KeysOfTheDeviceAndInputCores) {
    ExpectInBoth(orvel::devices::kDeviceNotUpdatedMessage, "devices");
    ExpectInBoth(orvel::devices::kProfileNotSavedMessage, "devices");
    ExpectInBoth(orvel::input::kLeftButtonMessage, "input");
    for (bool checked : {false, true}) {
        ExpectInBoth(orvel::input::HorizontalLabel(checked), "shoot labels");
        ExpectInBoth(orvel::input::VerticalLabel(checked), "shoot labels");
    }
    for (const auto& entry : orvel::input::KeyTable()) ExpectInBoth(entry.nameKey, "key table");
    using List = std::span<const orvel::input::FunctionEntry>;
    for (List list : {orvel::input::MouseButtonList(), orvel::input::DpiList(), orvel::input::MediaList(),
                      orvel::input::SystemList(), orvel::input::CombinationList(), orvel::input::OtherFunctionList()}) {
        for (const auto& entry : list) ExpectInBoth(entry.nameKey, "function list");
    }
    for (const char* name : orvel::input::ShortcutNames()) ExpectInBoth(name, "shortcuts");
    for (const char* name : {orvel::input::kTiltLeftName, orvel::input::kTiltRightName, orvel::input::kWheelUpName,
                             orvel::input::kWheelDownName, orvel::input::kDisabledName}) {
        ExpectInBoth(name, "tilt and wheel");
    }
}

TEST(SkinLanguages, LightModeNamesOfTheDefaultData) {
    const Json::Value modes = ReadJson(std::filesystem::path(ORVEL_SOURCE_DIR) / "DefaultData" / "default_light.json");
    size_t names = 0;
    for (const char* list : {"DefaultLightName", "AreaLightName"}) {
        for (const Json::Value& kind : modes[list]) {
            for (const Json::Value& mode : kind) {
                ExpectInBoth(mode["LightName"].asString(), list);
                ++names;
            }
        }
    }
    EXPECT_GT(names, 0u);
}

TEST(SkinLanguages, EveryLanguageOfTheListHasItsFileAndItsName) {
    const Json::Value list = ReadJson(std::filesystem::path(ORVEL_SOURCE_DIR) / "DefaultData" / "Language.config")["Language"];
    ASSERT_FALSE(list.empty());
    for (const Json::Value& entry : list) {
        EXPECT_TRUE(std::filesystem::exists(kSkin / entry["Language_file"].asString())) << entry["Language_file"].asString();
        ExpectInBoth(entry["Language_text"].asString(), "Language.config");
    }
}

TEST(SkinLanguages, EveryKeyALayoutShows) {
    const skincheck::Skin skin(kSkin);
    size_t keys = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSkin)) {
        const std::filesystem::path& p = entry.path();
        const std::string name = p.filename().string();
        if (p.extension() != ".xml" || name == "res.xml" || name.rfind("lan_", 0) == 0) continue;
        const std::string file = std::filesystem::relative(p, kSkin).generic_string();
        if (file == "XML/theme.xml") continue; // styles only; they act in the layouts that use them
        const skincheck::Layout layout = skin.Load(file, false);
        for (const skincheck::Control* c : layout.All()) {
            if (c->Attr("resourcetext") != "true") continue;
            for (const char* attr : {"text", "tooltip"}) {
                const std::string key = c->Attr(attr);
                if (key.empty()) continue;
                ExpectInBoth(key, file + " " + c->Name());
                ++keys;
            }
        }
    }
    EXPECT_GT(keys, 0u);
}

} // namespace
