#include "sim/serve/device_set.h"

#include "sim/devices/describe.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <vector>

namespace orvel::sim {
namespace {

std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

std::optional<long> Number(const std::string& text, int base = 10)
{
    std::string_view digits = text;
    if (base == 16 && (digits.starts_with("0x") || digits.starts_with("0X"))) {
        digits.remove_prefix(2);
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<Path>> Paths(const std::vector<std::string>& words, std::size_t at, DeviceKind kind)
{
    const std::string which = words.size() > at ? words[at] : "cable";
    if (which == "cable") return std::vector<Path>{Path::Cable};
    if (!HasReceiver(kind)) return std::nullopt;
    if (which == "receiver") return std::vector<Path>{Path::Receiver};
    if (which == "both") return std::vector<Path>{Path::Cable, Path::Receiver};
    return std::nullopt;
}

std::string Error(const std::string& why)
{
    return "error: " + why + "\n";
}

} // namespace

DeviceSet::DeviceSet(DeviceSetOptions options) : options_(std::move(options)) {}

std::string DeviceSet::CommandHelp()
{
    return "Commands (KIND is keyboard, mouse, mousepad or headset; PATH is cable, receiver or both):\n"
           "  list                          devices, paths, wireless state and battery\n"
           "  plug KIND [PATH]              plug in the cable (default), the receiver or both\n"
           "  unplug KIND [PATH]            pull them out; hosts see their streams end\n"
           "  sleep KIND                    the wireless device sleeps: the receiver answers AA\n"
           "  wake KIND                     the device is awake and in range again\n"
           "  out-of-range KIND             the device is out of the receiver's range\n"
           "  unpair KIND                   the receiver has no device\n"
           "  press KIND KEY                on-board key: profile, dpi (mouse), light, layer (keyboard),\n"
           "                                key (a key press for reactive lighting)\n"
           "  notify KIND USAGE             send one notification usage, hexadecimal (e.g. 0401)\n"
           "  battery KIND PERCENT          set the battery level\n"
           "  rates KIND DRAIN CHARGE       battery drain and charge in percent per minute\n"
           "  phone KIND TYPE               the pad's phone: 0 none, 1 iPhone, 2 Samsung, 3 other\n"
           "  latency KIND cable|receiver MS   one-way delay per report\n"
           "  fault KIND ACTION [command HEX] [via cable|receiver] [skip N] [times N|always] [by MS]\n"
           "                                ACTION: drop (no answer), late (answer after MS, default\n"
           "                                6000), fe or ff (answer with that status), unplug (pull\n"
           "                                the path out before answering)\n"
           "  clear-faults KIND             forget every scripted fault\n"
           "  show KIND [SECTION]           decoded memory: settings, keys, macros, shoot, leds, info,\n"
           "                                power or all (default)\n"
           "  frames KIND                   the command reports received since the last \"frames\"\n"
           "                                (at most the last 1024), one a line with the answer's status\n";
}

bool DeviceSet::Serve(std::string_view identityName, std::string* error)
{
    const Identity* identity = FindIdentity(identityName);
    if (identity == nullptr) {
        *error = "no device called \"" + std::string(identityName) + "\"";
        return false;
    }
    std::lock_guard lock(mutex_);
    ServedDevice* device = Ensure(identity->kind, error);
    if (device == nullptr) {
        return false;
    }
    if (!device->Plug(identity->path)) {
        *error = "cannot serve " + identity->name + " in " + options_.folder.string();
        return false;
    }
    return true;
}

ServedDevice* DeviceSet::Ensure(DeviceKind kind, std::string* error)
{
    auto& slot = devices_[kind];
    if (!slot) {
        auto device = std::make_unique<ServedDevice>(kind, options_.folder, clock_);
        if (options_.cableLatency) device->SetLatency(Path::Cable, *options_.cableLatency);
        if (options_.receiverLatency) device->SetLatency(Path::Receiver, *options_.receiverLatency);
        if (!options_.memoryFolder.empty()) {
            const auto file = options_.memoryFolder / (std::string(KindName(kind)) + ".json");
            if (!device->Device().UseMemoryFile(file)) {
                *error = "the memory file " + file.string() + " cannot be used";
                devices_.erase(kind);
                return nullptr;
            }
        }
        slot = std::move(device);
    }
    return slot.get();
}

ServedDevice* DeviceSet::Find(DeviceKind kind)
{
    std::lock_guard lock(mutex_);
    const auto it = devices_.find(kind);
    return it == devices_.end() ? nullptr : it->second.get();
}

std::string DeviceSet::List()
{
    std::ostringstream out;
    static const char* wireless[] = {"awake", "asleep", "out of range", "no device paired"};
    for (const auto& [kind, device] : devices_) {
        out << KindName(kind) << ": cable " << (device->Plugged(Path::Cable) ? "plugged" : "unplugged");
        if (HasReceiver(kind)) {
            out << ", receiver " << (device->Plugged(Path::Receiver) ? "plugged" : "unplugged") << ", "
                << wireless[static_cast<int>(device->Device().Wireless())];
        }
        out << ", battery " << device->Device().BatteryPercent() << "%\n";
    }
    return devices_.empty() ? "no devices\n" : out.str();
}

std::string DeviceSet::Execute(std::string_view line)
{
    const auto words = Words(line);
    if (words.empty()) {
        return "";
    }
    const std::string& verb = words[0];
    std::lock_guard lock(mutex_);
    if (verb == "help") return CommandHelp();
    if (verb == "list") return List();
    static const std::vector<std::string> verbs{"plug", "unplug", "sleep", "wake", "out-of-range", "unpair",
                                                "press", "notify", "battery", "rates", "phone", "latency",
                                                "fault", "clear-faults", "show", "frames"};
    if (std::find(verbs.begin(), verbs.end(), verb) == verbs.end()) {
        return Error("unknown command \"" + verb + "\"; try \"help\"");
    }
    if (words.size() < 2) {
        return Error("\"" + verb + "\" needs a device; try \"help\"");
    }
    const auto kind = KindFromName(words[1]);
    if (!kind) {
        return Error("no device kind \"" + words[1] + "\" (keyboard, mouse, mousepad, headset)");
    }
    if (verb == "plug") {
        const auto paths = Paths(words, 2, *kind);
        if (!paths) return Error("no such path for a " + words[1]);
        std::string why;
        ServedDevice* device = Ensure(*kind, &why);
        if (device == nullptr) return Error(why);
        for (Path path : *paths) {
            if (!device->Plug(path)) return Error("cannot serve the sockets in " + options_.folder.string());
        }
        return "ok\n";
    }
    const auto it = devices_.find(*kind);
    if (it == devices_.end()) {
        return Error("no " + words[1] + " is served; plug it first");
    }
    ServedDevice& device = *it->second;
    Firmware& firmware = device.Device();
    auto needs = [&](std::size_t n) { return words.size() >= n; };

    if (verb == "unplug") {
        const auto paths = Paths(words, 2, *kind);
        if (!paths) return Error("no such path for a " + words[1]);
        for (Path path : *paths) device.Unplug(path);
        return "ok\n";
    }
    const std::map<std::string, WirelessState> states{{"sleep", WirelessState::Asleep},
                                                       {"wake", WirelessState::Awake},
                                                       {"out-of-range", WirelessState::OutOfRange},
                                                       {"unpair", WirelessState::Unpaired}};
    if (const auto s = states.find(verb); s != states.end()) {
        if (!HasReceiver(*kind)) return Error("a " + words[1] + " has no receiver");
        firmware.SetWireless(s->second);
        return "ok\n";
    }
    if (verb == "press") {
        static const std::map<std::string, OnBoardKey> keys{{"profile", OnBoardKey::Profile}, {"dpi", OnBoardKey::Dpi},
                                                            {"light", OnBoardKey::Light},     {"layer", OnBoardKey::Layer},
                                                            {"key", OnBoardKey::KeyPress}};
        const auto key = needs(3) ? keys.find(words[2]) : keys.end();
        if (key == keys.end()) return Error("press needs a key: profile, dpi, light, layer or key");
        std::ostringstream out;
        out << "ok";
        for (std::uint16_t usage : device.Press(key->second)) {
            char text[8];
            std::snprintf(text, sizeof(text), " %04X", usage);
            out << text;
        }
        return out.str() + "\n";
    }
    if (verb == "notify") {
        const auto usage = needs(3) ? Number(words[2], 16) : std::nullopt;
        if (!usage || *usage < 0 || *usage > 0x1FFF) return Error("notify needs a usage 0..1FFF in hexadecimal");
        return device.Notify(static_cast<std::uint16_t>(*usage)) ? "ok\n" : Error("no path carries notifications now");
    }
    if (verb == "battery") {
        const auto percent = needs(3) ? Number(words[2]) : std::nullopt;
        if (!percent || *percent < 0 || *percent > 100) return Error("battery needs a percent 0..100");
        firmware.SetBattery(static_cast<int>(*percent));
        return "ok\n";
    }
    if (verb == "rates") {
        const auto drain = needs(4) ? Number(words[2]) : std::nullopt;
        const auto charge = needs(4) ? Number(words[3]) : std::nullopt;
        if (!drain || !charge || *drain < 0 || *charge < 0) return Error("rates needs two whole percents per minute");
        firmware.SetBatteryRates(static_cast<double>(*drain), static_cast<double>(*charge));
        return "ok\n";
    }
    if (verb == "phone") {
        const auto type = needs(3) ? Number(words[2]) : std::nullopt;
        if (*kind != DeviceKind::MousePad || !type || *type < 0 || *type > 3) return Error("phone needs the mousepad and 0..3");
        firmware.SetPhone(static_cast<std::uint8_t>(*type));
        return "ok\n";
    }
    if (verb == "latency") {
        const auto paths = needs(3) ? Paths(words, 2, *kind) : std::nullopt;
        const long ms = needs(4) ? Number(words[3]).value_or(-1) : -1;
        if (!paths || paths->size() != 1 || ms < 0) return Error("latency needs cable or receiver and milliseconds");
        device.SetLatency(paths->front(), std::chrono::milliseconds(ms));
        return "ok\n";
    }
    if (verb == "fault") {
        static const std::map<std::string, FaultAction> actions{{"drop", FaultAction::Drop},
                                                                {"late", FaultAction::Late},
                                                                {"fe", FaultAction::BadChecksumStatus},
                                                                {"ff", FaultAction::RejectedStatus},
                                                                {"unplug", FaultAction::Unplug}};
        const auto action = needs(3) ? actions.find(words[2]) : actions.end();
        if (action == actions.end()) return Error("fault needs an action: drop, late, fe, ff or unplug");
        FaultRule rule;
        rule.action = action->second;
        for (std::size_t i = 3; i < words.size(); i += 2) {
            const std::string& key = words[i];
            if (i + 1 >= words.size()) return Error("\"" + key + "\" needs a value");
            const std::string& value = words[i + 1];
            if (key == "command") {
                const auto id = Number(value, 16);
                if (!id || *id < 0 || *id > 0xFF) return Error("command needs a hexadecimal id");
                rule.command = static_cast<std::uint8_t>(*id);
            } else if (key == "via") {
                if (value != "cable" && value != "receiver") return Error("via needs cable or receiver");
                rule.path = value == "cable" ? Path::Cable : Path::Receiver;
            } else if (key == "skip" || key == "times" || key == "by") {
                const auto n = value == "always" && key == "times" ? std::optional<long>(-1) : Number(value);
                if (!n || (*n < 0 && key != "times")) return Error(key + " needs a number");
                if (key == "skip") rule.skip = static_cast<int>(*n);
                if (key == "times") rule.times = static_cast<int>(*n);
                if (key == "by") rule.lateBy = std::chrono::milliseconds(*n);
            } else {
                return Error("unknown fault option \"" + key + "\"");
            }
        }
        firmware.AddFault(rule);
        return "ok\n";
    }
    if (verb == "clear-faults") {
        firmware.ClearFaults();
        return "ok\n";
    }
    if (verb == "frames") {
        const std::vector<ReceivedFrame> frames = firmware.TakeReceived();
        std::string text = std::to_string(frames.size()) + " frames received\n";
        for (const ReceivedFrame& frame : frames) {
            text += ReceivedFrameText(frame) + "\n";
        }
        return text;
    }
    if (verb == "show") {
        const std::string text = Describe(firmware, needs(3) ? words[2] : "all");
        return text.empty() ? Error("no section \"" + words[2] + "\"") : text;
    }
    return Error("unknown command \"" + verb + "\"");
}

} // namespace orvel::sim
