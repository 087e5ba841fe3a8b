#include "update/package_download.h"

#include "platform/debuglog.h"
#include "update/no_case.h"
#include "update/sha256.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvel::update {

namespace {

// The open temporary file; removed unless it was given its final name.
class PartFile {
public:
    explicit PartFile(const std::filesystem::path& final)
    {
        std::string pattern = (final.parent_path() / ("." + final.filename().string() + ".XXXXXX")).string();
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ >= 0)
            path_ = pattern;
    }
    ~PartFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool Open() const { return fd_ >= 0; }

    bool Write(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // Flushes, closes and renames; true when the file has its final name.
    bool Finish(const std::filesystem::path& final)
    {
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!synced || !closed || ::rename(path_.c_str(), final.c_str()) != 0)
            return false;
        path_.clear();
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

DownloadResult Failed(std::string text, std::int64_t received = 0, bool cancelled = false)
{
    OutputDebugStringA("update: download failed: " + text);
    return {false, cancelled, std::move(text), received};
}

std::string Megabytes(std::int64_t bytes)
{
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

} // namespace

DownloadResult DownloadFile(HttpClient& client, const std::string& url, const std::filesystem::path& fileName,
                            const std::function<void(double, double)>& progress, std::string_view expectedSha256)
{
    if (url.rfind("https://", 0) != 0)
        return Failed("the package address is not an https address");
    const std::int64_t total = client.QuerySize(url);
    if (total < 0)
        return Failed(client.Outcome().text, 0, client.Outcome().cancelled);
    if (total > kMaxPackageBytes)
        return Failed("the package is larger than " + Megabytes(kMaxPackageBytes));

    PartFile part(fileName);
    if (!part.Open())
        return Failed("cannot write in " + fileName.parent_path().string());
    Sha256 hash;
    std::int64_t received = 0;
    std::string sinkFailure;
    const bool fetched = client.Fetch(
        url,
        [&](std::string_view piece) {
            if (received + static_cast<std::int64_t>(piece.size()) > total) {
                sinkFailure = "the server sends more than the " + std::to_string(total) + " bytes it announced";
                return false;
            }
            if (!part.Write(piece)) {
                sinkFailure = "cannot write " + fileName.string() + " (disk full?)";
                return false;
            }
            hash.Update(piece);
            received += static_cast<std::int64_t>(piece.size());
            if (progress)
                progress(static_cast<double>(total), static_cast<double>(received));
            return true;
        },
        "the download was refused");
    if (!fetched)
        return Failed(sinkFailure.empty() ? client.Outcome().text : sinkFailure, received, client.Outcome().cancelled);
    if (received != total)
        return Failed("the download ended after " + std::to_string(received) + " of " + std::to_string(total) + " bytes",
                      received);
    if (!expectedSha256.empty() && !SameNoCase(hash.HexDigest(), expectedSha256))
        return Failed("the package's SHA-256 is not the one the update service gave", received);
    if (!part.Finish(fileName))
        return Failed("cannot store " + fileName.string(), received);
    return {true, false, {}, received};
}

} // namespace orvel::update
