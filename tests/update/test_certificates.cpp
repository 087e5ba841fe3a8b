#include "tests/update/test_certificates.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvel::testing {

namespace {

bool Run(const std::string& command, const std::filesystem::path& log, std::string& error)
{
    const std::string line = command + " >>'" + log.string() + "' 2>&1";
    if (std::system(line.c_str()) == 0)
        return true;
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    error = "failed: " + command + "\n" + text.str();
    return false;
}

std::string Quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

constexpr const char* kNewKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

bool MakeServer(const std::filesystem::path& folder, const std::string& name, const std::string& altName,
                const TestCertificates& made, std::string& error)
{
    const std::filesystem::path log = folder / "openssl.log";
    const std::filesystem::path extensions = folder / (name + ".ext");
    std::ofstream(extensions) << "subjectAltName=" << altName
                              << "\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature\n"
                                 "extendedKeyUsage=serverAuth\n";
    return Run("openssl req " + std::string(kNewKey) + " -keyout " + Quoted(folder / (name + ".key")) + " -out " +
                   Quoted(folder / (name + ".csr")) + " -subj '/CN=" + name + "'",
               log, error) &&
           Run("openssl x509 -req -in " + Quoted(folder / (name + ".csr")) + " -CA " + Quoted(made.authority) +
                   " -CAkey " + Quoted(folder / "authority.key") + " -CAcreateserial -days 2 -out " +
                   Quoted(folder / (name + ".pem")) + " -extfile " + Quoted(extensions),
               log, error);
}

} // namespace

TestCertificates TestCertificates::Make(const std::filesystem::path& folder, std::string& error)
{
    TestCertificates made;
    made.authority = folder / "authority.pem";
    const std::filesystem::path log = folder / "openssl.log";
    const bool ok =
        Run("openssl req -x509 " + std::string(kNewKey) + " -keyout " + Quoted(folder / "authority.key") + " -out " +
                Quoted(made.authority) +
                " -days 2 -subj '/CN=Orvel test authority' -addext 'basicConstraints=critical,CA:TRUE' "
                "-addext 'keyUsage=critical,keyCertSign,cRLSign'",
            log, error) &&
        MakeServer(folder, "local", "IP:127.0.0.1", made, error) &&
        MakeServer(folder, "other", "DNS:updates.other.invalid", made, error);
    if (!ok)
        return {};
    made.localCert = folder / "local.pem";
    made.localKey = folder / "local.key";
    made.otherCert = folder / "other.pem";
    made.otherKey = folder / "other.key";
    return made;
}

} // namespace orvel::testing
