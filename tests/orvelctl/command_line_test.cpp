// Argument handling, device names, help and exit codes of every command.

#include "run_capture.h"
#include "tools/orvelctl/command_line.h"
#include "tools/orvelctl/device_finder.h"

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
        {"macro", "export"}, {"macro", "delete"}, {"shoot", "write"}, {"udev-rules"},
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
    };
    for (const UsageCase& c : usage) {
        const auto result = RunCtl(c.words, env);
        EXPECT_EQ(result.code, kExitUsage) << c.errorPart;
        EXPECT_NE(result.err.find(c.errorPart), std::string::npos) << result.err;
    }
    const auto key = RunCtl({"set", "keyboard", "key", "5", "A"}, env);
    EXPECT_EQ(key.code, kExitFailed);
    EXPECT_NE(key.err.find("not available yet"), std::string::npos) << key.err;
}

} // namespace
} // namespace orvel::ctl
