#include "profiles/jsonaccess.h"

#include "tests/profiles/json_text.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace orvel::profiles;
using orvel::testing::ParseJson;

TEST(JsonAccess, NumbersOfEveryShapeReadAsIntegersOrAsMissing)
{
    struct Case {
        const char* json;
        int asInt;
        uint32_t asUInt;
        bool asBool;
    };
    const Case cases[] = {
        {R"({"v": 7})", 7, 7, true},
        {R"({"v": -1})", -1, 0xFFFFFFFFu, true},
        {R"({"v": 0})", 0, 0, false},
        {R"({"v": 2.9})", 2, 2, true},
        {R"({"v": 0.5})", 0, 0, true},
        {R"({"v": true})", 1, 1, true},
        {R"({"v": 7340290})", 7340290, 0x700102, true},
        {R"({"v": 4294967296})", -5, 0, true},        // beyond int: neutral for JsonInt, cut for JsonUInt
        {R"({"v": 18446744073709551615})", -5, 99, false}, // beyond int64: missing
        {R"({"v": 1e300})", -5, 99, true},
        {R"({"v": "2"})", -5, 99, false},
        {R"({"v": [1]})", -5, 99, false},
        {R"({"v": {"a": 1}})", -5, 99, false},
        {R"({"v": null})", -5, 99, false},
        {R"({"w": 3})", -5, 99, false},
        {R"([1, 2])", -5, 99, false},
        {R"("text")", -5, 99, false},
    };
    for (const auto& c : cases) {
        const Json::Value doc = ParseJson(c.json);
        EXPECT_EQ(JsonInt(doc, "v", -5), c.asInt) << c.json;
        EXPECT_EQ(JsonUInt(doc, "v", 99), c.asUInt) << c.json;
        EXPECT_EQ(JsonBool(doc, "v", false), c.asBool) << c.json;
    }
}

TEST(JsonAccess, StringsArraysAndObjectsOnlyWhenTheTypeFits)
{
    const Json::Value doc = ParseJson(R"({"s": "名字", "n": 5, "a": [1, 2], "o": {"x": 1}})");
    EXPECT_EQ(JsonString(doc, "s"), "名字");
    EXPECT_EQ(JsonString(doc, "n", "none"), "none");
    EXPECT_EQ(JsonArray(doc, "a").size(), 2u);
    EXPECT_TRUE(JsonArray(doc, "o").isNull());
    EXPECT_TRUE(JsonArray(doc, "s").isNull());
    EXPECT_TRUE(JsonObject(doc, "o").isObject());
    EXPECT_TRUE(JsonObject(doc, "a").isNull());
    EXPECT_TRUE(JsonElement(doc["a"], 2).isNull());
    EXPECT_EQ(JsonElement(doc["a"], 1).asInt(), 2);
    EXPECT_TRUE(JsonElement(doc["o"], 0).isNull()) << "an object is not an array";
    EXPECT_TRUE(JsonMember(doc["a"], "x").isNull()) << "an array is not an object";
}

TEST(JsonAccess, WritersCreateThePathAndReplaceWronglyTypedValues)
{
    Json::Value doc = ParseJson(R"({"keep": 1, "obj": "text", "arr": {"x": 1}})");
    JsonObjectAt(doc, "obj")["a"] = 1;
    JsonElementAt(JsonArrayAt(doc, "arr"), 2)["b"] = 2;
    JsonElementAt(JsonArrayAt(doc, "fresh"), 0) = 3;
    EXPECT_EQ(doc["keep"].asInt(), 1);
    EXPECT_EQ(doc["obj"]["a"].asInt(), 1);
    ASSERT_TRUE(doc["arr"].isArray());
    EXPECT_EQ(doc["arr"].size(), 3u);
    EXPECT_TRUE(doc["arr"][0].isNull());
    EXPECT_EQ(doc["arr"][2]["b"].asInt(), 2);
    EXPECT_EQ(doc["fresh"][0].asInt(), 3);

    Json::Value scalar = 5;
    JsonSet(scalar, "k", "v");
    EXPECT_EQ(scalar["k"].asString(), "v");
}

} // namespace
