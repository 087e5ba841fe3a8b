#include "tools/orvelctl/commands.h"

#include "devicelink/device_tables.h"
#include "devices/headset_device.h"
#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "devices/mouse_dpi.h"
#include "devices/mousepad_device.h"
#include "input/macro_library.h"
#include "lighting/led_buffer.h"
#include "profiles/profilefiles.h"
#include "profiles/profilelist.h"
#include "tools/orvelctl/device_session.h"
#include "tools/orvelctl/key_codes.h"

#include <cstdio>
#include <memory>

namespace orvel::ctl {

namespace {

using devices::DeviceFolders;
using devices::KeyboardCore;
using devices::MouseCore;

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// One device opened with its kind's protocol core, its profile list read, the selected
// profile loaded and the device's tables read, as the window has them after an attach.
class CoreSession {
public:
    explicit CoreSession(Context& context) : context_(context) {}

    // Takes the command's name and opens the device its first argument names; code is set
    // when it returns false.
    bool Open(const ParsedArgs& args, int& code)
    {
        SetCommand(args.command);
        return Open(args.positional[0], code);
    }

    // code is set when it returns false.
    bool Open(const std::string& argument, int& code)
    {
        const std::optional<FoundDevice> found = FindNamedDevice(context_, argument, code);
        if (!found)
            return false;
        name_ = DeviceNameText(found->name);
        kindRow_ = found->name.kindRow;
        const int kind = KindNumber(kindRow_);
        session_ = std::make_unique<DeviceSession>(*found);
        if (session_->Open() != kLinkOk) {
            code = context_.Fail(kExitFailed, name_ + ": cannot be opened (no access? see 'orvelctl udev-rules')");
            return false;
        }
        if (!session_->Reachable()) {
            code = context_.Fail(kExitFailed, name_ + ": not reachable through its receiver");
            return false;
        }
        if (!DefaultProfilePresent(context_, kindRow_, code))
            return false;
        const std::string folderName(KindName(kindRow_));
        DeviceFolders folders{profiles::ProfileFolder(folderName), profiles::DefaultDataFolder(), folderName};
        list_.SetDeviceKind(kind);
        list_.SetPaths(folders.profileFolder, folders.DefaultProfile());
        if (folders.profileFolder.empty() || !list_.InitProfiles().ok()) {
            code = context_.Fail(kExitFailed, name_ + ": the profile list could not be read");
            return false;
        }
        if (kind == kKindMouse) {
            mouse_ = std::make_unique<MouseCore>(session_->Link(), folders);
            core_ = mouse_.get();
        } else if (kind == kKindKeyboard) {
            keyboard_ = std::make_unique<KeyboardCore>(session_->Link(), folders);
            core_ = keyboard_.get();
        } else if (kind == kKindMousePad) {
            ring_ = std::make_unique<devices::CMousePadCore>(session_->Link(), folders);
            core_ = ring_.get();
        } else {
            ring_ = std::make_unique<devices::CHeadsetCore>(session_->Link(), folders);
            core_ = ring_.get();
        }
        core_->SetKind(found->ViaReceiver() ? (kind == kKindMouse ? kKindMouseReceiver : kKindKeyboardReceiver)
                                            : kind);
        core_->SetWirelessCapable(DevicePageTable[static_cast<std::size_t>(kindRow_)].wirelessCapable != 0);
        core_->SetProfileIdentifier(list_.GetSelectedIdentifier());
        // As the window: what the page does when it is made, then the device-ready read.
        int status = core_->Start();
        if (status == kLinkOk)
            status = core_->LoadFromDevice();
        if (status == devices::kProfileNotLoaded) {
            code = Failed("the selected profile", status);
            return false;
        }
        if (status != kLinkOk) {
            code = Failed("reading the device", status);
            return false;
        }
        return true;
    }

    int Failed(const std::string& what, int status)
    {
        return context_.Fail(kExitFailed, name_ + ": " + what + ": " + LinkStatusText(status));
    }

    int Refuse(const std::string& text) { return context_.Fail(kExitFailed, name_ + ": " + text); }

    void SetCommand(const std::string& command) { current_ = command; }
    const std::string& Name() const { return name_; }
    devices::DeviceCore& Core() { return *core_; }
    MouseCore* Mouse() { return mouse_.get(); }
    KeyboardCore* Keyboard() { return keyboard_.get(); }
    devices::CRingDeviceCore* Ring() { return ring_.get(); }
    profiles::DeviceProfileList& List() { return list_; }

    // The profile-switch sequence of the window: settings, macros, keys.
    int SwitchProfile()
    {
        core_->SetProfileIdentifier(list_.GetSelectedIdentifier());
        lighting::LedBuffer leds(DevicePageTable[static_cast<std::size_t>(kindRow_)].ledCount);
        const devices::SequenceResult result = mouse_      ? mouse_->SwitchProfile()
                                               : keyboard_ ? keyboard_->SwitchProfile(leds)
                                                           : ring_->SwitchProfile();
        for (const devices::UserMessage& message : result.messages)
            context_.err << "orvelctl: " << name_ << ": " << message.key
                         << (message.hasNumber ? " " + std::to_string(message.number) : "") << "\n";
        if (result.status != kLinkOk)
            return Failed("writing the profile", result.status);
        return kExitOk;
    }

private:
    Context& context_;
    std::string name_;
    std::string current_;
    int kindRow_ = -1;
    std::unique_ptr<DeviceSession> session_;
    profiles::DeviceProfileList list_;
    std::unique_ptr<MouseCore> mouse_;
    std::unique_ptr<KeyboardCore> keyboard_;
    std::unique_ptr<devices::CRingDeviceCore> ring_;
    devices::DeviceCore* core_ = nullptr;
};

// The lighting without a direction, as a pad's or headset's block holds it (its byte 4 is the
// device's own).
Json::Value LightJson(const devices::RingLight& light)
{
    Json::Value value(Json::objectValue);
    value["mode"] = light.mode;
    value["brightness"] = light.brightness;
    value["speed"] = light.speed;
    value["sevenColour"] = light.sevenColour;
    value["colour"] = Hex(light.red, 2) + Hex(light.green, 2) + Hex(light.blue, 2);
    return value;
}

// A mouse's or keyboard's lighting record, with its direction.
Json::Value LightJson(const profiles::LightRecord& light)
{
    Json::Value value = LightJson(devices::RingLight{light.selectItem, light.light, light.speed, light.multiColor != 0,
                                                     light.red, light.green, light.blue});
    value["direction"] = light.fx;
    return value;
}

} // namespace

int InfoCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<FoundDevice> found = FindNamedDevice(context, args.positional[0], code);
    if (!found)
        return code;
    const std::string name = DeviceNameText(found->name);
    if (KindNumber(found->name.kindRow) == kKindHeadset)
        return context.Fail(kExitFailed, name + ": the headset has no information record");
    DeviceSession session(*found);
    if (session.Open() != kLinkOk)
        return context.Fail(kExitFailed, name + ": cannot be opened (no access? see 'orvelctl udev-rules')");
    if (!session.Reachable())
        return context.Fail(kExitFailed, name + ": not reachable through its receiver");
    std::array<std::uint8_t, devices::kDeviceInfoSize> info{};
    const int status = session.Link().ReadDeviceInfo(info);
    if (status != kLinkOk)
        return context.Fail(kExitFailed, name + ": device information: " + LinkStatusText(status));

    const devices::DpiRule dpi = devices::DpiRule::FromDeviceInfo(info);
    Json::Value document(Json::objectValue);
    document["device"] = name;
    document["kind"] = info[0];
    document["profiles"] = info[1];
    document["keys"] = info[5];
    document["macroMemory"] = info[6] * 128;
    document["leds"] = info[7];
    document["firmware"] = std::to_string(info[33]) + "." + Hex(info[32], 2);
    if (dpi.Editable()) {
        document["sensor"] = Hex(dpi.sensorId, 4);
        document["dpiStep"] = dpi.step;
        document["dpiLevels"] = dpi.levels;
        document["dpiLowest"] = dpi.lowest;
        document["dpiHighest"] = dpi.LevelToDpi(dpi.levels);
    }
    if (args.Has("--json")) {
        context.PrintJson(document);
        return kExitOk;
    }
    context.out << name << ": firmware " << document["firmware"].asString() << ", " << int(info[1])
                << " on-board profiles, " << int(info[5]) << " keys, " << int(info[7]) << " LEDs, "
                << info[6] * 128 << " bytes of macro memory\n";
    if (dpi.Editable())
        context.out << "sensor " << document["sensor"].asString() << ": " << dpi.lowest << " to "
                    << dpi.LevelToDpi(dpi.levels) << " DPI in " << dpi.levels << " levels\n";
    return kExitOk;
}

int ReadCommand(const ParsedArgs& args, Context& context)
{
    CoreSession session(context);
    int code = kExitOk;
    if (!session.Open(args, code))
        return code;
    devices::RingRead ringRead;
    const int status = session.Ring() != nullptr ? (ringRead = session.Ring()->ReadSettingsBlock()).status
                                                 : session.Core().ResyncFromDevice();
    if (status != kLinkOk)
        return session.Failed("reading the settings", status);
    // The mouse and keyboard store what they read into the profile, as their resync does; the
    // pad and headset keep their profiles as they are, as theirs does.
    const bool stored = session.Ring() == nullptr;
    Json::Value document(Json::objectValue);
    document["device"] = session.Name();
    document["profile"] = session.List().Names()[static_cast<std::size_t>(session.List().GetSelectedIndex())];
    document["storedIntoProfile"] = stored;
    if (MouseCore* mouse = session.Mouse()) {
        document["activeBank"] = mouse->BlockCopy()[0];
        document["light"] = LightJson(mouse->Light());
        Json::Value stages(Json::arrayValue);
        for (const profiles::DpiStage& stage : mouse->Profile().GetDpiStages()) {
            Json::Value item(Json::objectValue);
            item["enabled"] = stage.enabled != 0;
            item["dpi"] = mouse->Dpi().LevelToDpi(stage.levelX);
            item["dpiY"] = mouse->Dpi().LevelToDpi(stage.levelY);
            stages.append(item);
        }
        document["dpiStages"] = stages;
        document["dpiStage"] = mouse->Profile().GetActiveDpiStage() + 1;
    } else if (KeyboardCore* keyboard = session.Keyboard()) {
        const devices::KeyboardSettings& s = keyboard->Settings();
        document["activeBank"] = s.activeProfile;
        document["light"] = LightJson(keyboard->Light());
    } else if (devices::CRingDeviceCore* ring = session.Ring()) {
        document["activeBank"] = ringRead.bank;
        document["light"] = LightJson(ring->BlockLight());
    }
    if (args.Has("--json")) {
        context.PrintJson(document);
        return kExitOk;
    }
    const Json::Value& light = document["light"];
    const std::string profile = "'" + document["profile"].asString() + "'";
    context.out << session.Name() << ": on-board profile " << document["activeBank"].asInt() + 1
                << (stored ? ", stored into profile " + profile : ", profile " + profile + " left as it is") << "\n"
                << "light mode " << light["mode"].asInt() << ", brightness " << light["brightness"].asInt()
                << ", speed " << light["speed"].asInt()
                << (light.isMember("direction") ? ", direction " + std::to_string(light["direction"].asInt()) : "")
                << ", " << (light["sevenColour"].asBool() ? "seven colours" : "colour " + light["colour"].asString())
                << "\n";
    if (document.isMember("dpiStages")) {
        context.out << "DPI stages:";
        int n = 1;
        for (const Json::Value& stage : document["dpiStages"]) {
            context.out << " " << (n == document["dpiStage"].asInt() ? "*" : "") << stage["dpi"].asInt()
                        << (stage["enabled"].asBool() ? "" : "(off)");
            ++n;
        }
        context.out << "\n";
    }
    return kExitOk;
}

int SelectCommand(const ParsedArgs& args, Context& context)
{
    CoreSession session(context);
    int code = kExitOk;
    if (!session.Open(args, code))
        return code;
    profiles::DeviceProfileList& list = session.List();
    if (args.command == "profile select") {
        const auto& names = list.Names();
        int index = -1;
        for (std::size_t i = 0; i < names.size() && index < 0; ++i)
            if (profiles::SameNameIgnoringCase(names[i], args.positional[1]))
                index = static_cast<int>(i);
        long number = 0;
        if (index < 0 && ParseNumber(args.positional[1], 1, static_cast<long>(names.size()), number))
            index = static_cast<int>(number) - 1;
        if (index < 0)
            return context.Fail(kExitFailed, session.Name() + ": no profile named '" + args.positional[1] + "'");
        if (!list.SetSelectedProfile(index).ok())
            return context.Fail(kExitFailed, "the profile list could not be written");
    }
    if ((code = session.SwitchProfile()) != kExitOk)
        return code;
    context.out << session.Name() << ": profile '"
                << list.Names()[static_cast<std::size_t>(list.GetSelectedIndex())] << "' written to the device\n";
    return kExitOk;
}

namespace {

bool OnOff(const std::string& word, int& value)
{
    if (word != "on" && word != "off")
        return false;
    value = word == "on" ? 1 : 0;
    return true;
}

// What "set" was asked to do, checked before any device is touched.
struct SetRequest {
    enum class What { Dpi, DpiStage, Polling, Option, Light, Key } what = What::Dpi;
    int stage = 0;
    std::string dpi;
    int value = 0;
    devices::KeyboardOption option = devices::KeyboardOption::PollingRate;
    // Light: the mode index and the changes asked for; -1 keeps the profile's value.
    int mode = 0;
    int brightness = -1;
    int speed = -1;
    int direction = -1;
    int sevenColour = -1;
    std::uint32_t colour = 0;
    // Key: the position in the profile's key list and its new code.
    int position = 0;
    input::AssignmentCode code;
};

bool ParseColour(const std::string& text, std::uint32_t& colour)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    colour = static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
    return true;
}

// The light options; false with the usage text set.
bool ParseLight(const ParsedArgs& args, SetRequest& request, std::string& problem)
{
    long number = 0;
    if (args.positional.size() != 3 || !ParseNumber(args.positional[2], 0, 255, number)) {
        problem = "use 'light MODE' with the mode's number";
        return false;
    }
    request.mode = static_cast<int>(number);
    const struct {
        const char* option;
        long highest;
        int* field;
    } numbers[] = {{"--brightness", 4, &request.brightness},
                   {"--speed", 4, &request.speed},
                   {"--direction", 255, &request.direction}};
    for (const auto& n : numbers) {
        const auto value = args.values.find(n.option);
        if (value == args.values.end())
            continue;
        if (!ParseNumber(value->second, 0, n.highest, number)) {
            problem = std::string(n.option) + " is 0 to " + std::to_string(n.highest);
            return false;
        }
        *n.field = static_cast<int>(number);
    }
    const auto colour = args.values.find("--colour");
    if (colour != args.values.end() && args.Has("--seven-colour")) {
        problem = "use either --colour or --seven-colour";
        return false;
    }
    if (colour != args.values.end()) {
        if (!ParseColour(colour->second, request.colour)) {
            problem = "--colour is RRGGBB in hexadecimal";
            return false;
        }
        request.sevenColour = 0;
    }
    if (args.Has("--seven-colour"))
        request.sevenColour = 1;
    request.what = SetRequest::What::Light;
    return true;
}

std::optional<SetRequest> ParseSet(const ParsedArgs& args, Context& context, int kindRow, int& code)
{
    const auto& pos = args.positional;
    const std::string& what = pos[1];
    const int kind = KindNumber(kindRow);
    const auto usage = [&](const std::string& text) {
        code = context.Fail(kExitUsage, "set: " + text + " (see 'orvelctl set --help')");
        return std::nullopt;
    };
    SetRequest request;
    long number = 0;
    if (what == "key") {
        if (kind != kKindMouse && kind != kKindKeyboard)
            return usage("only a mouse or a keyboard has keys");
        const long highest = HighestKeyPosition(kind);
        if (pos.size() != 4 || !ParseNumber(pos[2], 0, highest, number))
            return usage("use 'key POSITION CODE' with a position from 0 to " + std::to_string(highest));
        std::string problem;
        if (!ParseKeyCode(pos[3], request.code, problem))
            return usage(problem);
        namespace t = input::codetype;
        const std::uint8_t type = request.code.type;
        if (kind == kKindKeyboard && (type == t::kDpiStep || type == t::kDpiShift || type == t::kGunKey))
            return usage("DPI and gun functions belong to the mouse");
        if (type == t::kGunKey && request.code.b1 >= input::kGunCount)
            return usage("a gun key names gun 00 to 03");
        request.what = SetRequest::What::Key;
        request.position = static_cast<int>(number);
        return request;
    }
    if (what == "light") {
        std::string problem;
        if (!ParseLight(args, request, problem))
            return usage(problem);
        return request;
    }
    if (what == "dpi" || what == "dpi-stage") {
        if (kind != kKindMouse)
            return usage(what + " is a mouse setting");
        if (what == "dpi" && pos.size() == 4 && ParseNumber(pos[2], 1, devices::kMouseStages, number) &&
            ParseNumber(pos[3], 1, 100000, number)) {
            request.what = SetRequest::What::Dpi;
            ParseNumber(pos[2], 1, devices::kMouseStages, number);
            request.stage = static_cast<int>(number) - 1;
            request.dpi = pos[3];
            return request;
        }
        if (what == "dpi-stage" && pos.size() == 3 && ParseNumber(pos[2], 1, devices::kMouseStages, number)) {
            request.what = SetRequest::What::DpiStage;
            request.stage = static_cast<int>(number) - 1;
            return request;
        }
        return usage("use 'dpi STAGE DPI' or 'dpi-stage N' with a stage from 1 to 5");
    }
    if (what == "polling") {
        const long highest = kind == kKindMouse ? 4 : 3;
        if (kind != kKindMouse && kind != kKindKeyboard)
            return usage("only a mouse or a keyboard has a polling rate");
        if (pos.size() != 3 || !ParseNumber(pos[2], 0, highest, number))
            return usage("the polling-rate index is 0 to " + std::to_string(highest));
        request.what = SetRequest::What::Polling;
        request.value = static_cast<int>(number);
        return request;
    }
    if (what == "option") {
        if (kind != kKindKeyboard)
            return usage("options are keyboard settings");
        if (pos.size() != 4 || !OnOff(pos[3], request.value))
            return usage("use 'option winlock|wflag|6key on|off'");
        if (pos[2] == "winlock")
            request.option = devices::KeyboardOption::WinLock;
        else if (pos[2] == "wflag")
            request.option = devices::KeyboardOption::WFlag;
        else if (pos[2] == "6key")
            request.option = devices::KeyboardOption::SixKey;
        else
            return usage("unknown option '" + pos[2] + "'");
        request.what = SetRequest::What::Option;
        return request;
    }
    return usage("unknown setting '" + what + "'");
}

profiles::LightRecord Changed(profiles::LightRecord record, const SetRequest& request)
{
    record.selectItem = static_cast<std::uint8_t>(request.mode);
    if (request.brightness >= 0)
        record.light = static_cast<std::uint8_t>(request.brightness);
    if (request.speed >= 0)
        record.speed = static_cast<std::uint8_t>(request.speed);
    if (request.direction >= 0)
        record.fx = static_cast<std::uint8_t>(request.direction);
    if (request.sevenColour >= 0)
        record.multiColor = static_cast<std::uint8_t>(request.sevenColour);
    if (request.sevenColour == 0) {
        record.red = static_cast<std::uint8_t>(request.colour >> 16);
        record.green = static_cast<std::uint8_t>(request.colour >> 8);
        record.blue = static_cast<std::uint8_t>(request.colour);
    }
    return record;
}

// Stores the changed lighting in the selected profile and writes the settings block; a link
// status, or code set for a mode the kind does not have.
int SetLight(CoreSession& session, const SetRequest& request, int& code)
{
    const int modes = session.Core().Modes().Size();
    if (request.mode >= modes) {
        code = session.Refuse("light mode " + std::to_string(request.mode) + " does not exist (0 to " +
                              std::to_string(modes - 1) + "); nothing was changed");
        return kLinkInvalidArgument;
    }
    devices::DeviceCore& core = session.Core();
    return core.ChangeLighting(Changed(core.CurrentLight(), request)).status;
}

// Why the macros the keys use could not be written, for an image that was not built.
std::string MacroImageProblem(const devices::ImageWriteResult& write, int unitsOf128)
{
    switch (write.image) {
    case input::ImageStatus::TooBig:
        return "the macros the keys use take " + std::to_string(write.value) + " bytes, the device holds " +
               std::to_string(128 * unitsOf128);
    case input::ImageStatus::TooManyEvents:
        return "a macro the keys use has " + std::to_string(write.value) + " events, more than the device plays";
    default:
        return "the macros the keys use could not be read";
    }
}

// The key-set panel's write to the device: the code becomes the key's current half in the
// selected profile, which is saved; then the macros the keys use go out and, only once they
// are on the device, the key table. A link status, or code set for a refusal (nothing changed
// unless the refusal says so).
template <class Core>
int StoreKeyAndWrite(CoreSession& session, Core& core, bool onDevice, const SetRequest& request, int& code)
{
    const auto refuse = [&](const std::string& text) {
        code = session.Refuse(text);
        return kLinkInvalidArgument;
    };
    if (!core.TablesRead())
        return refuse("the key table could not be read; nothing was changed");
    std::vector<profiles::KeyEntry>& keys = core.Keys();
    input::MacroLibrary library(core.Folders().profileFolder);
    library.Load();
    const KeyChange change{request.position, request.code, session.Mouse() != nullptr, onDevice};
    if (const std::optional<std::string> refusal = KeyChangeRefusal(keys, change, library.Macros().size()))
        return refuse(*refusal + "; nothing was changed");
    profiles::KeyHalf& half = keys[static_cast<std::size_t>(request.position)].current;
    half = {half.position, request.code.type, request.code.b1, request.code.b2};
    core.Profile().SetKeyAssignments(keys);
    if (!core.Profile().Save())
        return refuse("the profile could not be written; the device was not changed");
    const devices::ImageWriteResult macros = core.WriteMacros(core.GetMacroList());
    if (!macros.KeysMayFollow()) {
        if (macros.image == input::ImageStatus::Ok)
            return macros.linkStatus;
        return refuse(MacroImageProblem(macros, core.DeviceInfo()[6]) +
                      "; the key is stored in the profile, the device keeps its keys");
    }
    return core.WriteCurrentKeys(0);
}

int SetKey(CoreSession& session, const SetRequest& request, int& code)
{
    const auto position = static_cast<std::size_t>(request.position);
    if (MouseCore* mouse = session.Mouse())
        return StoreKeyAndWrite(session, *mouse, mouse->SlotOfButton()[position] != devices::kNoSlot, request, code);
    KeyboardCore& keyboard = *session.Keyboard();
    return StoreKeyAndWrite(session, keyboard, keyboard.KeyOfPosition()[position] != devices::kNoneIndex, request,
                            code);
}

} // namespace

int SetCommand(const ParsedArgs& args, Context& context)
{
    if (IsAudioSetting(args.positional[1]))
        return SetAudioCommand(args, context);
    int code = kExitOk;
    const std::optional<DeviceName> name = DeviceArgument(context, args.positional[0], code);
    if (!name)
        return code;
    const std::optional<SetRequest> request = ParseSet(args, context, name->kindRow, code);
    if (!request)
        return code;
    CoreSession session(context);
    session.SetCommand("set " + args.positional[1]);
    if (!session.Open(args.positional[0], code))
        return code;
    int status = kLinkOk;
    MouseCore* mouse = session.Mouse();
    switch (request->what) {
    case SetRequest::What::Dpi:
        status = mouse->SetStageDpi(request->stage, request->dpi);
        break;
    case SetRequest::What::DpiStage:
        status = mouse->SelectStage(request->stage);
        break;
    case SetRequest::What::Polling:
        status = mouse != nullptr ? mouse->SetPollingRate(request->value)
                                  : session.Keyboard()->SetOption(devices::KeyboardOption::PollingRate,
                                                                  request->value).status;
        break;
    case SetRequest::What::Option:
        status = session.Keyboard()->SetOption(request->option, request->value).status;
        break;
    case SetRequest::What::Light:
        status = SetLight(session, *request, code);
        if (code != kExitOk)
            return code;
        break;
    case SetRequest::What::Key:
        status = SetKey(session, *request, code);
        if (code != kExitOk)
            return code;
        break;
    }
    if (status == devices::kProfileNotSaved)
        return session.Failed("the device was changed, but not its profile", status);
    if (status != kLinkOk)
        return session.Failed("stored in the profile, but writing the device failed", status);
    context.out << session.Name() << ": " << args.positional[1];
    if (request->what == SetRequest::What::Key)
        context.out << " " << request->position << " set to " << CodeName(request->code) << " ("
                    << CodeText(request->code) << "),";
    context.out << " stored and written\n";
    return kExitOk;
}

int ShootCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<DeviceName> name = DeviceArgument(context, args.positional[0], code);
    if (!name)
        return code;
    if (KindNumber(name->kindRow) != kKindMouse)
        return context.Fail(kExitUsage, "shoot data belongs to the mouse");
    CoreSession session(context);
    if (!session.Open(args, code))
        return code;
    const devices::ImageWriteResult result = session.Mouse()->WriteShootData();
    if (result.image == input::ImageStatus::NothingToWrite) {
        context.out << session.Name() << ": no shoot data to write\n";
        return kExitOk;
    }
    if (result.image != input::ImageStatus::Ok)
        return context.Fail(kExitFailed, session.Name() + ": the shoot data is too large or broken; nothing written");
    if (result.linkStatus != kLinkOk)
        return session.Failed("writing the shoot data", result.linkStatus);
    context.out << session.Name() << ": shoot data written\n";
    return kExitOk;
}

} // namespace orvel::ctl
