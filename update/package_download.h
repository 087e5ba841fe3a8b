#pragma once
// Downloading a package: its size is asked for first (HEAD), then its bytes go to a hidden
// temporary file beside the final one, which takes the final name only when every announced
// byte has arrived and, when the service gave one, the SHA-256 matches. A download that fails
// or is stopped leaves nothing under the final name (an older file there stays as it was).

#include "update/http_client.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace orvel::update {

// The largest package accepted.
inline constexpr std::int64_t kMaxPackageBytes = std::int64_t(1) << 30;

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;
    std::string failureText;   // what went wrong, for the user
    std::int64_t received = 0;
};

// progress(total, received) in bytes, after every piece; total is the announced size. The
// folder of fileName must exist.
DownloadResult DownloadFile(HttpClient& client, const std::string& url, const std::filesystem::path& fileName,
                            const std::function<void(double, double)>& progress, std::string_view expectedSha256 = {});

} // namespace orvel::update
