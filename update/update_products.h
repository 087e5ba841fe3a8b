#pragma once
// The products the update service is asked about: one entry per connected device that has a
// row in the update-product table, and the program itself. The app key and the version texts
// the service and the update list use are made here.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvel::update {

struct UpdateProduct {
    std::int32_t productNumber = 0;  // non-zero: versions are hexadecimal; 0: decimal
    std::int32_t revision = 0;       // -1 for a device reached through its receiver
    std::int32_t currentVersion = 0; // 0: not present, not asked about
    std::string vendorWord;
    std::string modelCode;
    std::string shortName;
    std::string displayName;
    std::string versionText;         // shown for decimal-version products

    bool HexVersions() const { return productNumber != 0; }
    // The program's own row rather than a device's firmware.
    bool IsProgram() const { return modelCode == "ALL"; }
};

// The firmware version a device reports: the 16-bit value at bytes 32-33 of its 34-byte
// information record, low byte first.
std::int32_t FirmwareVersion(std::span<const std::uint8_t, 34> deviceInfo);

// What is known of one device product at the time of the check.
struct DeviceVersion {
    std::int32_t version = 0; // 0: the device is not connected or its link is closed
    bool viaReceiver = false;
};

// The firmware products of the update-product table, in table order: the mouse, the keyboard
// and the mouse pad. (The headset has no row.)
enum FirmwareProduct : std::size_t { kProductMouse = 0, kProductKeyboard = 1, kProductMousePad = 2 };
inline constexpr std::size_t kFirmwareProductCount = 3;

// Every table row as a product, current versions filled in: the firmware rows from devices
// (revision -1 through a receiver), the program's row from the installed version.
std::vector<UpdateProduct> AllProducts(const std::array<DeviceVersion, kFirmwareProductCount>& devices);

// The products to ask about: those whose current version is not 0. The program itself is
// always among them.
std::vector<UpdateProduct> PresentProducts(const std::array<DeviceVersion, kFirmwareProductCount>& devices);

// "NULL" for a product that is not present; else vendor word, product number, model code,
// short name and revision joined by "_" ("ZENTA_1_QL40P23B_MS_1").
std::string BuildAppKey(const UpdateProduct& product);

// "V%04x" of a hexadecimal version, "V%d" of a decimal one.
std::string VersionText(std::int32_t version, bool hexVersions);

// The current version as the update list shows it: "V%04x" for hexadecimal products, the
// product's own version text for decimal ones ("V1.0.0.0"), "V%d" when it has none.
std::string ShownCurrentVersion(const UpdateProduct& product);

} // namespace orvel::update
