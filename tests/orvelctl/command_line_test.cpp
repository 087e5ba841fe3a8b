// Argument handling, device names, help and exit codes of every command.

#include "run_capture.h"
#include "tools/orvelctl/command_line.h"
#include "tools/orvelctl/device_finder.h"
#include "tools/orvelctl/key_codes.h"

#include <gtest/gtest.h>

namespace orvel::ctl {
namespace {

using testing::RunCtl;

struct NameCase {
    const char* text;
    bool valid;
    const char* canonical;
};

TEST(OrvelctlDeviceName, KindNamesWithOptionalIndex)
{
    const NameCase cases[] = {
        {"mouse", true, "mouse"},       {"MOUSE", true, "mouse"},         {"keyboard", true, "keyboard"},
        {"MousePad", true, "MousePad"}, {"pad", true, "MousePad"},        {"hd", true, "HD"},
        {"headset", true, "HD"},        {"mouse:2", true, "mouse:2"},     {"mouse:1", true, "mouse"},
        {"mouse:0", false, ""},         {"mouse:", false, ""},            {"mouse:x", false, ""},
        {"mouse:-1", false, ""},        {"mouse:99999", false, ""},       {"rat", false, ""},
        {"", false, ""},                {"mouse-receiver", false, ""},
    };
    for (const NameCase& c : cases) {
        const auto name = ParseDeviceName(c.text);
        EXPECT_EQ(name.has_value(), c.valid) << c.text;
        if (name && c.valid) {
            EXPECT_EQ(DeviceNameText(*name), c.canonical) << c.text;
        }
    }
}

TEST(OrvelctlArgs, OptionsFlagsAndErrors)
{
    const AcceptedOptions accepted{{"--json"}, {"--speed"}};
    ParsedArgs parsed;
    std::string error;
    ASSERT_TRUE(ParseArgs({"mouse", "--json", "--speed", "3", "--", "--x"}, accepted, parsed, error));
    EXPECT_EQ(parsed.positional, (std::vector<std::string>{"mouse", "--x"}));
    EXPECT_TRUE(parsed.Has("--json"));
    EXPECT_EQ(parsed.values["--speed"], "3");

    ParsedArgs unknown;
    EXPECT_FALSE(ParseArgs({"--colour", "FF0000"}, accepted, unknown, error));
    EXPECT_NE(error.find("--colour"), std::string::npos);
    ParsedArgs missing;
    EXPECT_FALSE(ParseArgs({"--speed"}, accepted, missing, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    // A lone "-" or a negative number is an argument, not an option.
    ParsedArgs dash;
    ASSERT_TRUE(ParseArgs({"-", "-3"}, accepted, dash, error));
    EXPECT_EQ(dash.positional.size(), 2u);
}

TEST(OrvelctlArgs, NumbersAreWholeAndInRange)
{
    long value = 0;
    EXPECT_TRUE(ParseNumber("12", 1, 50, value));
    EXPECT_EQ(value, 12);
    for (const char* bad : {"", "0", "51", "12x", "x", "-", " 3", "99999999999999999999"})
        EXPECT_FALSE(ParseNumber(bad, 1, 50, value)) << bad;
}

TEST(OrvelctlHelp, EveryCommandHasHelpAndExitsZero)
{
    const ctl::Environment env{nullptr, [] { return false; }};
    const std::vector<std::vector<std::string>> commands = {
        {"list"},           {"info"},           {"status"},         {"read"},          {"profile", "list"},
        {"profile", "select"}, {"profile", "apply"}, {"profile", "add"}, {"profile", "copy"},
        {"profile", "delete"}, {"profile", "rename"}, {"profile", "reset"}, {"profile", "import"},
        {"profile", "export"}, {"set"},          {"macro", "list"},  {"macro", "show"}, {"macro", "import"},
        {"macro", "export"}, {"macro", "delete"}, {"shoot", "write"}, {"keys"},         {"udev-rules"},
    };
    for (auto words : commands) {
        std::string joined = words[0] + (words.size() > 1 ? " " + words[1] : "");
        words.push_back("--help");
        const auto result = RunCtl(words, env);
        EXPECT_EQ(result.code, kExitOk) << joined;
        EXPECT_NE(result.out.find("Usage: orvelctl " + joined), std::string::npos) << joined;
        EXPECT_NE(result.out.find("Exit status"), std::string::npos) << joined;
    }
    const auto general = RunCtl({"--help"}, env);
    EXPECT_EQ(general.code, kExitOk);
    for (const auto& words : commands) {
        std::string joined = words[0] + (words.size() > 1 ? " " + words[1] : "");
        EXPECT_NE(general.out.find("  " + joined + " "), std::string::npos) << joined;
    }
}

struct UsageCase {
    std::vector<std::string> words;
    const char* errorPart;
};

TEST(OrvelctlHelp, WrongCallsAreUsageErrors)
{
    const ctl::Environment env{nullptr, [] { return false; }};
    const UsageCase cases[] = {
        {{}, ""},
        {{"frobnicate"}, "unknown command"},
        {{"profile"}, "ACTION"},
        {{"profile", "explode", "mouse"}, "unknown action"},
        {{"list", "mouse"}, "wrong number of arguments"},
        {{"status"}, "wrong number of arguments"},
        {{"profile", "rename", "mouse", "a", "b", "c"}, "wrong number of arguments"},
        {{"list", "--colour"}, "unknown option"},
        {{"status", "rat"}, "unknown device 'rat'"},
        {{"profile", "list", "toaster"}, "unknown device"},
        {{"macro", "list", "HD"}, "headset has no macros"},
        {{"set", "mouse", "light", "1", "--brightness"}, "needs a value"},
        {{"info", "toaster"}, "unknown device"},
    };
    for (const UsageCase& c : cases) {
        const auto result = RunCtl(c.words, env);
        EXPECT_EQ(result.code, kExitUsage) << (c.words.empty() ? "" : c.words[0]);
        EXPECT_NE((result.err + result.out).find(c.errorPart), std::string::npos) << result.err;
    }
}

TEST(OrvelctlHelp, SettingsAreCheckedBeforeAnyDeviceIsTouched)
{
    // The device list would fail loudly if it were reached: the bus cannot be listed.
    class NoBus : public IHidProbe {
    public:
        bool Enumerate(std::vector<std::string>&) override
        {
            ADD_FAILURE() << "the bus was listed";
            return false;
        }
        bool Probe(const std::string&, ProbeInfo&) override { return false; }
        bool IsPresent(const std::string&) override { return false; }
    } bus;
    const ctl::Environment env{&bus, [] { return false; }};
    const UsageCase usage[] = {
        {{"set", "keyboard", "dpi", "1", "800"}, "mouse setting"},
        {{"set", "mouse", "dpi", "6", "800"}, "stage from 1 to 5"},
        {{"set", "mouse", "dpi", "1", "fast"}, "stage from 1 to 5"},
        {{"set", "mouse", "dpi-stage", "0"}, "stage from 1 to 5"},
        {{"set", "mouse", "polling", "5"}, "0 to 4"},
        {{"set", "keyboard", "polling", "4"}, "0 to 3"},
        {{"set", "pad", "polling", "1"}, "only a mouse or a keyboard"},
        {{"set", "mouse", "option", "winlock", "on"}, "keyboard settings"},
        {{"set", "keyboard", "option", "capslock", "on"}, "unknown option"},
        {{"set", "keyboard", "option", "winlock", "yes"}, "on|off"},
        {{"set", "mouse", "volume", "3"}, "unknown setting"},
        {{"shoot", "write", "keyboard"}, "belongs to the mouse"},
        {{"set", "mouse", "light"}, "wrong number of arguments"},
        {{"set", "mouse", "light", "x"}, "mode's number"},
        {{"set", "mouse", "light", "2", "--brightness", "5"}, "--brightness is 0 to 4"},
        {{"set", "pad", "light", "2", "--speed", "-1"}, "--speed is 0 to 4"},
        {{"set", "pad", "light", "2", "--colour", "FF00"}, "RRGGBB"},
        {{"set", "pad", "light", "2", "--colour", "GG0000"}, "RRGGBB"},
        {{"set", "HD", "light", "2", "--colour", "FF0000", "--seven-colour"}, "either --colour or --seven-colour"},
        {{"set", "keyboard", "key", "170", "A"}, "position from 0 to 169"},
        {{"set", "mouse", "key", "11", "A"}, "position from 0 to 10"},
        {{"set", "mouse", "key", "-1", "A"}, "position from 0 to 10"},
        {{"set", "mouse", "key", "3"}, "use 'key POSITION CODE'"},
        {{"set", "pad", "key", "0", "A"}, "only a mouse or a keyboard has keys"},
        {{"set", "mouse", "key", "0", "Hyper"}, "'Hyper' is neither a key name nor a code"},
        {{"set", "mouse", "key", "0", "10010"}, "neither a key name nor a code"},
        {{"set", "mouse", "key", "0", "0x10010G"}, "neither a key name nor a code"},
        {{"set", "keyboard", "key", "0", "FF0000"}, "no key function has the type FF"},
        {{"set", "keyboard", "key", "0", "0x000000"}, "no key function has the type 00"},
        {{"set", "keyboard", "key", "0", "130100"}, "DPI and gun functions belong to the mouse"},
        {{"set", "keyboard", "key", "0", "720000"}, "DPI and gun functions belong to the mouse"},
        {{"set", "mouse", "key", "0", "720400"}, "gun 00 to 03"},
        {{"keys", "HD"}, "only a mouse or a keyboard has keys"},
    };
    for (const UsageCase& c : usage) {
        const auto result = RunCtl(c.words, env);
        EXPECT_EQ(result.code, kExitUsage) << c.errorPart;
        EXPECT_NE(result.err.find(c.errorPart), std::string::npos) << result.err;
    }
}

struct CodeCase {
    const char* text;
    std::uint32_t code;
};

TEST(OrvelctlKeys, CodesAreKeyNamesInAnyCaseOrHexadecimal)
{
    const CodeCase cases[] = {
        {"A", 0x200004},        {"a", 0x200004},         {"F5", 0x20003E},       {"lctrl", 0x200100},
        {"RWin", 0x208000},     {"Num Enter", 0x200058}, {"numenter", 0x200058}, {"Page Up", 0x20004B},
        {"Space", 0x20002C},    {"B", 0x200005},         {"0", 0x200027},        {"M3", 0xD0A203},
        {"GM", 0xA01B00},       {"100100", 0x100100},    {"0x20003e", 0x20003E}, {"0XA00000", 0xA00000},
        {"700200", 0x700200},
    };
    for (const CodeCase& c : cases) {
        input::AssignmentCode code;
        std::string problem;
        ASSERT_TRUE(ParseKeyCode(c.text, code, problem)) << c.text << ": " << problem;
        EXPECT_EQ(input::ToInteger(code), c.code) << c.text;
    }
}

TEST(OrvelctlKeys, ListingsShowNamesAndFactoryPositions)
{
    const ctl::Environment env{nullptr, [] { return false; }};
    const auto names = RunCtl({"keys"}, env);
    EXPECT_EQ(names.code, kExitOk);
    EXPECT_NE(names.out.find("\nF5 "), std::string::npos) << names.out;
    EXPECT_NE(names.out.find("\nNum Enter "), std::string::npos);
    // A name the table holds twice is listed, and taken, once: the plain key.
    const std::size_t space = names.out.find("\nSpace                 20002C\n");
    ASSERT_NE(space, std::string::npos) << names.out;
    EXPECT_EQ(names.out.find("\nSpace ", space + 1), std::string::npos);

    const auto mouse = RunCtl({"keys", "mouse"}, env);
    EXPECT_EQ(mouse.code, kExitOk);
    EXPECT_NE(mouse.out.find("       0  left (100100)\n"), std::string::npos) << mouse.out;
    EXPECT_NE(mouse.out.find("      10  fire_key (147802)\n"), std::string::npos) << mouse.out;
    const auto keyboard = RunCtl({"keys", "keyboard"}, env);
    EXPECT_NE(keyboard.out.find("      22  1 (20001E)\n"), std::string::npos) << keyboard.out;
    EXPECT_EQ(keyboard.out.find("      18  "), std::string::npos) << "position 18 stands for no key";
}

profiles::KeyEntry Key(std::uint16_t position, std::uint32_t current)
{
    return {profiles::KeyHalf::FromCode(position, current), profiles::KeyHalf::FromCode(position, current)};
}

struct RefusalCase {
    KeyChange change;
    const char* refusal; // empty: allowed
};

TEST(OrvelctlKeys, RefusedChangesSayWhy)
{
    using input::FromInteger;
    const std::vector<profiles::KeyEntry> mouseKeys = {Key(0, 0x100100), Key(1, 0x100200), Key(2, 0x100400)};
    const RefusalCase mouse[] = {
        {{0, FromInteger(0x20003E), true, true}, "key 0 is the only button with the left click"},
        {{0, FromInteger(0x100100), true, true}, ""},
        {{1, FromInteger(0x100100), true, true}, ""},
        {{3, FromInteger(0x20003E), true, true}, "the selected profile has 3 keys, no key 3"},
        {{2, FromInteger(0x20003E), true, false}, "key 2 is not on this device"},
        {{2, FromInteger(0x700100), true, true}, ""},
        {{2, FromInteger(0x710205), true, true}, "there is no macro 3 ('orvelctl macro list' has 2)"},
    };
    for (const RefusalCase& c : mouse) {
        const auto refusal = KeyChangeRefusal(mouseKeys, c.change, 2);
        if (*c.refusal == '\0')
            EXPECT_FALSE(refusal) << *refusal;
        else
            EXPECT_NE(refusal.value_or("").find(c.refusal), std::string::npos) << refusal.value_or("none");
    }
    // With a second left button, either may give its click away; a keyboard has no such rule.
    const std::vector<profiles::KeyEntry> twoLeft = {Key(0, 0x100100), Key(1, 0x100100)};
    EXPECT_FALSE(KeyChangeRefusal(twoLeft, {0, FromInteger(0x20003E), true, true}, 0));
    EXPECT_FALSE(KeyChangeRefusal(mouseKeys, {0, FromInteger(0x20003E), false, true}, 0));
}

} // namespace
} // namespace orvel::ctl
