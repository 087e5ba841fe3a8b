#pragma once
// The update client against the local HTTPS server: certificates made once per test program,
// a server on a free port, and client options that trust the test authority, with short
// time-outs.

#include "tests/support/temp_folder.h"
#include "tests/update/test_certificates.h"
#include "tests/update/tls_test_server.h"
#include "update/http_client.h"
#include "update/service_address.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace orvel::testing {

// A package of size bytes whose body is held back while hold is set; its size query is
// answered at once.
// The flag is shared with the server's thread, which may still answer after the test's body.
inline std::function<ScriptedReply(const RecordedRequest&)> HeldPackage(std::shared_ptr<std::atomic<bool>> hold,
                                                                       std::int64_t size)
{
    return [hold, size](const RecordedRequest& request) {
        if (request.method == "HEAD")
            return ScriptedReply{200, {}, "", size};
        while (hold->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ScriptedReply{200, {}, "", size};
    };
}

// Version checks answered by app key: the mouse is offered mouseVersion with a package under
// /files/ (whose requests go to package), the keyboard has 0102, any other product gets otherwise.
inline std::function<ScriptedReply(const RecordedRequest&)> VersionsByAppKey(
    std::string origin, std::string mouseVersion, ScriptedReply otherwise,
    std::function<ScriptedReply(const RecordedRequest&)> package)
{
    return [origin, mouseVersion, otherwise, package](const RecordedRequest& request) {
        if (request.target.rfind("/files/", 0) == 0 && package)
            return package(request);
        if (request.body.find("_MS_") != std::string::npos)
            return ScriptedReply{200, {}, "{\"version\":\"" + mouseVersion + "\",\"path\":\"" + origin + "/files/MS.bin\"}"};
        if (request.body.find("_KB_") != std::string::npos)
            return ScriptedReply{200, {}, "{\"version\":\"0102\"}"};
        return otherwise;
    };
}

class UpdateServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder();
        std::string error;
        certificates_ = new TestCertificates(TestCertificates::Make(folder_->path(), error));
        certificateError_ = new std::string(error);
    }
    static void TearDownTestSuite()
    {
        delete certificateError_;
        delete certificates_;
        delete folder_;
    }

    void SetUp() override
    {
        ASSERT_FALSE(certificates_->authority.empty()) << *certificateError_;
        // No proxy of the machine may come between the client and the local server.
        for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy",
                                 "NO_PROXY"})
            env_.setEnv(name, "");
        server_ = std::make_unique<TlsTestServer>(certificates_->localCert, certificates_->localKey);
        ASSERT_TRUE(server_->Listening());
    }

    static const TestCertificates& Certificates() { return *certificates_; }

    // Trusts the test authority; time-outs short enough for tests of slow servers.
    static update::HttpOptions TestOptions(int stallMs = 400)
    {
        update::HttpOptions options;
        options.caFile = certificates_->authority.string();
        options.timeouts = {2000, stallMs, 10000};
        return options;
    }

    update::ServiceAddress Address() const { return update::MakeServiceAddress(server_->Origin() + "/api/"); }

    TempFolder env_;
    std::unique_ptr<TlsTestServer> server_;

private:
    static inline TempFolder* folder_ = nullptr;
    static inline TestCertificates* certificates_ = nullptr;
    static inline std::string* certificateError_ = nullptr;
};

} // namespace orvel::testing
