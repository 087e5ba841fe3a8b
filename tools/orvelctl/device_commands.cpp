#include "tools/orvelctl/commands.h"

#include "devicelink/device_tables.h"
#include "platform/text.h"
#include "profiles/jsonfile.h"
#include "tools/orvelctl/device_session.h"

#include <cstdio>
#include <set>
#include <utility>

namespace orvel::ctl {

namespace {

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string VendorProduct(std::uint16_t vendorId, std::uint16_t productId)
{
    return Hex4(vendorId) + ":" + Hex4(productId);
}

std::string_view PhoneText(int phone)
{
    switch (phone) {
    case 1:
        return "iPhone";
    case 2:
        return "Samsung";
    case 3:
        return "other";
    default:
        return "none";
    }
}

// What list and status learn of one device: whether it opens and answers, and its power.
struct DeviceState {
    bool opened = false;
    bool reachable = false;
    int powerResult = kLinkNoAnswer;
    PowerStatus power;
};

DeviceState Probe(const FoundDevice& device)
{
    DeviceState state;
    DeviceSession session(device);
    state.opened = session.Open() == kLinkOk;
    if (!state.opened)
        return state;
    state.reachable = session.Reachable();
    if (state.reachable)
        state.powerResult = session.ReadPower(state.power);
    return state;
}

Json::Value PowerJson(const DeviceState& state, int kindRow)
{
    if (!state.reachable || state.powerResult != kLinkOk)
        return Json::Value(Json::nullValue);
    Json::Value power(Json::objectValue);
    if (state.power.chargeState != 0)
        power["percent"] = state.power.batteryPercent;
    power["state"] = ChargeStateText(state.power.chargeState);
    if (KindNumber(kindRow) == kKindMousePad)
        power["phone"] = std::string(PhoneText(state.power.phone));
    return power;
}

std::string PowerText(const DeviceState& state)
{
    if (!state.opened)
        return "-";
    if (!state.reachable)
        return "-";
    if (state.powerResult != kLinkOk)
        return LinkStatusText(state.powerResult);
    if (state.power.chargeState == 0)
        return "powered";
    return std::to_string(state.power.batteryPercent) + "% " + ChargeStateText(state.power.chargeState);
}

std::string AnswerText(const DeviceState& state)
{
    if (!state.opened)
        return "cannot open (no access? see 'orvelctl udev-rules')";
    return state.reachable ? "yes" : "not reachable";
}

int RefuseWhileWindowRuns(Context& context)
{
    return context.Fail(kExitFailed,
                        "the VARNO Orvel 80 window is running and owns the devices; close it to use the "
                        "devices from the command line (profile and macro files can still be changed)");
}

} // namespace

int Context::Fail(int code, const std::string& text) const
{
    err << "orvelctl: " << text << "\n";
    return code;
}

void Context::PrintJson(const Json::Value& document) const
{
    out << profiles::StyledText(document);
}

std::optional<DeviceName> DeviceArgument(Context& context, const std::string& argument, int& code)
{
    std::optional<DeviceName> name = ParseDeviceName(argument);
    if (!name)
        code = context.Fail(kExitUsage, "unknown device '" + argument +
                                            "' (use mouse, keyboard, MousePad or HD, optionally with :N)");
    return name;
}

std::optional<FoundDevice> FindNamedDevice(Context& context, const std::string& argument, int& code)
{
    const std::optional<DeviceName> name = DeviceArgument(context, argument, code);
    if (!name)
        return std::nullopt;
    if (context.windowRunning()) {
        code = RefuseWhileWindowRuns(context);
        return std::nullopt;
    }
    std::vector<FoundDevice> devices;
    if (!FindDevices(context.probe, devices)) {
        code = context.Fail(kExitFailed, "the HID devices could not be listed");
        return std::nullopt;
    }
    for (const FoundDevice& device : devices) {
        if (device.name.kindRow == name->kindRow && device.name.index == name->index)
            return device;
    }
    code = context.Fail(kExitFailed, DeviceNameText(*name) + ": not connected");
    return std::nullopt;
}

int ListCommand(const ParsedArgs& args, Context& context)
{
    if (context.windowRunning())
        return RefuseWhileWindowRuns(context);
    std::vector<FoundDevice> devices;
    if (!FindDevices(context.probe, devices))
        return context.Fail(kExitFailed, "the HID devices could not be listed");

    Json::Value list(Json::arrayValue);
    std::vector<std::array<std::string, 6>> rows;
    for (const FoundDevice& device : devices) {
        const DeviceState state = Probe(device);
        Json::Value item(Json::objectValue);
        item["device"] = DeviceNameText(device.name);
        item["kind"] = std::string(KindName(device.name.kindRow));
        item["name"] = "VARNO Orvel 80 " + std::string(KindDisplayName(device.name.kindRow));
        item["vendorProduct"] = VendorProduct(device.vendorId, device.productId);
        item["link"] = device.ViaReceiver() ? "receiver" : "cable";
        item["receiverPresent"] = !device.receiverPath.empty();
        item["opened"] = state.opened;
        item["reachable"] = state.reachable;
        item["battery"] = PowerJson(state, device.name.kindRow);
        list.append(item);
        rows.push_back({DeviceNameText(device.name), std::string(KindDisplayName(device.name.kindRow)),
                        item["vendorProduct"].asString(), item["link"].asString(), AnswerText(state),
                        PowerText(state)});
    }
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["devices"] = list;
        context.PrintJson(document);
        return kExitOk;
    }
    if (rows.empty()) {
        context.out << "No VARNO Orvel 80 device found.\n";
        return kExitOk;
    }
    const std::array<std::string, 6> header = {"DEVICE", "KIND", "ID", "LINK", "ANSWERS", "BATTERY"};
    std::array<std::size_t, 6> width{};
    rows.insert(rows.begin(), header);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            width[i] = std::max(width[i], row[i].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(width[i] - row[i].size() + 2, ' ');
        }
        context.out << line << "\n";
    }
    return kExitOk;
}

int StatusCommand(const ParsedArgs& args, Context& context)
{
    int code = kExitOk;
    const std::optional<FoundDevice> device = FindNamedDevice(context, args.positional[0], code);
    if (!device)
        return code;
    const std::string name = DeviceNameText(device->name);
    DeviceSession session(*device);
    if (session.Open() != kLinkOk)
        return context.Fail(kExitFailed, name + ": cannot be opened (no access? see 'orvelctl udev-rules')");
    if (!session.Reachable())
        return context.Fail(kExitFailed, name + ": not reachable through its receiver");
    PowerStatus power;
    const int result = session.ReadPower(power);
    if (result != kLinkOk)
        return context.Fail(kExitFailed, name + ": power status: " + LinkStatusText(result));
    DeviceState state;
    state.opened = state.reachable = true;
    state.powerResult = result;
    state.power = power;
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["device"] = name;
        document["link"] = device->ViaReceiver() ? "receiver" : "cable";
        document["battery"] = PowerJson(state, device->name.kindRow);
        context.PrintJson(document);
        return kExitOk;
    }
    context.out << name << ": " << PowerText(state) << (device->ViaReceiver() ? " (through its receiver)" : "")
                << "\n";
    if (KindNumber(device->name.kindRow) == kKindMousePad)
        context.out << "phone on the pad: " << PhoneText(power.phone) << "\n";
    return kExitOk;
}

std::string UdevRulesText()
{
    std::string text =
        "# VARNO Orvel 80: lets the logged-in user reach the devices' HID interfaces (hidraw),\n"
        "# so the program and orvelctl work without root. Generated by 'orvelctl udev-rules'.\n";
    std::set<std::pair<std::uint16_t, std::uint16_t>> done;
    for (const CDeviceSlot& row : DeviceMatchTable) {
        if (!done.insert({row.vendorId, row.productId}).second)
            continue;
        text += "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"" + Hex4(row.vendorId) +
                "\", ATTRS{idProduct}==\"" + Hex4(row.productId) + "\", TAG+=\"uaccess\"\n";
    }
    return text;
}

int UdevRulesCommand(const ParsedArgs&, Context& context)
{
    context.out << UdevRulesText();
    return kExitOk;
}

} // namespace orvel::ctl
