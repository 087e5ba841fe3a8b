#include "tools/orvelctl/device_finder.h"

#include "devicelink/device_slot.h"
#include "devicelink/link_attach.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace orvel::ctl {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

struct Alias {
    std::string_view word;
    std::string_view kindName;
};
constexpr std::array<Alias, 8> kAliases = {{
    {"mouse", "mouse"},
    {"keyboard", "keyboard"},
    {"mousepad", "MousePad"},
    {"mouse-pad", "MousePad"},
    {"pad", "MousePad"},
    {"hd", "HD"},
    {"headset", "HD"},
    {"kb", "keyboard"},
}};

int KindRowByName(std::string_view kindName)
{
    for (std::size_t i = 0; i < DeviceKindTable.size(); ++i) {
        if (DeviceKindTable[i].kindName == kindName)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

std::optional<DeviceName> ParseDeviceName(std::string_view text)
{
    DeviceName name;
    const std::size_t colon = text.find(':');
    const std::string word = Lower(text.substr(0, colon));
    for (const Alias& alias : kAliases) {
        if (alias.word == word)
            name.kindRow = KindRowByName(alias.kindName);
    }
    if (name.kindRow < 0)
        return std::nullopt;
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 3 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        name.index = std::stoi(std::string(digits));
        if (name.index < 1)
            return std::nullopt;
    }
    return name;
}

std::string DeviceNameText(const DeviceName& name)
{
    std::string text(KindName(name.kindRow));
    if (name.index != 1)
        text += ":" + std::to_string(name.index);
    return text;
}

std::string_view KindName(int kindRow)
{
    return DeviceKindTable.at(static_cast<std::size_t>(kindRow)).kindName;
}

std::string_view KindDisplayName(int kindRow)
{
    constexpr std::array<std::string_view, 4> kDisplay = {"mouse", "keyboard", "mouse pad", "headset"};
    return kDisplay.at(static_cast<std::size_t>(kindRow));
}

int KindNumber(int kindRow)
{
    return DeviceKindTable.at(static_cast<std::size_t>(kindRow)).kind;
}

bool FindDevices(IHidProbe& probe, std::vector<FoundDevice>& devices)
{
    devices.clear();
    std::vector<std::string> paths;
    if (!probe.Enumerate(paths))
        return false;
    std::sort(paths.begin(), paths.end());

    const SlotList slots = MakeSlotList();
    // Per kind row: the command interfaces by cable and through the receiver, in path order.
    struct Found {
        std::string path;
        ProbeInfo info;
    };
    std::map<int, std::vector<Found>> cables;
    std::map<int, std::vector<Found>> receivers;
    for (const std::string& path : paths) {
        CDeviceSlot candidate;
        ProbeInfo info;
        const int row = MatchInterface(probe, path, candidate, info);
        if (row < 0)
            continue;
        const CDeviceSlot& match = DeviceMatchTable[static_cast<std::size_t>(row)];
        if (match.role != kRoleCommand)
            continue;
        const int kindRow = KindRowOf(slots, static_cast<std::size_t>(row));
        if (kindRow < 0)
            continue;
        auto& list = IsReceiverKind(match.kind) ? receivers[kindRow] : cables[kindRow];
        list.push_back({path, info});
    }

    for (int kindRow = 0; kindRow < static_cast<int>(DeviceKindTable.size()); ++kindRow) {
        const auto& cable = cables[kindRow];
        const auto& receiver = receivers[kindRow];
        const std::size_t count = std::max(cable.size(), receiver.size());
        for (std::size_t i = 0; i < count; ++i) {
            FoundDevice device;
            device.name = {kindRow, static_cast<int>(i) + 1};
            const Found* used = nullptr;
            if (i < receiver.size()) {
                device.receiverPath = receiver[i].path;
                used = &receiver[i];
            }
            if (i < cable.size()) {
                device.cablePath = cable[i].path;
                used = &cable[i];
            }
            device.vendorId = used->info.vendorId;
            device.productId = used->info.productId;
            devices.push_back(std::move(device));
        }
    }
    return true;
}

} // namespace orvel::ctl
