// The update service's answer as outside input, and the query body.

#include "update/update_answer.h"

#include <gtest/gtest.h>

namespace orvel::update {
namespace {

TEST(UpdateQueryBody, KeyAndVersionInTheProductsBase)
{
    EXPECT_EQ(QueryBody("ZENTA_1_QL40P23B_MS_1", 0x0102, true), "app_key=ZENTA_1_QL40P23B_MS_1&version=102");
    EXPECT_EQ(QueryBody("ZENTA_0_ALL_P71_RT3_1", 1000, false), "app_key=ZENTA_0_ALL_P71_RT3_1&version=1000");
    // A 20-character key and version 5: 38 characters (39 bytes are sent, with the zero).
    EXPECT_EQ(QueryBody("ABCDEFGHIJKLMNOPQRST", 5, false).size(), 38u);
}

struct AnswerCase {
    const char* what;
    std::string answer;
    std::int32_t current;
    bool hex;
    int status;
    CheckFailure failure;
    const char* newText;
};

TEST(UpdateAnswer, StatusAndTextsOfEachKindOfAnswer)
{
    const std::string https = "\"path\":\"https://host/p.exe\"";
    const AnswerCase cases[] = {
        {"newer hexadecimal", "{\"version\":\"0103\"," + https + "}", 0x0102, true, kStatusNewer, CheckFailure::None,
         "V0103"},
        {"same hexadecimal", "{\"version\":\"0102\"," + https + "}", 0x0102, true, kStatusNoNewer, CheckFailure::None,
         "V0102"},
        {"older hexadecimal", "{\"version\":\"00ff\"}", 0x0102, true, kStatusNoNewer, CheckFailure::None, "V00ff"},
        {"same decimal", "{\"version\":\"105\",\"version_name\":\"V1.0.5\"}", 105, false, kStatusNoNewer,
         CheckFailure::None, "V1.0.5"},
        {"newer decimal shows the version name",
         "{\"version\":\"1001\",\"version_name\":\"V1.0.0.1\"," + https + "}", 1000, false, kStatusNewer,
         CheckFailure::None, "V1.0.0.1"},
        {"comments are allowed", "// the service\n{\"version\":\"0103\", /* new */ " + https + "}", 0x0102, true,
         kStatusNewer, CheckFailure::None, "V0103"},
        {"no version offers nothing", "{\"name\":\"MS\"}", 0x0102, true, kStatusNoNewer, CheckFailure::None, ""},
        {"not JSON", "<html>busy</html>", 0x0102, true, kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"not an object", "[\"0103\"]", 0x0102, true, kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"version as a number", "{\"version\":103," + https + "}", 0x0102, true, kStatusNoNewer,
         CheckFailure::BadAnswer, ""},
        {"version not in the base", "{\"version\":\"01g3\"," + https + "}", 0x0102, true, kStatusNoNewer,
         CheckFailure::BadAnswer, ""},
        {"decimal version with hex digits", "{\"version\":\"1a\"," + https + "}", 10, false, kStatusNoNewer,
         CheckFailure::BadAnswer, ""},
        {"version beyond 32 bits", "{\"version\":\"99999999999\"," + https + "}", 10, false, kStatusNoNewer,
         CheckFailure::BadAnswer, ""},
        {"newer without a path", "{\"version\":\"0103\"}", 0x0102, true, kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"newer with a plain http path", "{\"version\":\"0103\",\"path\":\"http://host/p.exe\"}", 0x0102, true,
         kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"newer with a path of the wrong type", "{\"version\":\"0103\",\"path\":[1]}", 0x0102, true, kStatusNoNewer,
         CheckFailure::BadAnswer, ""},
        {"hash that is not 64 digits", "{\"version\":\"0103\",\"sha256\":\"abc\"," + https + "}", 0x0102, true,
         kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"empty", "", 0x0102, true, kStatusNoNewer, CheckFailure::BadAnswer, ""},
        {"nested too deep", std::string(5000, '['), 0x0102, true, kStatusNoNewer, CheckFailure::BadAnswer, ""},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdateInfo info = ParseUpdateAnswer(c.answer, c.current, c.hex);
        EXPECT_EQ(info.status, c.status);
        EXPECT_EQ(info.failure, c.failure);
        if (c.failure == CheckFailure::None)
            EXPECT_EQ(info.newVersionText, c.newText);
        else
            EXPECT_FALSE(info.failureText.empty());
    }
}

TEST(UpdateAnswer, FieldsAreTakenAndWrongTypesReadAsMissing)
{
    const std::string hash(64, 'a');
    const UpdateInfo info = ParseUpdateAnswer(
        "{\"version\":\"0103\",\"path\":\"https://h/MS.bin\",\"name\":\"MS\",\"version_name\":\"fw 1.03\","
        "\"device_id\":2,\"sha256\":\"" + hash + "\"}",
        0x0102, true);
    EXPECT_EQ(info.status, kStatusNewer);
    EXPECT_EQ(info.currentVersionText, "V0102");
    EXPECT_EQ(info.path, "https://h/MS.bin");
    EXPECT_EQ(info.name, "MS");
    EXPECT_EQ(info.versionName, "fw 1.03");
    EXPECT_EQ(info.deviceId, 2);
    EXPECT_EQ(info.sha256, hash);

    const UpdateInfo odd = ParseUpdateAnswer(
        "{\"version\":\"0102\",\"name\":7,\"version_name\":{},\"device_id\":\"1\"}", 0x0102, true);
    EXPECT_TRUE(odd.Answered());
    EXPECT_EQ(odd.name, "");
    EXPECT_EQ(odd.versionName, "");
    EXPECT_EQ(odd.deviceId, 0);
}

TEST(UpdateAnswer, OnlyTheGivenLengthIsRead)
{
    // The bytes after the given length (here a second object) are not part of the answer,
    // and the answer needs no terminating zero.
    const std::string bytes = "{\"version\":\"0103\",\"path\":\"https://h/a\"}{\"version\":\"0999\"}";
    const UpdateInfo info = ParseUpdateAnswer(std::string_view(bytes.data(), bytes.find('}') + 1), 0x0102, true);
    EXPECT_EQ(info.newVersionText, "V0103");
    // A zero byte inside the answer is not an end.
    const std::string withZero("{\"version\":\"0103\"\0}", 19);
    EXPECT_FALSE(ParseUpdateAnswer(withZero, 0x0102, true).Answered());
}

} // namespace
} // namespace orvel::update
