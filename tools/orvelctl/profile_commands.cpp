#include "tools/orvelctl/commands.h"

#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"

namespace orvel::ctl {

namespace {

using profiles::DeviceProfileList;
using profiles::ProfileResult;
using profiles::ProfileStatus;

std::string ProfileStatusText(ProfileStatus status)
{
    switch (status) {
    case ProfileStatus::Done:
        return "done";
    case ProfileStatus::NoSelection:
        return "no profile is selected";
    case ProfileStatus::LimitReached:
        return "there are already " + std::to_string(profiles::kMaxProfiles) + " profiles";
    case ProfileStatus::LastProfile:
        return "the only profile cannot be deleted";
    case ProfileStatus::NotAProfile:
        return "the file is not a profile (a JSON object with \"profilename\" and \"profileUUID\")";
    case ProfileStatus::TooLarge:
        return "the file is too large to be a profile";
    case ProfileStatus::SourceMissing:
        return "the profile's document is missing or unreadable";
    case ProfileStatus::WriteFailed:
        return "the profile files could not be written; nothing was changed";
    }
    return "failed";
}

std::string IdentifierOf(const DeviceProfileList& list, int index)
{
    return list.GetProfilePath(index).stem().string();
}

int IndexOfIdentifier(const DeviceProfileList& list, const std::string& id)
{
    for (int i = 0; i < static_cast<int>(list.Names().size()); ++i) {
        if (IdentifierOf(list, i) == id)
            return i;
    }
    return -1;
}

// A profile name (any case) or its 1-based number; -1 when none matches.
int FindProfile(const DeviceProfileList& list, const std::string& argument)
{
    const auto& names = list.Names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (profiles::SameNameIgnoringCase(names[i], argument))
            return static_cast<int>(i);
    }
    long number = 0;
    if (ParseNumber(argument, 1, static_cast<long>(names.size()), number))
        return static_cast<int>(number) - 1;
    return -1;
}

// The device's profile list, read as the window reads it.
class ProfileSession {
public:
    ProfileSession(Context& context, int kindRow) : context_(context), kindRow_(kindRow) {}

    int Open()
    {
        int code = kExitOk;
        if (!DefaultProfilePresent(context_, kindRow_, code))
            return code;
        const std::string_view kind = KindName(kindRow_);
        const std::filesystem::path folder = profiles::ProfileFolder(kind);
        if (folder.empty())
            return context_.Fail(kExitFailed, "the profile folder of the " + std::string(KindDisplayName(kindRow_)) +
                                                  " could not be created");
        list_.SetDeviceKind(KindNumber(kindRow_));
        list_.SetPaths(folder, profiles::DefaultProfilePath(kind));
        const ProfileResult result = list_.InitProfiles();
        if (!result.ok())
            return context_.Fail(kExitFailed, "profiles of the " + std::string(KindDisplayName(kindRow_)) + ": " +
                                                  ProfileStatusText(result.status));
        return kExitOk;
    }

    // Selects the profile an action works on: the named one, or the selected one.
    int Target(const std::string* argument)
    {
        previousId_ = list_.GetSelectedIdentifier();
        if (argument == nullptr)
            return list_.GetSelectedIndex() >= 0 ? kExitOk : context_.Fail(kExitFailed, "no profile is selected");
        const int index = FindProfile(list_, *argument);
        if (index < 0)
            return context_.Fail(kExitFailed, "no " + std::string(KindDisplayName(kindRow_)) + " profile named '" +
                                                  *argument + "'");
        if (index != list_.GetSelectedIndex() && !list_.SetSelectedProfile(index).ok())
            return context_.Fail(kExitFailed, "the profile list could not be written");
        return kExitOk;
    }

    // Selects again the profile that was selected before Target, when it still exists. Written
    // even when the index looks unchanged: Add stores the new profile as selected in the list
    // file without changing the list object's own selection.
    void RestoreSelection()
    {
        const int index = IndexOfIdentifier(list_, previousId_);
        if (index >= 0)
            list_.SetSelectedProfile(index);
    }

    int Report(const ProfileResult& result, const std::string& done)
    {
        if (!result.ok()) {
            RestoreSelection();
            return context_.Fail(kExitFailed, ProfileStatusText(result.status));
        }
        context_.out << done << "\n";
        return kExitOk;
    }

    DeviceProfileList& List() { return list_; }
    const std::string& PreviousId() const { return previousId_; }

private:
    Context& context_;
    int kindRow_;
    DeviceProfileList list_;
    std::string previousId_;
};

int ListProfiles(const ParsedArgs& args, Context& context, ProfileSession& session)
{
    DeviceProfileList& list = session.List();
    const auto& names = list.Names();
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["selected"] = list.GetSelectedIndex() + 1;
        Json::Value items(Json::arrayValue);
        for (std::size_t i = 0; i < names.size(); ++i) {
            Json::Value item(Json::objectValue);
            item["number"] = static_cast<int>(i) + 1;
            item["name"] = names[i];
            item["id"] = IdentifierOf(list, static_cast<int>(i));
            item["selected"] = static_cast<int>(i) == list.GetSelectedIndex();
            items.append(item);
        }
        document["profiles"] = items;
        context.PrintJson(document);
        return kExitOk;
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        context.out << (static_cast<int>(i) == list.GetSelectedIndex() ? "* " : "  ") << i + 1 << "  " << names[i]
                    << "\n";
    return kExitOk;
}

} // namespace

bool DefaultProfilePresent(Context& context, int kindRow, int& code)
{
    const std::filesystem::path file = profiles::DefaultProfilePath(KindName(kindRow));
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error))
        return true;
    code = context.Fail(kExitFailed, "the default " + std::string(KindDisplayName(kindRow)) + " profile " +
                                         file.string() + " is missing; the installation is incomplete");
    return false;
}

int ProfileCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<DeviceName> device = DeviceArgument(context, args.positional[0], code);
    if (!device)
        return code;
    ProfileSession session(context, device->kindRow);
    if ((code = session.Open()) != kExitOk)
        return code;
    DeviceProfileList& list = session.List();
    const std::string action = args.command.substr(args.command.find(' ') + 1);
    const auto& pos = args.positional;
    const auto quoted = [](const std::string& name) { return "'" + name + "'"; };

    if (action == "list")
        return ListProfiles(args, context, session);

    if (action == "add" || action == "copy" || action == "import") {
        const std::string* target = action == "copy" && pos.size() == 2 ? &pos[1] : nullptr;
        if ((code = session.Target(target)) != kExitOk)
            return code;
        const ProfileResult result = action == "add"    ? list.AddProfile()
                                     : action == "copy" ? list.CopyProfile()
                                                        : list.ImportProfile(pos[1]);
        const std::string added = result.ok() && !list.Names().empty() ? list.Names().back() : std::string();
        session.RestoreSelection();
        return session.Report(result, "added profile " + quoted(added));
    }

    if (action == "delete") {
        if ((code = session.Target(pos.size() == 2 ? &pos[1] : nullptr)) != kExitOk)
            return code;
        const bool wasSelected = list.GetSelectedIdentifier() == session.PreviousId();
        const std::string name = list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())];
        const ProfileResult result = list.DeleteProfile();
        if (!result.ok())
            return session.Report(result, "");
        if (!wasSelected) {
            session.RestoreSelection();
            return session.Report(result, "deleted profile " + quoted(name));
        }
        return session.Report(result, "deleted profile " + quoted(name) + "; profile " +
                                          quoted(list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())]) +
                                          " is selected now (the device keeps its settings until the profile "
                                          "is applied)");
    }

    if (action == "rename") {
        if ((code = session.Target(pos.size() == 3 ? &pos[1] : nullptr)) != kExitOk)
            return code;
        const std::string old = list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())];
        const std::string renamedId = list.GetSelectedIdentifier();
        const int result = list.RenameProfile(pos.back());
        session.RestoreSelection();
        switch (result) {
        case profiles::kRenameDone: {
            const int index = IndexOfIdentifier(list, renamedId);
            const std::string now = index >= 0 ? list.Names()[static_cast<std::size_t>(index)] : pos.back();
            context.out << "renamed profile " << quoted(old) << " to " << quoted(now) << "\n";
            return kExitOk;
        }
        case profiles::kRenameDuplicate:
            return context.Fail(kExitFailed, "another profile is already named " + quoted(pos.back()));
        case profiles::kRenameBlank:
            return context.Fail(kExitFailed, "a profile name cannot be blank");
        default:
            return context.Fail(kExitFailed, "the profile could not be renamed");
        }
    }

    if (action == "reset") {
        if ((code = session.Target(pos.size() == 2 ? &pos[1] : nullptr)) != kExitOk)
            return code;
        const std::string name = list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())];
        const ProfileResult result = list.ResetProfile();
        session.RestoreSelection();
        return session.Report(result, "reset profile " + quoted(name) + " to the default profile");
    }

    // export
    if ((code = session.Target(pos.size() == 3 ? &pos[1] : nullptr)) != kExitOk)
        return code;
    const std::string name = list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())];
    const ProfileResult result = list.ExportProfile(pos.back());
    session.RestoreSelection();
    return session.Report(result, "exported profile " + quoted(name) + " to " + pos.back());
}

} // namespace orvel::ctl
