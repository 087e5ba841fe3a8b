// The update client against the local HTTPS server: one check of five products (a new TLS
// connection each, as the settings window makes them), and the download of a 20 MB package.

#include "tests/support/temp_folder.h"
#include "tests/update/test_certificates.h"
#include "tests/update/tls_test_server.h"
#include "update/package_download.h"
#include "update/update_query.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace orvel;

struct LocalService {
    LocalService()
    {
        std::string error;
        certificates = testing::TestCertificates::Make(folder.path(), error);
        if (certificates.authority.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        server = std::make_unique<testing::TlsTestServer>(certificates.localCert, certificates.localKey);
        server->SetHandler([](const testing::RecordedRequest& request) {
            if (request.target == "/files/package.bin")
                return testing::ScriptedReply{200, {}, "", kPackageBytes};
            return testing::ScriptedReply{200, {}, "{\"version\":\"0103\",\"path\":\"https://127.0.0.1/p.bin\"}"};
        });
        options.caFile = certificates.authority.string();
    }
    static constexpr std::int64_t kPackageBytes = 20 << 20;

    testing::TempFolder folder;
    testing::TestCertificates certificates;
    std::unique_ptr<testing::TlsTestServer> server;
    update::HttpOptions options;
};

LocalService& Service()
{
    static LocalService service;
    return service;
}

void CheckFiveProducts(benchmark::State& state)
{
    LocalService& service = Service();
    const update::ServiceAddress address = update::MakeServiceAddress(service.server->Origin() + "/api/");
    update::HttpClient client(service.options);
    for (auto _ : state) {
        for (int product = 0; product < 5; ++product) {
            const update::UpdateInfo info =
                update::QueryUpdate(client, address, "ZENTA_1_QL40P23B_MS_" + std::to_string(product), 0x0102, true);
            if (!info.Answered())
                state.SkipWithError(info.failureText.c_str());
            benchmark::DoNotOptimize(info.status);
        }
    }
}
BENCHMARK(CheckFiveProducts)->Unit(benchmark::kMillisecond)->UseRealTime();

void Download20MB(benchmark::State& state)
{
    LocalService& service = Service();
    update::HttpClient client(service.options);
    const std::string url = service.server->Origin() + "/files/package.bin";
    const std::filesystem::path file = service.folder.path() / "package.bin";
    for (auto _ : state) {
        const update::DownloadResult result = update::DownloadFile(client, url, file, {});
        if (!result.ok)
            state.SkipWithError(result.failureText.c_str());
    }
    state.SetBytesProcessed(state.iterations() * LocalService::kPackageBytes);
}
BENCHMARK(Download20MB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
