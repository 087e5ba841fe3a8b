// The skin against what the program looks up in it: for every layout, the controls the code
// binds by name, of the kind the code casts them to, with the attributes and pictures the
// code relies on; and the key and LED places the device pages must carry.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "input/key_tables.h"
#include "tests/skin/skin_reader.h"

namespace {

using skincheck::Control;
using skincheck::Layout;
using Kinds = std::vector<std::string>;

const Kinds kAny{};
const Kinds kButton{"Button"};
const Kinds kOption{"Option"};
const Kinds kToggle{"Option", "CheckBox"};
const Kinds kCombo{"Combo"};
const Kinds kEdit{"Edit"};
const Kinds kSlider{"Slider"};
const Kinds kProgress{"Progress"};
const Kinds kLabel{"Label", "Text"};
const Kinds kTab{"TabLayout"};
const Kinds kList{"List"};
const Kinds kKey{"DeviceKeyButton"};
const Kinds kContainer{"Container", "HorizontalLayout", "VerticalLayout", "TabLayout", "TileLayout", "SelectPanel"};
const Kinds kMenuItem{"MenuElement"};

const char* const kMain = "XML_MAIN";
const char* const kMouse = "XML\\DeviceXml\\mousedevice.xml";
const char* const kKeyboard = "XML\\DeviceXml\\keyboarddevice.xml";
const char* const kPad = "XML\\DeviceXml\\mousepaddevice.xml";
const char* const kHeadset = "XML\\DeviceXml\\hs6533device.xml";
const char* const kPages[] = {kMouse, kKeyboard, kPad, kHeadset};

skincheck::Skin& TheSkin() {
    static skincheck::Skin skin(ORVEL_SOURCE_DIR "/skin");
    return skin;
}

const Layout& Load(const std::string& name) {
    static std::map<std::string, Layout> layouts;
    auto it = layouts.find(name);
    if (it == layouts.end()) it = layouts.emplace(name, TheSkin().Load(name)).first;
    return it->second;
}

// "prefix" + n for n in first..last.
std::vector<std::string> Family(const std::string& prefix, int first, int last) {
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n) out.push_back(prefix + std::to_string(n));
    return out;
}

bool IsKind(const Control& c, const Kinds& kinds) {
    return kinds.empty() || std::find(kinds.begin(), kinds.end(), c.tag) != kinds.end();
}

// An attribute the code relies on: its value must be `value`, or only present and not empty
// when `value` is "*".
struct Attr {
    std::string name, value;
};

struct Required {
    std::string layout;
    std::vector<std::string> names;
    Kinds kinds;
    std::vector<Attr> attrs;
};

std::vector<std::string> Names(std::initializer_list<const char*> names) { return {names.begin(), names.end()}; }

std::vector<Required> RequiredControls() {
    std::vector<Required> r;
    auto add = [&](const std::string& layout, std::vector<std::string> names, Kinds kinds, std::vector<Attr> attrs = {}) {
        r.push_back({layout, std::move(names), std::move(kinds), std::move(attrs)});
    };
    // Main window.
    add(kMain, Names({"closebtn", "minbtn", "maxbtn", "restorebtn", "skinbtn", "gamemodebtn", "cloudbtn", "smarteyesbtn",
                      "device_select_prev", "device_select_next", "nodevice_ok_btn"}),
        kButton);
    add(kMain, Names({"setbtn"}), kButton, {{"foreimage", "*"}});
    add(kMain, Names({"device_select_layout"}), {"HorizontalLayout", "VerticalLayout"});
    add(kMain, Names({"device_switch", "device_power_switch"}), kTab);
    add(kMain, Names({"No_device_Link", "setting_progress"}), kAny);
    add(kMain, Names({"control_light_status"}), {"Button", "Label"}, {{"resourcetext", "true"}});
    add(kMain, Names({"str_test"}), {"Label"}, {{"visible", "false"}, {"resourcetext", "true"}});
    // Message box, about box, menus.
    add("XML_MSG", Names({"MessageTitle"}), kLabel);
    add("XML_MSG", Names({"MessageText"}), kLabel);
    add("XML_MSG", Names({"confirm_btn", "cancel_btn", "closebtn"}), kButton);
    add("AboutWnd.xml", Names({"closebtn", "minbtn", "maxbtn", "restorebtn", "homepage_btn", "menubtn"}), kButton);
    add("AboutWnd.xml", Names({"about_version"}), kLabel);
    add("menu.xml", Names({"about_menu", "setwnd_menu", "exit"}), kMenuItem);
    add("XML\\Menus\\macro_action_menu.xml",
        Names({"left_down", "left_up", "left_click", "middle_down", "middle_up", "middle_click", "right_down", "right_up",
               "right_click", "forward_down", "forward_up", "forward_click", "back_down", "back_up", "back_click",
               "redio_previous_record_time", "redio_previous_constant_time", "redio_previous_ignore_time",
               "redio_later_record_time", "redio_later_constant_time", "redio_later_ignore_time", "macro_action_edit"}),
        kMenuItem);
    // Skin popup.
    add("skin.xml", Names({"skin_tab"}), kTab);
    add("skin.xml", Names({"skin_image", "skin_color"}), {"Button", "Option"});
    add("skin.xml", Names({"skin_image_btn"}), kButton, {{"userdata", "*"}});
    add("skin.xml", Names({"skin_color_btn"}), kButton, {{"bkcolor", "*"}});
    add("skin.xml", Names({"skin_reset", "skin_Custom"}), kButton);
    // Settings window and its update row.
    add("setwnd.xml", Names({"closebtn", "laterbtn", "minbtn", "maxbtn", "restorebtn", "set_in_update_wnd_btn", "update_fw_and_ap",
                             "update_OK_btn"}),
        kButton);
    add("setwnd.xml", Names({"update_tishi_layout"}), kContainer);
    add("setwnd.xml", Names({"get_update_tab_layout"}), kTab);
    add("setwnd.xml", Names({"update_status_ring", "update_status_image"}), kAny);
    add("setwnd.xml", Names({"Update_Status_text"}), kLabel, {{"resourcetext", "true"}});
    add("setwnd.xml", Names({"Language_combox_info"}), kCombo);
    add("setwnd.xml", Names({"update_info_list"}), kList);
    const char* row = "XML\\CustomControlXML\\device_Update_list_item.xml";
    add(row, Names({"check_name_select"}), kToggle);
    add(row, Names({"updateRev", "OldRev", "update_progress_value"}), kLabel);
    add(row, Names({"update_status_text"}), kLabel, {{"resourcetext", "true"}});
    add(row, Names({"update_status_ing"}), kProgress);
    add(row, Names({"update_status_ok"}), kAny);
    // Music lighting window.
    add("music.xml", Family("audio_select_tab", 1, 4), kOption, {{"group", "*"}});
    add("music.xml", Names({"audio_r_slider", "audio_g_slider", "audio_b_slider"}), kSlider, {{"min", "0"}, {"max", "9"}});
    add("music.xml", Family("audio_edit_name", 1, 4), kEdit);
    add("music.xml", Names({"okbtn", "closebtn", "maxbtn", "restorebtn"}), kButton);
    // Colour picker.
    add("PalletDialog.xml", Names({"Pallet"}), {"ColorPalette"});
    add("PalletDialog.xml", Names({"color_edit_r", "color_edit_g", "color_edit_b"}), kEdit);
    add("PalletDialog.xml", Names({"color_show_btn"}), kButton, {{"bkcolor", "*"}});
    add("PalletDialog.xml", Family("color_option_", 0, 19), kOption, {{"bkcolor", "*"}, {"group", "*"}});
    add("PalletDialog.xml", Family("collect_color_option_", 0, 19), kOption, {{"group", "*"}});
    add("PalletDialog.xml", Names({"7color"}), {"CheckBox"}, {{"enableautocheck", "true"}});
    add("PalletDialog.xml", Names({"7color_layout"}), kContainer);
    add("PalletDialog.xml", Names({"okbtn", "closebtn", "laterbtn", "minbtn", "maxbtn", "restorebtn", "menubtn"}), kButton);
    // Selector card and power display.
    const char* card = "XML\\CustomControlXML\\DeviceOption.xml";
    add(card, Names({"device_select"}), kOption);
    add(card, Names({"device_select_name"}), kLabel, {{"resourcetext", "true"}});
    add(card, Names({"synchro_device_select"}), kAny);
    const char* power = "XML\\CustomControlXML\\DevicePower.xml";
    add(power, Names({"device_power_Layout"}), kContainer);
    add(power, Names({"device_power_value"}), kLabel);
    add(power, Names({"device_Power_progress"}), kProgress);
    add(power, Names({"device_power_status", "device_wuxian_logo"}), kAny);
    add(power, Names({"device_phone_type"}), kLabel, {{"resourcetext", "true"}});
    // Every device page.
    for (const char* page : kPages) {
        add(page, Names({"device_function_switch", "device_key_function_switch"}), kTab);
        add(page, Names({"default_btn"}), kButton);
        add(page, Names({"text_test"}), {"Label"}, {{"visible", "false"}, {"resourcetext", "true"}});
        add(page, Names({"DeviceProfileItem"}), {"DeviceProfile"});
        add(page, Names({"LightControlItem"}), {"LightControl"});
        add(page, Names({"device_profile_combo"}), kCombo);
        add(page, Names({"device_profile_name_edit"}), kEdit);
        add(page, Names({"profile_menu_layout"}), kContainer);
        add(page, Names({"profile_fun_spread_btn", "device_add_btn", "device_sub_btn", "device_copy_btn", "device_import_btn",
                         "device_export_btn", "device_reset_btn", "device_profile_edit_save_btn"}),
            kButton);
        add(page, Names({"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}), kOption);
        add(page, Names({"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}), kOption, {{"visible", "false"}});
        // The lighting panel; its audio colour controls are looked up on every page.
        add(page, Names({"light_combo_modeSelect", "light_combo_ZZCCmodeSelect", "light_combo_custommodeSelect",
                         "light_combo_audiomodeSelect"}),
            kCombo);
        add(page, Names({"deng_light_slider", "deng_speed_slider"}), kSlider, {{"min", "0"}});
        add(page, Names({"deng_edit_R", "deng_edit_G", "deng_edit_B", "deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"}), kEdit);
        add(page, Names({"deng_Color_Pallet", "deng_audioColor_Pallet"}), {"ColorPalette"});
        add(page, Names({"deng_colordp_btn", "custom_bright_color_btn", "custom_off_color_btn", "deng_same_mode", "Close_bkColor_btn",
                         "music_setting_btn"}),
            kButton);
        add(page, Names({"deng_audiocolordp_btn"}), kButton, {{"bkcolor", "*"}});
        add(page, Family("color_option_", 0, 9), kButton, {{"bkcolor", "*"}});
        add(page, Family("audiocolor_option_", 0, 9), kButton, {{"bkcolor", "*"}});
        add(page, Names({"deng_7color_check", "deng_7audiocolor_check"}), kToggle);
        add(page, Names({"deng_FXL_check", "deng_FXR_check"}), kOption, {{"resourcetext", "true"}});
        add(page, Names({"audio_BkColor_check", "audio_FgColor_check"}), kOption);
        add(page, Names({"lighteffect_layout", "deng_color_layout", "colorpallet_layout", "deng_light_layout", "deng_speed_layout",
                         "deng_fx_layout", "lightcustom_layout", "light_combo_ZZCCmodeSelectLayout", "light_color_layout",
                         "light_combo_AudiomodeSelectLayout", "light_audiocolor_layout", "audiocolorpallet_layout"}),
            kContainer);
        add(page, Names({"light_color_tablayout"}), kTab);
        add(page, Names({"R_light_slider", "G_light_slider", "B_light_slider"}), kSlider);
        add(page, Names({"R_light_label", "G_light_label", "B_light_label"}), kLabel);
    }
    // Keyboard and mouse: key assignment and macros.
    for (const char* page : {kMouse, kKeyboard}) {
        add(page, Names({"KeySetControlItem"}), {"KeySetControl"});
        add(page, Names({"MacroControlItem"}), {"MacroControl"});
        add(page, Names({"keyset_layout", "keyset_macro_cycle_layout"}), kContainer);
        add(page, Names({"function_switch_tablayout"}), kTab);
        add(page, Names({"keyset_function_combo", "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo",
                         "keyset_mousedpi_combo", "keyset_media_combo", "keyset_system_combo", "keyset_macro_combo",
                         "keyset_macro_over_combo", "keyset_gunkey_combo", "keyset_combokey_combo"}),
            kCombo);
        add(page, Names({"keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit", "keyset_mouseswing_speed_edit",
                         "keyset_mousewheel_num_edit", "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
                         "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_keyboard_text_edit",
                         "keyset_macro_cycle_edit"}),
            kEdit);
        add(page, Family("key_ComBox_check_", 0, 4), kOption);
        add(page, Names({"key_butt_keydefalut", "key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}), kButton);
        add(page, Names({"macro_name_list", "macro_action_list"}), kList);
        add(page, Names({"macro_action_layout", "mouse_move_layout"}), kContainer);
        add(page, Names({"macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"}), kAny);
        add(page, Names({"macro_edit_macroname", "mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit",
                         "macro_fixed_time_edit"}),
            kEdit);
        add(page, Names({"macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_save", "macro_btn_cancel",
                         "macro_btn_import", "macro_btn_export", "macro_btn_up", "macro_btn_down", "macro_btn_uptop",
                         "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall", "macro_btn_starredio",
                         "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn", "macro_inset_moveupkey_btn",
                         "macro_inset_movedownkey_btn"}),
            kButton);
        add(page, Names({"macro_btn_stopredio"}), {"Button", "RedioMacroButton"}, {{"visible", "false"}});
        add(page, Names({"macro_check_time"}), kToggle);
    }
    // Mouse page.
    add(kMouse, Names({"mouse_device_seting_layout"}), kTab);
    add(kMouse, Family("mouse_device_seting_option_", 0, 1), kOption);
    add(kMouse, Names({"ShootControlItem"}), {"ShootControl"});
    add(kMouse, Family("DPI_layout_", 0, 4), kContainer);
    add(kMouse, Family("DPI_enable_check_", 0, 4), kToggle);
    add(kMouse, Family("DPI_select_check_", 0, 4), kOption);
    add(kMouse, Family("DPI_slider_", 0, 4), kSlider, {{"sendmove", "true"}});
    add(kMouse, Family("DPI_edit_", 0, 4), kEdit);
    add(kMouse, Family("DPI_color_option_", 0, 4), kButton, {{"bkcolor", "*"}});
    add(kMouse, Family("polling_rate_option_", 0, 4), kOption);
    add(kMouse, Names({"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"}), kSlider);
    add(kMouse, Names({"pointer_precision_check", "scrolls_page_check"}), kToggle);
    add(kMouse, Names({"device_tishi_info"}), kAny);
    add(kMouse, Names({"device_setkeyinfo_list"}), kList);
    add(kMouse, Names({"windowdeviceset_1"}), kButton);
    add(kMouse, Family("shoot_gun_op_", 0, 3), kOption);
    add(kMouse, Family("bullet_op_", 0, 29), kOption);
    add(kMouse, Names({"shoot_image_display_switch"}), kTab);
    add(kMouse, Names({"bullet_select_index"}), kLabel);
    add(kMouse, Names({"bullet_selected_prev", "bullet_selected_next", "shootdate_save_btn", "shootdate_reset_btn",
                       "shootdate_import_btn", "shootdate_export_btn"}),
        kButton);
    add(kMouse, Names({"bullet_edit_layout"}), kContainer);
    add(kMouse, Names({"bullet_x_check", "bullet_y_check"}), kToggle, {{"resourcetext", "true"}});
    add(kMouse, Names({"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"}), kEdit);
    // Keyboard page.
    add(kKeyboard, Names({"keyboard_device_key_light"}), kContainer);
    add(kKeyboard, Names({"device_key_light"}), {"SelectPanel"});
    add(kKeyboard, Family("polling_rate_option_", 0, 3), kOption);
    add(kKeyboard, Names({"winlockflag_option", "wflag_option", "6flag_option"}), kToggle);
    add(kKeyboard, Names({"repeat_rate_slider"}), kSlider);
    add(kKeyboard, Family("repeat_delay_check_", 0, 3), kOption);
    add(kKeyboard, Names({"repeat_delay_time_label1"}), kLabel);
    add(kKeyboard, Names({"repeat_input_richedit"}), {"RichEdit"});
    add(kKeyboard, Names({"reset_repeat_btn", "windowdeviceset_0"}), kButton);
    // Mouse pad and headset pages.
    add(kPad, Names({"mousepad_device_key_light"}), kContainer);
    add(kHeadset, Names({"hs6533_device_key_light"}), kContainer);
    add(kHeadset, Names({"Voice6533ControlItem"}), {"Voice6533Control"});
    add(kHeadset, Names({"MagicControlItem"}), {"MagicControl"});
    add(kHeadset, Family("6533_eq_option_", 1, 13), kOption);
    add(kHeadset, Family("6533_eq_hz_slider_", 0, 9), kSlider, {{"min", "*"}, {"max", "*"}});
    add(kHeadset, Names({"custom_eq_option_layout", "magic_option_layout"}), kContainer);
    add(kHeadset, Names({"custom_eq_name_combo"}), kCombo);
    add(kHeadset, Names({"custom_eq_name_edit"}), kEdit);
    add(kHeadset, Names({"hs_EQ_btn_save", "hs_EQ_btn_delete"}), kButton);
    add(kHeadset, Names({"6533_MicIn_option", "6533_MicMoniter_option", "magic_enable_option"}), kToggle);
    add(kHeadset, Names({"6533_MicIn_slider", "6533_MicMoniter_slider"}), kSlider, {{"min", "0"}, {"max", "100"}});
    add(kHeadset, Family("magic_option_", 1, 4), kOption);
    // The editable list row's content.
    const char* comboRow = "XML\\CustomControlXML\\ComboEditElementItem.xml";
    add(comboRow, Names({"text1", "text2"}), kLabel);
    add(comboRow, Names({"delay_edit"}), kEdit);
    return r;
}

TEST(SkinLayouts, EveryControlTheCodeLooksUpIsThereWithItsKindAndAttributes) {
    for (const Required& req : RequiredControls()) {
        const Layout& layout = Load(req.layout);
        for (const std::string& name : req.names) {
            SCOPED_TRACE(req.layout + ": " + name);
            const std::vector<const Control*> found = layout.Find(name);
            ASSERT_FALSE(found.empty()) << "missing";
            for (const Control* c : found) {
                EXPECT_TRUE(IsKind(*c, req.kinds)) << "is a " << c->tag << " (in " << c->file << ")";
                for (const Attr& a : req.attrs) {
                    if (a.value == "*") {
                        EXPECT_FALSE(c->Attr(a.name).empty()) << a.name << " is not set";
                    } else {
                        EXPECT_EQ(c->Attr(a.name), a.value) << a.name;
                    }
                }
            }
        }
    }
}

TEST(SkinLayouts, RootsAreTheClassesTheProgramCreates) {
    struct Case {
        const char* layout;
        const char* tag;
    };
    const Case cases[] = {
        {kMouse, "QuorsineMouseDevice"},
        {kKeyboard, "QuorsineKeyboardDevice"},
        {kPad, "QuorsineMousePadDevice"},
        {kHeadset, "QuorsineHS6533Device"},
        {"XML\\CustomControlXML\\DeviceOption.xml", "DeviceOption"},
        {"XML\\CustomControlXML\\DevicePower.xml", "MpDevicePower"},
        {"XML\\CustomControlXML\\DeviceProfile.xml", "DeviceProfile"},
        {"XML\\CustomControlXML\\LightControl.xml", "LightControl"},
        {"XML\\CustomControlXML\\KeySetControl.xml", "KeySetControl"},
        {"XML\\CustomControlXML\\MacroControl.xml", "MacroControl"},
        {"XML\\CustomControlXML\\ShootControl.xml", "ShootControl"},
        {"XML\\CustomControlXML\\Voice6533Control.xml", "Voice6533Control"},
        {"XML\\CustomControlXML\\MagicControl.xml", "MagicControl"},
        {"XML\\CustomControlXML\\device_Update_list_item.xml", "UpdateInfoListItem"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.layout).root->tag, c.tag) << c.layout;
    }
    EXPECT_EQ(Load(kMain).root->Name(), "root");
    // The list row builds this file into itself, so its root must not be such a row again.
    const Layout& row = Load("XML\\CustomControlXML\\ComboEditElementItem.xml");
    EXPECT_TRUE(IsKind(*row.root, kContainer)) << row.root->tag;
    EXPECT_TRUE(IsKind(*Load("XML\\CustomControlXML\\VirtualSet.xml").root, kContainer));
}

TEST(SkinLayouts, WindowsSizedFromTheirLayoutSayTheirSize) {
    for (const char* layout : {"XML_MSG", "skin.xml"}) {
        const std::string size = Load(layout).window.count("size") ? Load(layout).window.at("size") : "";
        int w = 0, h = 0;
        EXPECT_EQ(std::sscanf(size.c_str(), "%d,%d", &w, &h), 2) << layout;
        EXPECT_GT(w, 0) << layout;
        EXPECT_GT(h, 0) << layout;
    }
}

TEST(SkinLayouts, MainWindowHoldsTheMacroRowStylesAndAnEmptySelector) {
    const Layout& main = Load(kMain);
    for (const char* style : {"macro_label_keyboard_style", "macro_label_mouse_style", "macro_label_down_style", "macro_label_up_style",
                              "macro_label_text_style"}) {
        EXPECT_TRUE(main.styles.count(style)) << style;
    }
    // The index of a selector card is the device index: nothing else may sit beside the cards.
    EXPECT_TRUE(main.Find("device_select_layout").at(0)->children.empty());
}

// The number of a "prefix" + n name, or -1.
int Number(const std::string& name, const std::string& prefix) {
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) return -1;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) return -1;
    return std::stoi(digits);
}

// The numbers of the key buttons named prefix + n among controls, each counted.
std::map<int, int> Numbered(const std::vector<const Control*>& controls, const std::string& prefix) {
    std::map<int, int> out;
    for (const Control* c : controls) {
        if (c->tag != "DeviceKeyButton") continue;
        const int n = Number(c->Name(), prefix);
        if (n >= 0) ++out[n];
    }
    return out;
}

std::set<int> Range(int first, int last) {
    std::set<int> out;
    for (int n = first; n <= last; ++n) out.insert(n);
    return out;
}

std::set<int> Keys(const std::map<int, int>& counted) {
    std::set<int> out;
    for (const auto& [n, count] : counted) {
        EXPECT_EQ(count, 1) << "number " << n << " appears " << count << " times";
        out.insert(n);
    }
    return out;
}

std::vector<const Control*> Children(const Control& c) {
    std::vector<const Control*> out;
    for (const auto& child : c.children) out.push_back(child.get());
    return out;
}

TEST(SkinLayouts, KeyboardCarriesEveryKeyAndLedPlaceOnItsSelectPanel) {
    const Layout& page = Load(kKeyboard);
    const Control* outer = page.Find("keyboard_device_key_light").at(0);
    const Control* panel = page.Find("device_key_light").at(0);
    // The rubber band and the page's binding see only the panel's direct children.
    const std::vector<const Control*> direct = Children(*panel);
    std::set<int> positions = Range(0, 131);
    positions.insert(152);
    std::set<int> keyed = Range(0, 17);
    for (int p : Range(21, 103)) keyed.insert(p);
    for (int p : Range(105, 127)) keyed.insert(p);
    EXPECT_EQ(Keys(Numbered(direct, "light_")), positions);
    EXPECT_EQ(Keys(Numbered(direct, "key_")), keyed);
    const std::vector<const Control*> below = outer->Descendants();
    EXPECT_NE(std::find(below.begin(), below.end(), panel), below.end());
    for (const Control* c : direct) {
        if (Number(c->Name(), "key_") >= 0) {
            EXPECT_FALSE(c->Attr("keysetimage").empty()) << c->Name();
        }
    }
}

TEST(SkinLayouts, MouseButtonsAndLedsSitOnTheSelectPanelsOfItsTabs) {
    const Layout& page = Load(kMouse);
    const Control* tabs = page.Find("mouse_device_seting_layout").at(0);
    std::vector<const Control*> buttons;
    bool lightPanel = false;
    for (const Control* panel : Children(*tabs)) {
        ASSERT_EQ(panel->tag, "SelectPanel") << "every tab page is a SelectPanel";
        lightPanel = lightPanel || panel->Name() == "mouse_device_key_light";
        for (const Control* c : Children(*panel)) buttons.push_back(c);
    }
    EXPECT_TRUE(lightPanel);
    EXPECT_EQ(Keys(Numbered(buttons, "key_")), Range(0, 10));
    EXPECT_EQ(Keys(Numbered(buttons, "light_0_")), Range(0, 14));
    std::map<int, int> lights = Numbered(buttons, "light_");
    EXPECT_EQ(Keys(lights), Range(0, 14));
    EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(), [](const Control* c) { return c->Name() == "logo" && c->tag == "DeviceKeyButton"; }), 1);
    // The option tab count matches the pages.
    EXPECT_EQ(page.Find("mouse_device_seting_option_" + std::to_string(tabs->children.size())).size(), 0u);
}

TEST(SkinLayouts, PadAndHeadsetLedsSitInTheirContainers) {
    const Control* pad = Load(kPad).Find("mousepad_device_key_light").at(0);
    EXPECT_EQ(Keys(Numbered(Children(*pad), "light_")), Range(0, 14));
    const Control* headset = Load(kHeadset).Find("hs6533_device_key_light").at(0);
    EXPECT_EQ(Keys(Numbered(headset->Descendants(), "light_")), Range(0, 12));
}

TEST(SkinLayouts, KeyAndLedButtonsUseNoNumberOutsideTheirDevice) {
    // The code takes every "key_" n and "light_" n below the page's count; a decorative button
    // must not carry those prefixes, and no number may reach the count.
    struct Case {
        const char* layout;
        int keys, leds;
    };
    for (const Case& c : {Case{kMouse, 11, 15}, Case{kKeyboard, 170, 170}, Case{kPad, 0, 15}, Case{kHeadset, 0, 13}}) {
        for (const Control* b : Load(c.layout).All()) {
            if (b->tag != "DeviceKeyButton" || b->Name() == "logo") continue;
            const std::string name = b->Name();
            const int key = Number(name, "key_"), led = Number(name, "light_"), preview = Number(name, "light_0_");
            EXPECT_TRUE((key >= 0 && key < c.keys) || (led >= 0 && led < c.leds) || (preview >= 0 && preview < c.leds))
                << c.layout << ": " << name;
            EXPECT_TRUE(b->Attr("userdata").rfind("light_", 0) != 0 || std::string(c.layout) != kPad) << name;
        }
    }
}

// The page that holds a control: the index of the child of tabs that contains it, or -1.
int PageOf(const Control& tabs, const Control* c) {
    for (size_t i = 0; i < tabs.children.size(); ++i) {
        const Control* page = tabs.children[i].get();
        if (page == c) return int(i);
        const std::vector<const Control*> below = page->Descendants();
        if (std::find(below.begin(), below.end(), c) != below.end()) return int(i);
    }
    return -1;
}

TEST(SkinLayouts, FunctionTabsShowTheirPanelsOnThePagesTheCodeSelects) {
    struct Case {
        const char* layout;
        const char* tabs;
        const char* control;
        int page;
    };
    const Case cases[] = {
        {kKeyboard, "device_function_switch", "device_key_function_switch", 0},
        {kKeyboard, "device_key_function_switch", "LightControlItem", 0},
        {kKeyboard, "device_key_function_switch", "KeySetControlItem", 1},
        {kKeyboard, "device_function_switch", "MacroControlItem", 1},
        {kKeyboard, "device_function_switch", "polling_rate_option_0", 3},
        {kMouse, "device_function_switch", "device_key_function_switch", 0},
        {kMouse, "device_key_function_switch", "LightControlItem", 0},
        {kMouse, "device_key_function_switch", "KeySetControlItem", 1},
        {kMouse, "device_function_switch", "MacroControlItem", 1},
        {kMouse, "device_function_switch", "DPI_slider_0", 2},
        {kMouse, "device_function_switch", "pointer_speed_slider", 3},
        {kPad, "device_key_function_switch", "LightControlItem", 0},
        {kHeadset, "device_key_function_switch", "LightControlItem", 0},
        {kHeadset, "device_key_function_switch", "Voice6533ControlItem", 1},
        {kHeadset, "device_key_function_switch", "MagicControlItem", 2},
        {"XML\\CustomControlXML\\LightControl.xml", "light_color_tablayout", "deng_Color_Pallet", 0},
        {"XML\\CustomControlXML\\LightControl.xml", "light_color_tablayout", "deng_audioColor_Pallet", 1},
        {"skin.xml", "skin_tab", "skin_image_btn", 0},
        {"skin.xml", "skin_tab", "skin_color_btn", 1},
    };
    for (const Case& c : cases) {
        const Layout& layout = Load(c.layout);
        const Control* tabs = layout.Find(c.tabs).at(0);
        for (const Control* control : layout.Find(c.control)) {
            EXPECT_EQ(PageOf(*tabs, control), c.page) << c.layout << ": " << c.control << " in " << c.tabs;
        }
    }
    // The profile panel stays outside both tab layouts, so its tabs are always there.
    for (const char* page : kPages) {
        const Layout& layout = Load(page);
        const Control* profile = layout.Find("DeviceProfileItem").at(0);
        EXPECT_EQ(PageOf(*layout.Find("device_function_switch").at(0), profile), -1) << page;
    }
    // The headset's 7.1 surround page is page 1 of the function tabs.
    const Control* headsetTabs = Load(kHeadset).Find("device_function_switch").at(0);
    ASSERT_GE(headsetTabs->children.size(), 2u);
    EXPECT_EQ(headsetTabs->children[1]->file, "XML/CustomControlXML/VirtualSet.xml");
}

TEST(SkinLayouts, KeySetPagesFollowTheCategoryNumbers) {
    const Layout& panel = Load("XML\\CustomControlXML\\KeySetControl.xml");
    const Control* tabs = panel.Find("function_switch_tablayout").at(0);
    EXPECT_EQ(tabs->children.size(), 12u);
    const std::pair<const char*, int> pages[] = {
        {"keyset_mousekey_combo", 1},         {"keyset_mouseswing_combo", 2},  {"keyset_mouseswing_num_edit", 2},
        {"keyset_mousewheel_combo", 3},       {"keyset_mousewheel_num_edit", 3}, {"keyset_mousedpi_combo", 4},
        {"keyset_mousefire_interval_edit", 5}, {"keyset_mousefire_num_edit", 5}, {"keyset_keyboard_text_edit", 6},
        {"key_ComBox_check_0", 6},            {"key_ComBox_check_4", 6},       {"keyset_media_combo", 7},
        {"keyset_system_combo", 8},           {"keyset_macro_combo", 9},       {"keyset_macro_over_combo", 9},
        {"keyset_macro_cycle_edit", 9},       {"keyset_gunkey_combo", 10},     {"keyset_combokey_combo", 11},
    };
    for (const auto& [name, page] : pages) EXPECT_EQ(PageOf(*tabs, panel.Find(name).at(0)), page) << name;
    // The function combo finds its items by their category number.
    std::multiset<std::string> categories;
    for (const Control* item : Children(*panel.Find("keyset_function_combo").at(0))) categories.insert(item->Attr("userdata"));
    std::multiset<std::string> expected;
    for (int n = 0; n < 12; ++n) expected.insert(std::to_string(n));
    EXPECT_EQ(categories, expected);
    const Control* cycle = panel.Find("keyset_macro_cycle_layout").at(0);
    const std::vector<const Control*> inCycle = cycle->Descendants();
    EXPECT_NE(std::find(inCycle.begin(), inCycle.end(), panel.Find("keyset_macro_cycle_edit").at(0)), inCycle.end());
}

std::vector<std::string> ItemTexts(const Layout& layout, const std::string& combo) {
    std::vector<std::string> out;
    for (const Control* item : Children(*layout.Find(combo).at(0))) out.push_back(item->Attr("text"));
    return out;
}

std::vector<std::string> NameKeys(std::span<const orvel::input::FunctionEntry> list) {
    std::vector<std::string> out;
    for (const auto& entry : list) out.push_back(entry.nameKey);
    return out;
}

TEST(SkinLayouts, CombosTheCodeOnlySelectsByIndexHoldTheirItemsInOrder) {
    // Item i of these combos is entry i of the key-set panel's lists.
    const Layout& keyset = Load("XML\\CustomControlXML\\KeySetControl.xml");
    EXPECT_EQ(ItemTexts(keyset, "keyset_mousekey_combo"), NameKeys(orvel::input::MouseButtonList()));
    EXPECT_EQ(ItemTexts(keyset, "keyset_mousedpi_combo"), NameKeys(orvel::input::DpiList()));
    EXPECT_EQ(ItemTexts(keyset, "keyset_media_combo"), NameKeys(orvel::input::MediaList()));
    EXPECT_EQ(ItemTexts(keyset, "keyset_system_combo"), NameKeys(orvel::input::SystemList()));
    EXPECT_EQ(ItemTexts(keyset, "keyset_combokey_combo").size(), orvel::input::CombinationList().size());
    struct Count {
        const char* combo;
        size_t items;
    };
    // Tilt and wheel: left/right and up/down; repeat: four modes and a count; four guns.
    for (const Count& c : {Count{"keyset_mouseswing_combo", 2}, Count{"keyset_mousewheel_combo", 2},
                           Count{"keyset_macro_over_combo", 5}, Count{"keyset_gunkey_combo", 4}}) {
        EXPECT_EQ(ItemTexts(keyset, c.combo).size(), c.items) << c.combo;
    }
    const Layout& light = Load("XML\\CustomControlXML\\LightControl.xml");
    EXPECT_EQ(ItemTexts(light, "light_combo_audiomodeSelect").size(), 7u);
    for (const char* combo : {"light_combo_ZZCCmodeSelect", "light_combo_custommodeSelect"}) {
        EXPECT_FALSE(ItemTexts(light, combo).empty()) << combo;
    }
}

TEST(SkinLayouts, ShootPanelShowsAPictureForEveryGun) {
    const Layout& panel = Load("XML\\CustomControlXML\\ShootControl.xml");
    const Control* pictures = panel.Find("shoot_image_display_switch").at(0);
    ASSERT_EQ(pictures->children.size(), 4u);
    for (const auto& page : pictures->children) {
        const std::string file = skincheck::ImageFile(page->Attr("bkimage"));
        EXPECT_FALSE(file.empty());
        EXPECT_TRUE(std::filesystem::exists(TheSkin().Folder() / file)) << file;
    }
}

TEST(SkinLayouts, ColourPickerSwatchesFormTwoGroups) {
    const Layout& dialog = Load("PalletDialog.xml");
    std::set<std::string> presets, collected;
    for (int n = 0; n < 20; ++n) {
        presets.insert(dialog.Find("color_option_" + std::to_string(n)).at(0)->Attr("group"));
        collected.insert(dialog.Find("collect_color_option_" + std::to_string(n)).at(0)->Attr("group"));
    }
    ASSERT_EQ(presets.size(), 1u);
    ASSERT_EQ(collected.size(), 1u);
    EXPECT_NE(*presets.begin(), *collected.begin());
}

// Every layout file of the skin, as its name relative to the skin folder.
std::vector<std::string> AllLayoutFiles() {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TheSkin().Folder())) {
        const std::filesystem::path& p = entry.path();
        if (p.extension() != ".xml") continue;
        const std::string name = p.filename().string();
        if (name == "res.xml" || name.rfind("lan_", 0) == 0) continue;
        // The theme holds styles only; its pictures are checked in the layouts that use them.
        if (name == "theme.xml") continue;
        out.push_back(std::filesystem::relative(p, TheSkin().Folder()).generic_string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(SkinLayouts, EveryPictureALayoutNamesExists) {
    const char* const imageAttributes[] = {"bkimage", "foreimage", "normalimage", "hotimage", "pushedimage", "focusedimage",
                                           "disabledimage", "selectedimage", "selectedhotimage", "selectedpushedimage",
                                           "selectedforeimage", "hotforeimage", "pushedforeimage", "thumbimage", "thumbhotimage",
                                           "thumbpushedimage", "arrowimage", "icon", "keysetimage", "lightimage", "redioimage",
                                           "thumbnormalimage", "userdata"};
    const std::vector<std::string> files = AllLayoutFiles();
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        const Layout layout = TheSkin().Load(file, false);
        for (const Control* c : layout.All()) {
            for (const char* attr : imageAttributes) {
                const std::string image = skincheck::ImageFile(c->Attr(attr));
                if (image.empty() || (std::string(attr) == "userdata" && c->Name() != "skin_image_btn")) continue;
                EXPECT_TRUE(std::filesystem::exists(TheSkin().Folder() / image)) << file << ": " << c->Name() << " " << attr << " " << image;
            }
        }
    }
}

TEST(SkinLayouts, PicturesTheProgramNamesExistAtEveryScale) {
    std::vector<std::string> images = {"Control/SliderBar_BK1.png", "Control/SliderBar1_Thumb.png", "Control/SliderBar2_Thumb.png",
                                       "common/background.png",     "common/base1.png",             "power/powered.png",
                                       "power/wuxian_powering.png", "power/powering.png",           "power/power.png",
                                       "power/Phone_type_iphone.png", "power/Phone_type_samsung.png", "power/Phone_type_other.png",
                                       "power/Phone_type_no_device.png"};
    for (const char* set : {"kb_device", "ms_device", "hard_mp_device", "soft_mp_device", "hd_device", "hub_device", "unknow_device"}) {
        for (const char* suffix : {"_normal.png", "_selected.png", "_synchro_normal.png", "_synchro_selected.png"}) {
            images.push_back(std::string("common/device_ico/") + set + suffix);
        }
    }
    for (const std::string& image : images) {
        const std::string base = image.substr(0, image.size() - 4);
        for (const std::string& file : {image, base + "@150.png", base + "@200.png"}) {
            EXPECT_TRUE(std::filesystem::exists(TheSkin().Folder() / file)) << file;
        }
    }
}

} // namespace
