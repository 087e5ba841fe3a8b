#include "platform/namedmutex.h"

#include "platform/debuglog.h"
#include "platform/runtimefolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvel::ipc {

std::string LockFileName(std::string_view name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '-'
                           || (c == '.' && !out.empty());
        if (plain) {
            out.push_back(ch);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + ".lock";
}

NamedMutex NamedMutex::CreateMutexW(std::string_view name)
{
    const RuntimeFolder runtime = OpenRuntimeFolder();
    if (!runtime.ok()) {
        return NamedMutex(Status::Failed, -1, runtime.error);
    }
    const auto file = runtime.folder / LockFileName(name);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        std::string error = file.string() + ": " + std::strerror(errno);
        debuglog::Write(error);
        return NamedMutex(Status::Failed, -1, error);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return NamedMutex(Status::Created, fd, {});
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
        return NamedMutex(Status::AlreadyExists, -1, {});
    }
    std::string text = file.string() + ": " + std::strerror(error);
    debuglog::Write(text);
    return NamedMutex(Status::Failed, -1, text);
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : status_(other.status_), fd_(other.fd_), error_(std::move(other.error_))
{
    other.fd_ = -1;
    other.status_ = Status::Failed;
}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        status_ = other.status_;
        fd_ = other.fd_;
        error_ = std::move(other.error_);
        other.fd_ = -1;
        other.status_ = Status::Failed;
    }
    return *this;
}

NamedMutex::~NamedMutex()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool OpenMutexW(std::string_view name)
{
    const RuntimeFolder runtime = OpenRuntimeFolder();
    if (!runtime.ok()) {
        return false;
    }
    const auto file = runtime.folder / LockFileName(name);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    // A shared lock is refused exactly while an owner holds its exclusive one.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace orvel::ipc
