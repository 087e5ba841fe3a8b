#pragma once
// The data items of a collection's report type: one per button usage range and one per
// value usage, filled from a received report as the device layer reads them.

#include "platform/hid/report_descriptor.h"

#include <cstdint>
#include <span>
#include <vector>

// Status values of the usage calls, as the callers know them.
inline constexpr uint32_t HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr uint32_t HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004;
inline constexpr uint32_t HIDP_STATUS_INCOMPATIBLE_REPORT_ID = 0xC011000A;

// One button usage range or one value usage of a report type.
struct HidDataItem {
    bool isButtonData = false;
    uint16_t usagePage = 0;
    uint32_t status = HIDP_STATUS_SUCCESS;
    uint32_t reportId = 0;
    bool isDataSet = false;
    // Buttons: the range, and the pressed usages of the last report (0 ends the list when
    // it is shorter than maxUsageLength).
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageLength = 0;
    std::vector<uint16_t> usages;
    // Values.
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};

using HidReportType = orvel::hid::ReportType;

namespace orvel::hid {

// One item per button caps, then one per value usage (a usage range gives one per usage).
std::vector<HidDataItem> MakeItems(const TopCollection& top, ReportType type);

// Fills the items that belong to the report's id (byte 0): button items with their pressed
// usages, value items with raw and scaled values. False when a value the report should
// carry cannot be read from it.
bool UnpackItems(const TopCollection& top, ReportType type, std::span<const uint8_t> report,
                 std::vector<HidDataItem>& items);

// The first non-zero usage among the button items of that report id; 0 when none.
uint16_t FirstPressedUsage(const std::vector<HidDataItem>& items, uint8_t reportId);

} // namespace orvel::hid
