// "orvelctl update" with emulated devices on a private vhid folder and the local server.

#include "sim/serve/device_set.h"
#include "tests/orvelctl/run_capture.h"
#include "tests/support/file_text.h"
#include "tests/update/service_fixture.h"

#include <json/reader.h>

namespace orvel::update {
namespace {

using testing::RecordedRequest;
using testing::ScriptedReply;

class OrvelctlUpdate : public testing::UpdateServiceTest {
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        env_.setEnv("ORVEL_VHID_DIR", (env_.path() / "vhid").string());
        env_.setEnv("XDG_CACHE_HOME", (env_.path() / "cache").string());
        env_.setEnv("XDG_DATA_HOME", (env_.path() / "data").string());
        env_.setEnv("ORVEL_UPDATE_CA", Certificates().authority.string());
        env_.setEnv("ORVEL_UPDATE_URL", server_->Origin() + "/api/");
        std::filesystem::create_directories(env_.path() / "vhid");
        std::filesystem::permissions(env_.path() / "vhid", std::filesystem::perms::owner_all);
        devices_ = std::make_unique<sim::DeviceSet>(sim::DeviceSetOptions{
            env_.path() / "vhid", {}, std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
        // The mouse through its receiver (emulated firmware 0x0105), no keyboard or pad.
        std::string error;
        ASSERT_TRUE(devices_->Serve("mouse-receiver", &error)) << error;

        const std::string origin = server_->Origin();
        server_->SetHandler([origin](const RecordedRequest& request) {
            if (request.method == "HEAD" || request.method == "GET")
                return ScriptedReply{200, {}, "", 70000};
            if (request.body.find("_MS_") != std::string::npos)
                return ScriptedReply{200, {}, "{\"version\":\"0106\",\"path\":\"" + origin + "/f/ms_fw.bin\"}"};
            return ScriptedReply{200, {}, "{\"version\":\"1000\"}"};
        });
    }

    testing::CtlResult Ctl(const std::vector<std::string>& words) { return testing::RunCtl(words, ctlEnv_); }

    std::unique_ptr<sim::DeviceSet> devices_;
    ctl::Environment ctlEnv_{nullptr, [] { return false; }};
};

TEST_F(OrvelctlUpdate, CheckListsEveryProductAndAsksOnlyForPresentOnes)
{
    const auto text = Ctl({"update", "check"});
    ASSERT_EQ(text.code, ctl::kExitOk) << text.err;
    EXPECT_NE(text.out.find("MS       mouse      V0105     V0106    newer version offered"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("KB       keyboard   -         -        not connected"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("AP       program    V1.0.0.0  -        up to date"), std::string::npos) << text.out;

    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    // Through the receiver the mouse's revision is -1.
    EXPECT_EQ(requests[0].body, std::string("app_key=ZENTA_1_QL40P23B_MS_-1&version=105\0", 43));

    const auto json = Ctl({"update", "check", "--json"});
    Json::Value document;
    std::istringstream in(json.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &document, nullptr)) << json.out;
    ASSERT_EQ(document["products"].size(), 4u);
    EXPECT_EQ(document["products"][0]["status"].asString(), "newer");
    EXPECT_EQ(document["products"][0]["offered"].asString(), "V0106");
    EXPECT_EQ(document["products"][1]["status"].asString(), "absent");
    EXPECT_TRUE(document["products"][1]["current"].isNull());
    EXPECT_EQ(document["products"][3]["status"].asString(), "current");
}

TEST_F(OrvelctlUpdate, DevicesAreLeftAloneWhileTheWindowRuns)
{
    ctlEnv_.windowRunning = [] { return true; };
    const auto result = Ctl({"update", "check"});
    EXPECT_NE(result.out.find("MS       mouse      -  "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("the window is running"), std::string::npos);
    EXPECT_EQ(server_->Requests().size(), 1u);  // only the program was asked about
}

TEST_F(OrvelctlUpdate, DownloadPrintsThePathOfTheStoredPackage)
{
    const auto result = Ctl({"update", "download", "ms"});
    ASSERT_EQ(result.code, ctl::kExitOk) << result.err;
    const std::filesystem::path file = env_.path() / "cache" / "varno-orvel-80" / "UpdateData" / "MS.bin";
    EXPECT_EQ(result.out, file.string() + "\n");
    EXPECT_EQ(testing::FileText(file), testing::PatternBody(70000));
    EXPECT_NE(result.err.find("firmware package"), std::string::npos);

    const struct {
        std::vector<std::string> words;
        int code;
        const char* says;
    } refused[] = {
        {{"update", "download", "AP"}, ctl::kExitFailed, "is up to date"},
        {{"update", "download", "KB"}, ctl::kExitFailed, "not connected"},
        {{"update", "download", "toaster"}, ctl::kExitUsage, "unknown product"},
    };
    for (const auto& r : refused) {
        const auto out = Ctl(r.words);
        EXPECT_EQ(out.code, r.code) << r.words.back();
        EXPECT_NE(out.err.find(r.says), std::string::npos) << out.err;
    }
    env_.setEnv("ORVEL_UPDATE_URL", "");
    const auto off = Ctl({"update", "check"});
    EXPECT_EQ(off.code, ctl::kExitFailed);
    EXPECT_NE(off.err.find("switched off"), std::string::npos);
}

} // namespace
} // namespace orvel::update
