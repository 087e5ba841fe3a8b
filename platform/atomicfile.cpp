#include "platform/atomicfile.h"

#include "platform/debuglog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::atomicfile {
namespace fs = std::filesystem;

namespace {

// A temporary file is "." + the target's name + kTempMark + six characters mkstemp picks; the
// mark tells ours from anybody else's hidden files in a folder the user chose.
constexpr std::string_view kTempMark = ".orvel-tmp-";
constexpr size_t kTempRandom = 6;
// A save takes well under this; an older temporary file is what an interrupted save left.
constexpr time_t kStaleSeconds = 60;

bool isOurTemporary(std::string_view name)
{
    if (name.size() < 2 + kTempMark.size() + kTempRandom || name.front() != '.') {
        return false;
    }
    const std::string_view random = name.substr(name.size() - kTempRandom);
    const std::string_view mark = name.substr(name.size() - kTempRandom - kTempMark.size(), kTempMark.size());
    return mark == kTempMark && std::all_of(random.begin(), random.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

std::string temporaryPattern(const fs::path& folder, const fs::path& target)
{
    // The target's name only tells whose temporary it is: it is cut so the whole name still fits.
    constexpr size_t kNameMax = 255;
    const size_t room = kNameMax - 1 - kTempMark.size() - kTempRandom;
    const std::string name = target.filename().string().substr(0, room);
    return (folder / ("." + name + std::string(kTempMark) + std::string(kTempRandom, 'X'))).string();
}

// Removes the temporary files that saves killed half-way left in the folder: ours by name,
// regular files of this user, older than a minute (a save running beside this one is younger).
void removeStaleTemporaries(const fs::path& folder)
{
    const time_t now = ::time(nullptr);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        struct stat st {};
        if (!isOurTemporary(path.filename().string()) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid() || now - st.st_mtime < kStaleSeconds) {
            continue;
        }
        if (::unlink(path.c_str()) == 0) {
            debuglog::Writef("removed %s, left by an interrupted save", path.c_str());
        }
    }
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The process's umask, read without changing it (umask() would, for every thread).
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
        }
    }
    return 022;
}

// A replaced file keeps its permissions; a new one gets what the user's umask allows.
mode_t modeFor(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    return 0666 & ~currentUmask();
}

} // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view bytes)
{
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string temp = temporaryPattern(folder, path);
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        debuglog::Writef("WriteFileAtomically %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    // Before the write: on a full disk the space they hold may be what this write needs.
    removeStaleTemporaries(folder);
    bool ok = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        debuglog::Writef("WriteFileAtomically %s: %s", path.c_str(), std::strerror(error));
        return false;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace orvel::atomicfile
