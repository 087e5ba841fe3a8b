#include "devicelink/device_slot.h"

#include <algorithm>
#include <cctype>

namespace orvel {
namespace {

bool SameFour(const CDeviceSlot& a, const CDeviceSlot& b)
{
    return a.vendorId == b.vendorId && a.productId == b.productId && a.collectionNumber == b.collectionNumber
           && a.interfaceNumber == b.interfaceNumber;
}

bool SameSix(const CDeviceSlot& a, const CDeviceSlot& b)
{
    return SameFour(a, b) && a.usagePage == b.usagePage && a.usage == b.usage;
}

// The hexadecimal number after key (searched without regard to case), or 0. Digits beyond
// what 16 bits hold saturate, so an overlong number matches no row.
std::uint16_t HexAfter(std::string_view text, std::string_view key)
{
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    const auto it = std::search(text.begin(), text.end(), key.begin(), key.end(),
                                [&](char a, char b) { return lower(a) == lower(b); });
    if (it == text.end())
        return 0;
    std::uint32_t value = 0;
    for (auto p = it + static_cast<std::ptrdiff_t>(key.size()); p != text.end(); ++p) {
        const char c = lower(*p);
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0)
            break;
        value = std::min<std::uint32_t>(value * 16 + static_cast<std::uint32_t>(digit), 0x10000);
    }
    return value > 0xFFFF ? 0xFFFF : static_cast<std::uint16_t>(value);
}

} // namespace

SlotList MakeSlotList()
{
    return SlotList(DeviceMatchTable.begin(), DeviceMatchTable.end());
}

bool IsFree(const CDeviceSlot& slot)
{
    return slot.attached == 0 && slot.path.empty();
}

bool DescriptorEquals(const CDeviceSlot& a, const CDeviceSlot& b)
{
    return SameSix(a, b) && a.kind == b.kind && a.role == b.role;
}

CDeviceSlot ParseCandidate(std::string_view path)
{
    const auto hash = path.rfind('#');
    const std::string_view tail = hash == std::string_view::npos ? path : path.substr(hash + 1);
    CDeviceSlot candidate;
    candidate.vendorId = HexAfter(tail, "vid_");
    candidate.productId = HexAfter(tail, "pid_");
    candidate.interfaceNumber = HexAfter(tail, "&mi_");
    candidate.collectionNumber = HexAfter(tail, "&col");
    candidate.path = std::string(path);
    return candidate;
}

bool RowMatchesFour(const CDeviceSlot& candidate)
{
    return std::any_of(DeviceMatchTable.begin(), DeviceMatchTable.end(),
                       [&](const CDeviceSlot& row) { return SameFour(row, candidate); });
}

int FindSixMatchRow(const CDeviceSlot& candidate)
{
    for (std::size_t i = 0; i < DeviceMatchTable.size(); ++i)
        if (SameSix(DeviceMatchTable[i], candidate))
            return static_cast<int>(i);
    return -1;
}

bool HasFreeSlot(const SlotList& slots, const CDeviceSlot& candidate)
{
    return std::any_of(slots.begin(), slots.end(),
                       [&](const CDeviceSlot& slot) { return IsFree(slot) && SameFour(slot, candidate); });
}

bool AllSlotsAttached(const SlotList& slots)
{
    return std::all_of(slots.begin(), slots.end(), [](const CDeviceSlot& slot) { return slot.attached != 0; });
}

bool AnySlotFree(const SlotList& slots)
{
    return std::any_of(slots.begin(), slots.end(), IsFree);
}

int FindFreeSlot(const SlotList& slots, const CDeviceSlot& candidate)
{
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (IsFree(slots[i]) && SameSix(slots[i], candidate))
            return static_cast<int>(i);
    return -1;
}

int PartnerOf(const SlotList& slots, std::size_t index)
{
    const CDeviceSlot& slot = slots[index];
    if (slot.hasPartner == 0 || slot.partner >= slots.size() || slots[slot.partner].partner != index)
        return -1;
    return slot.partner;
}

const CDeviceSlot& IdentityOf(const SlotList& slots, std::size_t index)
{
    std::size_t command = index;
    if (slots[index].role != kRoleCommand) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const CDeviceSlot& s = slots[i];
            if (s.role == kRoleCommand && s.vendorId == slots[index].vendorId
                && s.productId == slots[index].productId && s.kind == slots[index].kind) {
                command = i;
                break;
            }
        }
    }
    if (IsReceiverKind(slots[command].kind)) {
        const int partner = PartnerOf(slots, command);
        if (partner >= 0)
            return slots[static_cast<std::size_t>(partner)];
    }
    return slots[command];
}

} // namespace orvel
