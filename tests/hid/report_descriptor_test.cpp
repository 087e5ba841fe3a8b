#include "platform/hid/report_descriptor.h"
#include "tests/hid/descriptor_fixtures.h"

#include <gtest/gtest.h>

namespace orvel::hid {
namespace {

namespace fx = testing::fixtures;

using Bytes = std::vector<uint8_t>;
using Usages = std::vector<uint16_t>;

ReportDescriptor Parse(const Bytes& bytes)
{
    std::string error;
    auto parsed = ParseReportDescriptor(bytes, &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(ReportDescriptor());
}

// Compact expectations: page, first usage, last usage, report id, range, array, count.
struct ButtonRow {
    uint16_t page, usageMin, usageMax;
    uint8_t reportId;
    bool isRange, isArray;
    uint16_t reportCount;
};
struct ValueRow {
    uint16_t page, usageMin, usageMax;
    uint8_t reportId;
    bool isRange;
    int32_t logicalMin, logicalMax, physicalMin, physicalMax;
    uint8_t bitSize;
    uint16_t reportCount;
    bool isSigned;
};
struct CollectionRow {
    uint16_t usagePage, usage;
    uint16_t inputLength, outputLength, featureLength;
    std::vector<ButtonRow> inputButtons;
    std::vector<ValueRow> inputValues;
    std::vector<ButtonRow> outputButtons;
    std::vector<ValueRow> outputValues;
    std::vector<ValueRow> featureValues;
    uint32_t maxInputUsages;
};
struct FixtureCase {
    const char* name;
    const Bytes* bytes;
    bool usesReportIds;
    std::vector<CollectionRow> collections;
};

void ExpectButtons(const std::vector<ButtonCaps>& got, const std::vector<ButtonRow>& want, const std::string& where)
{
    ASSERT_EQ(got.size(), want.size()) << where;
    for (size_t i = 0; i < want.size(); ++i) {
        const ButtonCaps& g = got[i];
        const ButtonRow& w = want[i];
        EXPECT_EQ(g.usagePage, w.page) << where << " #" << i;
        EXPECT_EQ(g.usageMin, w.usageMin) << where << " #" << i;
        EXPECT_EQ(g.usageMax, w.usageMax) << where << " #" << i;
        EXPECT_EQ(g.reportId, w.reportId) << where << " #" << i;
        EXPECT_EQ(g.isRange, w.isRange) << where << " #" << i;
        EXPECT_EQ(g.isArray, w.isArray) << where << " #" << i;
        EXPECT_EQ(g.field.reportCount, w.reportCount) << where << " #" << i;
    }
}

void ExpectValues(const std::vector<ValueCaps>& got, const std::vector<ValueRow>& want, const std::string& where)
{
    ASSERT_EQ(got.size(), want.size()) << where;
    for (size_t i = 0; i < want.size(); ++i) {
        const ValueCaps& g = got[i];
        const ValueRow& w = want[i];
        EXPECT_EQ(g.usagePage, w.page) << where << " #" << i;
        EXPECT_EQ(g.usageMin, w.usageMin) << where << " #" << i;
        EXPECT_EQ(g.usageMax, w.usageMax) << where << " #" << i;
        EXPECT_EQ(g.reportId, w.reportId) << where << " #" << i;
        EXPECT_EQ(g.isRange, w.isRange) << where << " #" << i;
        EXPECT_EQ(g.logicalMin(), w.logicalMin) << where << " #" << i;
        EXPECT_EQ(g.logicalMax(), w.logicalMax) << where << " #" << i;
        EXPECT_EQ(g.physicalMin, w.physicalMin) << where << " #" << i;
        EXPECT_EQ(g.physicalMax, w.physicalMax) << where << " #" << i;
        EXPECT_EQ(g.bitSize(), w.bitSize) << where << " #" << i;
        EXPECT_EQ(g.reportCount(), w.reportCount) << where << " #" << i;
        EXPECT_EQ(g.isSigned, w.isSigned) << where << " #" << i;
    }
}

const ValueRow kVendorData {0xFF1C, 1, 1, 4, false, 0, 255, 0, 0, 8, 63, false};
const ButtonRow kConsumerArray {0x0C, 0, 0x1FFF, 3, true, true, 1};

const FixtureCase kFixtures[] = {
    {"boot keyboard", &fx::kBootKeyboard, false,
     {{0x01, 0x06, 9, 2, 0,
       {{0x07, 0xE0, 0xE7, 0, true, false, 8}, {0x07, 0x00, 0x65, 0, true, true, 6}},
       {},
       {{0x08, 1, 5, 0, true, false, 5}},
       {},
       {},
       14}}},
    {"wheel mouse", &fx::kWheelMouse, false,
     {{0x01, 0x02, 5, 0, 0,
       {{0x09, 1, 5, 0, true, false, 5}},
       {{0x01, 0x30, 0x30, 0, false, -127, 127, 0, 0, 8, 1, true},
        {0x01, 0x31, 0x31, 0, false, -127, 127, 0, 0, 8, 1, true},
        {0x01, 0x38, 0x38, 0, false, -127, 127, 0, 0, 8, 1, true}},
       {},
       {},
       {},
       5}}},
    {"consumer control", &fx::kConsumerControl, true,
     {{0x0C, 0x01, 3, 0, 0, {kConsumerArray}, {}, {}, {}, {}, 1}}},
    {"vendor 64-byte", &fx::kVendor64, true,
     {{0xFF1C, 0x92, 64, 64, 0, {}, {kVendorData}, {}, {kVendorData}, {}, 0}}},
    {"composite", &fx::kComposite, true,
     {{0x01, 0x80, 2, 0, 0, {{0x01, 0x81, 0x82, 1, true, false, 2}}, {}, {}, {}, {}, 2},
      {0x0C, 0x01, 3, 0, 0, {kConsumerArray}, {}, {}, {}, {}, 1},
      {0xFF1C, 0x92, 64, 64, 5, {}, {kVendorData}, {}, {kVendorData},
       {{0xFF1C, 2, 2, 4, false, 0, 255, 0, 0, 8, 4, false}}, 0}}},
    {"ranged values", &fx::kRangedValues, false,
     {{0xFF00, 0x01, 5, 0, 0, {}, {{0xFF00, 1, 4, 0, true, 0, 255, 0, 1000, 8, 4, false}}, {}, {}, {}, 0}}},
    {"headset", &fx::kHeadset, true,
     {{0x0C, 0x01, 64, 64, 0, {}, {{0x0C, 1, 1, 4, false, 0, 255, 0, 0, 8, 63, false}}, {},
       {{0x0C, 1, 1, 4, false, 0, 255, 0, 0, 8, 63, false}, {0x0C, 2, 2, 0xFF, false, 0, 255, 0, 0, 8, 16, false}},
       {}, 0}}},
};

TEST(ReportDescriptorTest, FixturesGiveTheirCollectionsAndCaps)
{
    for (const FixtureCase& c : kFixtures) {
        const ReportDescriptor d = Parse(*c.bytes);
        EXPECT_EQ(d.usesReportIds, c.usesReportIds) << c.name;
        ASSERT_EQ(d.collections.size(), c.collections.size()) << c.name;
        for (size_t i = 0; i < c.collections.size(); ++i) {
            const TopCollection& got = d.collections[i];
            const CollectionRow& want = c.collections[i];
            const std::string where = std::string(c.name) + " collection " + std::to_string(i + 1);
            EXPECT_EQ(got.usagePage, want.usagePage) << where;
            EXPECT_EQ(got.usage, want.usage) << where;
            EXPECT_EQ(got.ReportByteLength(ReportType::kInput), want.inputLength) << where;
            EXPECT_EQ(got.ReportByteLength(ReportType::kOutput), want.outputLength) << where;
            EXPECT_EQ(got.ReportByteLength(ReportType::kFeature), want.featureLength) << where;
            ExpectButtons(got.Buttons(ReportType::kInput), want.inputButtons, where + " input");
            ExpectValues(got.Values(ReportType::kInput), want.inputValues, where + " input");
            ExpectButtons(got.Buttons(ReportType::kOutput), want.outputButtons, where + " output");
            ExpectValues(got.Values(ReportType::kOutput), want.outputValues, where + " output");
            ExpectValues(got.Values(ReportType::kFeature), want.featureValues, where + " feature");
            EXPECT_EQ(got.MaxUsageListLength(ReportType::kInput, 0), want.maxInputUsages) << where;
        }
    }
}

TEST(ReportDescriptorTest, PressedUsagesOfAReport)
{
    struct Case {
        const char* name;
        const Bytes* descriptor;
        size_t collection;
        uint16_t page;
        Bytes report;
        bool found;
        Usages usages;
    };
    const Case cases[] = {
        {"keyboard: left shift, a, b", &fx::kBootKeyboard, 0, 0, {0, 0x02, 0, 0x04, 0x05, 0, 0, 0, 0}, true, {0xE1, 4, 5}},
        {"keyboard: page filter", &fx::kBootKeyboard, 0, 0x08, {0, 0x02, 0, 0x04, 0, 0, 0, 0, 0}, true, {}},
        {"keyboard: nothing pressed", &fx::kBootKeyboard, 0, 0x07, Bytes(9, 0), true, {}},
        {"keyboard: slot above the logical maximum", &fx::kBootKeyboard, 0, 0, {0, 0, 0, 0x66, 0, 0, 0, 0, 0}, true, {}},
        {"keyboard: short report", &fx::kBootKeyboard, 0, 0, {0, 0x02, 0}, false, {}},
        {"mouse: buttons 1 and 3", &fx::kWheelMouse, 0, 0x09, {0, 0x05, 0xFF, 0x02, 0x01}, true, {1, 3}},
        {"consumer: usage 0x401", &fx::kConsumerControl, 0, 0x0C, {3, 0x01, 0x04}, true, {0x401}},
        {"consumer: release is no usage", &fx::kConsumerControl, 0, 0x0C, {3, 0, 0}, true, {}},
        {"consumer: wrong report id", &fx::kConsumerControl, 0, 0x0C, {4, 0x01, 0x04}, false, {}},
        {"consumer: empty report", &fx::kConsumerControl, 0, 0x0C, {}, false, {}},
        {"composite: sleep bit", &fx::kComposite, 0, 0x01, {1, 0x02}, true, {0x82}},
        {"composite: vendor report has no buttons", &fx::kComposite, 2, 0, Bytes(64, 4), false, {}},
    };
    for (const Case& c : cases) {
        const ReportDescriptor d = Parse(*c.descriptor);
        Usages usages {0xDEAD};
        EXPECT_EQ(d.collections.at(c.collection).GetUsages(ReportType::kInput, c.page, c.report, usages), c.found)
            << c.name;
        EXPECT_EQ(usages, c.usages) << c.name;
    }
}

TEST(ReportDescriptorTest, RawAndScaledValues)
{
    struct Case {
        const char* name;
        const Bytes* descriptor;
        uint16_t page, usage;
        Bytes report;
        std::optional<uint32_t> raw;
        std::optional<int32_t> scaled;
    };
    const Case cases[] = {
        {"mouse X -1", &fx::kWheelMouse, 0x01, 0x30, {0, 0, 0xFF, 2, 1}, 0xFF, -1},
        {"mouse Y 2", &fx::kWheelMouse, 0x01, 0x31, {0, 0, 0xFF, 2, 1}, 2, 2},
        {"mouse wheel -128 is outside -127..127", &fx::kWheelMouse, 0x01, 0x38, {0, 0, 0, 0, 0x80}, 0x80, std::nullopt},
        {"mouse: no such usage", &fx::kWheelMouse, 0x01, 0x32, {0, 0, 0, 0, 0}, std::nullopt, std::nullopt},
        {"mouse: short report", &fx::kWheelMouse, 0x01, 0x38, {0, 0, 0}, std::nullopt, std::nullopt},
        {"range: usage 1", &fx::kRangedValues, 0xFF00, 1, {0, 0, 51, 255, 7}, 0, 0},
        {"range: usage 2 scaled to 200", &fx::kRangedValues, 0xFF00, 2, {0, 0, 51, 255, 7}, 51, 200},
        {"range: usage 3 scaled to 1000", &fx::kRangedValues, 0xFF00, 3, {0, 0, 51, 255, 7}, 255, 1000},
        {"range: usage 5 is outside", &fx::kRangedValues, 0xFF00, 5, {0, 0, 51, 255, 7}, std::nullopt, std::nullopt},
        {"vendor: first data byte", &fx::kVendor64, 0xFF1C, 1, {4, 0x77}, 0x77, 0x77},
        {"vendor: other report id", &fx::kVendor64, 0xFF1C, 1, {5, 0x77}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const ReportDescriptor d = Parse(*c.descriptor);
        const TopCollection& top = d.collections.at(0);
        EXPECT_EQ(top.GetUsageValue(ReportType::kInput, c.page, c.usage, c.report), c.raw) << c.name;
        EXPECT_EQ(top.GetScaledUsageValue(ReportType::kInput, c.page, c.usage, c.report), c.scaled) << c.name;
    }
}

TEST(ReportDescriptorTest, InputReportsBelongToTheirCollection)
{
    const ReportDescriptor d = Parse(fx::kComposite);
    EXPECT_EQ(d.CollectionOfInputReport(1), 0);
    EXPECT_EQ(d.CollectionOfInputReport(3), 1);
    EXPECT_EQ(d.CollectionOfInputReport(4), 2);
    EXPECT_EQ(d.CollectionOfInputReport(2), -1);
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefused)
{
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"truncated item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}},
        {"truncated long item", {0xFE, 0x10, 0x00, 0x01}},
        {"field outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"collection not closed", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}},
        {"end without collection", {0xC0}},
        {"report size 33", {0xA1, 0x01, 0x75, 0x21, 0xC0}},
        {"report size 0", {0xA1, 0x01, 0x75, 0x00, 0xC0}},
        {"report id 0", {0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"report count above 65535", {0xA1, 0x01, 0x97, 0x00, 0x00, 0x01, 0x00, 0xC0}},
        {"pop without push", {0xB4}},
        {"report longer than 4096 bytes", {0xA1, 0x01, 0x75, 0x20, 0x96, 0x01, 0x04, 0x81, 0x02, 0xC0}},
        {"one id in two collections", {0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
                                       0xA1, 0x01, 0x85, 0x01, 0x81, 0x02, 0xC0}},
        {"field without id after ids", {0xA1, 0x01, 0xA4, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xB4,
                                        0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"id after fields without one", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x02, 0xC0}},
        {"no collection", {0x05, 0x01}},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(c.bytes, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    Bytes deepPush(17, 0xA4);
    EXPECT_FALSE(ParseReportDescriptor(deepPush)) << "push 17 deep";
    Bytes deepNest;
    for (int i = 0; i < 33; ++i) {
        deepNest.insert(deepNest.end(), {0xA1, 0x00});
    }
    EXPECT_FALSE(ParseReportDescriptor(deepNest)) << "33 nested collections";
}

TEST(ReportDescriptorTest, ExtendedUsagesAndLongItems)
{
    // A 4-byte usage carries its own page; a long item is skipped.
    const Bytes bytes {0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0xFE, 0x02, 0x10, 0xAA, 0xBB,
                       0x0B, 0xE9, 0x00, 0x0C, 0x00, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0};
    const ReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_EQ(d.collections[0].usagePage, 0x0C);
    EXPECT_EQ(d.collections[0].usage, 0x01);
    ExpectButtons(d.collections[0].Buttons(ReportType::kInput), {{0x0C, 0xE9, 0xE9, 0, false, false, 8}}, "extended");
}

} // namespace
} // namespace orvel::hid
