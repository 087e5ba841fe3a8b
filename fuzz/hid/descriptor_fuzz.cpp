// Report descriptors and input reports are device input. Data: u16 descriptor length
// (little-endian), the descriptor, then a report that is unpacked against every collection
// and report type.
#include "platform/hid/hid_items.h"
#include "platform/hid/report_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const size_t declared = size_t(data[0]) | size_t(data[1]) << 8;
    const std::span<const uint8_t> rest(data + 2, size - 2);
    const size_t split = declared < rest.size() ? declared : rest.size();
    const auto descriptor = orvel::hid::ParseReportDescriptor(rest.first(split));
    if (!descriptor) {
        return 0;
    }
    const std::span<const uint8_t> report = rest.subspan(split);
    for (const auto& top : descriptor->collections) {
        for (size_t t = 0; t < orvel::hid::kReportTypeCount; ++t) {
            const auto type = static_cast<orvel::hid::ReportType>(t);
            (void)top.ReportByteLength(type);
            (void)top.MaxUsageListLength(type, 0);
            auto items = orvel::hid::MakeItems(top, type);
            if (!report.empty()) {
                orvel::hid::UnpackItems(top, type, report, items);
                (void)orvel::hid::FirstPressedUsage(items, report[0]);
            }
        }
    }
    return 0;
}
