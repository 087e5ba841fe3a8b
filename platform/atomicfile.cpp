#include "platform/atomicfile.h"

#include "platform/debuglog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::atomicfile {
namespace fs = std::filesystem;

namespace {

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
    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        debuglog::Writef("WriteFileAtomically %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
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
