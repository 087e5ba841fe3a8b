#include "input/event_image.h"

#include <json/reader.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace orvel::input;

Json::Value Parse(const std::string& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors;
    return value;
}

TEST(ParseEvent, ReadsAndClampsOrRejects)
{
    const struct {
        const char* json;
        std::optional<MacroEvent> event;
    } cases[] = {
        {R"({"Action":"down","Type":10,"Button":4,"Delay":"300"})", MacroEvent {true, 10, 4, 300}},
        {R"({"Action":"up","Type":1,"Button":1,"Delay":0})", MacroEvent {false, 1, 1, 0}},
        {R"({"Action":"down","Type":5,"Button":900,"Delay":"70000"})", MacroEvent {true, 5, 255, 65535}},
        {R"({"Action":"down","Type":5,"Button":-3,"Delay":"-5"})", MacroEvent {true, 5, 0, 0}},
        {R"({"Action":"down","Type":4,"Button":2,"Delay":"12ms"})", MacroEvent {true, 4, 2, 12}},
        {R"({"Action":7,"Type":4,"Button":2,"Delay":"1"})", MacroEvent {false, 4, 2, 1}},
        {R"({"Action":"down","Type":4,"Button":"2","Delay":"1"})", std::nullopt},
        {R"({"Action":"down","Type":4,"Button":2,"Delay":[1]})", std::nullopt},
        {R"({"Action":"down","Type":4,"Button":2})", std::nullopt},
        {R"({"Action":"down","Type":200,"Button":2,"Delay":"1"})", std::nullopt},
        {R"({"Action":"down","Type":-1,"Button":2,"Delay":"1"})", std::nullopt},
        {R"({"Action":"down","Type":1.5,"Button":2,"Delay":"1"})", std::nullopt},
        {R"([1,2,3])", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(ParseEvent(Parse(c.json)), c.event);
    }
}

TEST(DeviceEvent, PutsTheDelayFirstAndMarksPresses)
{
    EXPECT_EQ(DeviceEvent({true, 10, 4, 300}), (std::array<uint8_t, 4> {0x2C, 0x01, 0x8A, 0x04}));
    EXPECT_EQ(DeviceEvent({false, 1, 1, 0}), (std::array<uint8_t, 4> {0x00, 0x00, 0x01, 0x01}));
    EXPECT_EQ(DeviceEvent({true, 1, 1, 65535}), (std::array<uint8_t, 4> {0xFF, 0xFF, 0x81, 0x01}));
}

TEST(BuildEventImage, LaysOutHeaderOffsetsCountsAndEvents)
{
    const std::vector<std::vector<MacroEvent>> sections = {
        {{true, 10, 4, 300}, {false, 10, 4, 0}},
        {},
        {{true, 1, 1, 10}},
    };
    const ImageResult result = BuildEventImage(sections, {4096, kMacroEventLimit});
    ASSERT_EQ(result.status, ImageStatus::Ok);
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 46, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // header
        22, 0, 34, 0, 38, 0,                                   // offsets
        2, 0, 0, 0, 0x2C, 0x01, 0x8A, 0x04, 0x00, 0x00, 0x0A, 0x04,
        0, 0, 0, 0,
        1, 0, 0, 0, 0x0A, 0x00, 0x81, 0x01,
    };
    EXPECT_EQ(result.bytes, expected);
}

TEST(BuildEventImage, RefusesImagesAboveTheLimitsWithTheirNumbers)
{
    const std::vector<MacroEvent> events251(251, MacroEvent {true, 10, 4, 1});
    const std::vector<MacroEvent> events10(10, MacroEvent {true, 10, 4, 1});
    const struct {
        std::vector<std::vector<MacroEvent>> sections;
        size_t capacity;
        ImageStatus status;
        int64_t value;
    } cases[] = {
        {{events10}, 16 + 6 + 40, ImageStatus::Ok, 0},
        {{events10}, 16 + 6 + 40 - 10, ImageStatus::TooBig, 62},
        {{events10, events251}, 1 << 20, ImageStatus::TooManyEvents, 251},
        {{events251}, 100, ImageStatus::TooBig, 16 + 6 + 1004}, // the size is checked first
        {{std::vector<MacroEvent>(20000)}, 1 << 20, ImageStatus::TooBig, 16 + 6 + 80000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        const ImageResult result = BuildEventImage(c.sections, {c.capacity, kMacroEventLimit});
        EXPECT_EQ(result.status, c.status);
        if (c.status != ImageStatus::Ok) {
            EXPECT_EQ(result.value, c.value);
            EXPECT_TRUE(result.bytes.empty());
        }
    }
}

} // namespace
