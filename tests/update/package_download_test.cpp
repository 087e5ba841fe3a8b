// Downloading a package from the local server: size query, progress, hash, and nothing under
// the final name unless the whole package arrived.

#include "tests/update/service_fixture.h"
#include "tests/support/file_text.h"
#include "update/package_download.h"
#include "update/sha256.h"

#include <chrono>
#include <thread>

namespace orvel::update {
namespace {

using testing::RecordedRequest;
using testing::ScriptedReply;

class PackageDownload : public testing::UpdateServiceTest {
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        file_ = env_.path() / "AP.exe";
    }
    // HEAD and GET get the same scripted answer.
    void Serve(ScriptedReply reply) { server_->SetHandler([reply](const RecordedRequest&) { return reply; }); }
    std::string Url() const { return server_->Origin() + "/files/AP.exe"; }
    // Files in the folder besides the final one (temporaries left behind).
    std::size_t Leftovers() const
    {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(env_.path()))
            n += entry.path() != file_;
        return n;
    }
    std::filesystem::path file_;
};

TEST_F(PackageDownload, WholePackageArrivesWithProgressAndItsHashChecked)
{
    constexpr std::int64_t size = 300000;
    Sha256 hash;
    hash.Update(testing::PatternBody(size));
    const std::string digest = hash.HexDigest();
    Serve({200, {}, "", size});
    HttpClient client(TestOptions());
    std::vector<std::pair<double, double>> progress;
    const DownloadResult result = DownloadFile(
        client, Url(), file_, [&](double total, double received) { progress.emplace_back(total, received); }, digest);
    ASSERT_TRUE(result.ok) << result.failureText;
    EXPECT_EQ(testing::FileText(file_), testing::PatternBody(size));
    EXPECT_EQ(Leftovers(), 0u);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(double(size), double(size)));
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_LT(progress[i - 1].second, progress[i].second);

    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[1].method, "GET");
}

TEST_F(PackageDownload, FailuresLeaveNothingUnderTheFinalName)
{
    constexpr std::int64_t size = 200000;
    struct Case {
        const char* what;
        std::function<ScriptedReply(const RecordedRequest&)> handler;
        std::string sha256;
        const char* says;
    };
    const auto both = [](ScriptedReply reply) { return [reply](const RecordedRequest&) { return reply; }; };
    const auto getOnly = [size](ScriptedReply get) {
        return [get, size](const RecordedRequest& request) {
            return request.method == "HEAD" ? ScriptedReply{200, {}, "", size} : get;
        };
    };
    const Case cases[] = {
        {"stops half-way", getOnly({200, {}, "", size, -1, size / 2}), "", "broke off"},
        {"stalls half-way", getOnly({200, {}, "", size, -1, size / 2, 1500}), "", "stopped coming"},
        {"shorter than announced by HEAD", getOnly({200, {}, "", size / 2}), "", "ended after 100000 of 200000"},
        {"longer than announced", getOnly({200, {}, "", size * 2}), "", "more than the 200000 bytes"},
        {"hash does not match", both({200, {}, "", size}), std::string(64, '0'), "SHA-256"},
        {"no size", both({200, {}, "", size, -2}), "", "no size"},
        {"404", both({404, {}, "gone"}), "", "HTTP 404"},
        {"redirect to http", both({302, {"Location: http://127.0.0.1:1/AP.exe"}, ""}), "", "not https"},
        {"too large", both({200, {}, "", 0, kMaxPackageBytes + 1}), "", "larger than"},
    };
    HttpClient client(TestOptions(400));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server_->SetHandler(c.handler);
        const DownloadResult result = DownloadFile(client, Url(), file_, {}, c.sha256);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.failureText.find(c.says), std::string::npos) << result.failureText;
        EXPECT_FALSE(std::filesystem::exists(file_));
        EXPECT_EQ(Leftovers(), 0u);
    }
}

TEST_F(PackageDownload, FailedDownloadKeepsTheEarlierPackage)
{
    testing::WriteText(file_, "the earlier package");
    Serve({200, {}, "", 100000, -1, 50000});
    HttpClient client(TestOptions());
    EXPECT_FALSE(DownloadFile(client, Url(), file_, {}).ok);
    EXPECT_EQ(testing::FileText(file_), "the earlier package");
    EXPECT_FALSE(DownloadFile(client, "http://127.0.0.1/AP.exe", file_, {}).ok);
}

TEST_F(PackageDownload, CancelStopsARunningDownloadPromptly)
{
    server_->SetHandler([](const RecordedRequest& request) {
        return request.method == "HEAD" ? ScriptedReply{200, {}, "", 1 << 20}
                                        : ScriptedReply{200, {}, "", 1 << 20, -1, 4096, 10000};
    });
    HttpClient client(TestOptions(20000));
    std::atomic<bool> started{false};
    std::thread stopper([&] {
        while (!started.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        client.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    const DownloadResult result = DownloadFile(client, Url(), file_, [&](double, double) { started.store(true); });
    stopper.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(Leftovers(), 0u);
    EXPECT_FALSE(std::filesystem::exists(file_));
}

} // namespace
} // namespace orvel::update
