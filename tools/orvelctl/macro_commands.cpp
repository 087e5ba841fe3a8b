#include "tools/orvelctl/commands.h"

#include "devicelink/device_tables.h"
#include "input/macro_library.h"
#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"

#include <cstdio>

namespace orvel::ctl {

namespace {

using input::MacroLibrary;
using input::MacroStatus;

std::string MacroStatusText(MacroStatus status)
{
    switch (status) {
    case MacroStatus::Done:
        return "done";
    case MacroStatus::NoSelection:
        return "no such macro";
    case MacroStatus::Full:
        return "there are already " + std::to_string(input::kMacroLimit) + " macros";
    case MacroStatus::Blank:
        return "a macro name cannot be blank";
    case MacroStatus::Duplicate:
        return "another macro has that name";
    case MacroStatus::TooLarge:
        return "the file is too large to be a macro";
    case MacroStatus::NotJson:
        return "the file is not a JSON document";
    case MacroStatus::WrongShape:
        return "the file is not a macro (an object with an \"Events\" list of events)";
    case MacroStatus::Failed:
        return "the macro files could not be read or written; nothing was changed";
    }
    return "failed";
}

// A macro name (any case) or its 1-based number; -1 when none matches.
int FindMacro(const MacroLibrary& library, const std::string& argument)
{
    const auto& macros = library.Macros();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        if (profiles::SameNameIgnoringCase(macros[i].name, argument))
            return static_cast<int>(i);
    }
    long number = 0;
    if (ParseNumber(argument, 1, static_cast<long>(macros.size()), number))
        return static_cast<int>(number) - 1;
    return -1;
}

// The document of the selected profile, whose keys the window rewrites after a delete.
std::filesystem::path SelectedProfileDocument(const std::filesystem::path& folder, int kindRow)
{
    profiles::DeviceProfileList list;
    list.SetDeviceKind(KindNumber(kindRow));
    list.SetPaths(folder, profiles::DefaultProfilePath(KindName(kindRow)));
    if (!list.InitProfiles().ok())
        return {};
    return profiles::ProfileDocumentPath(folder, list.GetSelectedIdentifier());
}

std::string Hex2(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

int ShowMacro(const ParsedArgs& args, Context& context, const MacroLibrary& library, int index)
{
    const std::vector<input::MacroEvent> events = library.LoadEvents(index);
    const std::string& name = library.Macros()[static_cast<std::size_t>(index)].name;
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["name"] = name;
        Json::Value list(Json::arrayValue);
        for (const input::MacroEvent& event : events) {
            Json::Value item(Json::objectValue);
            item["down"] = event.down;
            item["type"] = event.type;
            item["button"] = event.button;
            item["delay"] = event.delay;
            item["nameKey"] = input::RowNameKey(event);
            list.append(item);
        }
        document["events"] = list;
        context.PrintJson(document);
        return kExitOk;
    }
    context.out << name << ": " << events.size() << " events\n";
    for (const input::MacroEvent& event : events) {
        const std::string key = input::RowNameKey(event);
        context.out << "  " << (event.down ? "down" : "up  ") << "  type " << Hex2(event.type) << "  button "
                    << Hex2(event.button) << "  then " << event.delay << " ms" << (key.empty() ? "" : "  " + key)
                    << "\n";
    }
    return kExitOk;
}

} // namespace

int MacroCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<DeviceName> device = DeviceArgument(context, args.positional[0], code);
    if (!device)
        return code;
    const int kind = KindNumber(device->kindRow);
    if (kind != kKindMouse && kind != kKindKeyboard)
        return context.Fail(kExitUsage, "the " + std::string(KindDisplayName(device->kindRow)) + " has no macros");
    const std::filesystem::path folder = profiles::ProfileFolder(KindName(device->kindRow));
    if (folder.empty())
        return context.Fail(kExitFailed, "the profile folder could not be created");

    MacroLibrary library(folder);
    library.Load();
    const std::string action = args.command.substr(args.command.find(' ') + 1);
    const auto& pos = args.positional;

    if (action == "list") {
        const auto& macros = library.Macros();
        if (args.Has("--json")) {
            Json::Value list(Json::arrayValue);
            for (std::size_t i = 0; i < macros.size(); ++i) {
                Json::Value item(Json::objectValue);
                item["number"] = static_cast<int>(i) + 1;
                item["name"] = macros[i].name;
                item["guid"] = macros[i].guid;
                item["events"] = static_cast<Json::UInt64>(library.LoadEvents(static_cast<int>(i)).size());
                list.append(item);
            }
            Json::Value document(Json::objectValue);
            document["macros"] = list;
            context.PrintJson(document);
            return kExitOk;
        }
        if (macros.empty())
            context.out << "No macros.\n";
        for (std::size_t i = 0; i < macros.size(); ++i)
            context.out << i + 1 << "  " << macros[i].name << "  (" << library.LoadEvents(static_cast<int>(i)).size()
                        << " events)\n";
        return kExitOk;
    }

    if (action == "import") {
        int index = -1;
        const MacroStatus status = library.Import(pos[1], index);
        if (status != MacroStatus::Done)
            return context.Fail(kExitFailed, pos[1] + ": " + MacroStatusText(status));
        context.out << "added macro '" << library.Macros()[static_cast<std::size_t>(index)].name << "'\n";
        return kExitOk;
    }

    const int index = FindMacro(library, pos[1]);
    if (index < 0)
        return context.Fail(kExitFailed, "no " + std::string(KindDisplayName(device->kindRow)) + " macro named '" +
                                             pos[1] + "'");
    const std::string name = library.Macros()[static_cast<std::size_t>(index)].name;

    if (action == "show")
        return ShowMacro(args, context, library, index);

    if (action == "export") {
        const MacroStatus status = library.Export(index, pos[2]);
        if (status != MacroStatus::Done)
            return context.Fail(kExitFailed, "macro '" + name + "': " + MacroStatusText(status));
        context.out << "exported macro '" << name << "' to " << pos[2] << "\n";
        return kExitOk;
    }

    // delete
    const input::DeleteOutcome outcome = library.Delete(index, SelectedProfileDocument(folder, device->kindRow));
    if (outcome.status != MacroStatus::Done)
        return context.Fail(kExitFailed, "macro '" + name + "': " + MacroStatusText(outcome.status));
    context.out << "deleted macro '" << name << "'";
    if (!outcome.changedProfiles.empty())
        context.out << "; keys changed in " << outcome.changedProfiles.size() << " profile(s)";
    context.out << "\n";
    for (const auto& skipped : outcome.skippedProfiles)
        context.err << "orvelctl: " << skipped.string() << " is unreadable and was left as it was\n";
    if (outcome.currentProfileChanged)
        context.out << "the selected profile's keys changed; the device keeps its keys until the profile is "
                       "applied\n";
    return kExitOk;
}

} // namespace orvel::ctl
