#include "input/file_bytes.h"

#include "platform/debuglog.h"
#include "profiles/jsonfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::input {
namespace fs = std::filesystem;

namespace {

bool FitsLimit(const fs::path& path, uintmax_t maxBytes)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxBytes) {
        debuglog::Writef("%s: %ju bytes, at most %ju accepted", path.c_str(), static_cast<uintmax_t>(ec ? 0 : size), maxBytes);
        return false;
    }
    return true;
}

} // namespace

Json::Value LoadSmallJsonFile(const fs::path& path, uintmax_t maxBytes)
{
    if (!FitsLimit(path, maxBytes)) {
        return Json::Value();
    }
    return profiles::LoadJsonFile(path);
}

std::optional<std::string> ReadSmallFile(const fs::path& path, uintmax_t maxBytes)
{
    if (!FitsLimit(path, maxBytes)) {
        return std::nullopt;
    }
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    std::string bytes = profiles::readjsonFile(path);
    if (bytes.size() != size) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileAtomic(const fs::path& path, const std::string& bytes)
{
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        debuglog::Writef("WriteFileAtomic %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0 && ::fchmod(fd, 0644) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(pattern.c_str(), path.c_str()) == 0;
    if (!ok) {
        debuglog::Writef("WriteFileAtomic %s: %s", path.c_str(), std::strerror(errno));
        ::unlink(pattern.c_str());
    }
    return ok;
}

bool CopyFileBytes(const fs::path& source, const fs::path& target)
{
    const auto bytes = ReadSmallFile(source);
    return bytes && WriteFileAtomic(target, *bytes);
}

ImportFile ReadImportFile(const fs::path& source)
{
    ImportFile file;
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        return file;
    }
    if (fs::file_size(source, ec) > kMaxDocumentBytes) {
        file.check = ImportCheck::TooLarge;
        return file;
    }
    auto bytes = ReadSmallFile(source);
    if (!bytes) {
        return file;
    }
    file.bytes = std::move(*bytes);
    file.document = profiles::LoadJsonFile(source);
    file.check = file.document.isNull() ? ImportCheck::NotJson : ImportCheck::Ok;
    return file;
}

bool MoveAside(const fs::path& path)
{
    fs::path bad = path;
    bad += ".bad";
    std::error_code ec;
    fs::rename(path, bad, ec);
    if (ec) {
        debuglog::Writef("cannot move %s aside: %s", path.c_str(), ec.message().c_str());
        return false;
    }
    debuglog::Writef("kept the unreadable %s as %s", path.c_str(), bad.c_str());
    return true;
}

} // namespace orvel::input
