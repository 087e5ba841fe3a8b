#pragma once
// Our own HID report-descriptor parser. It yields what the program needs of an interface:
// its top-level collections, and per collection and report type the button and value
// capabilities with their place in the report, the report lengths, and the pressed usages
// and values found in a received report.
//
// Reports are handled as the program sees them: byte 0 is the report id (0 when the
// descriptor declares none) and the report's fields start at byte 1.
//
// Anything a device sends is outside input: a malformed or truncated descriptor gives no
// result and an error text, never a crash or a read outside the bytes given.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::hid {

enum class ReportType : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr size_t kReportTypeCount = 3;

// Where a main item's fields lie in their report.
struct Field {
    uint8_t reportId = 0;
    uint32_t bitOffset = 0; // of the first field, counted from the start of byte 1
    uint8_t bitSize = 0;    // of one field, 1..32
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
};

// One usage or usage range carried by on/off fields: a bit per usage (variable), or an
// array of slots that each hold the index of a pressed usage.
struct ButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0; // the usage itself when not a range
    uint16_t usageMax = 0;
    bool isArray = false;
    // Array items: the index of usageMin among the item's usages, counted from logicalMin.
    uint32_t arrayIndexBase = 0;
    Field field;
};

struct ValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0; // the usage itself when not a range
    uint16_t usageMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    bool isSigned = false; // logical minimum below zero
    bool hasNull = false;
    Field field;

    int32_t logicalMin() const { return field.logicalMin; }
    int32_t logicalMax() const { return field.logicalMax; }
    uint8_t bitSize() const { return field.bitSize; }
    uint16_t reportCount() const { return field.reportCount; }
};

struct TopCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::array<std::vector<ButtonCaps>, kReportTypeCount> buttonCaps;
    std::array<std::vector<ValueCaps>, kReportTypeCount> valueCaps;
    // Report id -> length in bits after the id byte.
    std::array<std::map<uint8_t, uint32_t>, kReportTypeCount> reportBits;

    const std::vector<ButtonCaps>& Buttons(ReportType type) const { return buttonCaps[size_t(type)]; }
    const std::vector<ValueCaps>& Values(ReportType type) const { return valueCaps[size_t(type)]; }

    // The longest report of that type plus one byte for the id; 0 when there is none.
    uint16_t ReportByteLength(ReportType type) const;
    bool HasReport(ReportType type, uint8_t reportId) const;

    // The most usages GetUsages can yield at once for a usage page (0 = every page).
    uint32_t MaxUsageListLength(ReportType type, uint16_t usagePage) const;

    // The pressed non-zero usages of that page (0 = every page) in the report, in field
    // order. False when no button field of the report's id exists or the report is short.
    bool GetUsages(ReportType type, uint16_t usagePage, std::span<const uint8_t> report,
                   std::vector<uint16_t>& usages) const;
    // The raw bits of a value usage (not sign-extended); null when the report does not
    // carry it or is too short.
    std::optional<uint32_t> GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                          std::span<const uint8_t> report) const;
    // The value mapped from the logical to the physical range (the logical range when no
    // physical range is given); null also when the raw value is outside the logical range.
    std::optional<int32_t> GetScaledUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                               std::span<const uint8_t> report) const;
};

struct ReportDescriptor {
    std::vector<TopCollection> collections;
    bool usesReportIds = false;

    // The collection index whose input reports carry this id; -1 when none does.
    int CollectionOfInputReport(uint8_t reportId) const;
};

std::optional<ReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes, std::string* error = nullptr);

} // namespace orvel::hid
