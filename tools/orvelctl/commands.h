#pragma once
// What the commands share: their streams, the device services, and the steps every device and
// profile command starts with.

#include "tools/orvelctl/command_line.h"
#include "tools/orvelctl/device_finder.h"

#include <json/value.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace orvel::ctl {

struct Context {
    std::ostream& out;
    std::ostream& err;
    IHidProbe& probe;
    std::function<bool()> windowRunning;

    // "orvelctl: <text>" on the error stream; returns code.
    int Fail(int code, const std::string& text) const;
    // The JSON document on the output stream.
    void PrintJson(const Json::Value& document) const;
};

// The device named by the argument, refused while the window runs and when it is not present.
// Writes the error and sets code when it returns nullopt.
std::optional<FoundDevice> FindNamedDevice(Context& context, const std::string& argument, int& code);
// The device name of an argument, or a usage error.
std::optional<DeviceName> DeviceArgument(Context& context, const std::string& argument, int& code);

// Whether the kind's default profile is installed: without it no profile can be made, so
// nothing is created and the error names the missing file.
bool DefaultProfilePresent(Context& context, int kindRow, int& code);

using Handler = int (*)(const ParsedArgs&, Context&);

int ListCommand(const ParsedArgs& args, Context& context);
int StatusCommand(const ParsedArgs& args, Context& context);
int UdevRulesCommand(const ParsedArgs& args, Context& context);
int ProfileCommand(const ParsedArgs& args, Context& context);
int MacroCommand(const ParsedArgs& args, Context& context);
int InfoCommand(const ParsedArgs& args, Context& context);
int ReadCommand(const ParsedArgs& args, Context& context);
// "profile select" and "profile apply": the window's profile-switch sequence.
int SelectCommand(const ParsedArgs& args, Context& context);
int SetCommand(const ParsedArgs& args, Context& context);
int ShootCommand(const ParsedArgs& args, Context& context);
// "keys": the key names CODE takes, or a mouse's or keyboard's positions.
int KeysCommand(const ParsedArgs& args, Context& context);
// "audio": the headset's audio as the library reports it; "set HD mic|monitor|eq".
int AudioCommand(const ParsedArgs& args, Context& context);
bool IsAudioSetting(const std::string& what);
int SetAudioCommand(const ParsedArgs& args, Context& context);

// "update check" and "update download PRODUCT".
int UpdateCheckCommand(const ParsedArgs& args, Context& context);
int UpdateDownloadCommand(const ParsedArgs& args, Context& context);

// "show": brings the running window to the front, as a second start of the program does.
int ShowCommand(const ParsedArgs& args, Context& context);

// The udev rules text: uaccess for every vendor:product of the match table.
std::string UdevRulesText();

} // namespace orvel::ctl
