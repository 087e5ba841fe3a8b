#include "profiles/jsonfile.h"

#include "platform/atomicfile.h"
#include "platform/debuglog.h"

#include "platform/json_text.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::profiles {
namespace fs = std::filesystem;

std::string readjsonFile(const fs::path& path)
{
    std::string bytes;
    int error = 0;
    // Opened without blocking: a FIFO in the place of a document would otherwise wait for a
    // writer for ever. Only a regular file is read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errno;
    } else {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            error = errno;
        } else if (!S_ISREG(st.st_mode)) {
            error = EINVAL;
        } else {
            bytes.resize(static_cast<size_t>(st.st_size));
            size_t got = 0;
            while (got < bytes.size()) {
                ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    error = n < 0 ? errno : EIO;
                    break;
                }
                got += static_cast<size_t>(n);
            }
            if (got < bytes.size()) {
                bytes.clear();
            }
        }
        ::close(fd);
    }
    debuglog::Writef("readjsonFile 错误吗：：%d", error);
    return bytes;
}

Json::Value LoadJsonFile(const fs::path& path)
{
    const std::string bytes = readjsonFile(path);
    if (bytes.empty()) {
        debuglog::Write(path.string());
        return Json::Value();
    }
    std::string errors;
    std::optional<Json::Value> document = json::Parse(bytes, json::Comments::Keep, &errors);
    if (!document) {
        debuglog::Writef("%s: %s", path.c_str(), errors.c_str());
        return Json::Value();
    }
    return *std::move(document);
}

std::string StyledText(const Json::Value& document)
{
    // The styled writer's layout is the one every stored document already has.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
    std::string text = writer.write(document);
#pragma GCC diagnostic pop
    text.push_back('\n');
    return text;
}

bool SaveJsonFile(const fs::path& path, const Json::Value& document)
{
    return atomicfile::WriteFileAtomically(path, StyledText(document));
}

fs::path MoveAside(const fs::path& path)
{
    for (int n = 0; n < 1000; ++n) {
        fs::path target = path;
        target += n == 0 ? std::string(".bad") : ".bad" + std::to_string(n);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(target, ec))) {
            continue;
        }
        fs::rename(path, target, ec);
        if (ec) {
            debuglog::Writef("MoveAside %s: %s", path.c_str(), ec.message().c_str());
            return {};
        }
        debuglog::Writef("unreadable file kept as %s", target.c_str());
        return target;
    }
    return {};
}

std::string MakeTimeStamp(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    const int millis = static_cast<int>(((ms % 1000) + 1000) % 1000);
    std::tm local {};
    localtime_r(&seconds, &local);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis);
    return buf;
}

std::string MakeTimeStamp()
{
    return MakeTimeStamp(std::chrono::system_clock::now());
}

} // namespace orvel::profiles
