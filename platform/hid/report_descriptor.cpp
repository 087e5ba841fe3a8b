#include "platform/hid/report_descriptor.h"

#include <algorithm>

namespace orvel::hid {

namespace {

// Limits that no real device comes near; they keep a hostile descriptor from making the
// program allocate or loop without bound.
constexpr size_t kMaxStackDepth = 16;
constexpr size_t kMaxCollectionDepth = 32;
constexpr uint32_t kMaxReportBits = 8 * 4096;
constexpr size_t kMaxCapsPerCollection = 512;

// A usage as a local item gives it: the page is the global one unless the item was 4 bytes.
struct LocalUsage {
    uint16_t page = 0;
    uint16_t min = 0;
    uint16_t max = 0;
    bool isRange = false;
    uint32_t Count() const { return uint32_t(max) - min + 1; }
};

struct Globals {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct Locals {
    std::vector<LocalUsage> usages;
    std::optional<uint32_t> usageMin;
    std::optional<uint32_t> usageMax;
    bool minExtended = false;
};

uint32_t Unsigned(const uint8_t* data, size_t size)
{
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        value |= uint32_t(data[i]) << (8 * i);
    }
    return value;
}

int32_t Signed(const uint8_t* data, size_t size)
{
    const uint32_t value = Unsigned(data, size);
    switch (size) {
    case 1:
        return int8_t(value);
    case 2:
        return int16_t(value);
    case 4:
        return int32_t(value);
    default:
        return 0;
    }
}

class Parser {
public:
    std::optional<ReportDescriptor> Run(std::span<const uint8_t> bytes, std::string& error);

private:
    bool Fail(std::string text)
    {
        error_ = std::move(text);
        return false;
    }
    bool Item(uint8_t tag, uint8_t type, const uint8_t* data, size_t size);
    bool Main(uint8_t tag, uint32_t value);
    bool Global(uint8_t tag, const uint8_t* data, size_t size);
    void Local(uint8_t tag, uint32_t value, size_t size);
    bool DataItem(ReportType type, uint32_t flags);

    ReportDescriptor result_;
    Globals globals_;
    std::vector<Globals> stack_;
    Locals locals_;
    size_t depth_ = 0;
    bool mainWithoutId_ = false;
    // Report id -> owning collection, per report type; also the running bit count.
    std::array<std::map<uint8_t, size_t>, kReportTypeCount> owner_;
    std::string error_;
};

std::optional<ReportDescriptor> Parser::Run(std::span<const uint8_t> bytes, std::string& error)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        const uint8_t prefix = bytes[pos];
        if (prefix == 0xFE) {
            // Long item: size byte, tag byte, data. No long items are defined; skip them.
            if (pos + 3 > bytes.size() || pos + 3 + bytes[pos + 1] > bytes.size()) {
                error = "truncated long item at byte " + std::to_string(pos);
                return std::nullopt;
            }
            pos += 3 + bytes[pos + 1];
            continue;
        }
        static constexpr size_t kSizes[4] = {0, 1, 2, 4};
        const size_t size = kSizes[prefix & 3];
        if (pos + 1 + size > bytes.size()) {
            error = "truncated item at byte " + std::to_string(pos);
            return std::nullopt;
        }
        if (!Item(prefix >> 4, (prefix >> 2) & 3, bytes.data() + pos + 1, size)) {
            error = error_ + " (item at byte " + std::to_string(pos) + ")";
            return std::nullopt;
        }
        pos += 1 + size;
    }
    if (depth_ != 0) {
        error = "collection not closed";
        return std::nullopt;
    }
    if (result_.collections.empty()) {
        error = "no top-level collection";
        return std::nullopt;
    }
    return std::move(result_);
}

bool Parser::Item(uint8_t tag, uint8_t type, const uint8_t* data, size_t size)
{
    switch (type) {
    case 0:
        return Main(tag, Unsigned(data, size));
    case 1:
        return Global(tag, data, size);
    case 2:
        Local(tag, Unsigned(data, size), size);
        return true;
    default:
        return true; // reserved item type: nothing to learn from it
    }
}

bool Parser::Main(uint8_t tag, uint32_t value)
{
    bool ok = true;
    switch (tag) {
    case 0x8:
        ok = DataItem(ReportType::kInput, value);
        break;
    case 0x9:
        ok = DataItem(ReportType::kOutput, value);
        break;
    case 0xB:
        ok = DataItem(ReportType::kFeature, value);
        break;
    case 0xA: // Collection
        if (depth_ >= kMaxCollectionDepth) {
            return Fail("collections nested too deep");
        }
        if (depth_ == 0) {
            TopCollection top;
            const std::vector<LocalUsage>& usages = locals_.usages;
            if (!usages.empty()) {
                top.usagePage = usages.front().page;
                top.usage = usages.front().min;
            } else {
                top.usagePage = globals_.usagePage;
            }
            result_.collections.push_back(std::move(top));
        }
        ++depth_;
        break;
    case 0xC: // End Collection
        if (depth_ == 0) {
            return Fail("end of collection without a collection");
        }
        --depth_;
        break;
    default:
        return Fail("unknown main item");
    }
    locals_ = Locals();
    return ok;
}

bool Parser::Global(uint8_t tag, const uint8_t* data, size_t size)
{
    const uint32_t u = Unsigned(data, size);
    const int32_t s = Signed(data, size);
    switch (tag) {
    case 0x0:
        globals_.usagePage = static_cast<uint16_t>(u);
        break;
    case 0x1:
        globals_.logicalMin = s;
        break;
    case 0x2:
        // Many devices write 255 as one byte 0xFF; read a maximum as unsigned when the
        // minimum is not negative.
        globals_.logicalMax = (globals_.logicalMin >= 0 && size < 4) ? int32_t(u) : s;
        break;
    case 0x3:
        globals_.physicalMin = s;
        break;
    case 0x4:
        globals_.physicalMax = (globals_.physicalMin >= 0 && size < 4) ? int32_t(u) : s;
        break;
    case 0x5: // unit exponent
    case 0x6: // unit
        break;
    case 0x7:
        if (u == 0 || u > 32) {
            return Fail("report size must be 1..32 bits");
        }
        globals_.reportSize = u;
        break;
    case 0x8:
        if (u == 0 || u > 255) {
            return Fail("report id must be 1..255");
        }
        if (mainWithoutId_) {
            return Fail("report id after fields without one");
        }
        globals_.reportId = static_cast<uint8_t>(u);
        result_.usesReportIds = true;
        break;
    case 0x9:
        if (u > 0xFFFF) {
            return Fail("report count above 65535");
        }
        globals_.reportCount = u;
        break;
    case 0xA:
        if (stack_.size() >= kMaxStackDepth) {
            return Fail("push nested too deep");
        }
        stack_.push_back(globals_);
        break;
    case 0xB:
        if (stack_.empty()) {
            return Fail("pop without push");
        }
        globals_ = stack_.back();
        stack_.pop_back();
        break;
    default:
        break;
    }
    return true;
}

void Parser::Local(uint8_t tag, uint32_t value, size_t size)
{
    const bool extended = size == 4;
    switch (tag) {
    case 0x0: {
        LocalUsage usage;
        usage.page = extended ? static_cast<uint16_t>(value >> 16) : globals_.usagePage;
        usage.min = usage.max = static_cast<uint16_t>(value);
        locals_.usages.push_back(usage);
        break;
    }
    case 0x1:
        locals_.usageMin = value;
        locals_.minExtended = extended;
        break;
    case 0x2:
        locals_.usageMax = value;
        if (locals_.usageMin) {
            LocalUsage range;
            range.page = locals_.minExtended ? static_cast<uint16_t>(*locals_.usageMin >> 16) : globals_.usagePage;
            range.min = static_cast<uint16_t>(*locals_.usageMin);
            range.max = static_cast<uint16_t>(value);
            range.isRange = true;
            if (range.max >= range.min) {
                locals_.usages.push_back(range);
            }
            locals_.usageMin.reset();
            locals_.usageMax.reset();
        }
        break;
    default:
        break; // designators, strings, delimiters: not used
    }
}

bool Parser::DataItem(ReportType type, uint32_t flags)
{
    if (depth_ == 0) {
        return Fail("report field outside a collection");
    }
    if (globals_.reportId == 0) {
        if (result_.usesReportIds) {
            return Fail("report field without a report id");
        }
        mainWithoutId_ = true;
    }
    const uint32_t count = globals_.reportCount;
    const uint32_t size = globals_.reportSize;
    if (count == 0 || size == 0) {
        return true;
    }
    const size_t index = result_.collections.size() - 1;
    TopCollection& top = result_.collections[index];
    const uint8_t id = globals_.reportId;
    auto& owners = owner_[size_t(type)];
    const auto owned = owners.find(id);
    if (owned == owners.end()) {
        owners[id] = index;
    } else if (owned->second != index) {
        return Fail("one report id in two top-level collections");
    }
    uint32_t& bits = top.reportBits[size_t(type)][id];
    const uint32_t offset = bits;
    if (uint64_t(offset) + uint64_t(count) * size > kMaxReportBits) {
        return Fail("report longer than 4096 bytes");
    }
    bits = offset + count * size;

    const bool constant = flags & 0x01;
    const bool variable = flags & 0x02;
    const bool hasNull = flags & 0x40;
    if (constant) {
        return true; // padding
    }
    std::vector<LocalUsage> usages = locals_.usages;
    if (usages.empty()) {
        LocalUsage none;
        none.page = globals_.usagePage;
        usages.push_back(none);
    }
    auto& buttons = top.buttonCaps[size_t(type)];
    auto& values = top.valueCaps[size_t(type)];

    Field field;
    field.reportId = id;
    field.bitSize = static_cast<uint8_t>(size);
    field.logicalMin = globals_.logicalMin;
    field.logicalMax = globals_.logicalMax;

    if (!variable) {
        // An array: every slot holds an index into the item's usages.
        field.bitOffset = offset;
        field.reportCount = static_cast<uint16_t>(count);
        uint32_t base = 0;
        for (const LocalUsage& u : usages) {
            ButtonCaps caps;
            caps.usagePage = u.page;
            caps.reportId = id;
            caps.isRange = u.isRange;
            caps.usageMin = u.min;
            caps.usageMax = u.max;
            caps.isArray = true;
            caps.arrayIndexBase = base;
            caps.field = field;
            buttons.push_back(caps);
            base += u.Count();
        }
    } else {
        // Variable fields take the usages in order; the last usage covers any fields left.
        uint32_t next = 0;
        for (size_t i = 0; i < usages.size() && next < count; ++i) {
            LocalUsage u = usages[i];
            const bool last = i + 1 == usages.size();
            uint32_t fields = u.Count();
            if (u.isRange && fields > count - next) {
                fields = count - next;
                u.max = static_cast<uint16_t>(u.min + fields - 1);
            }
            if (last && !u.isRange) {
                fields = count - next;
            }
            field.bitOffset = offset + next * size;
            field.reportCount = static_cast<uint16_t>(fields);
            if (size == 1) {
                ButtonCaps caps;
                caps.usagePage = u.page;
                caps.reportId = id;
                caps.isRange = u.isRange;
                caps.usageMin = u.min;
                caps.usageMax = u.max;
                caps.field = field;
                buttons.push_back(caps);
            } else {
                ValueCaps caps;
                caps.usagePage = u.page;
                caps.reportId = id;
                caps.isRange = u.isRange;
                caps.usageMin = u.min;
                caps.usageMax = u.max;
                caps.physicalMin = globals_.physicalMin;
                caps.physicalMax = globals_.physicalMax;
                caps.isSigned = globals_.logicalMin < 0;
                caps.hasNull = hasNull;
                caps.field = field;
                values.push_back(caps);
            }
            next += fields;
        }
    }
    if (buttons.size() + values.size() > kMaxCapsPerCollection) {
        return Fail("too many report fields");
    }
    return true;
}

// Reads bitSize bits at bitOffset (from byte 1 of the report); null when out of the report.
std::optional<uint32_t> Bits(std::span<const uint8_t> report, uint64_t bitOffset, uint32_t bitSize)
{
    if (report.empty() || bitOffset + bitSize > uint64_t(report.size() - 1) * 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (uint32_t i = 0; i < bitSize; ++i) {
        const uint64_t bit = bitOffset + i;
        if (report[1 + bit / 8] >> (bit % 8) & 1) {
            value |= 1u << i;
        }
    }
    return value;
}

int32_t SignExtend(uint32_t raw, uint32_t bitSize)
{
    if (bitSize >= 32) {
        return int32_t(raw);
    }
    const uint32_t sign = 1u << (bitSize - 1);
    return int32_t((raw ^ sign) - sign);
}

const ValueCaps* FindValue(const TopCollection& top, ReportType type, uint16_t usagePage, uint16_t usage,
                           uint8_t reportId, uint32_t& index)
{
    for (const ValueCaps& caps : top.Values(type)) {
        if (caps.reportId == reportId && caps.usagePage == usagePage && usage >= caps.usageMin
            && usage <= caps.usageMax) {
            index = caps.isRange ? uint32_t(usage - caps.usageMin) : 0;
            return &caps;
        }
    }
    return nullptr;
}

} // namespace

uint16_t TopCollection::ReportByteLength(ReportType type) const
{
    uint32_t longest = 0;
    bool any = false;
    for (const auto& [id, bits] : reportBits[size_t(type)]) {
        any = true;
        longest = std::max(longest, bits);
    }
    return any ? static_cast<uint16_t>((longest + 7) / 8 + 1) : 0;
}

bool TopCollection::HasReport(ReportType type, uint8_t reportId) const
{
    return reportBits[size_t(type)].count(reportId) != 0;
}

uint32_t TopCollection::MaxUsageListLength(ReportType type, uint16_t usagePage) const
{
    uint32_t length = 0;
    for (const ButtonCaps& caps : Buttons(type)) {
        if (usagePage != 0 && caps.usagePage != usagePage) {
            continue;
        }
        // An array's slots are shared by all its usages: count them once.
        if (!caps.isArray || caps.arrayIndexBase == 0) {
            length += caps.field.reportCount;
        }
    }
    return length;
}

bool TopCollection::GetUsages(ReportType type, uint16_t usagePage, std::span<const uint8_t> report,
                              std::vector<uint16_t>& usages) const
{
    usages.clear();
    if (report.empty()) {
        return false;
    }
    const uint8_t id = report[0];
    bool found = false;
    for (const ButtonCaps& caps : Buttons(type)) {
        if (caps.reportId != id) {
            continue;
        }
        const Field& f = caps.field;
        if (!Bits(report, uint64_t(f.bitOffset) + uint64_t(f.reportCount) * f.bitSize - 1, 1)) {
            usages.clear();
            return false; // the report is shorter than its fields
        }
        found = true;
        if (usagePage != 0 && caps.usagePage != usagePage) {
            continue;
        }
        const uint32_t span = uint32_t(caps.usageMax) - caps.usageMin + 1;
        for (uint32_t slot = 0; slot < f.reportCount; ++slot) {
            const uint32_t raw = *Bits(report, uint64_t(f.bitOffset) + uint64_t(slot) * f.bitSize, f.bitSize);
            uint16_t usage = 0;
            if (caps.isArray) {
                const int64_t value = f.logicalMin < 0 ? SignExtend(raw, f.bitSize) : int64_t(raw);
                if (value < f.logicalMin || value > f.logicalMax) {
                    continue;
                }
                const int64_t index = value - f.logicalMin - caps.arrayIndexBase;
                if (index < 0 || index >= span) {
                    continue;
                }
                usage = static_cast<uint16_t>(caps.usageMin + index);
            } else {
                if (raw == 0) {
                    continue;
                }
                usage = static_cast<uint16_t>(caps.usageMin + std::min(slot, span - 1));
            }
            if (usage != 0) {
                usages.push_back(usage);
            }
        }
    }
    return found;
}

std::optional<uint32_t> TopCollection::GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                                     std::span<const uint8_t> report) const
{
    if (report.empty()) {
        return std::nullopt;
    }
    uint32_t index = 0;
    const ValueCaps* caps = FindValue(*this, type, usagePage, usage, report[0], index);
    if (caps == nullptr) {
        return std::nullopt;
    }
    const Field& f = caps->field;
    return Bits(report, uint64_t(f.bitOffset) + uint64_t(index) * f.bitSize, f.bitSize);
}

std::optional<int32_t> TopCollection::GetScaledUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                                          std::span<const uint8_t> report) const
{
    if (report.empty()) {
        return std::nullopt;
    }
    uint32_t index = 0;
    const ValueCaps* caps = FindValue(*this, type, usagePage, usage, report[0], index);
    const auto raw = GetUsageValue(type, usagePage, usage, report);
    if (caps == nullptr || !raw) {
        return std::nullopt;
    }
    const int64_t logicalMin = caps->logicalMin();
    const int64_t logicalMax = caps->logicalMax();
    const int64_t value = caps->isSigned ? SignExtend(*raw, caps->bitSize()) : int64_t(*raw);
    if (logicalMax <= logicalMin || value < logicalMin || value > logicalMax) {
        return std::nullopt;
    }
    int64_t physicalMin = caps->physicalMin;
    int64_t physicalMax = caps->physicalMax;
    if (physicalMin == 0 && physicalMax == 0) {
        physicalMin = logicalMin;
        physicalMax = logicalMax;
    }
    const int64_t scaled = (value - logicalMin) * (physicalMax - physicalMin) / (logicalMax - logicalMin) + physicalMin;
    return static_cast<int32_t>(scaled);
}

int ReportDescriptor::CollectionOfInputReport(uint8_t reportId) const
{
    for (size_t i = 0; i < collections.size(); ++i) {
        if (collections[i].HasReport(ReportType::kInput, reportId)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<ReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes, std::string* error)
{
    std::string text;
    Parser parser;
    auto result = parser.Run(bytes, text);
    if (error != nullptr) {
        *error = text;
    }
    return result;
}

} // namespace orvel::hid
