#include "platform/hid/hid_channel.h"

namespace orvel::hid {

ReportIdFilter::ReportIdFilter(const ReportDescriptor& descriptor, size_t collection)
{
    if (!descriptor.usesReportIds) {
        accepted_.fill(true);
        return;
    }
    accepted_.fill(false);
    if (collection < descriptor.collections.size()) {
        for (const auto& [id, bits] : descriptor.collections[collection].reportBits[size_t(ReportType::kInput)]) {
            accepted_[id] = true;
        }
    }
}

} // namespace orvel::hid
