// The service query over real HTTPS against the local server: the request's bytes, answers
// good and bad, certificates, redirects, proxies, time-outs and cancelling.

#include "tests/update/service_fixture.h"
#include "update/update_query.h"

#include <chrono>
#include <thread>

namespace orvel::update {
namespace {

using testing::RecordedRequest;
using testing::ScriptedReply;
using Clock = std::chrono::steady_clock;

class UpdateQuery : public testing::UpdateServiceTest {
protected:
    void Answer(ScriptedReply reply)
    {
        server_->SetHandler([reply](const RecordedRequest&) { return reply; });
    }
    UpdateInfo AskMouse(HttpClient& client) { return QueryUpdate(client, Address(), "ZENTA_1_QL40P23B_MS_1", 0x0102, true); }
};

TEST_F(UpdateQuery, RequestIsSentExactlyWithTheBodysZeroByte)
{
    Answer({200, {}, "{\"version\":\"5\"}"});
    HttpClient client(TestOptions());
    const UpdateInfo info = QueryUpdate(client, Address(), "ABCDEFGHIJKLMNOPQRST", 5, false);
    EXPECT_TRUE(info.Answered()) << info.failureText;

    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& raw = requests[0].raw;
    EXPECT_EQ(raw.rfind("POST /api/updates HTTP/1.1\r\n", 0), 0u) << raw;
    for (const char* header : {"\r\nContent-Length: 39\r\n", "\r\nContent-Type: application/x-www-form-urlencoded\r\n",
                               "\r\nAccept:application/prs.Zenta.v1+json\r\n", "\r\nUser-Agent: WinHTTP Client/1.0\r\n",
                               "\r\nHost: 127.0.0.1:"})
        EXPECT_NE(raw.find(header), std::string::npos) << header << " in\n" << raw;
    EXPECT_EQ(requests[0].body, std::string("app_key=ABCDEFGHIJKLMNOPQRST&version=5\0", 39));
}

TEST_F(UpdateQuery, NewerAndSameVersions)
{
    HttpClient client(TestOptions());
    Answer({200, {}, "{\"version\":\"0103\",\"path\":\"https://127.0.0.1/MS.exe\",\"name\":\"MS\"}"});
    const UpdateInfo newer = AskMouse(client);
    EXPECT_EQ(newer.status, kStatusNewer);
    EXPECT_EQ(newer.currentVersionText, "V0102");
    EXPECT_EQ(newer.newVersionText, "V0103");

    Answer({200, {}, "{\"version\":\"0102\"}"});
    const UpdateInfo same = AskMouse(client);
    EXPECT_TRUE(same.Answered());
    EXPECT_EQ(same.status, kStatusNoNewer);
}

TEST_F(UpdateQuery, NothingListeningGivesNoLinkServer)
{
    const ServiceAddress address = Address();
    server_.reset();  // the port is free now
    HttpClient client(TestOptions());
    const UpdateInfo info = QueryUpdate(client, address, "K", 1, true);
    EXPECT_EQ(info.name, "NO_LINK_SERVER");
    EXPECT_EQ(info.failure, CheckFailure::Unreachable);
    EXPECT_EQ(info.status, kStatusNoNewer);
}

TEST_F(UpdateQuery, BadAnswersFailClearlyAndSoon)
{
    struct Case {
        const char* what;
        ScriptedReply reply;
        CheckFailure failure;
        const char* says;
    };
    const Case cases[] = {
        {"not JSON", {200, {}, "Service Unavailable"}, CheckFailure::BadAnswer, "not JSON"},
        {"wrong types", {200, {}, "{\"version\":258,\"path\":false}"}, CheckFailure::BadAnswer, "\"version\""},
        {"50 MB of body", {200, {}, "", 50 << 20}, CheckFailure::BadAnswer, "longer than 102400 bytes"},
        {"slow to answer", {200, {}, "{}", -1, -1, -1, 0, 1500}, CheckFailure::Unreachable, "no answer within"},
        {"stalls in the middle", {200, {}, "{\"version\":\"0103\"}", -1, -1, 5, 1500}, CheckFailure::BadAnswer,
         "stopped coming"},
        {"ends early", {200, {}, "{\"version\":\"0103\"}", -1, -1, 5, 0}, CheckFailure::BadAnswer, "broke off"},
        {"404", {404, {}, "{\"version\":\"0103\"}"}, CheckFailure::BadAnswer, "HTTP 404"},
        {"500", {500, {}, "oops"}, CheckFailure::BadAnswer, "HTTP 500"},
        {"redirect to http", {302, {"Location: http://127.0.0.1:1/api/updates"}, ""}, CheckFailure::BadAnswer,
         "not https"},
        {"empty", {200, {}, ""}, CheckFailure::BadAnswer, "empty"},
    };
    HttpClient client(TestOptions(400));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Answer(c.reply);
        const auto start = Clock::now();
        const UpdateInfo info = AskMouse(client);
        const auto took = Clock::now() - start;
        EXPECT_EQ(info.failure, c.failure) << info.failureText;
        EXPECT_EQ(info.status, kStatusNoNewer);
        EXPECT_NE(info.failureText.find(c.says), std::string::npos) << info.failureText;
        EXPECT_LT(took, std::chrono::milliseconds(1400));
    }
}

TEST_F(UpdateQuery, RedirectWithinHttpsIsFollowed)
{
    const std::string target = server_->Origin() + "/api/v2/updates";
    server_->SetHandler([target](const RecordedRequest& request) {
        if (request.target == "/api/updates")
            return ScriptedReply{302, {"Location: " + target}, ""};
        return ScriptedReply{200, {}, "{\"version\":\"0102\"}"};
    });
    HttpClient client(TestOptions());
    EXPECT_TRUE(AskMouse(client).Answered());
    EXPECT_EQ(server_->Requests().back().target, "/api/v2/updates");
}

TEST_F(UpdateQuery, CertificatesOfOtherHostsAndAuthoritiesAreRefused)
{
    testing::TlsTestServer other(Certificates().otherCert, Certificates().otherKey);
    other.SetHandler([](const RecordedRequest&) { return ScriptedReply{200, {}, "{\"version\":\"0103\"}"}; });
    HttpClient trusting(TestOptions());
    const UpdateInfo wrongHost =
        QueryUpdate(trusting, MakeServiceAddress(other.Origin() + "/api/"), "K", 0x0102, true);
    EXPECT_EQ(wrongHost.failure, CheckFailure::Unreachable);
    EXPECT_EQ(wrongHost.name, "NO_LINK_SERVER");
    EXPECT_NE(wrongHost.failureText.find("certificate"), std::string::npos) << wrongHost.failureText;
    EXPECT_TRUE(other.Requests().empty());

    // Without the test authority the system's authorities decide, and they do not know it.
    Answer({200, {}, "{\"version\":\"0103\"}"});
    HttpOptions system = TestOptions();
    system.caFile.clear();
    HttpClient systemClient(system);
    EXPECT_EQ(AskMouse(systemClient).failure, CheckFailure::Unreachable);
    EXPECT_TRUE(server_->Requests().empty());
}

TEST_F(UpdateQuery, ProxyVariablesAreHonoured)
{
    testing::ConnectProxy proxy;
    env_.setEnv("https_proxy", "http://127.0.0.1:" + std::to_string(proxy.Port()));
    Answer({200, {}, "{\"version\":\"0102\"}"});
    HttpClient client(TestOptions());
    EXPECT_TRUE(AskMouse(client).Answered()) << client.Outcome().text;
    const auto tunnels = proxy.Tunnels();
    ASSERT_EQ(tunnels.size(), 1u);
    EXPECT_EQ(tunnels[0], "CONNECT 127.0.0.1:" + std::to_string(server_->Port()) + " HTTP/1.1");
}

TEST_F(UpdateQuery, BadMethodAndEmptyAddressAreRefusedBeforeSending)
{
    HttpClient client(TestOptions());
    std::string response;
    EXPECT_EQ(client.HttpRequest("PUT", server_->Origin() + "/api/updates", "x", 1, response), -1);
    EXPECT_EQ(client.LastError(), kErrorBadMethod);
    EXPECT_EQ(client.HttpRequest("post", "", "x", 1, response), -1);
    EXPECT_EQ(client.LastError(), kErrorNoUrl);
    EXPECT_TRUE(server_->Requests().empty());

    EXPECT_FALSE(MakeServiceAddress("http://127.0.0.1/api/").On());
    EXPECT_FALSE(MakeServiceAddress("").On());
    const ServiceAddress off = MakeServiceAddress("");
    EXPECT_EQ(QueryUpdate(client, off, "K", 1, true).failure, CheckFailure::Off);
}

TEST_F(UpdateQuery, CancelEndsAWaitingRequestAtOnce)
{
    Answer({200, {}, "{}", -1, -1, -1, 0, 5000});
    HttpClient client(TestOptions(10000));
    std::thread stopper([&client] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        client.Cancel();
    });
    const auto start = Clock::now();
    const UpdateInfo info = AskMouse(client);
    const auto took = Clock::now() - start;
    stopper.join();
    EXPECT_FALSE(info.Answered());
    EXPECT_TRUE(client.Outcome().cancelled);
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}

} // namespace
} // namespace orvel::update
