#pragma once
// A certificate authority and two server certificates signed by it, made with the openssl
// program in a folder of the test: one for 127.0.0.1 and one for another host name.

#include <filesystem>
#include <string>

namespace orvel::testing {

struct TestCertificates {
    std::filesystem::path authority;  // PEM of the authority, what the client is told to trust
    std::filesystem::path localCert;  // for IP 127.0.0.1
    std::filesystem::path localKey;
    std::filesystem::path otherCert;  // for the host name "updates.other.invalid"
    std::filesystem::path otherKey;

    // Empty paths and the openssl output in error when a command failed.
    static TestCertificates Make(const std::filesystem::path& folder, std::string& error);
};

} // namespace orvel::testing
