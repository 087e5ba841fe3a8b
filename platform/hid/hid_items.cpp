#include "platform/hid/hid_items.h"

#include <algorithm>

namespace orvel::hid {

std::vector<HidDataItem> MakeItems(const TopCollection& top, ReportType type)
{
    std::vector<HidDataItem> items;
    for (const ButtonCaps& caps : top.Buttons(type)) {
        HidDataItem item;
        item.isButtonData = true;
        item.usagePage = caps.usagePage;
        item.reportId = caps.reportId;
        item.usageMin = caps.usageMin;
        item.usageMax = caps.usageMax;
        // Room for every usage the page can report at once, but no more than the item's own
        // range and an end mark can use: a hostile descriptor cannot make this huge.
        const uint32_t rangeRoom = uint32_t(caps.usageMax) - caps.usageMin + 2;
        item.maxUsageLength = std::min(top.MaxUsageListLength(type, caps.usagePage), rangeRoom);
        item.usages.assign(item.maxUsageLength, 0);
        items.push_back(std::move(item));
    }
    for (const ValueCaps& caps : top.Values(type)) {
        for (uint32_t usage = caps.usageMin; usage <= caps.usageMax; ++usage) {
            HidDataItem item;
            item.usagePage = caps.usagePage;
            item.reportId = caps.reportId;
            item.usage = static_cast<uint16_t>(usage);
            items.push_back(std::move(item));
        }
    }
    return items;
}

bool UnpackItems(const TopCollection& top, ReportType type, std::span<const uint8_t> report,
                 std::vector<HidDataItem>& items)
{
    if (report.empty()) {
        return false;
    }
    const uint8_t reportId = report[0];
    std::vector<uint16_t> usages;
    for (HidDataItem& item : items) {
        if (item.reportId != reportId) {
            continue;
        }
        if (item.isButtonData) {
            const bool found = top.GetUsages(type, item.usagePage, report, usages);
            item.status = found ? HIDP_STATUS_SUCCESS : HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
            // The usages of this item's range, as many as fit, then 0 marks the end.
            std::fill(item.usages.begin(), item.usages.end(), 0);
            size_t n = 0;
            for (uint16_t usage : usages) {
                if (n < item.usages.size() && usage >= item.usageMin && usage <= item.usageMax) {
                    item.usages[n++] = usage;
                }
            }
        } else {
            const auto raw = top.GetUsageValue(type, item.usagePage, item.usage, report);
            if (!raw) {
                item.status = HIDP_STATUS_USAGE_NOT_FOUND;
                return false;
            }
            item.status = HIDP_STATUS_SUCCESS;
            item.rawValue = *raw;
            item.scaledValue = top.GetScaledUsageValue(type, item.usagePage, item.usage, report).value_or(0);
        }
        item.isDataSet = true;
    }
    return true;
}

uint16_t FirstPressedUsage(const std::vector<HidDataItem>& items, uint8_t reportId)
{
    for (const HidDataItem& item : items) {
        if (!item.isButtonData || !item.isDataSet || item.reportId != reportId) {
            continue;
        }
        for (uint16_t usage : item.usages) {
            if (usage != 0) {
                return usage;
            }
        }
    }
    return 0;
}

} // namespace orvel::hid
