#include "tools/orvelctl/orvelctl.h"

#include "app/instance.h"
#include "devicelink/hid_adapters.h"
#include "tools/orvelctl/commands.h"

#include <vector>
#include <cctype>
#include <string_view>

namespace orvel::ctl {

namespace {

struct CommandEntry {
    std::string_view words;    // "profile list"
    std::string_view synopsis; // arguments after the words
    std::string_view summary;
    std::string_view details;
    std::size_t minArgs;
    std::size_t maxArgs;
    Handler handler;
    bool json = false;
    std::vector<const char*> valued = {};
    std::vector<const char*> flags = {};
};

constexpr std::string_view kDeviceHelp =
    "DEVICE is a kind name: mouse, keyboard, MousePad (or pad), HD (or headset), any case,\n"
    "optionally with :N for the N-th device of that kind (mouse:2). 'orvelctl list' shows them.\n";

constexpr std::string_view kProfileHelp =
    "PROFILE is a profile name (any case) or its number in 'orvelctl profile list'; without it\n"
    "the selected profile is used. Only 'select' and 'delete' of the selected profile change\n"
    "which profile is selected. Profiles are the same files the window uses.\n";

constexpr std::string_view kMacroHelp =
    "MACRO is a macro name (any case) or its number in 'orvelctl macro list'. Macros belong\n"
    "to a mouse or keyboard; they are the same files the window uses.\n";

const CommandEntry kCommands[] = {
    {"list", "[--json]", "list the devices present",
     "Shows every supported device: DEVICE name, kind, vendor:product, cable or receiver,\n"
     "whether it answers, and its battery.\n",
     0, 0, ListCommand, true},
    {"info", "DEVICE [--json]", "show the device information record decoded", "", 1, 1, InfoCommand, true},
    {"status", "DEVICE [--json]", "show the device's power status",
     "Reads the power report: battery percent and charge state (a mouse pad also shows\n"
     "the phone lying on it).\n",
     1, 1, StatusCommand, true},
    {"read", "DEVICE [--json]", "read and show the settings block (a mouse or keyboard stores it)",
     "Reads the device's tables and its active settings block and shows it decoded. A mouse or\n"
     "keyboard stores the lighting (and the mouse its current DPI stage) into the selected\n"
     "profile, as the window does on a device's request; a mouse pad or headset keeps it.\n",
     1, 1, ReadCommand, true},
    {"profile list", "DEVICE [--json]", "list the profiles; * marks the selected one", "", 1, 1, ProfileCommand,
     true},
    {"profile select", "DEVICE PROFILE", "select a profile and write it to the device",
     "Runs the window's profile switch: settings block, macros, then keys.\n", 2, 2,
     SelectCommand},
    {"profile apply", "DEVICE", "write the selected profile to the device",
     "Runs the window's profile switch for the selected profile.\n", 1, 1, SelectCommand},
    {"profile add", "DEVICE", "add a profile made from the default profile", "", 1, 1, ProfileCommand},
    {"profile copy", "DEVICE [PROFILE]", "add a copy of a profile", "", 1, 2, ProfileCommand},
    {"profile delete", "DEVICE [PROFILE]", "delete a profile (never the only one)", "", 1, 2, ProfileCommand},
    {"profile rename", "DEVICE [PROFILE] NEWNAME", "rename a profile", "", 2, 3, ProfileCommand},
    {"profile reset", "DEVICE [PROFILE]", "reset a profile to the default profile", "", 1, 2, ProfileCommand},
    {"profile import", "DEVICE FILE", "add a profile from a .json file", "", 2, 2, ProfileCommand},
    {"profile export", "DEVICE [PROFILE] FILE", "write a profile to a .json file", "", 2, 3, ProfileCommand},
    {"set", "DEVICE WHAT ...", "change a setting in the selected profile and write the device",
     "  set DEVICE light MODE [--brightness N] [--speed N] [--direction N]\n"
     "                        [--colour RRGGBB | --seven-colour]\n"
     "  set mouse dpi STAGE DPI\n"
     "  set mouse dpi-stage N\n"
     "  set DEVICE polling N             (N: the polling-rate index, mouse 0-4, keyboard 0-3)\n"
     "  set mouse|keyboard key POSITION CODE\n"
     "  set keyboard option winlock|wflag|6key on|off\n"
     "  set HD mic LEVEL | set HD mic mute on|off\n"
     "  set HD monitor LEVEL | set HD monitor mute on|off\n"
     "  set HD eq PRESET | set HD eq custom NAME\n"
     "MODE is the number of a light mode of the kind; brightness and speed are 0 to 4.\n"
     "STAGE counts from 1.\n"
     "POSITION is the key's place in the profile's key list: mouse buttons 0 to 10, keyboard\n"
     "positions 0 to 169; 'orvelctl keys mouse' or 'orvelctl keys keyboard' lists them with\n"
     "their factory function. CODE is a key name (any case, e.g. A, F5, LCtrl, \"Num Enter\";\n"
     "'orvelctl keys' lists them) or an assignment code TTB1B2 in hexadecimal (100100 left\n"
     "button, A00000 disabled, 70NN00 macro NN+1 of 'orvelctl macro list'). The key is stored\n"
     "in the selected profile, then the macros the keys use and the key table are written\n"
     "to the device.\n"
     "A mouse always keeps one button with the left click.\n"
     "The headset's LEVEL is 0 to 100 and PRESET 1 to 12; NAME is a custom equaliser saved in\n"
     "the window. They go to the sound server as the headset page sends them and are stored\n"
     "in the selected profile ('orvelctl audio HD' shows what the sound server offers).\n",
     3, 4, SetCommand, false, {"--brightness", "--speed", "--direction", "--colour"},
     {"--seven-colour"}},
    {"audio", "HD [--json]", "show the headset's microphone, monitor, equaliser and voice effects",
     "Shows what the audio library reports of the headset's sound devices: levels and mutes\n"
     "as the sound server has them, the equaliser of the selected profile, and every property\n"
     "the library does not offer.\n",
     1, 1, AudioCommand, true},
    {"macro list", "DEVICE [--json]", "list the macros with their event counts", "", 1, 1, MacroCommand, true},
    {"macro show", "DEVICE MACRO [--json]", "show the events of a macro", "", 2, 2, MacroCommand, true},
    {"macro import", "DEVICE FILE", "add a macro from a .mac file", "", 2, 2, MacroCommand},
    {"macro export", "DEVICE MACRO FILE", "write a macro to a .mac file", "", 3, 3, MacroCommand},
    {"macro delete", "DEVICE MACRO", "delete a macro; keys on it return to their default",
     "Keys of every profile that run the macro return to their default and keys on later\n"
     "macros are renumbered, as in the window.\n",
     2, 2, MacroCommand},
    {"shoot write", "mouse", "write the shoot data to the mouse",
     "Writes the four guns' shoot files of the mouse's profile folder to the mouse.\n", 1, 1, ShootCommand},
    {"keys", "[DEVICE]", "list the key names CODE takes, or a device's key positions",
     "Without DEVICE: every key name 'set DEVICE key' takes, with its assignment code.\n"
     "With mouse or keyboard: each POSITION with the function it has from the factory.\n",
     0, 1, KeysCommand},
    {"show", "", "bring the running VARNO Orvel 80 window to the front",
     "Does what a second start of the program does. Fails when no window runs.\n", 0, 0, ShowCommand},
    {"update check", "[--json]", "list every product with its installed and offered version",
     "Asks the update service about the program and about the firmware of each connected\n"
     "mouse, keyboard and mouse pad (the first of each kind). Products whose device is not\n"
     "connected or cannot be read are listed with the reason and not asked about. Exits with\n"
     "1 when a check failed or updates are off.\n",
     0, 0, UpdateCheckCommand, true},
    {"update download", "PRODUCT", "download the newer package of a product and print its path",
     "PRODUCT is MS (mouse), KB (keyboard), P71 (mouse pad) or AP (the program), any case.\n"
     "The package goes to $XDG_CACHE_HOME/varno-orvel-80/UpdateData/; it is never run.\n",
     1, 1, UpdateDownloadCommand},
    {"udev-rules", "", "print udev rules giving the logged-in user access to the devices",
     "Save them as /etc/udev/rules.d/70-varno-orvel-80.rules and run\n"
     "'udevadm control --reload && udevadm trigger'.\n",
     0, 0, UdevRulesCommand},
};

constexpr std::string_view kExitHelp =
    "Exit status: 0 done; 1 a device, link or file operation failed or was refused (also while\n"
    "the VARNO Orvel 80 window runs: it owns the devices then); 2 wrong command line.\n";

void PrintGeneralHelp(std::ostream& out)
{
    out << "orvelctl - configure VARNO Orvel 80 devices from a terminal\n\n"
           "Usage: orvelctl COMMAND [ARGUMENTS] [--json]\n"
           "       orvelctl COMMAND --help\n\nCommands:\n";
    for (const CommandEntry& entry : kCommands) {
        std::string line = "  " + std::string(entry.words) + " " + std::string(entry.synopsis);
        if (line.size() < 40)
            line.resize(40, ' ');
        else
            line += "\n" + std::string(40, ' ');
        out << line << entry.summary << "\n";
    }
    out << "\n" << kDeviceHelp << "\n" << kExitHelp;
}

void PrintCommandHelp(std::ostream& out, const CommandEntry& entry)
{
    out << "Usage: orvelctl " << entry.words << " " << entry.synopsis << "\n\n"
        << static_cast<char>(std::toupper(static_cast<unsigned char>(entry.summary[0]))) << entry.summary.substr(1)
        << ".\n";
    if (!entry.details.empty())
        out << "\n" << entry.details;
    if (entry.json)
        out << "\n--json   print the result as a JSON document\n";
    if (entry.synopsis.find("DEVICE") != std::string_view::npos)
        out << "\n" << kDeviceHelp;
    if (entry.words.starts_with("profile"))
        out << "\n" << kProfileHelp;
    if (entry.words.starts_with("macro"))
        out << "\n" << kMacroHelp;
    out << "\n" << kExitHelp;
}

void PrintGroupHelp(std::ostream& out, std::string_view group)
{
    out << "Usage: orvelctl " << group << " ACTION ...\n\n";
    for (const CommandEntry& entry : kCommands) {
        if (entry.words.starts_with(std::string(group) + " "))
            out << "  orvelctl " << entry.words << " " << entry.synopsis << "\n      " << entry.summary << "\n";
    }
    out << "\n'orvelctl " << group << " ACTION --help' describes one action.\n";
}

const CommandEntry* FindCommand(const std::vector<std::string>& words, std::size_t& used)
{
    for (const CommandEntry& entry : kCommands) {
        const std::size_t space = entry.words.find(' ');
        if (space == std::string_view::npos) {
            if (!words.empty() && words[0] == entry.words) {
                used = 1;
                return &entry;
            }
        } else if (words.size() >= 2 && words[0] == entry.words.substr(0, space) &&
                   words[1] == entry.words.substr(space + 1)) {
            used = 2;
            return &entry;
        }
    }
    return nullptr;
}

bool IsGroup(std::string_view word)
{
    return word == "profile" || word == "macro" || word == "shoot" || word == "update";
}

bool WindowHoldsInstance()
{
    return app::InstanceRuns();
}

} // namespace

int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const Environment& env)
{
    CHidProbe systemProbe;
    Context context{out, err, env.probe != nullptr ? *env.probe : systemProbe,
                    env.windowRunning ? env.windowRunning : std::function<bool()>(WindowHoldsInstance)};

    if (words.empty()) {
        PrintGeneralHelp(err);
        return kExitUsage;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintGeneralHelp(out);
        return kExitOk;
    }
    std::size_t used = 0;
    const CommandEntry* entry = FindCommand(words, used);
    if (entry == nullptr) {
        if (IsGroup(words[0])) {
            const bool help = words.size() == 1 || words[1] == "--help" || words[1] == "-h";
            if (help && words.size() > 1) {
                PrintGroupHelp(out, words[0]);
                return kExitOk;
            }
            if (words.size() > 1)
                err << "orvelctl: unknown action '" << words[1] << "' of '" << words[0] << "'\n";
            PrintGroupHelp(err, words[0]);
            return kExitUsage;
        }
        err << "orvelctl: unknown command '" << words[0] << "' (see 'orvelctl --help')\n";
        return kExitUsage;
    }

    AcceptedOptions accepted;
    if (entry->json)
        accepted.flags.insert("--json");
    for (const char* flag : entry->flags)
        accepted.flags.insert(flag);
    for (const char* option : entry->valued)
        accepted.valued.insert(option);
    ParsedArgs args;
    args.command = std::string(entry->words);
    std::string error;
    const std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(used), words.end());
    if (!ParseArgs(rest, accepted, args, error)) {
        err << "orvelctl " << entry->words << ": " << error << "\n";
        return kExitUsage;
    }
    if (args.help) {
        PrintCommandHelp(out, *entry);
        return kExitOk;
    }
    if (args.positional.size() < entry->minArgs || args.positional.size() > entry->maxArgs) {
        err << "orvelctl " << entry->words << ": wrong number of arguments\nUsage: orvelctl " << entry->words
            << " " << entry->synopsis << "\n";
        return kExitUsage;
    }
    return entry->handler(args, context);
}

} // namespace orvel::ctl
