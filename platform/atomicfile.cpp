#include "platform/atomicfile.h"

#include "platform/debuglog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
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
    // The file keeps mkstemp's private mode 0600: these are one user's settings.
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
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
