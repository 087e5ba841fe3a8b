#pragma once
// The four tables the program knows its devices by: the interfaces it attaches, the kinds of
// device pages, their layouts and counts, and the products the update service knows.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvel {

// Device kinds.
inline constexpr std::uint16_t kKindKeyboard = 1;
inline constexpr std::uint16_t kKindMouse = 2;
inline constexpr std::uint16_t kKindMousePad = 3;
inline constexpr std::uint16_t kKindMouseReceiver = 6;
inline constexpr std::uint16_t kKindHeadset = 7;
inline constexpr std::uint16_t kKindKeyboardReceiver = 9;

// Interface roles.
inline constexpr std::uint16_t kRoleCommand = 0x00;
inline constexpr std::uint16_t kRoleNotify = 0xFF;

// One interface of one device identity. In the match table attached is 0 and path empty; the
// slots built from it fill them while the interface is present.
struct CDeviceSlot {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    std::uint16_t kind = 0;
    std::uint16_t role = 0;
    std::uint16_t attached = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t hasPartner = 0;
    std::uint16_t partner = 0;
    std::string path;
};

inline constexpr std::size_t kMatchRows = 11;
extern const std::array<CDeviceSlot, kMatchRows> DeviceMatchTable;

struct DeviceKindRow {
    std::string_view itemLayout;
    std::string_view tabHeader;
    std::string_view powerContainer;
    std::string_view kindName;
    std::int32_t pageOrder;
    std::int32_t vendorId;
    std::int32_t productId;
    std::int32_t kind;
    std::int32_t sub;
};
extern const std::array<DeviceKindRow, 4> DeviceKindTable;

// Same row order as the kind table: mouse, keyboard, mouse pad, headset.
struct DevicePageRow {
    std::int32_t ledCount;
    std::int32_t keyCount;
    std::int32_t wirelessCapable;
    std::int32_t reserved;
    std::string_view pageLayout;
    std::string_view lightFileBase;
};
extern const std::array<DevicePageRow, 4> DevicePageTable;

struct UpdateProductRow {
    std::int32_t productNumber;
    std::int32_t revision;
    std::int32_t currentVersion;
    std::string_view vendorWord;
    std::string_view modelCode;
    std::string_view shortName;
    std::string_view displayName;
    std::string_view versionText;
};
extern const std::array<UpdateProductRow, 4> UpdateProductTable;

// Index of the kind row with these four values, or -1.
int FindKindRow(std::int32_t vendorId, std::int32_t productId, std::int32_t kind, std::int32_t sub);

// Whether a kind is the receiver path of a wireless device.
constexpr bool IsReceiverKind(std::uint16_t kind)
{
    return kind == kKindMouseReceiver || kind == kKindKeyboardReceiver;
}

} // namespace orvel
